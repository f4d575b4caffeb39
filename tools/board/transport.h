// How a virtual board reaches the plugin: UDP on its own loopback address, or
// a pseudo-terminal linked under a USB serial device name. Both are
// non-blocking: Receive takes what is waiting and returns.
#pragma once

#include <string>
#include <vector>

namespace vboard {

struct Incoming {
    enum class Type {
        Message,  // one complete plugin message
        Noise,    // serial bytes that begin no message, skipped
        Note,     // something the transport had to drop or could not do
    };
    Type type;
    std::string bytes;  // the message or noise bytes, or the note's text
};

class BoardTransport {
  public:
    virtual ~BoardTransport() = default;

    // The descriptor to poll for input.
    virtual int descriptor() const = 0;

    // Appends everything waiting now to out; never waits.
    virtual void Receive(std::vector<Incoming>* out) = 0;

    // Sends one unframed board message. On failure returns false and says why.
    // wire receives the bytes as they go on the line (framed).
    virtual bool Send(const std::string& message, std::string* wire, std::string* error) = 0;

    virtual bool serial() const = 0;

    // "udp 127.0.0.2:5080", "serial /tmp/dev/tty.usbmodem2101 (/dev/pts/4)".
    virtual std::string description() const = 0;
};

}  // namespace vboard
