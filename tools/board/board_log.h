// The lines of a board's readable log that show messages and the board itself.
#pragma once

#include <string>
#include <vector>

namespace vboard {

struct BoardIdentity;

// "numbered board #1, library 1.32" or "self-configuring board, 212 bytes of
// configuration".
std::string DescribeIdentity(const BoardIdentity& identity);

// A message byte by byte, hex and printable, with its description; arrow is
// "<-" for the plugin's messages and "->" for the board's. Short messages
// take one line, longer ones a description line and rows of 16 bytes.
std::vector<std::string> MessageLines(const std::string& arrow, const std::string& bytes,
                                      const std::string& description);

}  // namespace vboard
