// One UDP socket of the W5500. Nothing here waits on the chip: the loop
// asks each pass whether a datagram is there (the RX read and write
// pointers, one SPI frame) and whether the last datagram sent is out (the
// SEND_OK interrupt bit). A command the chip has not yet taken (its command
// register not back to 0) is issued on a later pass.
//
// Datagrams arrive whole in the socket's RX ring, each behind an 8-byte
// header (sender address, port, length). One is read at a time, piece by
// piece if need be (DHCP replies), and the read pointer then moves past it
// whole; a datagram longer than the reader's buffer is passed over whole.
#pragma once

#include <stdint.h>

#include "board_link.h"
#include "w5500.h"

namespace kxnet {

// The ring buffers the chip gives each socket by default (2 KB each way).
const uint16_t kSocketBufferSize = 2048;

class UdpSocket : public kxfw::DatagramPort {
  public:
    UdpSocket(W5500& chip, uint8_t number) : chip_(chip), number_(number) {}

    // The chip opens the socket on this port; ready() once it has.
    void Open(uint16_t port);
    void Close();
    // Closed without a word to the chip (its reset closes every socket).
    void Forget() { state_ = State::Closed; }
    bool ready();
    // Whether the chip still has it open (a chip reset closes every socket).
    bool StillOpen();

    // The next whole datagram's sender and length; then its bytes in pieces,
    // and EndReceive() moves past all of it.
    bool BeginReceive(kxfw::Endpoint* from, uint16_t* length);
    uint16_t Read(uint8_t* bytes, uint16_t count);
    void Skip(uint16_t count);
    void EndReceive();

    // A datagram built in pieces: BeginSend() when it may go now.
    bool BeginSend(uint16_t length);
    void Put(const uint8_t* bytes, uint16_t count);
    void PutZeros(uint16_t count);
    void EndSend(const kxfw::Endpoint& to);

    int16_t Receive(uint8_t* buffer, uint16_t size, kxfw::Endpoint* from) override;
    bool CanSend(uint16_t length) override;
    void Send(const uint8_t* bytes, uint16_t length, const kxfw::Endpoint& to) override;

    // Datagrams passed over: longer than the reader's buffer, or a header
    // no datagram has (the ring is then skipped to its end).
    uint16_t dropped() const { return dropped_; }
    // Datagrams the chip could not deliver (no ARP answer from the host).
    uint16_t sendTimeouts() const { return timeouts_; }

  private:
    enum class State : uint8_t { Closed, Opening, Open };
    bool Flush();
    bool IssueNow(uint8_t command);

    W5500& chip_;
    uint8_t number_;
    State state_ = State::Closed;
    bool pendingRecv_ = false;
    bool pendingSend_ = false;
    bool sending_ = false;
    uint16_t readAt_ = 0, readEnd_ = 0;
    uint16_t writeAt_ = 0;
    kxfw::Endpoint destination_ = {};
    bool destinationSet_ = false;
    uint16_t dropped_ = 0;
    uint16_t timeouts_ = 0;
};

}  // namespace kxnet
