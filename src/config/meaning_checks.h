// Warnings about lines that parse, but into something the writer almost
// surely did not mean: words the parser never reads, numbers joined by a
// character other than a comma, an LED output read as a mode line, an
// analog input with no range, a write to a dataref that cannot be written.
// Like the other notes they only reach an observer (kestrix-check); what
// the plugin parses, sends and writes stays the same.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "XPLMDataAccess.h"
#include "config/parse_context.h"

// Warns when the line has more tokens than `used`: the rest is never read.
// `lastField` names the last field that is read ("the array element").
void CheckExtraWords(const ParseContext& parse, const std::vector<std::string>& tokens,
                     std::size_t used, const char* lastField);

// Warns when field holds numbers joined by ";", ":", "|", "/" or "\" instead of
// commas (0;1). Returns whether it warned, so that the notes a field of
// that kind would also draw (a part that is no number, ranges of unequal
// length) are left out: the one cause is named once.
bool CheckSeparators(const ParseContext& parse, const std::string& field);

// A two-token section O line is a mode line ("12L E9=1"); one whose second
// token is a dataref is an output missing its precision.
void CheckModeLine(const ParseContext& parse, const std::vector<std::string>& tokens);

// An analog input maps its reading onto the two numbers of its range; with
// none it writes 0 to 1 whatever the dataref holds.
void CheckAnalogRange(const ParseContext& parse, std::size_t rangeSize);

// Every input kind but M ("keep the value") writes its dataref.
void CheckWritable(const ParseContext& parse, const std::string& key, const std::string& name,
                   XPLMDataRef dataref);
