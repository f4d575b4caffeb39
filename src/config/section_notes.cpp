#include "config/section_notes.h"

#include <algorithm>
#include <string>
#include <vector>

#include "base/log.h"
#include "base/log_once.h"
#include "base/text.h"
#include "config/board_tables.h"
#include "config/load_config.h"
#include "config/parse_report.h"
#include "config/parser.h"

namespace {

struct FileNote {
    std::size_t line = 0;  // in data.cfg; 0 when the section's lines are not known
    ParseNote note;
};

// Line n (1-based) of a section's text is the n-th line the loader stored.
std::size_t FileLineOf(std::size_t k, std::size_t n) {
    const std::vector<SectionLines>& sections = LoadedSectionLines();
    if (k >= sections.size() || n == 0 || n > sections[k].stored.size()) return 0;
    return sections[k].stored[n - 1];
}

// All of a section's notes in one text, written at once: a section of a
// thousand doubtful lines is one write, not two thousand.
void LogNotes(std::vector<FileNote>& notes) {
    if (notes.empty()) return;
    std::stable_sort(notes.begin(), notes.end(),
                     [](const FileNote& a, const FileNote& b) { return a.line < b.line; });
    std::string text;
    for (const FileNote& n : notes) {
        text += "\ndata.cfg ";
        text += NoteHeading(n.line, n.note);
        if (n.note.text.empty()) continue;
        text += "\n      ";
        text += PrintableText(n.note.text);
    }
    LogTogether(text);
}

}  // namespace

void ReadConfigSection(std::size_t k, std::size_t b, unsigned id, const MessageSource& source) {
    const std::string& text = ArduinoConfigFile.at(k);
    // A tool that watches the parse itself keeps its observer; so does a
    // section whose lines were told already.
    const std::string cause =
        std::string(kDataCfgCause) + "section " + Decimal(static_cast<long long>(k));
    if (ParseObserved() || !FirstTimeFor(cause)) {
        ReadConfigFile(text, b, id, source);
        return;
    }
    std::vector<FileNote> notes;
    SetParseObserver([&](const ParseNote& note) {
        // Lines switched off on purpose are no problem.
        if (note.kind != NoteKind::Disabled)
            notes.push_back(FileNote{FileLineOf(k, note.line), note});
    });
    try {
        ReadConfigFile(text, b, id, source);
    } catch (...) {
        SetParseObserver(nullptr);
        throw;
    }
    SetParseObserver(nullptr);
    LogNotes(notes);
}
