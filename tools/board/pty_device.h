// A "USB" serial device for the plugin to find: a pseudo-terminal whose
// terminal side is linked under a USB serial device name in the directory
// the plugin scans. The controller keeps the terminal side open itself, in
// raw mode, so reads on its side never fail with EIO before the plugin opens
// the device, and nothing the plugin writes is echoed back. Used by the
// virtual board and by the emulated board's UART bridge.
#pragma once

#include <memory>
#include <string>

namespace vboard {

// Whether the plugin's serial scan takes a device of this name
// (a name longer than 5 characters beginning with one of the prefixes).
bool IsScannedSerialName(const std::string& name);
std::string ScannedSerialPrefixes();

class PtyDevice {
  public:
    static std::unique_ptr<PtyDevice> Open(const std::string& dir, const std::string& name,
                                           std::string* error);
    ~PtyDevice();
    PtyDevice(const PtyDevice&) = delete;
    PtyDevice& operator=(const PtyDevice&) = delete;

    // The board's end: non-blocking reads and writes.
    int controller() const { return controller_; }
    const std::string& devicePath() const { return device_; }
    const std::string& linkPath() const { return link_; }

    // what, ": " and the text of errno.
    static std::string SystemErrorText(const std::string& what);

  private:
    PtyDevice(int controller, int terminal, std::string device, std::string link);
    int controller_;
    int terminal_;
    std::string device_;
    std::string link_;
};

}  // namespace vboard
