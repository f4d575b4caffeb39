// A WIZnet W5500 as the firmware sees it through SPI: the common registers
// (mode, gateway, subnet mask, MAC and source address, retry time, PHY,
// version), eight sockets with their registers (mode, command, interrupt,
// status, ports, destination, buffer sizes, TX and RX pointers) and their
// TX and RX ring buffers. UDP only, which is all the firmware opens.
// Commands take effect when written; SEND hands the datagram to the
// network (ChipNetwork), which the test host provides; datagrams come in
// through Arrive(), each behind the chip's 8-byte header, or are dropped
// when the ring lacks room, as the chip drops them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace avrboard {

using Address = std::array<uint8_t, 4>;

struct Datagram {
    Address from{};
    uint16_t fromPort = 0;
    Address to{};
    uint16_t toPort = 0;
    std::vector<uint8_t> data;
};

// Where the chip's sockets meet the network.
class ChipNetwork {
  public:
    virtual ~ChipNetwork() = default;
    virtual void SocketOpened(uint8_t socket, const Address& address, uint16_t port) = 0;
    virtual void SocketClosed(uint8_t socket) = 0;
    // False when nobody takes it: the chip then reports a timeout (as when
    // no host answers its ARP request).
    virtual bool Sent(uint8_t socket, const Datagram& datagram) = 0;
};

class W5500Model {
  public:
    static constexpr int kSockets = 8;
    W5500Model() { Reset(); }

    void SetNetwork(ChipNetwork* network) { network_ = network; }
    // The SPI side: a frame runs while the chip is selected; each byte the
    // master clocks out gets the chip's byte back (0xFF while deselected:
    // the line is pulled up).
    void ChipSelect(bool selected);
    uint8_t Transfer(uint8_t mosi);
    // The reset line: every register and socket back to its default.
    void Reset();

    // A datagram for socket s, or for the UDP socket open on a port; false
    // when none takes it or its RX ring lacks room.
    bool ArriveAt(uint8_t socket, const Address& from, uint16_t fromPort, const uint8_t* data,
                  std::size_t length);
    bool ArriveOnPort(uint16_t port, const Address& from, uint16_t fromPort, const uint8_t* data,
                      std::size_t length);

    // Test controls: the PHY's link; sends held until released (a slow
    // network); command registers that read busy for this many reads after
    // each command.
    void SetLink(bool up);
    void HoldSends(bool hold);
    void SetCommandBusyReads(int reads) { busyReads_ = reads; }

    Address SourceAddress() const;
    uint8_t SocketStatus(uint8_t socket) const { return sockets_[socket].regs[0x03]; }
    uint16_t SocketPort(uint8_t socket) const;
    std::size_t frames() const { return frames_; }
    // Commands written while the command register still held the last one.
    std::size_t commandsOverrun() const { return overrun_; }
    std::size_t arrivalsDropped() const { return arrivalsDropped_; }

  private:
    struct Socket {
        std::array<uint8_t, 0x30> regs{};
        std::vector<uint8_t> tx, rx;
        uint16_t rxAcknowledged = 0;  // the read pointer as of the last RECV
        int busyReads = 0;
    };
    uint8_t ReadCommon(uint16_t offset) const;
    void WriteCommon(uint16_t offset, uint8_t value);
    uint8_t ReadSocket(Socket& s, uint16_t offset);
    void WriteSocket(uint8_t n, uint16_t offset, uint8_t value);
    void Command(uint8_t n, uint8_t command);
    void Open(uint8_t n);
    void Send(uint8_t n);
    void CompleteSend(uint8_t n, bool delivered);
    uint8_t ReadByte(uint16_t offset);
    void WriteByte(uint16_t offset, uint8_t value);

    ChipNetwork* network_ = nullptr;
    std::array<uint8_t, 0x40> common_{};
    Socket sockets_[kSockets];
    bool selected_ = false;
    std::size_t index_ = 0;
    uint16_t address_ = 0;
    uint8_t control_ = 0;
    bool linkUp_ = true;
    bool holdSends_ = false;
    std::deque<std::pair<uint8_t, Datagram>> heldSends_;
    int busyReads_ = 0;
    std::size_t frames_ = 0;
    std::size_t overrun_ = 0;
    std::size_t arrivalsDropped_ = 0;
};

}  // namespace avrboard
