// Fuzz target: a data.cfg text through the loader and the parser, then
// through what reads the parser's tables when a board connects (the upload,
// the settings replies, the mode messages; the socket is closed, so every
// send fails harmlessly).
//
// Every section is parsed as the board numbered in the file would be, with
// the parse observer that kestrix-check installs, then again as a new board
// with id 0, the way a self-configuring board's text is read, and finally
// the first board is parsed again in place, as when it identifies itself a
// second time.
//
// Then the text is written as the aircraft's data.cfg and read the way the
// plugin reads it: loaded, and each section read as its board identifies
// itself, twice, with the log lines about skipped and unresolved lines
// (the second time they stay quiet). Every line number such a log line
// names must be a line of the file.
#include <netinet/in.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/text.h"
#include "config/board_tables.h"
#include "config/load_config.h"
#include "config/parse_report.h"
#include "config/parser.h"
#include "config/section_notes.h"
#include "fuzz_support.h"
#include "protocol/identification.h"
#include "protocol/upload.h"
#include "simhost.h"

namespace {

// A LAN board at 127.0.0.2: replies and uploads go to its address.
MessageSource BoardSource() {
    sockaddr_in sender{};
    sender.sin_family = AF_INET;
    sender.sin_port = htons(50000);
    sender.sin_addr.s_addr = htonl(0x7F000002);
    MessageSource source;
    source.sender = sender;
    return source;
}

// What a connected board asks for: the upload, its settings, its outputs.
void ServeBoard(unsigned b, const MessageSource& source) {
    SendConfig(source, b);
    SendAnalogSettings(b, source);
    SendSevenSegmentSettings(b, source);
    SendStepperSettings(b, source);
    OutputsOn(b, source);
    OutputsOff(b);
}

// kestrix-check names a note's line through the section's stored lines:
// line n of the board text is the n-th non-empty line stored for it.
void ParseAsNumbered(std::size_t k, const SectionLines& lines, const MessageSource& source) {
    SetParseObserver([&](const ParseNote& note) {
        if (note.line > lines.stored.size()) std::abort();  // a line the file does not have
    });
    ReadConfigFile(ArduinoConfigFile[k], Boards.size(), ArduinoID[k], source);
    SetParseObserver(nullptr);
    ServeBoard(static_cast<unsigned>(Boards.size() - 1), source);
}

void ParseAsSelfConfiguring(const std::string& section, const MessageSource& source) {
    std::string text = section;
    if (!StartsWith(text, "[")) text = "[O]\n" + text;
    ReadConfigFile(text, Boards.size(), 0, source);
    ServeBoard(static_cast<unsigned>(Boards.size() - 1), source);
}

// The folder of the aircraft whose data.cfg the plugin reads.
std::string aircraftDir;

void RemoveAircraftDir() {
    unlink((aircraftDir + "data.cfg").c_str());
    rmdir(aircraftDir.c_str());
}

// The largest line number the headings of a Log.txt text name (a section's
// notes come as one text of many lines), or -1. A heading begins its log
// line; the words may also stand in the quoted text of a line, indented.
long LoggedLineNumber(const std::string& text) {
    static const std::string kHeading = "Kestrix: data.cfg line ";
    long largest = -1;
    for (std::size_t at = text.find(kHeading); at != std::string::npos;
         at = text.find(kHeading, at + 1)) {
        if (at > 0 && text[at - 1] != '\n') continue;
        largest = std::max(largest, std::strtol(text.c_str() + at + kHeading.size(), nullptr, 10));
    }
    return largest;
}

void ReadAsThePluginDoes(const uint8_t* data, std::size_t size, const MessageSource& source) {
    {
        std::ofstream file(aircraftDir + "data.cfg", std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    // As a reconnect does: the tables go, then the file is read again.
    const std::vector<std::string> cut = ArduinoConfigFile;
    ClearBoardTables();
    LoadConfig();
    if (ArduinoConfigFile != cut) std::abort();  // the same bytes cut otherwise

    long fileLines = 1;
    for (std::size_t k = 0; k < size; ++k) fileLines += data[k] == '\n';
    simhost::SetDebugStringObserver([fileLines](const std::string& text) {
        if (LoggedLineNumber(text) > fileLines) std::abort();  // a line the file does not have
    });
    for (int pass = 0; pass < 2; ++pass) {
        for (std::size_t k = 0; k < ArduinoConfigFile.size(); ++k) {
            ReadConfigSection(k, Boards.size(), ArduinoID[k], source);
        }
    }
    simhost::SetDebugStringObserver(nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char dir[] = "/tmp/kestrix-fuzz-aircraft-XXXXXX";
    if (mkdtemp(dir) == nullptr) {
        std::perror("data.cfg fuzzer: mkdtemp");
        std::abort();
    }
    aircraftDir = std::string(dir) + "/";
    std::atexit(RemoveAircraftDir);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz::FreshPlugin();
    std::istringstream file(std::string(reinterpret_cast<const char*>(data), size));
    std::vector<SectionLines> lines;
    CutConfigSections(file, &lines);
    if (lines.size() != ArduinoConfigFile.size()) std::abort();

    const MessageSource source = BoardSource();
    for (std::size_t k = 0; k < ArduinoConfigFile.size(); ++k) {
        ParseAsNumbered(k, lines[k], source);
    }
    for (std::size_t k = 0; k < ArduinoConfigFile.size(); ++k) {
        ParseAsSelfConfiguring(ArduinoConfigFile[k], source);
    }
    if (!ArduinoConfigFile.empty()) {
        ReadConfigFile(ArduinoConfigFile[0], 0, ArduinoID[0], source);
        ServeBoard(0, source);
    }
    simhost::SetAircraftPath(aircraftDir + "aircraft.acf");
    ReadAsThePluginDoes(data, size, source);
    return 0;
}
