#include "pty_device.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vboard {

namespace {

std::string SystemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

std::string LinkTarget(const std::string& link) {
    char target[PATH_MAX];
    ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
    return n < 0 ? std::string() : std::string(target, static_cast<std::size_t>(n));
}

// A link left behind by a board that was killed points at a terminal that no
// longer exists; it may be replaced. Anything else at the path is kept.
bool ClearStaleLink(const std::string& link, std::string* error) {
    struct stat entry {};
    if (lstat(link.c_str(), &entry) != 0) {
        if (errno == ENOENT) return true;
        *error = SystemError("cannot inspect " + link);
        return false;
    }
    struct stat target {};
    if (!S_ISLNK(entry.st_mode) || stat(link.c_str(), &target) == 0) {
        *error = link + " already exists";
        return false;
    }
    if (unlink(link.c_str()) != 0) {
        *error = SystemError("cannot remove the stale link " + link);
        return false;
    }
    return true;
}

int OpenController(std::string* device, std::string* error) {
    int fd = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0 || grantpt(fd) != 0 || unlockpt(fd) != 0) {
        *error = SystemError("no pseudo-terminal");
        if (fd >= 0) close(fd);
        return -1;
    }
    *device = ptsname(fd);
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    return fd;
}

int OpenRawTerminal(const std::string& device, std::string* error) {
    int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error = SystemError("cannot open " + device);
        return -1;
    }
    termios settings{};
    tcgetattr(fd, &settings);
    cfmakeraw(&settings);
    tcsetattr(fd, TCSANOW, &settings);
    return fd;
}

}  // namespace

namespace {

const char* const kPrefixes[] = {"tty.usb", "cu.usb", "tty.wchusb", "cu.wchusb",
#ifdef __linux__
                                 // the names Linux gives USB serial adapters
                                 "ttyUSB", "ttyACM"
#endif
};

}  // namespace

std::string ScannedSerialPrefixes() {
    std::string text;
    for (const char* prefix : kPrefixes) text += (text.empty() ? "" : ", ") + std::string(prefix);
    return text;
}

bool IsScannedSerialName(const std::string& name) {
    if (name.size() <= 5 || name.find('/') != std::string::npos) return false;
    for (const char* prefix : kPrefixes) {
        if (name.compare(0, std::strlen(prefix), prefix) == 0) return true;
    }
    return false;
}

std::unique_ptr<PtyDevice> PtyDevice::Open(const std::string& dir, const std::string& name,
                                           std::string* error) {
    if (!IsScannedSerialName(name)) {
        *error = "\"" + name + "\" is not a name the plugin scans for";
        return nullptr;
    }
    std::string link = dir + (dir.empty() || dir.back() == '/' ? "" : "/") + name;
    if (!ClearStaleLink(link, error)) return nullptr;
    std::string device;
    int controller = OpenController(&device, error);
    if (controller < 0) return nullptr;
    int terminal = OpenRawTerminal(device, error);
    if (terminal < 0 || symlink(device.c_str(), link.c_str()) != 0) {
        if (terminal >= 0) *error = SystemError("cannot link " + link);
        if (terminal >= 0) close(terminal);
        close(controller);
        return nullptr;
    }
    return std::unique_ptr<PtyDevice>(new PtyDevice(controller, terminal, device, link));
}

PtyDevice::PtyDevice(int controller, int terminal, std::string device, std::string link)
    : controller_(controller),
      terminal_(terminal),
      device_(std::move(device)),
      link_(std::move(link)) {}

// Removes the link when it still points at this device.
PtyDevice::~PtyDevice() {
    if (LinkTarget(link_) == device_) unlink(link_.c_str());
    close(terminal_);
    close(controller_);
}

std::string PtyDevice::SystemErrorText(const std::string& what) {
    return SystemError(what);
}

}  // namespace vboard
