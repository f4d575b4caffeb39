#include "config/parse_report.h"

#include <utility>

#include "base/log.h"
#include "base/text.h"

namespace {

ParseObserver& Observer() {
    static ParseObserver observer;
    return observer;
}

}  // namespace

void SetParseObserver(ParseObserver observer) {
    Observer() = std::move(observer);
}

bool ParseObserved() {
    return static_cast<bool>(Observer());
}

void ReportNote(const ParseNote& note) {
    if (Observer()) Observer()(note);
}

const char* NoteKindName(NoteKind kind) {
    switch (kind) {
        case NoteKind::Skipped:
            return "skipped";
        case NoteKind::Unresolved:
            return "not resolved";
        case NoteKind::Warning:
            return "warning";
        case NoteKind::Disabled:
            return "switched off";
    }
    return "note";
}

std::string NoteHeading(std::size_t line, const ParseNote& note) {
    return "line " + Decimal(static_cast<long long>(line)) + ": " + NoteKindName(note.kind) + ": " +
           PrintableText(note.reason);
}
