#include "serial_transport.h"

#include <unistd.h>

#include <cerrno>

#include "board_messages.h"

namespace vboard {

namespace {

// More than any board sends while the plugin is not reading: beyond it the
// plugin is gone, and keeping more would only grow memory.
constexpr std::size_t kMaxUnsent = 1 << 16;

}  // namespace

std::unique_ptr<SerialTransport> SerialTransport::Open(const std::string& dir,
                                                       const std::string& name,
                                                       std::size_t tildeLength,
                                                       std::string* error) {
    std::unique_ptr<PtyDevice> device = PtyDevice::Open(dir, name, error);
    if (!device) return nullptr;
    return std::unique_ptr<SerialTransport>(new SerialTransport(std::move(device), tildeLength));
}

SerialTransport::SerialTransport(std::unique_ptr<PtyDevice> device, std::size_t tildeLength)
    : device_(std::move(device)), splitter_(tildeLength) {}

SerialTransport::~SerialTransport() = default;

void SerialTransport::Receive(std::vector<Incoming>* out) {
    std::string error;
    WritePending(&error);
    if (!error.empty()) out->push_back({Incoming::Type::Note, error});
    char buffer[4096];
    ssize_t n;
    while ((n = read(device_->controller(), buffer, sizeof buffer)) > 0) {
        splitter_.Feed(buffer, static_cast<std::size_t>(n));
    }
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
        out->push_back(
            {Incoming::Type::Note, PtyDevice::SystemErrorText("read " + device_->devicePath())});
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
        ssize_t n = write(device_->controller(), unsent_.data(), unsent_.size());
        if (n > 0) {
            unsent_.erase(0, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            *error = PtyDevice::SystemErrorText("write " + device_->devicePath());
            unsent_.clear();  // the line is broken; retrying would only repeat the error
        }
        return;
    }
}

std::string SerialTransport::description() const {
    return "serial " + device_->linkPath() + " (" + device_->devicePath() + ")";
}

}  // namespace vboard
