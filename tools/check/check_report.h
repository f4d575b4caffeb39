// What kestrix-check prints: per board section of data.cfg, its inputs and
// outputs as the plugin reads them, and every line it skipped or could not
// resolve, by its line number in the file.
#pragma once

#include <cstddef>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "config/board_tables.h"
#include "config/load_config.h"
#include "config/parse_report.h"

namespace kestrix_check {

// One problem, by its line number in data.cfg (0 when it has none).
struct FileNote {
    std::size_t line = 0;
    ParseNote note;
};

// Bytes that are not printable (the pin byte of a compact key, a carriage
// return) as \xNN.
std::string Printable(const std::string& text);

// Only these count as problems; lines switched off on purpose do not.
bool IsProblem(const ParseNote& note);

// The line in data.cfg of line n (1-based) of a section's text.
std::size_t FileLine(const SectionLines& section, std::size_t n);

// Names in `unchecked` are shown as such: no list could tell what they are.
void PrintBoard(std::ostream& out, const Board& board, unsigned id,
                const std::set<std::string>& unchecked);
void PrintNotes(std::ostream& out, std::vector<FileNote> notes);

}  // namespace kestrix_check
