// The far ends the plugin talks to in tests: a UDP endpoint on a board's
// own loopback address, and the controlling side of a pseudo-terminal that
// the plugin opens as a serial port.
#pragma once

#include <netinet/in.h>

#include <string>
#include <vector>

namespace testenv {

// Waits (without sleeping blindly) until fd has bytes to read; false on timeout.
bool WaitReadable(int fd, int timeoutMs = 2000);

// Makes room for thousands of datagrams (beyond the default where allowed).
void EnlargeSocketBuffer(int fd);

class UdpPeer {
  public:
    // Binds host:port with SO_REUSEADDR (the plugin binds the same port on
    // every address). host must be a loopback address other than 127.0.0.1.
    UdpPeer(const std::string& host, int port);
    ~UdpPeer();
    UdpPeer(const UdpPeer&) = delete;
    UdpPeer& operator=(const UdpPeer&) = delete;

    // One datagram to the plugin at 127.0.0.1:port.
    void SendToPlugin(const std::string& bytes, int pluginPort) const;
    // Every datagram waiting now, without waiting for more.
    std::vector<std::string> ReceiveAll() const;
    // Waits for one datagram; empty optional text and false on timeout.
    bool Receive(std::string* out, int timeoutMs = 2000) const;
    // Room for more datagrams than the default buffer's few hundred.
    void EnlargeReceiveBuffer() const;
    const std::string& host() const { return host_; }
    int port() const { return port_; }

  private:
    int fd_ = -1;
    std::string host_;
    int port_;
};

class PseudoTerminal {
  public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Makes a link named linkPath that points at the terminal's device.
    void LinkAs(const std::string& linkPath) const;
    void Write(const std::string& bytes) const;
    // Everything the plugin has written so far (waits up to timeoutMs for the
    // first byte, then takes what is there).
    std::string Read(int timeoutMs = 2000) const;
    std::string ReadExactly(std::size_t count, int timeoutMs = 2000) const;
    const std::string& devicePath() const { return device_; }
    int controller() const { return master_; }

  private:
    int master_ = -1;
    std::string device_;
};

}  // namespace testenv
