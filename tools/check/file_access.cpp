#include "file_access.h"

#ifdef _WIN32
#include <windows.h>
// after windows.h, whose types it uses
#include <shellapi.h>
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

const char* NullDevice() {
    return "NUL";
}

#else

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

const char* NullDevice() {
    return "/dev/null";
}

#endif

}  // namespace kestrix_check
