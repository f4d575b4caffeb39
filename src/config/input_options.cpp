// SetInputOptions: what can only be settled once every line of the board
// text has been read.
#include <algorithm>
#include <array>
#include <cstdint>
#include <map>

#include "base/text.h"
#include "config/inputs.h"
#include "config/key_index.h"

namespace {

// The board's keys, indexed once for all the links of one parse.
struct LinkIndex {
    explicit LinkIndex(const Board& board) : inputs(board.Inputs) {
        for (std::size_t j = 0; j < board.Outputs.size(); ++j) {
            const std::string& key = board.Outputs[j].OutDrefs[0];
            outputsByKey[key] = j;  // the last output of a key
            outputKinds[static_cast<unsigned char>(key.back())] = true;
        }
    }
    InputKeyIndex inputs;
    std::map<std::string, std::size_t> outputsByKey;
    std::array<bool, 256> outputKinds{};  // some output's key ends with this byte
};

bool EndsWithOutputKind(const std::string& name) {
    const char last = name.back();
    return last == 'N' || last == 'l' || last == 'L';
}

bool IsOneCharLink(const ParseContext& parse, std::size_t i) {
    return i < parse.oneCharLinks.size() && parse.oneCharLinks[i];
}

const TextLine& LineOfInput(const ParseContext& parse, std::size_t i) {
    static const TextLine none;
    return i < parse.inputLines.size() ? parse.inputLines[i] : none;
}

// A link to a 7-segment or LED output: the index of the output with that key
// (the last one with it), or 32767 (every output of that kind) for the
// one-character form. Returns whether it names some output.
bool LinkToOutput(const ParseContext& parse, const LinkIndex& index, std::size_t i,
                  const std::string& s) {
    BoardInput& in = parse.board().Inputs[i];
    if (s.size() == 1 || IsOneCharLink(parse, i)) {
        // Acts on every output whose key ends with this character.
        in.InputIncrementDir = 32767;
        return index.outputKinds[static_cast<unsigned char>(s[0])];
    }
    const auto found = index.outputsByKey.find(s);
    in.InputIncrementDir = found == index.outputsByKey.end() ? -1 : static_cast<int>(found->second);
    return in.InputIncrementDir >= 0;
}

// The Mode a link to other inputs takes: the last input k, in index order,
// among those whose key begins with the link's prefix, whose Mode is above 0
// at the moment k is looked at. The link's own Mode is looked at in its turn
// when its key begins with the prefix too, and by then it may have taken an
// earlier k. `last` is that last k other than the link itself (-1: none).
int LinkMode(int own, std::size_t i, bool matchesItself, long last) {
    const long self = static_cast<long>(i);
    if (!matchesItself) return last >= 0 ? static_cast<int>(last) : own;
    if (last > self) return static_cast<int>(last);
    const long before = last >= 0 ? last : own;  // the link's Mode when its turn comes
    if (before > 0) return static_cast<int>(self);
    return last >= 0 ? static_cast<int>(last) : own;
}

// A link to other inputs: a key, optionally followed by "<", ">" or "=" and
// an operand. Mode takes the group head among them, InputIncrementDir the
// largest group position. Returns whether some input key matched.
bool LinkToInputs(const ParseContext& parse, LinkIndex& index, std::size_t i) {
    BoardInput& in = parse.board().Inputs[i];
    std::string& stored = in.Data[1];
    std::string s = stored;
    char op = '=';
    const std::size_t p = s.find_first_of("<>=");
    if (p != std::string::npos) {
        op = s[p];
        if (p + 1 == s.size()) stored += "1";  // the operand defaults to 1
        s = s.substr(0, p);
    }
    const InputKeyIndex::Run run = index.inputs.KeysStartingWith(s);
    if (!run.empty()) {
        index.inputs.SetHead(i, false);  // the link's own turn is settled by LinkMode
        in.Mode = LinkMode(in.Mode, i, StartsWith(in.Datatags, s), index.inputs.LastHead(run));
        index.inputs.SetHead(i, in.Mode > 0);
    }
    if (op != '=') in.InputIncrementDir = static_cast<int>(index.inputs.LargestPosition(run));
    return !run.empty();
}

void ReportUnmatchedOutputSelection(const ParseContext& parse, const LinkIndex& index,
                                    std::size_t i) {
    const std::string& name = parse.board().Inputs[i].Data[1];
    const std::size_t p = name.find('_');
    if (p != std::string::npos && index.outputsByKey.count(name.substr(p + 1)) > 0) return;
    NoteAt(LineOfInput(parse, i), NoteKind::Unresolved,
           "\"" + name +
               "\" selects no output: no command or dataref has this name, and no output "
               "has the key after \"_\"");
}

void ResolveLink(const ParseContext& parse, LinkIndex& index, std::size_t i) {
    const std::string s = parse.board().Inputs[i].Data[1];
    const bool toOutput = EndsWithOutputKind(s) || IsOneCharLink(parse, i);
    const bool found = toOutput ? LinkToOutput(parse, index, i, s) : LinkToInputs(parse, index, i);
    if (s[0] == 'O') {
        ReportUnmatchedOutputSelection(parse, index, i);
    } else if (!found) {
        NoteAt(LineOfInput(parse, i), NoteKind::Unresolved,
               "\"" + parse.board().Inputs[i].Data[1] + "\" is neither a command nor a dataref, " +
                   (toOutput ? "nor the key of an output" : "nor the key of an input"));
    }
}

// The channel of an analog key ("A3", "A3+", "A3/2") and the number after
// its "/" (-1 for "+" or "-", 0 for neither). Warns about a channel the
// board does not have and returns false for it.
bool AnalogChannelOf(const ParseContext& parse, std::size_t i, unsigned& channel, long long& n) {
    const Board& board = parse.board();
    std::string s = board.Inputs[i].Datatags.substr(1);
    n = 0;
    const std::size_t p = s.find_first_of("+-/");
    if (p != std::string::npos) {
        n = s[p] == '/' ? NumberOrZero<int>(s.substr(p + 1)) : -1;
        s = s.substr(0, p);
    }
    const bool known = ReadNumber(s, channel);
    const std::size_t at = 3 * static_cast<std::size_t>(channel);
    if (!known || channel >= kAnalogChannels || at >= board.AnalogAdditional.size()) {
        NoteAt(LineOfInput(parse, i), NoteKind::Warning,
               "analog channel \"" + s + "\" is not one of 0 to 15: no channel settings");
        return false;
    }
    return true;
}

// The first settings byte of an analog channel: 101 for a plain input, 1 for
// one with "+" or "-", 127 + n for one with "/n".
void SettleAnalogChannel(const ParseContext& parse, std::size_t i) {
    unsigned channel = 0;
    long long n = 0;
    if (!AnalogChannelOf(parse, i, channel, n)) return;
    uint8_t& first = parse.board().AnalogAdditional[3 * static_cast<std::size_t>(channel)];
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
    LinkIndex index(board);
    for (std::size_t i = 0; i < board.Inputs.size(); ++i) {
        ForOneLine(LineOfInput(parse, i), [&] {
            if (board.Inputs[i].InputArrayNum < 0) {
                ResolveLink(parse, index, i);
                // A link on an analog key settles no channel byte, but its
                // channel is still one the board must have.
                unsigned channel = 0;
                long long n = 0;
                if (ParseObserved() && StartsWith(board.Inputs[i].Datatags, "A")) {
                    AnalogChannelOf(parse, i, channel, n);
                }
            } else if (StartsWith(board.Inputs[i].Datatags, "A")) {
                SettleAnalogChannel(parse, i);
            }
        });
    }
}
