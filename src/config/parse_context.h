// The state of one ReadConfigFile call: the board being filled, the lists
// that section A builds for the section I lines, and the line being read.
// Nothing here outlives the call.
#pragma once

#include <cstddef>
#include <exception>
#include <string>
#include <vector>

#include "config/board_tables.h"
#include "config/parse_report.h"

// A switch group from directive T: inputs with this key step through their
// actions one press after another.
struct SwitchGroup {
    std::string key;
    int members = 0;
    int first = -1;  // input index of the group's first member
};

// Where a line of the board text stands, for reports.
struct TextLine {
    std::size_t number = 0;  // 1-based among the text's non-empty lines
    std::string text;
};

struct ParseContext {
    std::size_t b = 0;
    unsigned id = 0;

    std::vector<SwitchGroup> groups;
    std::vector<std::string> repeats;         // directive R
    std::vector<std::string> skips;           // directive S: "key,n"
    std::vector<std::string> analogDefaults;  // directive Q
    std::vector<std::string> encoderBases;
    std::vector<std::string> linkTargets;  // from "O" local links
    // Inputs whose output link a numbered board's text turned into the
    // one-character form.
    std::vector<std::size_t> oneCharLinks;

    char section = '0';
    int inputSections = 0;
    int outputSections = 0;
    TextLine current;
    std::vector<TextLine> inputLines;   // the line of each input of this parse
    std::vector<TextLine> outputLines;  // the line of each output of this parse

    Board& board() const { return Boards.at(b); }
};

// Reports something about the line being read.
void Note(const ParseContext& parse, NoteKind kind, const std::string& reason);
// Reports something about an earlier line.
void NoteAt(const TextLine& line, NoteKind kind, const std::string& reason);

// Reports a fault that abandoned the work on one line.
void ReportAbandonedLine(const TextLine& line, const char* what) noexcept;

// Runs the work of one line; a fault abandons that line only, never the parse.
template <typename Work>
void ForOneLine(const TextLine& line, Work&& work) noexcept {
    try {
        work();
    } catch (const std::exception& e) {
        ReportAbandonedLine(line, e.what());
    } catch (...) {
        ReportAbandonedLine(line, "unknown exception");
    }
}
