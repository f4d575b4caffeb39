// kestrix-check: reads a data.cfg with the plugin's own loader and parser,
// outside the simulator, and reports what the plugin would make of it.
//
//   kestrix-check <data.cfg> [--datarefs FILE] [--commands FILE] [--log]
//
// The simulator's names come from the files given, or else from the
// DataRefs.txt and Commands.txt in Resources/plugins of the simulator the
// file sits in; names no list could hold are not checked. Exit status:
// 0 no problems, 1 problems found, 2 the file or a list could not be read.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/regular_file.h"
#include "base/text.h"
#include "check_report.h"
#include "config/board_tables.h"
#include "config/load_config.h"
#include "config/parser.h"
#include "custom/custom_refs.h"
#include "file_access.h"
#include "name_lists.h"
#include "simhost.h"

namespace {

struct Options {
    std::string config;
    kestrix_check::NameLists lists;
    bool log = false;
    bool help = false;
};

const char* kUsage =
    "usage: kestrix-check <data.cfg> [--datarefs FILE] [--commands FILE] [--log]\n"
    "Shows how Kestrix reads a data.cfg and every line it skips or cannot resolve.\n"
    "  --datarefs, --commands  the simulator's DataRefs.txt and Commands.txt; by\n"
    "                          default those in Resources/plugins of the simulator\n"
    "                          the file sits in (found by walking up from it)\n"
    "  --log                   also show what the plugin writes to its log\n"
    "  --help                  this text\n"
    "Exit status: 0 no problem, 1 problems found, 2 a file could not be read.\n";

bool ParseOptions(const std::vector<std::string>& args, Options& options) {
    for (std::size_t k = 1; k < args.size(); ++k) {
        const std::string& arg = args[k];
        if ((arg == "--datarefs" || arg == "--commands") && k + 1 < args.size()) {
            (arg == "--datarefs" ? options.lists.datarefs : options.lists.commands) = args[++k];
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
            return true;
        } else if (arg == "--log") {
            options.log = true;
        } else if (!arg.empty() && arg[0] != '-' && options.config.empty()) {
            options.config = arg;
        } else {
            return false;
        }
    }
    return !options.config.empty();
}

// Keeps the plugin's log lines (written to stderr) out of the report.
class QuietLog {
  public:
    explicit QuietLog(bool keep) {
        if (keep) return;
        std::fflush(stderr);
        saved_ = dup(STDERR_FILENO);
        const int null = open(kestrix_check::NullDevice(), O_WRONLY);
        if (null >= 0) {
            dup2(null, STDERR_FILENO);
            close(null);
        }
    }
    ~QuietLog() {
        if (saved_ < 0) return;
        std::fflush(stderr);
        dup2(saved_, STDERR_FILENO);
        close(saved_);
    }
    QuietLog(const QuietLog&) = delete;
    QuietLog& operator=(const QuietLog&) = delete;

  private:
    int saved_ = -1;
};

// The whole file, or false with the reason why not.
bool ReadWholeFile(const std::string& path, std::string& text, std::string& reason) {
    return ReadRegularFile(path, kMostTableFileBytes, &text, &reason) == FileRead::Done;
}

std::vector<std::string> FileLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool IsMultiDigit(const std::string& header) {
    return header.size() > 2 && std::isdigit(static_cast<unsigned char>(header[2]));
}

// Line n of the file as the loader sees it: trimmed, without a byte-order mark.
std::string FileText(const std::vector<std::string>& file, std::size_t line) {
    if (line < 1 || line > file.size()) return "";
    std::string text = file[line - 1];
    if (line == 1 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    return Trim(text);
}

kestrix_check::FileNote LoaderNote(std::size_t line, NoteKind kind, const std::string& text,
                                   const std::string& reason) {
    kestrix_check::FileNote note;
    note.line = line;
    note.note.kind = kind;
    note.note.text = text;
    note.note.reason = reason;
    return note;
}

// What the plugin's loader reads differently from an editor: a byte-order
// mark (skipped by the plugin, but a sign of an editor's setting that may
// bring other surprises) and carriage returns that end no line.
void NoteFileEncoding(const std::string& text, std::vector<kestrix_check::FileNote>& notes) {
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        notes.push_back(LoaderNote(1, NoteKind::Warning, "",
                                   "the file starts with a UTF-8 byte-order mark: save it as "
                                   "UTF-8 without one (the plugin skips it)"));
    }
    for (std::size_t k = 0; k < text.size(); ++k) {
        if (text[k] != '\r' || (k + 1 < text.size() && text[k + 1] == '\n')) continue;
        const std::size_t line = 1 + std::count(text.begin(), text.begin() + k, '\n');
        notes.push_back(LoaderNote(line, NoteKind::Warning, "",
                                   "a carriage return that is no line end: the plugin ends "
                                   "lines at line feeds only, so it reads this line and the "
                                   "next as one; save the file with LF or CR LF line ends"));
        return;
    }
}

// What only the whole file shows: sections no board can use, and lines the
// loader dropped because no section header came before them. Returns
// whether a board can use the section.
bool NoteSectionLines(std::size_t k, const SectionLines& section,
                      const std::vector<std::string>& file,
                      std::vector<kestrix_check::FileNote>& notes) {
    const unsigned id = ArduinoID[k];
    const std::string header = FileText(file, section.header);
    const auto earlier = ArduinoID.begin() + static_cast<std::ptrdiff_t>(k);
    if (id < 1 || id > 9) {
        notes.push_back(LoaderNote(section.header, NoteKind::Skipped, header,
                                   "a board number is one digit from 1 to 9: no board uses "
                                   "this section"));
        return false;
    }
    if (std::find(ArduinoID.begin(), earlier, id) != earlier) {
        notes.push_back(LoaderNote(section.header, NoteKind::Skipped, header,
                                   "an earlier section has this board number: no board uses "
                                   "this one"));
        return false;
    }
    if (IsMultiDigit(header)) {
        notes.push_back(LoaderNote(
            section.header, NoteKind::Warning, header,
            "a board number has one digit: this is the section of board " + std::to_string(id)));
    }
    for (std::size_t line : section.outside) {
        const std::string text = FileText(file, line);
        if (text.size() <= 2 || text[0] == '#' || text[0] == '/' || text[0] == '!') continue;
        notes.push_back(LoaderNote(line, NoteKind::Skipped, text,
                                   "outside any section: an [A], [I] or [O] header must come "
                                   "first"));
    }
    return true;
}

bool IsEmpty(const Board& board) {
    return board.Inputs.empty() && board.Outputs.empty() && board.OutputModeLed.empty();
}

int CheckSection(std::size_t k, const SectionLines& section, const std::vector<std::string>& file,
                 bool keepLog, const std::set<std::string>& unchecked) {
    std::vector<kestrix_check::FileNote> notes;
    const bool usable = NoteSectionLines(k, section, file, notes);
    SetParseObserver([&](const ParseNote& note) {
        notes.push_back(kestrix_check::FileNote{kestrix_check::FileLine(section, note.line), note});
    });
    {
        QuietLog quiet(keepLog);
        ReadConfigFile(ArduinoConfigFile[k], k, ArduinoID[k], MessageSource{});
    }
    SetParseObserver(nullptr);
    if (usable && IsEmpty(Boards[k])) {
        notes.push_back(LoaderNote(section.header, NoteKind::Warning,
                                   FileText(file, section.header),
                                   "the section has no inputs and no outputs: the board does "
                                   "nothing"));
    }
    std::cout << "\nBoard " << kestrix_check::Printable(FileText(file, section.header)) << " (line "
              << section.header << ")\n";
    kestrix_check::PrintBoard(std::cout, Boards[k], ArduinoID[k], unchecked);
    int problems = 0;
    for (const kestrix_check::FileNote& note : notes)
        problems += kestrix_check::IsProblem(note.note) ? 1 : 0;
    if (notes.empty()) {
        std::cout << "  no line skipped, "
                  << (unchecked.empty() ? "every name resolved" : "names not checked") << "\n";
    } else {
        std::cout << "  lines to look at:\n";
        kestrix_check::PrintNotes(std::cout, notes);
    }
    return problems;
}

// Loads the lists found or given; false (after saying why) when one given
// or found cannot be read.
bool LoadNameLists(const kestrix_check::NameLists& lists, int& datarefs, int& commands) {
    std::string datarefText, commandText, reason;
    for (const auto& [path, text] :
         {std::pair{lists.datarefs, &datarefText}, std::pair{lists.commands, &commandText}}) {
        if (path.empty() || ReadWholeFile(path, *text, reason)) continue;
        std::cerr << "kestrix-check: cannot read " << path << ": " << reason << "\n";
        return false;
    }
    datarefs = lists.datarefs.empty() ? 0 : simhost::AddDataRefTableText(datarefText);
    commands = lists.commands.empty() ? 0 : simhost::AddCommandTableText(commandText);
    return true;
}

// What the names are checked against, and which are not checked at all.
void PrintNameSources(const Options& options, int datarefs, int commands) {
    const kestrix_check::NameLists& lists = options.lists;
    std::cout << "Checking " << options.config;
    if (!lists.datarefs.empty() && !lists.commands.empty()) {
        std::cout << " against " << datarefs << " datarefs and " << commands << " commands";
    } else if (!lists.datarefs.empty()) {
        std::cout << " against " << datarefs << " datarefs";
    } else if (!lists.commands.empty()) {
        std::cout << " against " << commands << " commands";
    }
    if (!lists.found.empty()) std::cout << " of the simulator in " << lists.found;
    std::cout << "\n";
    if (!lists.datarefs.empty() && !lists.commands.empty()) return;
    const bool neither = lists.datarefs.empty() && lists.commands.empty();
    const std::string missing = neither                  ? "DataRefs.txt or Commands.txt"
                                : lists.datarefs.empty() ? "DataRefs.txt"
                                                         : "Commands.txt";
    std::cout << (neither                  ? "Names"
                  : lists.datarefs.empty() ? "Dataref names"
                                           : "Command names")
              << " were not checked: no " << missing
              << " found in the Resources/plugins folder of a simulator above this file; give "
                 "the lists with --datarefs and --commands\n";
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(kestrix_check::Utf8Arguments(argc, argv), options)) {
        std::cerr << kUsage;
        return 2;
    }
    if (options.help) {
        std::cout << kUsage;
        return 0;
    }
    std::string text, reason;
    if (!ReadWholeFile(options.config, text, reason)) {
        std::cerr << "kestrix-check: cannot read " << options.config << ": " << reason << "\n";
        return 2;
    }
    kestrix_check::FindSimulatorLists(options.config, options.lists);
    int datarefs = 0, commands = 0;
    if (!LoadNameLists(options.lists, datarefs, commands)) return 2;
    {
        // The plugin's own datarefs and commands are names as real as the simulator's.
        QuietLog quiet(options.log);
        InitiateCustom();
    }
    PrintNameSources(options, datarefs, commands);

    std::vector<SectionLines> sections;
    {
        QuietLog quiet(options.log);
        std::istringstream in(text);
        CutConfigSections(in, &sections);
    }
    const std::set<std::string> unchecked = kestrix_check::AddUncheckedNames(
        ArduinoConfigFile, !options.lists.datarefs.empty(), !options.lists.commands.empty());
    const std::vector<std::string> lines = FileLines(text);
    int problems = 0;
    std::vector<kestrix_check::FileNote> fileNotes;
    NoteFileEncoding(text, fileNotes);
    if (!fileNotes.empty()) {
        std::cout << "\nThe file:\n";
        kestrix_check::PrintNotes(std::cout, fileNotes);
        problems += static_cast<int>(fileNotes.size());
    }
    if (sections.empty()) {
        std::cout << "\nNo board section: a section starts with a line \"*\" and the board "
                     "number, for example *1\n";
        problems = 1;
    }
    for (std::size_t k = 0; k < sections.size(); ++k) {
        problems += CheckSection(k, sections[k], lines, options.log, unchecked);
    }
    std::cout << "\n" << problems << (problems == 1 ? " problem" : " problems") << " found\n";
    return problems > 0 ? 1 : 0;
}
