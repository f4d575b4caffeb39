// Files and the command line as kestrix-check meets them. Paths are held in
// UTF-8 on every system; on Windows they reach the file calls in their wide
// form, so that a data.cfg in "C:\Users\Jürgen\..." can be read whatever
// the ANSI code page.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace kestrix_check {

// The program's arguments in UTF-8: on Windows taken from the wide command
// line (argv holds them in the ANSI code page), elsewhere argv as it is.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// Why the file at path cannot be read as a text file; empty when it can.
std::string Unreadable(const std::string& path);

// The file opened for reading bytes, or null with errno set.
std::FILE* OpenToRead(const std::string& path);

// What output written to nowhere is opened as: "/dev/null", on Windows "NUL".
const char* NullDevice();

}  // namespace kestrix_check
