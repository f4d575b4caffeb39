// The command line as kestrix-check meets it. Paths are held in UTF-8 on
// every system; the files are read as the plugin reads them
// (base/regular_file.h), on Windows through their wide form, so that a
// data.cfg in "C:\Users\Jürgen\..." can be read whatever the ANSI code page.
#pragma once

#include <string>
#include <vector>

namespace kestrix_check {

// The program's arguments in UTF-8: on Windows taken from the wide command
// line (argv holds them in the ANSI code page), elsewhere argv as it is.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// What output written to nowhere is opened as: "/dev/null", on Windows "NUL".
const char* NullDevice();

}  // namespace kestrix_check
