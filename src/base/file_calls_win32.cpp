// Windows: the C runtime's descriptor calls on wide paths, in binary mode
// (a text-mode read would end at a Ctrl-Z byte and turn line ends around).
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "base/file_calls.h"
#include "base/file_path.h"

namespace {

FileKind KindOfMode(unsigned mode) {
    if ((mode & _S_IFMT) == _S_IFREG) return FileKind::Regular;
    if ((mode & _S_IFMT) == _S_IFDIR) return FileKind::Directory;
    return FileKind::Special;
}

int Opened(int fd, std::string* reason) {
    if (fd < 0) *reason = std::strerror(errno);
    return fd;
}

std::wstring Wide(const std::string& path) {
    return FilePath(path).wstring();
}

unsigned ChunkOf(std::size_t size) {
    return size > INT_MAX ? INT_MAX : static_cast<unsigned>(size);
}

}  // namespace

FileKind KindAtPath(const std::string& path, std::string* reason) {
    struct _stat64 info {};
    if (_wstat64(Wide(path).c_str(), &info) != 0) {
        *reason = std::strerror(errno);
        return errno == ENOENT ? FileKind::Missing : FileKind::Unreachable;
    }
    const FileKind kind = KindOfMode(info.st_mode);
    if (kind == FileKind::Directory) *reason = "it is a directory, not a file";
    if (kind == FileKind::Special) *reason = "it is not a regular file";
    return kind;
}

FileKind KindOfOpenFile(int fd, std::uint64_t* size) {
    struct _stat64 info {};
    if (_fstat64(fd, &info) != 0) return FileKind::Unreachable;
    *size = info.st_size > 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
    return KindOfMode(info.st_mode);
}

int OpenFileToRead(const std::string& path, std::string* reason) {
    return Opened(_wopen(Wide(path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT), reason);
}

int OpenFileToRewrite(const std::string& path, std::string* reason) {
    return Opened(_wopen(Wide(path).c_str(), _O_WRONLY | _O_BINARY | _O_NOINHERIT), reason);
}

int CreateNewFile(const std::string& path, std::string* reason) {
    const int flags = _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT;
    return Opened(_wopen(Wide(path).c_str(), flags, _S_IREAD | _S_IWRITE), reason);
}

long ReadFromFile(int fd, void* buf, std::size_t size) {
    return _read(fd, buf, ChunkOf(size));
}

bool WriteToFile(int fd, const void* buf, std::size_t size) {
    const char* bytes = static_cast<const char*>(buf);
    while (size > 0) {
        const int n = _write(fd, bytes, ChunkOf(size));
        if (n <= 0) return false;
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool EmptyFile(int fd) {
    return _chsize_s(fd, 0) == 0;
}

void CloseFile(int fd) {
    _close(fd);
}

bool RemoveFileEntry(const std::string& path) {
    return _wunlink(Wide(path).c_str()) == 0;
}
