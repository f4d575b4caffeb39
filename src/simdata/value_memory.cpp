#include "simdata/value_memory.h"

#include <locale>
#include <sstream>

#include "base/log.h"
#include "base/paths.h"
#include "base/regular_file.h"
#include "base/settings.h"
#include "base/text.h"
#include "config/board_tables.h"
#include "simdata/dataref_access.h"

namespace {

struct MemoryLine {
    std::string key;
    std::string values;  // without the line end
    bool hasSpace = false;
};

// Lines end at "\n"; a "\r" before it belongs to the line end.
std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

MemoryLine SplitLine(const std::string& line) {
    MemoryLine split;
    const std::size_t space = line.find(' ');
    split.hasSpace = space != std::string::npos;
    split.key = line.substr(0, space);
    if (split.hasSpace) split.values = line.substr(space + 1);
    return split;
}

std::string JoinedValues(const std::string& newest, const std::string& oldValues, float keep) {
    std::string joined = newest;
    int written = 1;
    for (const std::string& old : SplitBy(oldValues, ',')) {
        if (!(static_cast<float>(written) < keep)) break;
        joined += "," + old;
        ++written;
    }
    return joined;
}

// The whole file. A file that does not end with a line end was cut short (a
// crash while it was written by something else, a full disk): its last line
// is used as far as it goes.
FileRead ReadMemoryFile(const std::string& path, std::string* text) {
    const FileRead result = ReadPluginFile(path, kMostSmallFileBytes, text);
    if (result == FileRead::Done && !text->empty() && text->back() != '\n') {
        Log("\nValue memory " + path + " ends in an unfinished line");
    }
    return result;
}

// Written beside the file and renamed over it, so a failed write leaves the
// old content whole.
void WriteMemoryFile(const std::string& path, const std::string& text) {
    if (!ReplaceRegularFile(path, text)) Log("\nValue memory: cannot write " + path);
}

const BoardInput* InputAt(unsigned board, unsigned input) {
    if (board >= Boards.size() || input >= Boards[board].Inputs.size()) return nullptr;
    return &Boards[board].Inputs[input];
}

// The input's key without its kind letter.
std::string MemoryKey(const BoardInput& in) {
    return in.Datatags.size() > 1 ? in.Datatags.substr(1) : std::string();
}

}  // namespace

std::string MemoryPath(unsigned board) {
    return InFolder(paths.foldername, "memory" + Decimal(board) + ".txt");
}

std::string FormatMemoryValue(float value) {
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << static_cast<double>(value);
    return text.str();
}

std::string TextAfterSave(const std::string& text, const std::string& key,
                          const std::string& valueText, float keep) {
    std::string result;
    bool found = false;
    for (const std::string& line : LinesOf(text)) {
        const MemoryLine split = SplitLine(line);
        if (split.key == key) {
            found = true;
            result += key + " " + JoinedValues(valueText, split.values, keep) + "\r\n";
        } else {
            result += line + "\r\n";
        }
    }
    if (!found) result += key + " " + valueText + "\r\n";
    return result;
}

bool ValuesUnder(const std::string& text, const std::string& key,
                 std::vector<std::string>* values) {
    for (const std::string& line : LinesOf(text)) {
        const MemoryLine split = SplitLine(line);
        if (split.key != key) continue;
        *values = SplitBy(split.values, ',');
        return true;
    }
    return false;
}

void SaveDataref(unsigned board, unsigned input, unsigned element) {
    const BoardInput* in = InputAt(board, input);
    if (in == nullptr) return;
    const std::string path = MemoryPath(board);
    const std::string value = FormatMemoryValue(ReadDataref(board, input, element));
    std::string text;
    // A file that is there but cannot be read would lose its history.
    if (ReadMemoryFile(path, &text) == FileRead::Refused) return;
    WriteMemoryFile(path, TextAfterSave(text, MemoryKey(*in), value, in->InputDefault));
}

void RestoreDataref(unsigned board, unsigned input, unsigned element) {
    const BoardInput* in = InputAt(board, input);
    if (in == nullptr) return;
    std::string text;
    std::vector<std::string> values;
    if (ReadMemoryFile(MemoryPath(board), &text) != FileRead::Done ||
        !ValuesUnder(text, MemoryKey(*in), &values)) {
        return;
    }
    const float n = static_cast<float>(values.size());
    // The cursor counts from 1; one below that (or not a number) starts
    // again from the newest rather than reading before the list.
    float cursor = in->InputDefault >= 1.0f ? in->InputDefault : 1.0f;
    if (cursor <= n) {
        float value = 0;
        if (ReadNumber(values[static_cast<std::size_t>(cursor) - 1], value)) {
            WriteDataref(board, input, element, value);
        }
        cursor += 1.0f;
    }
    Boards[board].Inputs[input].InputDefault = cursor > n ? 1.0f : cursor;
}
