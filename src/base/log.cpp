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

// Hands piece(part, length) every piece of text that makes one prefixed
// line of Log.txt: each non-empty line without its carriage return, in parts
// of at most kTextPerLine characters.
template <typename Piece>
void ForEachLogLine(const char* text, std::size_t length, Piece piece) {
    std::size_t start = 0;
    for (std::size_t k = 0; k <= length; ++k) {
        if (k < length && text[k] != '\n') continue;
        std::size_t end = k;
        if (end > start && text[end - 1] == '\r') --end;
        for (std::size_t at = start; at < end; at += kTextPerLine) {
            piece(text + at, end - at < kTextPerLine ? end - at : kTextPerLine);
        }
        start = k + 1;
    }
}

void WriteOneLine(const char* text, std::size_t length) noexcept {
    char line[kLineBuffer];
    std::memcpy(line, kPrefix, kPrefixLength);
    std::memcpy(line + kPrefixLength, text, length);
    line[kPrefixLength + length] = '\n';
    line[kPrefixLength + length + 1] = '\0';
    XPLMDebugString(line);
}

void WriteStandardError(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

}  // namespace

void WriteSimulatorLog(const char* text, std::size_t length) noexcept {
    ForEachLogLine(text, length, WriteOneLine);
}

void Log(const std::string& text) {
    WriteStandardError(text);
    WriteSimulatorLog(text.data(), text.size());
}

void LogTogether(const std::string& text) {
    WriteStandardError(text);
    // A zero byte would end the one string early: such a text goes line by line.
    if (std::memchr(text.data(), '\0', text.size()) != nullptr) {
        WriteSimulatorLog(text.data(), text.size());
        return;
    }
    std::string lines;
    lines.reserve(text.size() + text.size() / 8 + kLineBuffer);
    ForEachLogLine(text.data(), text.size(), [&lines](const char* part, std::size_t length) {
        lines.append(kPrefix, kPrefixLength);
        lines.append(part, length);
        lines += '\n';
    });
    if (!lines.empty()) XPLMDebugString(lines.c_str());
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
