// kestrix-check: reads a data.cfg with the plugin's own loader and parser,
// outside the simulator, and reports what the plugin would make of it.
//
//   kestrix-check <data.cfg> [--datarefs FILE] [--commands FILE] [--log]
//
// The simulator's names come from the project's copies of DataRefs.txt and
// Commands.txt, or from the files given (the simulator's own are in its
// Resources/plugins folder). Exit status: 0 no problems, 1 problems found,
// 2 the file or a table could not be read.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "base/text.h"
#include "check_report.h"
#include "config/board_tables.h"
#include "config/load_config.h"
#include "config/parser.h"
#include "simhost.h"

namespace {

struct Options {
    std::string config;
    std::string datarefs = std::string(KESTRIX_SIM_DATA_DIR) + "/DataRefs.txt";
    std::string commands = std::string(KESTRIX_SIM_DATA_DIR) + "/Commands.txt";
    bool log = false;
};

const char* kUsage =
    "usage: kestrix-check <data.cfg> [--datarefs FILE] [--commands FILE] [--log]\n"
    "  --datarefs, --commands  the simulator's DataRefs.txt and Commands.txt\n"
    "                          (Resources/plugins in the simulator's folder)\n"
    "  --log                   also show what the plugin writes to its log\n";

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int k = 1; k < argc; ++k) {
        const std::string arg = argv[k];
        if ((arg == "--datarefs" || arg == "--commands") && k + 1 < argc) {
            (arg == "--datarefs" ? options.datarefs : options.commands) = argv[++k];
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
        const int null = open("/dev/null", O_WRONLY);
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

std::vector<std::string> FileLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool IsMultiDigit(const std::string& header) {
    return header.size() > 2 && std::isdigit(static_cast<unsigned char>(header[2]));
}

std::string FileText(const std::vector<std::string>& file, std::size_t line) {
    return line >= 1 && line <= file.size() ? Trim(file[line - 1]) : std::string();
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

// What only the whole file shows: sections no board can use, and lines the
// loader dropped because no section header came before them.
void NoteSectionLines(std::size_t k, const SectionLines& section,
                      const std::vector<std::string>& file,
                      std::vector<kestrix_check::FileNote>& notes) {
    const unsigned id = ArduinoID[k];
    const std::string header = FileText(file, section.header);
    const auto earlier = ArduinoID.begin() + static_cast<std::ptrdiff_t>(k);
    if (id < 1 || id > 9) {
        notes.push_back(LoaderNote(section.header, NoteKind::Skipped, header,
                                   "a board number is one digit from 1 to 9: no board uses "
                                   "this section"));
        return;
    }
    if (std::find(ArduinoID.begin(), earlier, id) != earlier) {
        notes.push_back(LoaderNote(section.header, NoteKind::Skipped, header,
                                   "an earlier section has this board number: no board uses "
                                   "this one"));
        return;
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
}

int CheckSection(std::size_t k, const SectionLines& section, const std::vector<std::string>& file,
                 bool keepLog) {
    std::vector<kestrix_check::FileNote> notes;
    NoteSectionLines(k, section, file, notes);
    SetParseObserver([&](const ParseNote& note) {
        notes.push_back(kestrix_check::FileNote{kestrix_check::FileLine(section, note.line), note});
    });
    {
        QuietLog quiet(keepLog);
        ReadConfigFile(ArduinoConfigFile[k], k, ArduinoID[k], MessageSource{});
    }
    SetParseObserver(nullptr);
    std::cout << "\nBoard " << FileText(file, section.header) << " (line " << section.header
              << ")\n";
    kestrix_check::PrintBoard(std::cout, Boards[k], ArduinoID[k]);
    int problems = 0;
    for (const kestrix_check::FileNote& note : notes)
        problems += kestrix_check::IsProblem(note.note) ? 1 : 0;
    if (notes.empty()) {
        std::cout << "  no line skipped, every name resolved\n";
    } else {
        std::cout << "  lines to look at:\n";
        kestrix_check::PrintNotes(std::cout, notes);
    }
    return problems;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::cerr << kUsage;
        return 2;
    }
    std::ifstream file(options.config);
    if (!file) {
        std::cerr << "kestrix-check: cannot read " << options.config << "\n";
        return 2;
    }
    const std::string text((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    const int datarefs = simhost::LoadDataRefTable(options.datarefs);
    const int commands = simhost::LoadCommandTable(options.commands);
    if (datarefs < 0 || commands < 0) {
        std::cerr << "kestrix-check: cannot read "
                  << (datarefs < 0 ? options.datarefs : options.commands) << "\n";
        return 2;
    }
    std::cout << "Checking " << options.config << " against " << datarefs << " datarefs and "
              << commands << " commands\n";

    std::vector<SectionLines> sections;
    {
        QuietLog quiet(options.log);
        std::istringstream in(text);
        CutConfigSections(in, &sections);
    }
    const std::vector<std::string> lines = FileLines(text);
    int problems = 0;
    if (sections.empty()) {
        std::cout << "\nNo board section: a section starts with a line \"*\" and the board "
                     "number, for example *1\n";
        problems = 1;
    }
    for (std::size_t k = 0; k < sections.size(); ++k) {
        problems += CheckSection(k, sections[k], lines, options.log);
    }
    std::cout << "\n" << problems << (problems == 1 ? " problem" : " problems") << " found\n";
    return problems > 0 ? 1 : 0;
}
