#include "config/parse_report.h"

#include <utility>

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
