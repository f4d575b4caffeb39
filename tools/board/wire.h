// Byte-level helpers shared by the decoders, the encoders and the log: raw
// messages are kept in std::string (they may hold zero bytes), numbers are
// little-endian on the wire, and text is formatted in the "C" locale so the
// log reads the same whatever locale the user runs with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vboard {

inline uint8_t ByteAt(const std::string& bytes, std::size_t pos) {
    return static_cast<uint8_t>(bytes[pos]);
}

// Caller guarantees pos + 2 <= size (or pos + 4 for the float).
uint16_t ReadLe16(const std::string& bytes, std::size_t pos);
float ReadLeFloat(const std::string& bytes, std::size_t pos);

// Shortest text that gives the float back ("1", "0.5", "-2.25", "1500").
std::string FormatFloat(float value);

// "7e 00 3f" and "|~.?|": hex of every byte, and the bytes with anything not
// printable ASCII shown as ".".
std::string HexBytes(const std::string& bytes);
std::string PrintableBytes(const std::string& bytes);

// Rows of 16 bytes: offset, hex, printable form.
std::vector<std::string> HexDumpRows(const std::string& bytes);

}  // namespace vboard
