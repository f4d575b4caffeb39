#include "config/meaning_checks.h"

#include "base/text.h"
#include "config/parse_report.h"

namespace {

const char kForeignSeparators[] = ";:|/\\";

bool IsForeignSeparator(char c) {
    for (const char* s = kForeignSeparators; *s; ++s) {
        if (c == *s) return true;
    }
    return false;
}

// A number as a value field or range holds it; the first may end in the
// "+" or "-" of a step.
bool IsNumberPart(std::string part, bool first) {
    if (first && part.size() > 1 && (part.back() == '+' || part.back() == '-')) part.pop_back();
    char* stop = nullptr;
    StrtodC(part.c_str(), &stop);
    return stop != part.c_str() && *stop == '\0';
}

std::string Joined(const std::vector<std::string>& tokens, std::size_t from) {
    std::string text;
    for (std::size_t k = from; k < tokens.size(); ++k) text += (k > from ? " " : "") + tokens[k];
    return text;
}

}  // namespace

void CheckExtraWords(const ParseContext& parse, const std::vector<std::string>& tokens,
                     std::size_t used, const char* lastField) {
    if (!ParseObserved() || tokens.size() <= used) return;
    Note(parse, NoteKind::Warning,
         "\"" + Joined(tokens, used) + "\" after the last field (" + lastField + ") is never read");
}

bool CheckSeparators(const ParseContext& parse, const std::string& field) {
    if (!ParseObserved()) return false;  // the plugin parses without copying the field
    std::string commas = field;
    char separator = 0;
    for (char& c : commas) {
        if (!IsForeignSeparator(c)) continue;
        if (separator == 0) separator = c;
        c = ',';
    }
    if (separator == 0) return false;
    const std::vector<std::string> parts = SplitBy(commas, ',');
    if (parts.size() < 2) return false;
    for (std::size_t k = 0; k < parts.size(); ++k) {
        if (!IsNumberPart(parts[k], k == 0)) return false;
    }
    Note(parse, NoteKind::Warning,
         "\"" + field + "\" has \"" + std::string(1, separator) +
             "\" between its numbers: only commas separate them (" + commas + ")");
    return true;
}

void CheckModeLine(const ParseContext& parse, const std::vector<std::string>& tokens) {
    if (!ParseObserved()) return;
    const std::string& name = tokens[1];
    if (name.find('=') != std::string::npos) return;
    const bool dataref =
        name.find('/') != std::string::npos || XPLMFindDataRef(name.c_str()) != nullptr;
    if (!dataref) return;
    Note(parse, NoteKind::Warning,
         "a key and a dataref alone make a mode line, not an output: an output needs its "
         "precision before the dataref (0 for an LED)");
}

void CheckAnalogRange(const ParseContext& parse, std::size_t rangeSize) {
    if (!ParseObserved() || rangeSize >= 2) return;
    Note(parse, NoteKind::Warning,
         "an analog input without a range writes its reading as 0 to 1: give the dataref's "
         "range after the name (for example 0,1 or -1,1)");
}

void CheckWritable(const ParseContext& parse, const std::string& key, const std::string& name,
                   XPLMDataRef dataref) {
    if (!ParseObserved() || key.empty() || key[0] == 'M') return;
    if (XPLMCanWriteDataRef(dataref)) return;
    Note(parse, NoteKind::Warning,
         "dataref \"" + name + "\" is read-only: the input changes nothing");
}
