#include "base/log.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "XPLMUtilities.h"

namespace {

constexpr char kPrefix[] = "Kestrix: ";
constexpr std::size_t kPrefixLength = sizeof kPrefix - 1;
// What one XPLMDebugString call carries: prefix, text, newline, terminator.
constexpr std::size_t kLineBuffer = 512;
constexpr std::size_t kTextPerLine = kLineBuffer - kPrefixLength - 2;

void WriteOneLine(const char* text, std::size_t length) noexcept {
    while (length > 0) {
        const std::size_t part = length < kTextPerLine ? length : kTextPerLine;
        char line[kLineBuffer];
        std::memcpy(line, kPrefix, kPrefixLength);
        std::memcpy(line + kPrefixLength, text, part);
        line[kPrefixLength + part] = '\n';
        line[kPrefixLength + part + 1] = '\0';
        XPLMDebugString(line);
        text += part;
        length -= part;
    }
}

}  // namespace

void WriteSimulatorLog(const char* text, std::size_t length) noexcept {
    std::size_t start = 0;
    for (std::size_t k = 0; k <= length; ++k) {
        if (k < length && text[k] != '\n') continue;
        std::size_t end = k;
        if (end > start && text[end - 1] == '\r') --end;
        if (end > start) WriteOneLine(text + start, end - start);
        start = k + 1;
    }
}

void Log(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
    WriteSimulatorLog(text.data(), text.size());
}

void LogSystemError(const char* prefix) noexcept {
    const int error = errno;
    std::perror(prefix);
    char line[kLineBuffer];
    std::snprintf(line, sizeof line, "%s: %s", prefix, std::strerror(error));
    WriteSimulatorLog(line, std::strlen(line));
}

std::string Decimal(long long value) {
    return std::to_string(value);
}
