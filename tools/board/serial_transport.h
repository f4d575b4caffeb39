// A board on a "USB" serial line: a pseudo-terminal linked under a USB
// serial device name in a directory the plugin scans (pty_device.h).
#pragma once

#include <memory>
#include <string>

#include "pty_device.h"
#include "stream_splitter.h"
#include "transport.h"

namespace vboard {

class SerialTransport : public BoardTransport {
  public:
    // tildeLength: the length of a "~" message for this board (61 or 7).
    static std::unique_ptr<SerialTransport> Open(const std::string& dir, const std::string& name,
                                                 std::size_t tildeLength, std::string* error);
    ~SerialTransport() override;
    SerialTransport(const SerialTransport&) = delete;
    SerialTransport& operator=(const SerialTransport&) = delete;

    int descriptor() const override { return device_->controller(); }
    void Receive(std::vector<Incoming>* out) override;
    bool Send(const std::string& message, std::string* wire, std::string* error) override;
    bool serial() const override { return true; }
    std::string description() const override;

    const std::string& linkPath() const { return device_->linkPath(); }
    const std::string& devicePath() const { return device_->devicePath(); }

  private:
    SerialTransport(std::unique_ptr<PtyDevice> device, std::size_t tildeLength);
    void WritePending(std::string* error);

    std::unique_ptr<PtyDevice> device_;
    PluginStreamSplitter splitter_;
    std::string unsent_;  // framed bytes the line has not taken yet
};

}  // namespace vboard
