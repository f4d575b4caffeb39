// SetInputOptions: what can only be settled once every line of the board
// text has been read.
#include <algorithm>
#include <cstdint>

#include "base/text.h"
#include "config/inputs.h"

namespace {

bool EndsWithOutputKind(const std::string& name) {
    const char last = name.back();
    return last == 'N' || last == 'l' || last == 'L';
}

bool IsOneCharLink(const ParseContext& parse, std::size_t i) {
    return std::find(parse.oneCharLinks.begin(), parse.oneCharLinks.end(), i) !=
           parse.oneCharLinks.end();
}

bool IsLinkTargetOfSomeOutput(const Board& board, const std::string& target) {
    for (const BoardOutput& output : board.Outputs) {
        if (output.OutDrefs[0] == target) return true;
    }
    return false;
}

const TextLine& LineOfInput(const ParseContext& parse, std::size_t i) {
    static const TextLine none;
    return i < parse.inputLines.size() ? parse.inputLines[i] : none;
}

// A link to a 7-segment or LED output: the index of the output with that key,
// or 32767 (every output of that kind) for the one-character form. Returns
// whether it names some output.
bool LinkToOutput(const ParseContext& parse, std::size_t i, const std::string& s) {
    Board& board = parse.board();
    BoardInput& in = board.Inputs[i];
    if (s.size() == 1 || IsOneCharLink(parse, i)) {
        // Acts on every output whose key ends with this character.
        in.InputIncrementDir = 32767;
        return std::any_of(board.Outputs.begin(), board.Outputs.end(),
                           [&](const BoardOutput& out) { return out.OutDrefs[0].back() == s[0]; });
    }
    in.InputIncrementDir = -1;
    for (std::size_t j = 0; j < board.Outputs.size(); ++j) {
        if (board.Outputs[j].OutDrefs[0] == s) in.InputIncrementDir = static_cast<int>(j);
    }
    return in.InputIncrementDir >= 0;
}

// A link to other inputs: a key, optionally followed by "<", ">" or "=" and
// an operand. Mode takes the group head among them, InputIncrementDir the
// largest group position. Returns whether some input key matched.
bool LinkToInputs(const ParseContext& parse, std::size_t i) {
    std::vector<BoardInput>& inputs = parse.board().Inputs;
    std::string& stored = inputs[i].Data[1];
    std::string s = stored;
    char op = '=';
    const std::size_t p = s.find_first_of("<>=");
    if (p != std::string::npos) {
        op = s[p];
        if (p + 1 == s.size()) stored += "1";  // the operand defaults to 1
        s = s.substr(0, p);
    }
    unsigned largest = 0;
    bool matched = false;
    for (std::size_t k = 0; k < inputs.size(); ++k) {
        const std::string& key = inputs[k].Datatags;
        if (!StartsWith(key, s)) continue;
        matched = true;
        if (inputs[k].Mode > 0) inputs[i].Mode = static_cast<int>(k);
        const std::size_t slash = key.find('/');
        unsigned position = 0;
        if (slash != std::string::npos && ReadNumber(key.substr(slash + 1, 1), position)) {
            largest = std::max(largest, position);
        }
    }
    if (op != '=') inputs[i].InputIncrementDir = static_cast<int>(largest);
    return matched;
}

void ReportUnmatchedOutputSelection(const ParseContext& parse, std::size_t i) {
    const Board& board = parse.board();
    const std::string& name = board.Inputs[i].Data[1];
    const std::size_t p = name.find('_');
    const std::string target = p == std::string::npos ? name : name.substr(p + 1);
    if (p != std::string::npos && IsLinkTargetOfSomeOutput(board, target)) return;
    NoteAt(LineOfInput(parse, i), NoteKind::Unresolved,
           "\"" + board.Inputs[i].Data[1] +
               "\" selects no output: no command or dataref has this name, and no output "
               "has the key after \"_\"");
}

void ResolveLink(const ParseContext& parse, std::size_t i) {
    const std::string s = parse.board().Inputs[i].Data[1];
    const bool toOutput = EndsWithOutputKind(s) || IsOneCharLink(parse, i);
    const bool found = toOutput ? LinkToOutput(parse, i, s) : LinkToInputs(parse, i);
    if (s[0] == 'O') {
        ReportUnmatchedOutputSelection(parse, i);
    } else if (!found) {
        NoteAt(LineOfInput(parse, i), NoteKind::Unresolved,
               "\"" + parse.board().Inputs[i].Data[1] + "\" is neither a command nor a dataref, " +
                   (toOutput ? "nor the key of an output" : "nor the key of an input"));
    }
}

// The first settings byte of an analog channel: 101 for a plain input, 1 for
// one with "+" or "-", 127 + n for one with "/n".
void SettleAnalogChannel(const ParseContext& parse, std::size_t i) {
    Board& board = parse.board();
    std::string s = board.Inputs[i].Datatags.substr(1);
    long long n = 0;
    const std::size_t p = s.find_first_of("+-/");
    if (p != std::string::npos) {
        n = s[p] == '/' ? NumberOrZero<int>(s.substr(p + 1)) : -1;
        s = s.substr(0, p);
    }
    unsigned channel = 0;
    const bool known = ReadNumber(s, channel);
    const std::size_t at = 3 * static_cast<std::size_t>(channel);
    if (!known || channel >= kAnalogChannels || at >= board.AnalogAdditional.size()) {
        NoteAt(LineOfInput(parse, i), NoteKind::Warning,
               "analog channel \"" + s + "\" is not one of 0 to 15: no channel settings");
        return;
    }
    uint8_t& first = board.AnalogAdditional[at];
    if (n == 0) {
        if (first == 0) first = 101;
    } else if (n < 0) {
        first = 1;
    } else {
        first = static_cast<uint8_t>(std::max<long long>(first, n + 127));
    }
}

}  // namespace

void SetInputOptions(ParseContext& parse) {
    if (parse.b >= Boards.size()) return;
    Board& board = parse.board();
    for (std::size_t i = 0; i < board.Inputs.size(); ++i) {
        ForOneLine(LineOfInput(parse, i), [&] {
            if (board.Inputs[i].InputArrayNum < 0) {
                ResolveLink(parse, i);
            } else if (StartsWith(board.Inputs[i].Datatags, "A")) {
                SettleAnalogChannel(parse, i);
            }
        });
    }
}
