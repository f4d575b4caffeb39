// A board on a "USB" serial line: a pseudo-terminal whose terminal side is
// linked under a USB serial device name in a directory the plugin scans.
// The board keeps the terminal side open itself, in raw mode, so reads on its
// side never fail with EIO before the plugin opens the device, and nothing
// the plugin writes is echoed back to it.
#pragma once

#include <memory>
#include <string>

#include "stream_splitter.h"
#include "transport.h"

namespace vboard {

// Whether the plugin's serial scan takes a device of this name.
// (a name longer than 5 characters beginning with one of the prefixes).
bool IsScannedSerialName(const std::string& name);
std::string ScannedSerialPrefixes();

class SerialTransport : public BoardTransport {
  public:
    // tildeLength: the length of a "~" message for this board (61 or 7).
    static std::unique_ptr<SerialTransport> Open(const std::string& dir, const std::string& name,
                                                 std::size_t tildeLength, std::string* error);
    // Removes the link (when it still points at this board's device).
    ~SerialTransport() override;
    SerialTransport(const SerialTransport&) = delete;
    SerialTransport& operator=(const SerialTransport&) = delete;

    int descriptor() const override { return controller_; }
    void Receive(std::vector<Incoming>* out) override;
    bool Send(const std::string& message, std::string* wire, std::string* error) override;
    bool serial() const override { return true; }
    std::string description() const override;

    const std::string& linkPath() const { return link_; }
    const std::string& devicePath() const { return device_; }

  private:
    SerialTransport(int controller, int terminal, std::string device, std::string link,
                    std::size_t tildeLength);
    void WritePending(std::string* error);

    int controller_;
    int terminal_;
    std::string device_;
    std::string link_;
    PluginStreamSplitter splitter_;
    std::string unsent_;  // framed bytes the line has not taken yet
};

}  // namespace vboard
