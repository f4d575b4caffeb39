#include "config/load_config.h"

#include <cstring>
#include <sstream>
#include <string>

#include "XPLMPlanes.h"
#include "base/log.h"
#include "base/log_once.h"
#include "base/paths.h"
#include "base/regular_file.h"
#include "base/settings.h"
#include "base/text.h"
#include "config/board_tables.h"

namespace {

constexpr std::size_t kAircraftFileNameSize = 512;

// Where the lines of each section of the file last read came from.
std::vector<SectionLines> loadedSections;

// The aircraft's folder: the path up to its last "/" or "\" after the first
// character, or the whole path when it has none.
std::string FolderOf(const std::string& path) {
    for (std::size_t k = path.size(); k-- > 1;) {
        if (path[k] == '/' || path[k] == '\\') return path.substr(0, k);
    }
    return path;
}

// The whole file, when it is one that can be read (a directory, a FIFO or a
// file beyond any real data.cfg's size is not).
bool ReadDataCfg(const std::string& path, std::string* text) {
    return ReadPluginFile(path, kMostTableFileBytes, text) == FileRead::Done;
}

// Editors on Windows may start a UTF-8 file with a byte-order mark, which
// would hide the first line's "*".
void DropByteOrderMark(std::string& line) {
    if (line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
}

// The character after the first, or a zero byte when the line has only one.
char SecondChar(const std::string& line) {
    return line.size() > 1 ? line[1] : '\0';
}

void StartSection(unsigned board, std::size_t number, std::vector<SectionLines>* lines) {
    ArduinoConfigFile.emplace_back();
    ArduinoID.push_back(board);
    if (!lines) return;
    lines->emplace_back();
    lines->back().header = number;
}

// Where a line of the current section went, for a report.
void RecordLine(std::vector<SectionLines>* lines, std::size_t number, bool stored) {
    if (!lines || lines->empty()) return;
    (stored ? lines->back().stored : lines->back().outside).push_back(number);
}

}  // namespace

void LoadConfig() {
    // What was said about the file read before is said again about this one.
    ForgetLoggedCauses(kDataCfgCause);
    loadedSections.clear();
    std::memset(paths.cwd, 0, sizeof paths.cwd);
    char fileName[kAircraftFileNameSize] = {};
    XPLMGetNthAircraftModel(XPLM_USER_AIRCRAFT, fileName, paths.cwd);
    paths.cwd[sizeof paths.cwd - 1] = '\0';
    // Without an aircraft there is no folder to look in (not the root's
    // "/data.cfg").
    const bool aircraftKnown = paths.cwd[0] != '\0';
    const std::string aircraftFile = InFolder(FolderOf(paths.cwd), "data.cfg");
    const std::string beside = aircraftKnown ? "beside the aircraft (" + aircraftFile + ")"
                                             : "beside an aircraft (none is loaded)";
    paths.filepath = aircraftFile;
    std::string text;
    const bool inAircraft = aircraftKnown && ReadDataCfg(paths.filepath, &text);
    if (!inAircraft) paths.filepath = InFolder(paths.foldername, "data.cfg");
    const bool found = inAircraft || ReadDataCfg(paths.filepath, &text);
    if (!inAircraft && found) Log("\nNo data.cfg " + beside + ": using " + paths.filepath);
    Log("\nConfig file: " + paths.filepath);
    if (!found) {
        Log("\nNo data.cfg was read: there is none " + beside + " nor in the plugin folder (" +
            paths.filepath + "); numbered boards get no inputs and no outputs");
        return;
    }
    std::istringstream file(text);
    CutConfigSections(file, &loadedSections);
}

const std::vector<SectionLines>& LoadedSectionLines() {
    return loadedSections;
}

void CutConfigSections(std::istream& file, std::vector<SectionLines>* lines) {
    char section = '0';
    bool info = false;  // inside an "@info" block
    int board = 0;
    std::size_t number = 0;
    for (std::string line; std::getline(file, line);) {
        if (++number == 1) DropByteOrderMark(line);
        line = Trim(line);
        const char first = line.empty() ? '\0' : line[0];
        if (first == '*') {
            board = SecondChar(line) - '0';
            StartSection(static_cast<unsigned>(board), number, lines);
            Log("\nReading config for board #" + Decimal(board));
            continue;
        }
        if (first == '[') {
            section = SecondChar(line);
            info = false;
        }
        if (first == '@') {
            if (Trim(line.substr(1)) == "info") {
                section = '0';
                info = true;
            }
            continue;
        }
        const bool stored = section != '0' && board != 0 && !ArduinoConfigFile.empty();
        if (stored) ArduinoConfigFile.back() += line + "\n";
        if (!line.empty() && !info) RecordLine(lines, number, stored);
    }
}
