#include "simdata/local_directives.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "base/log.h"
#include "config/board_tables.h"
#include "simdata/input_arithmetic.h"
#include "simdata/mode_message.h"
#include "transport/reply.h"

namespace {

constexpr int kEveryOutputOfKind = 32767;

std::string_view NameOf(const BoardInput& in) {
    return in.Data.size() > 1 ? std::string_view(in.Data[1]) : std::string_view();
}

// The n-th (from 0) maximal run of characters other than sep, as SplitBy
// would give it; empty when there is none.
std::string_view Field(std::string_view text, char sep, int n) {
    std::size_t at = 0;
    for (int k = 0;; ++k) {
        while (at < text.size() && text[at] == sep) ++at;
        if (at >= text.size()) return {};
        const std::size_t end = std::min(text.find(sep, at), text.size());
        if (k == n) return text.substr(at, end - at);
        at = end;
    }
}

unsigned UnsignedOrZero(std::string_view digits) {
    unsigned long long value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') break;
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > UINT32_MAX) return UINT32_MAX;
    }
    return static_cast<unsigned>(value);
}

// "E..." ending in an operator and a digit: the target input's Mode changes,
// and the board's mode lines for this group show its value. A name whose
// last character is not a digit, or with another operator, changes nothing
// but still shows the value.
void ChangeMode(unsigned b, BoardInput& in, const MessageSource& source) {
    Board& board = Boards[b];
    const std::string_view name = NameOf(in);
    if (name.size() < 2) return;
    if (in.Mode < 0 || static_cast<std::size_t>(in.Mode) >= board.Inputs.size()) return;
    int& mode = board.Inputs[in.Mode].Mode;
    const char last = name.back();
    const char op = (last >= '0' && last <= '9') ? name[name.size() - 2] : '\0';
    const int n = last - '0';
    const long long max = in.InputIncrementDir;
    if (op == '=') {
        mode = n;
    } else if (op == '>') {
        mode = ClampToInt(static_cast<long long>(mode) + n);
        if (mode > max) mode = ClampToInt(mode - max);
    } else if (op == '<') {
        mode = ClampToInt(static_cast<long long>(mode) - n);
        if (mode < 1) mode = ClampToInt(mode + max);
    }
    const std::string_view group = name.substr(0, name.size() - 2);
    const unsigned shown = static_cast<unsigned>(mode);
    for (std::size_t k = 0; k < board.OutputModeLed.size(); ++k) {
        const std::vector<std::string>& line = board.OutputModeLed[k];
        if (line.size() < 2 || Field(line[1], '=', 0) != group) continue;
        SendMode(source, b, static_cast<unsigned>(k), shown,
                 UnsignedOrZero(Field(line[1], '=', 1)));
    }
}

enum class Choice { Next, Previous, Position };

// "O_key", "On_key" or "O-_key": switches the outputs with that key off and
// one of them on.
void SelectOutput(Board& board, std::string_view name) {
    const std::size_t underscore = name.find('_', 1);
    if (underscore == std::string_view::npos) return;
    const std::string_view key = name.substr(underscore + 1);
    const std::string_view between = name.substr(1, underscore - 1);
    Choice choice = Choice::Next;
    unsigned position = 0;
    if (between == "-") {
        choice = Choice::Previous;
    } else if (!between.empty()) {
        choice = Choice::Position;
        position = UnsignedOrZero(between);
    }
    unsigned count = 0, wasOn = 0;
    for (BoardOutput& output : board.Outputs) {
        if (output.OutDrefs.empty() || output.OutDrefs[0] != key) continue;
        ++count;
        if (output.OutputActive && wasOn == 0) wasOn = count;
        output.OutputActive = false;
    }
    if (count == 0) return;
    if (choice == Choice::Position && (position < 1 || position > count)) choice = Choice::Next;
    unsigned chosen = position;
    if (choice == Choice::Next) chosen = wasOn == 0 || wasOn == count ? 1 : wasOn + 1;
    if (choice == Choice::Previous) chosen = wasOn <= 1 ? count : wasOn - 1;
    unsigned k = 0;
    for (BoardOutput& output : board.Outputs) {
        if (output.OutDrefs.empty() || output.OutDrefs[0] != key || ++k != chosen) continue;
        output.OutputActive = true;
        if (output.Previous != "!") output.Previous = "?";
        return;
    }
}

// Any other name: the text goes to the board that sent the event.
void ForwardText(const BoardInput& in, const MessageSource& source) {
    if (in.Contval >= 1) return;
    const std::string_view name = NameOf(in);
    const std::size_t length = std::min(name.size(), kMaxForwardedText);
    uint8_t message[2 + kMaxForwardedText];
    message[0] = static_cast<uint8_t>(kTextMessageLetter);
    message[1] = static_cast<uint8_t>(length);
    for (std::size_t k = 0; k < length; ++k) message[2 + k] = static_cast<uint8_t>(name[k]);
    ReplyToSource(source, message, 2 + length);
    if (source.isSerial) Log("\nSending: " + std::string(name.substr(0, length)));
}

}  // namespace

void RunLocalDirective(unsigned b, unsigned i, const MessageSource& source) {
    if (b >= Boards.size() || i >= Boards[b].Inputs.size()) return;
    BoardInput& in = Boards[b].Inputs[i];
    const std::string_view name = NameOf(in);
    if (name.empty()) return;
    if (name[0] == 'E') {
        ChangeMode(b, in, source);
    } else if (name[0] == 'O') {
        SelectOutput(Boards[b], name);
    } else {
        ForwardText(in, source);
    }
}

void MarkLinkedOutputs(Board& board, const BoardInput& in, const char* marker) {
    const int d = in.InputIncrementDir;
    if (d == kEveryOutputOfKind) {
        const std::string_view name = NameOf(in);
        if (name.empty()) return;
        for (BoardOutput& output : board.Outputs) {
            if (!output.OutDrefs.empty() && !output.OutDrefs[0].empty() &&
                output.OutDrefs[0].back() == name[0]) {
                output.Previous = marker;
            }
        }
    } else if (d >= 0 && static_cast<std::size_t>(d) < board.Outputs.size()) {
        board.Outputs[d].Previous = marker;
    }
}
