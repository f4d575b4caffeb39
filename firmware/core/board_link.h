// The seam between the board's protocol and the line it talks on. A link
// hands over the plugin's messages whole and sends the board's messages as
// its line needs them: a serial link cuts the unframed stream the plugin
// sends and puts braces around what the board sends; a datagram link takes
// one datagram as one message and sends each message as one datagram.
// No call waits: a link that cannot take a message now says so.
#pragma once

#include <stdint.h>

#include "plugin_framing.h"

namespace kxfw {

class BoardLink {
  public:
    // The next whole message from the plugin, valid until the next call;
    // false when none is complete yet.
    virtual bool Receive(const uint8_t** message, uint16_t* length) = 0;
    // Whether a message of this many bytes goes out now, whole.
    virtual bool CanSend(uint8_t length) = 0;
    virtual void Send(const uint8_t* bytes, uint8_t length) = 0;
    // Whether the line is a serial one (braces may not appear in a message).
    virtual bool serial() const = 0;

  protected:
    ~BoardLink() {}
};

// The bytes of a serial line: the hardware layer's interrupt-driven ring
// buffers on the board, a string in tests and in the fuzz target.
class ByteStream {
  public:
    virtual int16_t ReadByte() = 0;  // -1 when nothing waits
    virtual uint16_t WriteRoom() = 0;
    virtual void WriteByte(uint8_t byte) = 0;

  protected:
    ~ByteStream() {}
};

class SerialLink : public BoardLink {
  public:
    explicit SerialLink(ByteStream& stream, uint8_t tildeLength)
        : stream_(stream), framer_(tildeLength) {}

    bool Receive(const uint8_t** message, uint16_t* length) override;
    bool CanSend(uint8_t length) override;
    void Send(const uint8_t* bytes, uint8_t length) override;
    bool serial() const override { return true; }

    // Bytes skipped because no message begins with them.
    uint16_t noiseBytes() const { return noise_; }

  private:
    ByteStream& stream_;
    PluginFramer framer_;
    uint16_t noise_ = 0;
};

// A host on the network: an IPv4 address and a UDP port.
struct Endpoint {
    uint8_t address[4];
    uint16_t port;
};

// A UDP socket as the board's network chip offers it. Nothing waits.
class DatagramPort {
  public:
    // The next datagram into buffer, whole, and its sender: its length, or
    // -1 when none waits. A datagram longer than size is dropped whole (and
    // the next one taken), never cut.
    virtual int16_t Receive(uint8_t* buffer, uint16_t size, Endpoint* from) = 0;
    // Whether a datagram of this many bytes can go out now.
    virtual bool CanSend(uint16_t length) = 0;
    virtual void Send(const uint8_t* bytes, uint16_t length, const Endpoint& to) = 0;

  protected:
    ~DatagramPort() {}
};

// The plugin's messages on the LAN: one datagram is one message, the board's
// messages go back to where the plugin's last message came from (its
// address and port). A datagram that is not one whole plugin message is
// dropped and does not move the reply address; nothing goes out before the
// first message has come. A turn of the loop (from one Receive() that finds
// nothing to the next) sends at most kDatagramsPerTurn datagrams: each costs
// the loop a few SPI frames to the network chip, and a chip that sends at
// once would otherwise let a long queue of input events hold the loop (and
// the inputs' sampling) for milliseconds.
const uint8_t kDatagramsPerTurn = 2;

class DatagramLink : public BoardLink {
  public:
    DatagramLink(DatagramPort& port, uint8_t tildeLength)
        : port_(port), tildeLength_(tildeLength) {}

    bool Receive(const uint8_t** message, uint16_t* length) override;
    bool CanSend(uint8_t length) override;
    void Send(const uint8_t* bytes, uint8_t length) override;
    bool serial() const override { return false; }

    bool hasPeer() const { return hasPeer_; }
    const Endpoint& peer() const { return peer_; }
    // Datagrams dropped because they held no plugin message.
    uint16_t noiseDatagrams() const { return noise_; }

  private:
    DatagramPort& port_;
    uint8_t tildeLength_;
    uint8_t buffer_[kMaxPluginMessage];
    Endpoint peer_ = {};
    bool hasPeer_ = false;
    uint8_t sendsLeft_ = kDatagramsPerTurn;
    uint16_t noise_ = 0;
};

}  // namespace kxfw
