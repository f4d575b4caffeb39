#include "transport/serial.h"

#include <cstdio>
#include <cstdlib>

#include "base/log.h"
#include "base/log_once.h"
#include "base/settings.h"
#include "base/text.h"
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

bool Contains(const std::vector<std::string>& list, const std::string& text) {
    for (const std::string& entry : list) {
        if (entry == text) return true;
    }
    return false;
}

void Forget(std::vector<std::string>& list, const std::string& text) {
    for (std::size_t i = list.size(); i-- > 0;) {
        if (list[i] == text) list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

// Each failure to open a device is logged once per device and reason,
// until a reset, until the device opens or until it leaves the folder.
std::string OpenFailureCause(const std::string& path) {
    return "serial device " + path + ": ";
}

// The line perror would write, then a line of our own that names the
// device; once per device and reason, so that a device the rescans try
// again and again does not fill the log.
void ReportOpenFailure(const std::string& path, const std::string& reason) {
    if (!FirstTimeFor(OpenFailureCause(path) + reason)) return;
    const std::string line = std::string(kOpenFailurePrefix) + ": " + reason;
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
    WriteSimulatorLog(line.data(), line.size());
    Log("\nSerial port " + path + " cannot be opened: " + reason);
}

void ForgetOpenFailures(const std::string& path) {
    Forget(serial.unopenedPaths, path);
    ForgetLoggedCauses(OpenFailureCause(path));
}

// Opens a listed device unless it is open already; a device that cannot be
// opened is remembered, to be tried again by the next rescan.
void OpenScannedPort(const std::string& path, int probes) {
    if (IsPortOpen(path)) return;  // never open a port twice
    const bool triedBefore = Contains(serial.unopenedPaths, path);
    if (!triedBefore) Log("\nFound serial port: " + path);
    int fd = open_port(path);
    serial.nbytes = fd;
    if (fd < 0) {
        if (!triedBefore) serial.unopenedPaths.push_back(path);
        return;
    }
    ForgetOpenFailures(path);
    SerialPort port;
    port.comport = fd;
    port.ComPortName = path;
    port.probesLeft = probes;
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
    port.queue.Clear();
    if (port.queue.dropped > 0) {
        Log("\nSerial port " + port.ComPortName + ": " +
            Decimal(static_cast<long long>(port.queue.dropped)) + " messages were dropped");
        port.queue.dropped = 0;
    }
}

bool IsPortInUse(const SerialPort& port) {
    return Contains(serial.UsedUSB, port.ComPortName);
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

int open_port(const std::string& path) {
    std::string reason;
    const int fd = OpenSerialDevice(path, &reason);
    if (fd < 0) ReportOpenFailure(path, reason);
    return fd;
}

namespace {

// The devices listed, less those that could not be opened: the next rescan
// tries those again. One that has left the folder is forgotten, so that a
// device plugged in anew is reported anew.
void RememberListed(std::vector<std::string> paths) {
    for (std::size_t i = serial.unopenedPaths.size(); i-- > 0;) {
        const std::string path = serial.unopenedPaths[i];
        if (!Contains(paths, path)) ForgetOpenFailures(path);
    }
    for (const std::string& path : serial.unopenedPaths) Forget(paths, path);
    serial.knownPaths = std::move(paths);
}

}  // namespace

int ScanSerialPorts() {
    std::vector<std::string> paths;
    if (!ListSerialDevices(serial.deviceDir, &paths)) return -1;
    serial.unopenedPaths.clear();  // a start reports every device it finds
    int opened = 0;
    for (const std::string& path : paths) {
        std::size_t before = serial.ports.size();
        OpenScannedPort(path, -1);
        if (serial.ports.size() > before) ++opened;
    }
    RememberListed(std::move(paths));
    return opened;
}

bool RescanSerialPorts(int probes) {
    std::vector<std::string> paths;
    if (!ListSerialDevices(serial.deviceDir, &paths)) return false;
    for (std::size_t p = 0; p < serial.ports.size(); ++p) {
        if (!Contains(paths, serial.ports[p].ComPortName)) LoseSerialPort(p, "device removed");
    }
    for (const std::string& path : paths) {
        if (!Contains(serial.knownPaths, path)) OpenScannedPort(path, probes);
    }
    RememberListed(std::move(paths));
    return true;
}

std::size_t ReadSerialPort(int p) {
    if (p < 0 || static_cast<std::size_t>(p) >= serial.ports.size()) return 0;
    SerialPort& port = serial.ports[p];
    if (port.comport < 0) return 0;
    const long got = ReadWaitingBytes(port.comport, recs_usb, sizeof recs_usb);
    if (got < 0) {
        LoseSerialPort(static_cast<std::size_t>(p), "read failed");
        return 0;
    }
    return static_cast<std::size_t>(got);
}

void LoseSerialPort(std::size_t p, const char* why) {
    if (p >= serial.ports.size()) return;
    SerialPort& port = serial.ports[p];
    if (port.lost || port.comport < 0) return;
    Log("\nSerial port " + port.ComPortName + " lost (" + why + "), closed");
    ClosePortDescriptor(port);
    port.lost = true;
    // The next rescan opens the path again if a device is there by then.
    Forget(serial.knownPaths, port.ComPortName);
}

void CloseSerialPortAt(std::size_t p) {
    if (p >= serial.ports.size()) return;
    SerialPort& port = serial.ports[p];
    if (serial.onPortClosed) serial.onPortClosed(static_cast<int>(p));
    // A port a disable or a lost device has closed already is only removed.
    if (port.comport >= 0) Log("\nClosing " + port.ComPortName);
    ClosePortDescriptor(port);
    serial.ports.erase(serial.ports.begin() + static_cast<std::ptrdiff_t>(p));
    --serial.max_cycles;
    --serial.cycle;
    serial.SerialCurrent = 0;
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
        CloseSerialPortAt(i);
    }
}

void CloseAllSerialPorts() {
    for (SerialPort& port : serial.ports) ClosePortDescriptor(port);
}
