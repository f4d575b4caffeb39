#include "serial_transport.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "board_messages.h"

namespace vboard {

namespace {

// More than any board sends while the plugin is not reading: beyond it the
// plugin is gone, and keeping more would only grow memory.
constexpr std::size_t kMaxUnsent = 1 << 16;

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

std::unique_ptr<SerialTransport> SerialTransport::Open(const std::string& dir,
                                                       const std::string& name,
                                                       std::size_t tildeLength,
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
    return std::unique_ptr<SerialTransport>(
        new SerialTransport(controller, terminal, device, link, tildeLength));
}

SerialTransport::SerialTransport(int controller, int terminal, std::string device, std::string link,
                                 std::size_t tildeLength)
    : controller_(controller),
      terminal_(terminal),
      device_(std::move(device)),
      link_(std::move(link)),
      splitter_(tildeLength) {}

SerialTransport::~SerialTransport() {
    if (LinkTarget(link_) == device_) unlink(link_.c_str());
    close(terminal_);
    close(controller_);
}

void SerialTransport::Receive(std::vector<Incoming>* out) {
    std::string error;
    WritePending(&error);
    if (!error.empty()) out->push_back({Incoming::Type::Note, error});
    char buffer[4096];
    ssize_t n;
    while ((n = read(controller_, buffer, sizeof buffer)) > 0) {
        splitter_.Feed(buffer, static_cast<std::size_t>(n));
    }
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
        out->push_back({Incoming::Type::Note, SystemError("read " + device_)});
    }
    StreamPiece piece;
    while (splitter_.Next(&piece)) {
        out->push_back(
            {piece.isNoise ? Incoming::Type::Noise : Incoming::Type::Message, piece.bytes});
    }
}

bool SerialTransport::Send(const std::string& message, std::string* wire, std::string* error) {
    *wire = FrameForSerial(message);
    std::string problem = WireProblem(message, true);
    if (!problem.empty()) {
        *error = problem;
        return false;
    }
    if (unsent_.size() + wire->size() > kMaxUnsent) {
        *error = "the plugin has not read the line for too long; message dropped";
        return false;
    }
    unsent_ += *wire;
    WritePending(error);
    return error->empty();
}

// Writes what the line takes now; the rest waits for the next Receive.
void SerialTransport::WritePending(std::string* error) {
    while (!unsent_.empty()) {
        ssize_t n = write(controller_, unsent_.data(), unsent_.size());
        if (n > 0) {
            unsent_.erase(0, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            *error = SystemError("write " + device_);
            unsent_.clear();  // the line is broken; retrying would only repeat the error
        }
        return;
    }
}

std::string SerialTransport::description() const {
    return "serial " + link_ + " (" + device_ + ")";
}

}  // namespace vboard
