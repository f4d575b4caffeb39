#include "file_access.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "base/file_path.h"

#ifdef _WIN32
#include <windows.h>
// after windows.h, whose types it uses
#include <io.h>
#include <shellapi.h>
#else
#include <unistd.h>
#endif

namespace kestrix_check {

#ifdef _WIN32

namespace {

std::string Utf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return "";
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), size, nullptr, nullptr);
    utf8.pop_back();  // the terminator
    return utf8;
}

}  // namespace

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> arguments;
    for (int k = 0; k < count; ++k) arguments.push_back(Utf8(wide[k]));
    LocalFree(wide);
    return arguments;
}

std::string Unreadable(const std::string& path) {
    const std::wstring wide = FilePath(path).wstring();
    struct _stat64 info {};
    if (_wstat64(wide.c_str(), &info) != 0) return std::strerror(errno);
    if ((info.st_mode & _S_IFMT) == _S_IFDIR) return "it is a directory, not a file";
    if ((info.st_mode & _S_IFMT) != _S_IFREG) return "it is not a regular file";
    if (_waccess(wide.c_str(), 4) != 0) return std::strerror(errno);
    return "";
}

std::FILE* OpenToRead(const std::string& path) {
    return _wfopen(FilePath(path).wstring().c_str(), L"rb");
}

const char* NullDevice() {
    return "NUL";
}

#else

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

std::string Unreadable(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return std::strerror(errno);
    if (S_ISDIR(info.st_mode)) return "it is a directory, not a file";
    if (!S_ISREG(info.st_mode)) return "it is not a regular file";
    if (access(path.c_str(), R_OK) != 0) return std::strerror(errno);
    return "";
}

std::FILE* OpenToRead(const std::string& path) {
    return std::fopen(path.c_str(), "rb");
}

const char* NullDevice() {
    return "/dev/null";
}

#endif

}  // namespace kestrix_check
