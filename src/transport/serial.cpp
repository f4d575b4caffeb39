#include "transport/serial.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "base/log.h"
#include "base/settings.h"
#include "base/text.h"
#include "transport/reply.h"

SerialState serial;
uint8_t recs_usb[kSerialReadSize];

namespace {

speed_t SpeedFor(unsigned baudrate, bool* supported) {
    *supported = true;
    switch (baudrate) {
        case 115200:
            return B115200;
        case 57600:
            return B57600;
        case 38400:
            return B38400;
        default:
            *supported = false;
            return B0;
    }
}

// Raw 8-bit transfer at the configured speed. Besides the line settings, the
// input translations that would change or swallow protocol bytes (CR to LF
// and back, XON/XOFF flow control, stripping the eighth bit) are switched
// off: boards send binary bytes such as board numbers and step counts, and
// 0x0D, 0x11 and 0x13 among them must arrive as sent. Hardware flow control
// is off too: a board without the RTS/CTS lines would stall every write.
void ConfigurePort(SerialPort& port) {
    termios& options = port.options;
    tcgetattr(port.comport, &options);
    bool supported = false;
    speed_t speed = SpeedFor(settings.Baudrate, &supported);
    if (supported) {
        cfsetispeed(&options, speed);
        cfsetospeed(&options, speed);
    }
    options.c_cflag |= (CLOCAL | CREAD);
    options.c_cflag &= ~(CSIZE | CRTSCTS);
    options.c_cflag |= CS8;
    options.c_iflag |= IGNPAR;
    options.c_iflag &= ~(PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
    options.c_lflag = 0;
    options.c_oflag = 0;
    tcflush(port.comport, TCIFLUSH);
    tcsetattr(port.comport, TCSANOW, &options);
}

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
    ConfigurePort(port);
    serial.ports.push_back(std::move(port));
    ++serial.max_cycles;
    Log("\nSerial port " + path + " opened");
}

// Unsent output is discarded first: closing a terminal with output the
// device has not taken waits for the driver's drain timeout (tens of seconds
// on Linux), inside the simulator's frame.
void ClosePortDescriptor(SerialPort& port) {
    if (port.comport < 0) return;
    tcflush(port.comport, TCIOFLUSH);
    close(port.comport);
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

int open_port(const std::string& path) {
    int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        LogSystemError("open_port: Unable to open serial port - ");
        return -1;
    }
    fcntl(fd, F_SETFL, O_NONBLOCK);
    return fd;
}

int Send_USB(int fd, const void* buf, std::size_t len) {
    bytes_sent = static_cast<int>(write(fd, buf, len));
    return bytes_sent;
}

int ScanSerialPorts() {
    DIR* dir = opendir(serial.deviceDir.c_str());
    if (dir == nullptr) return -1;
    int opened = 0;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (!IsSerialPortName(name)) continue;
        std::size_t before = serial.ports.size();
        OpenScannedPort(serial.deviceDir + name);
        if (serial.ports.size() > before) ++opened;
    }
    closedir(dir);
    return opened;
}

std::size_t ReadSerialPort(int p) {
    if (p < 0 || static_cast<std::size_t>(p) >= serial.ports.size()) return 0;
    const int fd = serial.ports[p].comport;
    int waiting = 0;
    if (ioctl(fd, FIONREAD, &waiting) < 0 || waiting <= 0) return 0;
    ssize_t got = read(fd, recs_usb, sizeof recs_usb);
    return got > 0 ? static_cast<std::size_t>(got) : 0;
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
