// Small text helpers for reading the simulator's table files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace simhost::detail {

// The text without leading and trailing spaces, tabs, CR and LF.
std::string_view TrimBlanks(std::string_view text);
// Splits at every tab; empty fields are kept.
std::vector<std::string_view> SplitTabs(std::string_view line);
// A whole string of decimal digits as a positive int no larger than max, read
// without regard to the process locale; 0 when it is not one.
int ParsePositive(std::string_view digits, int max);
// Hands every line of the text (without its "\n") to addLine; returns how
// many it accepted.
int AddTableLines(std::string_view text, bool (*addLine)(std::string_view line));
// Hands every line of the file to addLine; returns how many it accepted, or
// -1 when the file cannot be read.
int LoadTableLines(const std::string& path, bool (*addLine)(std::string_view line));

}  // namespace simhost::detail
