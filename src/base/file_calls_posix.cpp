#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/file_calls.h"

namespace {

FileKind KindOfMode(mode_t mode) {
    if (S_ISREG(mode)) return FileKind::Regular;
    if (S_ISDIR(mode)) return FileKind::Directory;
    return FileKind::Special;
}

int Opened(int fd, std::string* reason) {
    if (fd < 0) *reason = std::strerror(errno);
    return fd;
}

}  // namespace

FileKind KindAtPath(const std::string& path, std::string* reason) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        *reason = std::strerror(errno);
        return errno == ENOENT || errno == ENOTDIR ? FileKind::Missing : FileKind::Unreachable;
    }
    const FileKind kind = KindOfMode(info.st_mode);
    if (kind == FileKind::Directory) *reason = "it is a directory, not a file";
    if (kind == FileKind::Special) *reason = "it is not a regular file";
    return kind;
}

FileKind KindOfOpenFile(int fd, std::uint64_t* size) {
    struct stat info {};
    if (fstat(fd, &info) != 0) return FileKind::Unreachable;
    *size = info.st_size > 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
    return KindOfMode(info.st_mode);
}

// O_NONBLOCK: the open of a FIFO would wait for its other end. O_NOCTTY:
// a terminal opened here must not become the simulator's own.
int OpenFileToRead(const std::string& path, std::string* reason) {
    return Opened(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC), reason);
}

int OpenFileToRewrite(const std::string& path, std::string* reason) {
    return Opened(open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC), reason);
}

int CreateNewFile(const std::string& path, std::string* reason) {
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC;
    return Opened(open(path.c_str(), flags, 0666), reason);
}

long ReadFromFile(int fd, void* buf, std::size_t size) {
    ssize_t got;
    do {
        got = read(fd, buf, size);
    } while (got < 0 && errno == EINTR);
    return static_cast<long>(got);
}

bool WriteToFile(int fd, const void* buf, std::size_t size) {
    const char* bytes = static_cast<const char*>(buf);
    while (size > 0) {
        const ssize_t n = write(fd, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool EmptyFile(int fd) {
    return ftruncate(fd, 0) == 0;
}

void CloseFile(int fd) {
    close(fd);
}

bool RemoveFileEntry(const std::string& path) {
    return unlink(path.c_str()) == 0;
}
