#include "config/parser.h"

#include <algorithm>
#include <vector>

#include "base/text.h"
#include "config/board_tables.h"
#include "config/directives.h"
#include "config/inputs.h"
#include "config/outputs.h"
#include "config/parse_context.h"
#include "config/status_line.h"

std::string DebugAddress;

namespace {

bool IsCommentStart(char c) {
    return c == ' ' || c == '#' || c == '/' || c == '!';
}

// A new board is reached the way the message that identified it came in,
// and takes the next status line.
void RegisterNewBoard(Board& board, const MessageSource& source) {
    if (source.isSerial) {
        DebugAddress = "USB";
        board.UdpIP = sockaddr_in{};
        board.SerialIndex = source.port;
    } else {
        DebugAddress = "LAN";
        board.UdpIP = source.sender;
        board.SerialIndex = -1;
    }
    board.StatusLineNumber = ++message_line_number;
}

void ReadSectionHeader(ParseContext& parse, char letter) {
    parse.section = letter;
    if (letter == 'A' && parse.inputSections > 0) {
        Note(parse, NoteKind::Warning,
             "[A] after [I]: its switch groups, repeats, skips and analog defaults do not reach "
             "the inputs above");
    } else if (letter == 'I' && parse.inputSections++ > 0) {
        Note(parse, NoteKind::Warning, "a second [I] section: its inputs follow the first's");
    } else if (letter == 'O' && parse.outputSections++ > 0) {
        Note(parse, NoteKind::Warning, "a second [O] section: its outputs follow the first's");
    } else if (letter != 'A' && letter != 'I' && letter != 'O') {
        Note(parse, NoteKind::Skipped,
             std::string("section [") + letter + "] is not read: only [A], [I] and [O] are");
    }
}

void ReadLine(ParseContext& parse, const std::string& line) {
    if (line.size() <= 2 || IsCommentStart(line[0])) {
        if (!line.empty() && !IsCommentStart(line[0])) {
            Note(parse, NoteKind::Skipped, "a line needs more than two characters");
        }
        return;
    }
    if (line[0] == '[') {
        ReadSectionHeader(parse, line[1]);
        return;
    }
    switch (parse.section) {
        case 'A':
            ReadDirective(parse, SplitBy(line, ' '));
            break;
        case 'I':
            ReadInputLine(parse, line);
            break;
        case 'O':
            ReadOutputLine(parse, line);
            break;
        case '0':
            Note(parse, NoteKind::Skipped, "before the first section header");
            break;
        default:
            break;  // an unknown section, reported at its header
    }
}

// Sizes the board's input and output tables, and the parse's lists of their
// lines, once for the lines of sections I and O, rather than letting them
// grow line by line (a board may have a thousand outputs). A line that turns
// out to be a comment or a mode line only leaves some room unused.
void ReserveTables(ParseContext& parse, const std::vector<std::string>& lines) {
    std::size_t inputs = 0;
    std::size_t outputs = 0;
    char section = '0';
    for (const std::string& line : lines) {
        if (line.size() > 2 && line[0] == '[') {
            section = line[1];
        } else if (section == 'I') {
            ++inputs;
        } else if (section == 'O') {
            ++outputs;
        }
    }
    inputs = std::min(inputs, kMaxInputs);
    outputs = std::min(outputs, kMaxOutputs);
    Board& board = parse.board();
    board.Inputs.reserve(inputs);
    board.Outputs.reserve(outputs);
    parse.inputLines.reserve(inputs);
    parse.outputLines.reserve(outputs);
}

}  // namespace

void ReadConfigFile(const std::string& text, std::size_t b, unsigned id,
                    const MessageSource& source) {
    if (b > Boards.size()) return;
    const std::vector<std::string> lines = SplitBy(text, '\n');
    const bool added = BuildBoardRows(b, id);
    if (added) RegisterNewBoard(Boards[b], source);
    // A board read again keeps its own line, rather than taking over the
    // line of the board added last.
    const int n = Boards[b].StatusLineNumber;
    const std::string address = added ? DebugAddress : (Boards[b].SerialIndex >= 0 ? "USB" : "LAN");
    StartBoardStatusLine(n, address);

    ParseContext parse;
    parse.b = b;
    parse.id = id;
    ReserveTables(parse, lines);
    for (std::size_t k = 0; k < lines.size(); ++k) {
        parse.current = TextLine{k + 1, lines[k]};
        ForOneLine(parse.current, [&] { ReadLine(parse, lines[k]); });
    }
    SetInputOptions(parse);
    Boards[b].inputLookup = BuildInputLookup(Boards[b].Inputs);
    SetOutputOptions(parse);
    FinishOutputs(parse);
    FinishBoardStatusLine(n, address, Boards[b]);
    ShowStatusWindowOnConnect();
}
