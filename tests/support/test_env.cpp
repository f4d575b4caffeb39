#include "test_env.h"

#ifdef _WIN32
#include <winsock2.h>
#else
#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace testenv {

// create_directory reports whether it made the directory, so a name that
// another test took at the same moment is never shared.
TempDir::TempDir() {
    namespace fs = std::filesystem;
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device seed;
    std::mt19937 random(seed());
    std::uniform_int_distribution<int> letter(0, sizeof kLetters - 2);
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = "kestrix-";
        for (int i = 0; i < 10; ++i) name += kLetters[letter(random)];
        std::error_code error;
        if (fs::create_directory(base / name, error)) {
            path_ = (base / name).string();
            return;
        }
    }
    throw std::runtime_error("cannot make a temporary directory in " + base.string());
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

#ifdef _WIN32
// Winsock wants its start-up before the first socket; the plugin's own
// start-up and clean-up are counted separately.
int FreeUdpPort() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("no Winsock");
    SOCKET sock = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int len = sizeof addr;
    const bool ok = sock != INVALID_SOCKET &&
                    bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
                    getsockname(sock, reinterpret_cast<sockaddr*>(&addr), &len) == 0;
    if (sock != INVALID_SOCKET) closesocket(sock);
    WSACleanup();
    if (!ok) throw std::runtime_error("no free UDP port");
    return ntohs(addr.sin_port);
}
#else
int FreeUdpPort() {
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        if (fd >= 0) close(fd);
        throw std::runtime_error("no free UDP port");
    }
    close(fd);
    return ntohs(addr.sin_port);
}
#endif

void MakeDirs(const std::string& path) {
    std::filesystem::create_directories(path);
}

void WriteFile(const std::string& path, const std::string& text) {
    MakeDirs(std::filesystem::path(path).parent_path().string());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool FileExists(const std::string& path) {
    return std::filesystem::exists(path);
}

int Occurrences(const std::string& text, const std::string& part) {
    int count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

int OpenDescriptorCount() {
#ifdef _WIN32
    return -1;  // no descriptor table to count; the tests that count are POSIX only
#else
    int count = 0;
    DIR* dir = opendir("/proc/self/fd");
    if (dir == nullptr) return -1;
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] != '.') ++count;
    }
    closedir(dir);
    return count - 1;  // the directory stream's own descriptor
#endif
}

}  // namespace testenv
