// The state of one ReadConfigFile call: the board being filled, the lists
// that section A builds for the section I lines, and the line being read.
// Nothing here outlives the call.
#pragma once

#include <cstddef>
#include <exception>
#include <map>
#include <set>
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

// Every list a line consults is held sorted by key, so that a line finds its
// entries in logarithmic time however long the text: a board's text comes
// from the network as well as from data.cfg. Ordered tables rather than hash
// tables, so that no choice of keys can make the lookups slow.
struct ParseContext {
    std::size_t b = 0;
    unsigned id = 0;

    std::vector<SwitchGroup> groups;  // directive T, in order
    // Positions in groups of each key's groups, ascending.
    std::map<std::string, std::vector<std::size_t>> groupsByKey;
    std::set<std::string> repeats;  // directive R
    // Directive S ("key,n"): the n of the first entry of each key.
    std::map<std::string, int> skips;
    std::set<std::string> analogDefaults;  // directive Q
    std::set<std::string> encoderBases;
    std::set<std::string> linkTargets;  // from "O" local links
    std::set<std::string> outputKeys;   // keys of the outputs read so far
    // Per input: its output link took the one-character form of a numbered
    // board's text.
    std::vector<bool> oneCharLinks;
    bool inputsCapped = false;  // the inputs' limit was reached and reported
    bool outputsCapped = false;

    char section = '0';
    int inputSections = 0;
    int outputSections = 0;
    TextLine current;
    std::vector<TextLine> inputLines;     // the line of each input of this parse
    std::vector<TextLine> outputLines;    // the line of each output of this parse
    std::vector<TextLine> modeLineLines;  // the line of each two-token O line

    Board& board() const { return Boards.at(b); }
};

// Reports something about the line being read.
void Note(const ParseContext& parse, NoteKind kind, const std::string& reason);
// Reports something about an earlier line.
void NoteAt(const TextLine& line, NoteKind kind, const std::string& reason);

// Reports, once per parse, that the board's limit of `what` (inputs or
// outputs) is reached: to the report and to the log.
void NoteLimitReached(const ParseContext& parse, bool& reported, const char* what,
                      std::size_t limit);

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
