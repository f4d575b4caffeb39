// What the parser can tell about the lines it reads. The plugin itself never
// reports anything (a user's file is read as well as it can be, silently);
// a tool such as kestrix-check installs an observer to hear about every line
// that was skipped, names that resolved to nothing and values that were
// questionable.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

enum class NoteKind {
    Skipped,     // the line was not used at all
    Unresolved,  // a name resolved to nothing the board can use
    Warning,     // the line was used, but part of it was ignored or doubtful
    Disabled,    // the line was switched off on purpose ("not_selected")
};

struct ParseNote {
    NoteKind kind = NoteKind::Warning;
    std::size_t line = 0;  // 1-based line of the board text (its non-empty lines); 0: none
    std::string text;      // that line
    std::string reason;
};

using ParseObserver = std::function<void(const ParseNote&)>;

// Installs the observer for the parses that follow; an empty one (the
// default) switches reporting off.
void SetParseObserver(ParseObserver observer);
bool ParseObserved();
void ReportNote(const ParseNote& note);

const char* NoteKindName(NoteKind kind);

// How a problem of a data.cfg line is worded, the same in kestrix-check and
// in the plugin's log: "line 12: skipped: " and the reason, with bytes that
// are not printable as \xNN. line is the line's number in the file.
std::string NoteHeading(std::size_t line, const ParseNote& note);
