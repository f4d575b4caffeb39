// The plugin's side of a virtual board's line, for the board's tests: a UDP
// socket on 127.0.0.1 and a free port, or the terminal side of the board's
// linked serial device opened raw, as the plugin opens it.
#pragma once

#include <string>

#include "virtual_board.h"

namespace boardtest {

class FakeUdpPlugin {
  public:
    FakeUdpPlugin();  // binds 127.0.0.1:0 and reads the port back
    ~FakeUdpPlugin();
    FakeUdpPlugin(const FakeUdpPlugin&) = delete;
    FakeUdpPlugin& operator=(const FakeUdpPlugin&) = delete;

    int port() const { return port_; }
    void SendTo(const std::string& boardAddress, const std::string& bytes) const;
    // One datagram, or false after timeoutMs without one.
    bool Receive(std::string* bytes, int timeoutMs = 2000) const;

  private:
    int fd_ = -1;
    int port_ = 0;
};

class FakeSerialPlugin {
  public:
    explicit FakeSerialPlugin(const std::string& devicePath);
    ~FakeSerialPlugin();
    FakeSerialPlugin(const FakeSerialPlugin&) = delete;
    FakeSerialPlugin& operator=(const FakeSerialPlugin&) = delete;

    void Write(const std::string& bytes) const;
    // Exactly count bytes, or fewer after timeoutMs without more.
    std::string Read(std::size_t count, int timeoutMs = 2000) const;

  private:
    int fd_ = -1;
};

// Waits until the board has input, then steps it; false on timeout.
bool StepWhenReadable(vboard::VirtualBoard& board, int timeoutMs = 2000);

// Sends bytes, steps the board until it has handled them, steps it once more
// to let its answer out, and returns what the fake plugin side read.
std::string ExchangeUdp(vboard::VirtualBoard& board, const FakeUdpPlugin& plugin,
                        const std::string& boardAddress, const std::string& bytes);
std::string ExchangeSerial(vboard::VirtualBoard& board, const FakeSerialPlugin& plugin,
                           const std::string& bytes, std::size_t replyLength);

// A fresh directory for links, removed with what is left in it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

// The configuration upload: "~", the 54 mode codes given as (pin, code)
// pairs, 5 zeros, board index + 1.
std::string Upload(std::initializer_list<std::pair<int, int>> codes, int indexByte);

}  // namespace boardtest
