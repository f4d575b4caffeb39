#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "transport/serial.h"
#include "transport/serial_port.h"

namespace {

bool SpeedFor(unsigned baudrate, speed_t* speed) {
    switch (baudrate) {
        case 115200:
            *speed = B115200;
            return true;
        case 57600:
            *speed = B57600;
            return true;
        case 38400:
            *speed = B38400;
            return true;
        default:
            return false;
    }
}

}  // namespace

bool ListSerialDevices(const std::string& dir, std::vector<std::string>* paths) {
    DIR* listing = opendir(dir.c_str());
    if (listing == nullptr) return false;
    while (dirent* entry = readdir(listing)) {
        std::string name = entry->d_name;
        if (IsSerialPortName(name)) paths->push_back(dir + name);
    }
    closedir(listing);
    return true;
}

int OpenSerialDevice(const std::string& path, std::string* reason) {
    int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *reason = std::strerror(errno);
        return -1;
    }
    fcntl(fd, F_SETFL, O_NONBLOCK);
    return fd;
}

// Besides the line settings, the input translations that would change or
// swallow protocol bytes (CR to LF and back, XON/XOFF flow control, stripping
// the eighth bit) are switched off: boards send binary bytes such as board
// numbers and step counts, and 0x0D, 0x11 and 0x13 among them must arrive as
// sent. Hardware flow control is off too: a board without the RTS/CTS lines
// would stall every write.
void ConfigureSerialDevice(int fd, SerialSettings& options, unsigned baudrate) {
    tcgetattr(fd, &options);
    speed_t speed = B0;
    if (SpeedFor(baudrate, &speed)) {
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
    tcflush(fd, TCIFLUSH);
    tcsetattr(fd, TCSANOW, &options);
}

int WriteSerialDevice(int fd, const void* buf, std::size_t len) {
    return static_cast<int>(write(fd, buf, len));
}

bool SerialFailureMeansGone() {
    return errno == EIO || errno == ENXIO || errno == ENODEV;
}

// A terminal whose device has gone is hung up: the driver refuses the
// FIONREAD query with EIO (ENXIO on macOS), and a read that was told of
// waiting bytes finds the end of the file instead.
long ReadWaitingBytes(int fd, void* buf, std::size_t size) {
    int waiting = 0;
    if (ioctl(fd, FIONREAD, &waiting) < 0) return SerialFailureMeansGone() ? -1 : 0;
    if (waiting <= 0) return 0;
    ssize_t got = read(fd, buf, size);
    if (got == 0) return -1;
    if (got < 0) return SerialFailureMeansGone() ? -1 : 0;
    return static_cast<long>(got);
}

void FlushSerialInput(int fd) {
    tcflush(fd, TCIFLUSH);
}

void FlushAndCloseSerialDevice(int fd) {
    tcflush(fd, TCIOFLUSH);
    close(fd);
}
