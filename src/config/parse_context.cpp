#include "config/parse_context.h"

#include "base/guard.h"

void Note(const ParseContext& parse, NoteKind kind, const std::string& reason) {
    NoteAt(parse.current, kind, reason);
}

void NoteAt(const TextLine& line, NoteKind kind, const std::string& reason) {
    if (!ParseObserved()) return;
    ParseNote note;
    note.kind = kind;
    note.line = line.number;
    note.text = line.text;
    note.reason = reason;
    ReportNote(note);
}

void ReportAbandonedLine(const TextLine& line, const char* what) noexcept {
    LogGuardedFault("data.cfg line", what);
    try {
        NoteAt(line, NoteKind::Skipped, std::string("abandoned: ") + what);
    } catch (...) {
        // Out of memory while reporting: the log line above has to do.
    }
}
