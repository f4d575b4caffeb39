#include "base/regular_file.h"

#include <cstdint>
#include <filesystem>
#include <system_error>

#include "base/file_calls.h"
#include "base/file_path.h"
#include "base/log.h"
#include "base/log_once.h"

namespace {

constexpr std::size_t kReadChunk = 16 * 1024;

std::string TooLarge(std::size_t limit) {
    return "it is larger than " + Decimal(static_cast<long long>(limit)) + " bytes";
}

// The open descriptor is asked again: what stood at the path a moment ago
// may have been swapped for a FIFO or a device since.
FileRead ReadOpenFile(int fd, std::size_t limit, std::string* text, std::string* reason) {
    std::uint64_t size = 0;
    if (KindOfOpenFile(fd, &size) != FileKind::Regular) {
        *reason = "it is not a regular file";
        return FileRead::Refused;
    }
    if (size > limit) {
        *reason = TooLarge(limit);
        return FileRead::Refused;
    }
    text->reserve(static_cast<std::size_t>(size));
    char buffer[kReadChunk];
    for (;;) {
        const long got = ReadFromFile(fd, buffer, sizeof buffer);
        if (got == 0) return FileRead::Done;
        if (got < 0) {
            *reason = "it could not be read to its end";
            return FileRead::Refused;
        }
        // A file that grows while it is read is cut off at the limit.
        if (text->size() + static_cast<std::size_t>(got) > limit) {
            *reason = TooLarge(limit);
            return FileRead::Refused;
        }
        text->append(buffer, static_cast<std::size_t>(got));
    }
}

std::string CauseFor(const std::string& path) {
    return "file " + path;
}

}  // namespace

FileRead ReadRegularFile(const std::string& path, std::size_t limit, std::string* text,
                         std::string* reason) {
    std::string why;
    if (reason == nullptr) reason = &why;
    text->clear();
    // Looked at first, so that a device is never opened (opening a serial
    // device resets the board behind it).
    const FileKind kind = KindAtPath(path, reason);
    if (kind == FileKind::Missing) return FileRead::Missing;
    if (kind != FileKind::Regular) return FileRead::Refused;
    const int fd = OpenFileToRead(path, reason);
    if (fd < 0) return FileRead::Refused;
    const FileRead result = ReadOpenFile(fd, limit, text, reason);
    CloseFile(fd);
    if (result != FileRead::Done) text->clear();
    return result;
}

FileRead ReadPluginFile(const std::string& path, std::size_t limit, std::string* text) {
    std::string reason;
    const FileRead result = ReadRegularFile(path, limit, text, &reason);
    if (result == FileRead::Refused) {
        LogOnce(CauseFor(path), "\n" + path + " cannot be read: " + reason);
    }
    return result;
}

bool RewriteRegularFile(const std::string& path, const std::string& text) {
    std::string reason;
    if (KindAtPath(path, &reason) != FileKind::Regular) return false;
    const int fd = OpenFileToRewrite(path, &reason);
    if (fd < 0) return false;
    std::uint64_t size = 0;
    const bool written = KindOfOpenFile(fd, &size) == FileKind::Regular && EmptyFile(fd) &&
                         WriteToFile(fd, text.data(), text.size());
    CloseFile(fd);
    return written;
}

bool ReplaceRegularFile(const std::string& path, const std::string& text) {
    std::string reason;
    const FileKind kind = KindAtPath(path, &reason);
    if (kind != FileKind::Regular && kind != FileKind::Missing) return false;
    const std::string temp = path + ".tmp";
    RemoveFileEntry(temp);  // left by an earlier failed save, or not ours to write through
    const int fd = CreateNewFile(temp, &reason);
    if (fd < 0) return false;
    const bool written = WriteToFile(fd, text.data(), text.size());
    CloseFile(fd);
    // std::filesystem::rename replaces an existing file on every system;
    // the C library's rename refuses to on Windows.
    std::error_code failed;
    if (written) std::filesystem::rename(FilePath(temp), FilePath(path), failed);
    if (written && !failed) return true;
    RemoveFileEntry(temp);
    return false;
}
