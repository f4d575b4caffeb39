#include "transport/serial_queue.h"

#include <cstring>
#include <string>

#include "base/log_once.h"
#include "transport/reply.h"
#include "transport/serial.h"
#include "transport/serial_port.h"

bool SerialQueue::Append(const void* bytes, std::size_t length, bool always) {
    if (!always && size() + length > kSerialQueueBytes) return false;
    if (head_ > 0 && bytes_.size() + length > bytes_.capacity()) {
        bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(head_));
        head_ = 0;
    }
    const uint8_t* from = static_cast<const uint8_t*>(bytes);
    bytes_.insert(bytes_.end(), from, from + length);
    return true;
}

void SerialQueue::Consume(std::size_t count) {
    head_ += count < size() ? count : size();
    if (empty()) Clear();
}

void SerialQueue::Clear() {
    bytes_.clear();  // keeps its room
    head_ = 0;
}

namespace {

int PortOfDescriptor(int fd) {
    if (fd < 0) return -1;
    for (std::size_t p = 0; p < serial.ports.size(); ++p) {
        if (serial.ports[p].comport == fd) return static_cast<int>(p);
    }
    return -1;
}

// What the port takes now: a count, 0 when it is full (or failed for the
// moment), -1 when its device has gone.
long WriteNow(const SerialPort& port, const uint8_t* bytes, std::size_t length) {
    const int n = WriteSerialDevice(port.comport, bytes, length);
    if (n >= 0) return n;
    return SerialFailureMeansGone() ? -1 : 0;
}

// Writes what waits, as far as the port takes it; false when its device has
// gone.
bool WriteQueued(SerialPort& port) {
    while (!port.queue.empty()) {
        const long n = WriteNow(port, port.queue.data(), port.queue.size());
        if (n < 0) return false;
        if (n == 0) return true;
        port.queue.Consume(static_cast<std::size_t>(n));
    }
    return true;
}

int Drop(SerialPort& port) {
    ++port.queue.dropped;
    LogOnce("serial queue full " + port.ComPortName,
            "\nSerial port " + port.ComPortName +
                " is not taking what is sent (is its board reading?): whole messages are dropped");
    return -1;
}

// The message written whole, or what the port did not take queued behind
// what waits already: len. Dropped whole, or the device gone: -1.
int SendWhole(SerialPort& port, const uint8_t* bytes, std::size_t len, bool* gone) {
    *gone = !WriteQueued(port);
    if (*gone) return -1;
    if (!port.queue.empty()) {
        return port.queue.Append(bytes, len, false) ? static_cast<int>(len) : Drop(port);
    }
    const long n = WriteNow(port, bytes, len);
    *gone = n < 0;
    if (*gone) return -1;
    const std::size_t taken = static_cast<std::size_t>(n);
    if (taken == len) return static_cast<int>(len);
    // Begun, the message must be finished; not begun, it queues like any other.
    if (!port.queue.Append(bytes + taken, len - taken, taken > 0)) return Drop(port);
    return static_cast<int>(len);
}

}  // namespace

int Send_USB(int fd, const void* buf, std::size_t len) {
    const int p = PortOfDescriptor(fd);
    if (p < 0) return bytes_sent = -1;  // no open port
    bool gone = false;
    bytes_sent = SendWhole(serial.ports[p], static_cast<const uint8_t*>(buf), len, &gone);
    if (gone) LoseSerialPort(static_cast<std::size_t>(p), "write failed");
    return bytes_sent;
}

void SendQueuedSerialBytes() {
    for (std::size_t p = 0; p < serial.ports.size(); ++p) {
        SerialPort& port = serial.ports[p];
        if (port.comport < 0 || port.queue.empty()) continue;
        if (!WriteQueued(port)) LoseSerialPort(p, "write failed");
    }
}
