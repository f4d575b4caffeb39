#include "wire.h"

#include <charconv>
#include <cstdio>
#include <cstring>

#include "output_records.h"

namespace vboard {

uint16_t ReadLe16(const std::string& bytes, std::size_t pos) {
    return kxfw::ReadLe16(reinterpret_cast<const uint8_t*>(bytes.data()) + pos);
}

float ReadLeFloat(const std::string& bytes, std::size_t pos) {
    return kxfw::ReadLeFloat(reinterpret_cast<const uint8_t*>(bytes.data()) + pos);
}

// The shortest text that reads back as the same float, in the shorter of
// fixed and exponent form ("1500", not "1.5e+03").
std::string FormatFloat(float value) {
    char text[32];
    std::to_chars_result result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string HexBytes(const std::string& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) text += ' ';
        text += kDigits[ByteAt(bytes, i) >> 4];
        text += kDigits[ByteAt(bytes, i) & 0xF];
    }
    return text;
}

std::string PrintableBytes(const std::string& bytes) {
    std::string text = "|";
    for (char c : bytes) {
        uint8_t b = static_cast<uint8_t>(c);
        text += (b >= 0x20 && b < 0x7F) ? c : '.';
    }
    return text + "|";
}

std::vector<std::string> HexDumpRows(const std::string& bytes) {
    static const std::size_t kRow = 16;
    std::vector<std::string> rows;
    for (std::size_t start = 0; start < bytes.size(); start += kRow) {
        std::string chunk = bytes.substr(start, kRow);
        char offset[24];
        std::snprintf(offset, sizeof offset, "%04zx", start);
        std::string hex = HexBytes(chunk);
        hex.resize(kRow * 3 - 1, ' ');
        rows.push_back(std::string(offset) + "  " + hex + "  " + PrintableBytes(chunk));
    }
    return rows;
}

}  // namespace vboard
