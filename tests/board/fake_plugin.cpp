#include "fake_plugin.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <stdexcept>

#include "peers.h"

namespace boardtest {

namespace {

using testenv::WaitReadable;

sockaddr_in Loopback(const std::string& host, int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, host.c_str(), &address.sin_addr);
    return address;
}

}  // namespace

FakeUdpPlugin::FakeUdpPlugin() {
    fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback("127.0.0.1", 0);
    socklen_t length = sizeof address;
    if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("no UDP socket on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
}

FakeUdpPlugin::~FakeUdpPlugin() {
    close(fd_);
}

void FakeUdpPlugin::SendTo(const std::string& boardAddress, const std::string& bytes) const {
    sockaddr_in to = Loopback(boardAddress, port_);
    if (sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to) !=
        static_cast<ssize_t>(bytes.size())) {
        throw std::runtime_error("cannot send to " + boardAddress);
    }
}

bool FakeUdpPlugin::Receive(std::string* bytes, int timeoutMs) const {
    if (!WaitReadable(fd_, timeoutMs)) return false;
    char buffer[65536];
    ssize_t n = recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n < 0) return false;
    bytes->assign(buffer, static_cast<std::size_t>(n));
    return true;
}

FakeSerialPlugin::FakeSerialPlugin(const std::string& devicePath) {
    fd_ = open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) throw std::runtime_error("cannot open " + devicePath);
    termios settings{};
    tcgetattr(fd_, &settings);
    cfmakeraw(&settings);
    tcsetattr(fd_, TCSANOW, &settings);
}

FakeSerialPlugin::~FakeSerialPlugin() {
    close(fd_);
}

void FakeSerialPlugin::Write(const std::string& bytes) const {
    if (write(fd_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
        throw std::runtime_error("short write to the board's line");
    }
}

std::string FakeSerialPlugin::Read(std::size_t count, int timeoutMs) const {
    std::string text;
    char buffer[4096];
    while (text.size() < count && WaitReadable(fd_, timeoutMs)) {
        ssize_t n = read(fd_, buffer, std::min(sizeof buffer, count - text.size()));
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

bool StepWhenReadable(vboard::VirtualBoard& board, int timeoutMs) {
    if (!WaitReadable(board.descriptor(), timeoutMs)) return false;
    board.Step();
    return true;
}

std::string ExchangeUdp(vboard::VirtualBoard& board, const FakeUdpPlugin& plugin,
                        const std::string& boardAddress, const std::string& bytes) {
    plugin.SendTo(boardAddress, bytes);
    std::string reply;
    if (!StepWhenReadable(board)) return "<not received>";
    board.Step();  // the answer leaves on the board's next step
    if (!plugin.Receive(&reply)) return "<no reply>";
    return reply;
}

std::string ExchangeSerial(vboard::VirtualBoard& board, const FakeSerialPlugin& plugin,
                           const std::string& bytes, std::size_t replyLength) {
    plugin.Write(bytes);
    // The bytes may reach the board in more than one read.
    while (board.queuedAnswers() == 0 && StepWhenReadable(board)) {
    }
    board.Step();  // the answer leaves on the board's next step
    return plugin.Read(replyLength);
}

TempDir::TempDir() {
    const char* base = getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/kestrix-board-XXXXXX";
    if (mkdtemp(&pattern[0]) == nullptr) throw std::runtime_error("no temp dir");
    path_ = pattern;
}

TempDir::~TempDir() {
    if (DIR* dir = opendir(path_.c_str())) {
        while (dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name != "." && name != "..") unlink((path_ + "/" + name).c_str());
        }
        closedir(dir);
    }
    rmdir(path_.c_str());
}

std::string Upload(std::initializer_list<std::pair<int, int>> codes, int indexByte) {
    std::string upload(61, '\0');
    upload[0] = '~';
    for (const auto& code : codes) upload[1 + code.first] = static_cast<char>(code.second);
    upload[60] = static_cast<char>(indexByte);
    return upload;
}

}  // namespace boardtest
