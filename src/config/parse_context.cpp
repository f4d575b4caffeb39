#include "config/parse_context.h"

#include "base/guard.h"
#include "base/log.h"

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

void NoteLimitReached(const ParseContext& parse, bool& reported, const char* what,
                      std::size_t limit) {
    if (reported) return;
    reported = true;
    const std::string count = Decimal(static_cast<long long>(limit));
    Log("\nBoard #" + Decimal(parse.id) + ": more than " + count + " " + what +
        ", the rest are ignored");
    Note(parse, NoteKind::Warning,
         std::string("a board has at most ") + count + " " + what +
             ": this line and the rest are ignored");
}

void ReportAbandonedLine(const TextLine& line, const char* what) noexcept {
    LogGuardedFault("data.cfg line", what);
    try {
        NoteAt(line, NoteKind::Skipped, std::string("abandoned: ") + what);
    } catch (...) {
        // Out of memory while reporting: the log line above has to do.
    }
}
