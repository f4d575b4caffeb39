#include "transport/serial.h"

#include <cstdio>
#include <cstdlib>

#include "base/log.h"
#include "base/log_once.h"
#include "base/settings.h"
#include "base/text.h"
#include "transport/reply.h"
#include "transport/serial_port.h"

SerialState serial;
uint8_t recs_usb[kSerialReadSize];

namespace {

constexpr const char* kOpenFailurePrefix = "open_port: Unable to open serial port - ";

bool IsPortOpen(const std::string& path) {
    for (const SerialPort& port : serial.ports) {
        if (port.ComPortName == path && port.comport >= 0) return true;
    }
    return false;
}

void OpenScannedPort(const std::string& path) {
    if (IsPortOpen(path)) return;  // never open a port twice
    Log("\nFound serial port: " + path);
    int fd = open_port(path);
    serial.nbytes = fd;
    if (fd < 0) return;
    SerialPort port;
    port.comport = fd;
    port.ComPortName = path;
    ConfigureSerialDevice(port.comport, port.options, settings.Baudrate);
    serial.ports.push_back(std::move(port));
    ++serial.max_cycles;
    Log("\nSerial port " + path + " opened");
}

// Unsent output is discarded first: closing a terminal with output the
// device has not taken waits for the driver's drain timeout (tens of seconds
// on Linux), inside the simulator's frame.
void ClosePortDescriptor(SerialPort& port) {
    if (port.comport < 0) return;
    FlushAndCloseSerialDevice(port.comport);
    port.comport = -1;
}

bool IsPortInUse(const SerialPort& port) {
    for (const std::string& used : serial.UsedUSB) {
        if (used == port.ComPortName) return true;
    }
    return false;
}

}  // namespace

std::string DefaultSerialDeviceDir() {
    const char* dir = std::getenv("KESTRIX_SERIAL_DIR");
    if (dir == nullptr || *dir == '\0') return "/dev/";
    std::string path = dir;
    if (path.back() != '/') path += '/';
    return path;
}

bool IsSerialPortName(const std::string& name) {
    if (name.size() <= 5) return false;
    static const char* const kPrefixes[] = {"tty.usb", "tty.wchusb", "cu.usb", "cu.wchusb",
#ifdef __linux__
                                            // the names Linux gives USB serial adapters
                                            "ttyUSB", "ttyACM"
#endif
    };
    for (const char* prefix : kPrefixes) {
        if (StartsWith(name, prefix)) return true;
    }
    return false;
}

namespace {

// The line perror would write, then a line of our own that names the
// device; once per device path until a reset, so that a device the scan
// meets again does not fill the log.
void ReportOpenFailure(const std::string& path, const std::string& reason) {
    if (!FirstTimeFor("serial device " + path)) return;
    const std::string line = std::string(kOpenFailurePrefix) + ": " + reason;
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
    WriteSimulatorLog(line.data(), line.size());
    Log("\nSerial port " + path + " cannot be opened: " + reason);
}

}  // namespace

int open_port(const std::string& path) {
    std::string reason;
    const int fd = OpenSerialDevice(path, &reason);
    if (fd < 0) ReportOpenFailure(path, reason);
    return fd;
}

int Send_USB(int fd, const void* buf, std::size_t len) {
    bytes_sent = WriteSerialDevice(fd, buf, len);
    return bytes_sent;
}

int ScanSerialPorts() {
    std::vector<std::string> paths;
    if (!ListSerialDevices(serial.deviceDir, &paths)) return -1;
    int opened = 0;
    for (const std::string& path : paths) {
        std::size_t before = serial.ports.size();
        OpenScannedPort(path);
        if (serial.ports.size() > before) ++opened;
    }
    return opened;
}

std::size_t ReadSerialPort(int p) {
    if (p < 0 || static_cast<std::size_t>(p) >= serial.ports.size()) return 0;
    return ReadWaitingBytes(serial.ports[p].comport, recs_usb, sizeof recs_usb);
}

void ClearUSB() {
    if (settings.USB_FIX) {
        Log("\nUSB_FIX active. All ports remain open.");
        return;
    }
    Log("\nClearing unused serial ports");
    std::size_t i = 0;
    while (i < serial.ports.size()) {
        SerialPort& port = serial.ports[i];
        if (IsPortInUse(port)) {
            ++i;
            continue;
        }
        if (serial.onPortClosed) serial.onPortClosed(static_cast<int>(i));
        // A port a disable has closed already is only removed.
        if (port.comport >= 0) Log("\nClosing " + port.ComPortName);
        ClosePortDescriptor(port);
        serial.ports.erase(serial.ports.begin() + static_cast<std::ptrdiff_t>(i));
        --serial.max_cycles;
        --serial.cycle;
        serial.SerialCurrent = 0;
    }
}

void CloseAllSerialPorts() {
    for (SerialPort& port : serial.ports) ClosePortDescriptor(port);
}
