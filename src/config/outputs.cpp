#include "config/outputs.h"

#include <cstdint>
#include <utility>

#include "base/log.h"
#include "base/text.h"
#include "config/meaning_checks.h"
#include "config/value_checks.h"

namespace {

// On a numbered board the key becomes the pin byte followed by the kind
// letter (D for a key without one). Returns false for a key whose number
// does not name a pin byte.
bool CompactKey(const ParseContext& parse, std::string& key) {
    char kind = key.back();
    if (kind >= '0' && kind <= '9') kind = 'D';
    int pin = 0;
    if (!ReadNumber(key, pin) || pin < 0 || pin > 255) {
        Note(parse, NoteKind::Skipped,
             "output key \"" + key + "\" does not start with a pin number from 0 to 255");
        return false;
    }
    key = std::string(1, static_cast<char>(pin)) + kind;
    return true;
}

void AddDefaultTokens(std::vector<std::string>& tokens) {
    if (tokens.size() < 4) tokens.push_back("1");
    if (tokens.size() != 5) return;
    switch (tokens[0].back()) {
        case 'S':
            tokens.push_back("500,2500");
            break;
        case 'P':
            tokens.push_back("0,255");
            break;
        case 'L':
        case 'l':
            tokens.push_back(tokens[4]);
            break;
        default:
            break;
    }
}

float RangePoint(const ParseContext& parse, const std::string& part, bool quiet) {
    float value = 0;
    if (!ReadNumber(part, value) && !quiet) {
        Note(parse, NoteKind::Warning, "range value \"" + part + "\" is not a number: 0");
    }
    return value;
}

// Tokens 4 and 5: value points and target points; token 6 the steps of a
// full turn, which turns target degrees into steps.
void ReadRanges(const ParseContext& parse, BoardOutput& out) {
    const std::vector<std::string>& tokens = out.OutDrefs;
    const char kind = tokens[0].back();
    if (kind == 'N') return;
    if (tokens.size() == 5) {
        // Only S, P, L and l have a target range of their own.
        Note(
            parse, NoteKind::Warning,
            "a value range needs a target range after it: the range " + tokens[4] + " is not used");
        return;
    }
    if (tokens.size() <= 5) return;
    // Numbers joined by another character are reported as that, once (an
    // LED's target range is a copy of its value range).
    const bool quiet = CheckSeparators(parse, tokens[4]) || CheckSeparators(parse, tokens[5]);
    std::vector<std::string> a = SplitBy(tokens[4], ',');
    std::vector<std::string> b = SplitBy(tokens[5], ',');
    // Read signed: a negative step count turns the stepper the other way
    // instead of wrapping around to four billion steps.
    long long steps = 0;
    if (tokens.size() >= 7) ReadNumber(tokens[6], steps);
    if (a.size() != b.size() || a.empty()) {
        if (quiet) return;
        Note(parse, NoteKind::Warning,
             "range " + tokens[4] + " has " + Decimal(a.size()) + " values and " + tokens[5] +
                 " has " + Decimal(b.size()) + ": the ranges are not used");
        return;
    }
    for (std::size_t k = 0; k < a.size(); ++k) {
        out.OutRange1.push_back(RangePoint(parse, a[k], quiet));
        float target = RangePoint(parse, b[k], quiet);
        if (steps != 0) target = target * static_cast<float>(steps) / 360;
        out.OutRange2.push_back(target);
    }
    if (a.size() == 1 && kind != 'L' && kind != 'l') {
        out.OutRange2.push_back(out.OutRange2[0]);
        out.OutRange2[0] = 0;
    }
}

// The 7-segment encoding holds at most 16 digits, with the point among them.
void CheckSevenSegment(const ParseContext& parse, const std::vector<std::string>& tokens) {
    if (tokens[0].back() != 'N') return;
    if (tokens.size() < 6) {
        Note(parse, NoteKind::Warning,
             "a 7-segment output needs its digit count and point position: the board is not "
             "told about its pin");
        return;
    }
    const unsigned digits = NumberOrZero<unsigned>(tokens[4]);
    const unsigned point = NumberOrZero<unsigned>(tokens[5]);
    if (digits == 0 || digits > 16 || point > digits) {
        Note(parse, NoteKind::Warning,
             "a 7-segment display has 1 to 16 digits and its point among them");
    }
}

// The letters that give a pin its role in the pin-mode table; of a two-token
// mode line only L does.
bool HasPinRole(char kind, bool modeLine) {
    if (modeLine) return kind == 'L';
    return kind == 'L' || kind == 'N' || kind == 'P' || kind == 'S' || kind == 'G' || kind == 'g';
}

// On a numbered board the compact key's first byte is the pin.
void CheckOutputPin(const ParseContext& parse, const std::string& key, bool modeLine) {
    if (parse.id == 0 || !HasPinRole(key.back(), modeLine)) return;
    CheckPin(parse, parse.current, "output pin", static_cast<unsigned char>(key[0]));
}

}  // namespace

void ReadOutputLine(ParseContext& parse, const std::string& line) {
    std::vector<std::string> tokens = SplitBy(line, ' ');
    if (tokens.size() >= 3 && tokens[2] == "not_selected") {
        Note(parse, NoteKind::Disabled, "switched off with not_selected");
        return;
    }
    if (tokens.size() < 2) {
        Note(parse, NoteKind::Skipped, "an output needs a precision and a dataref name");
        return;
    }
    if (parse.id != 0 && !CompactKey(parse, tokens[0])) return;
    Board& board = parse.board();
    if (board.Outputs.size() + board.OutputModeLed.size() >= kMaxOutputs) {
        NoteLimitReached(parse, parse.outputsCapped, "outputs", kMaxOutputs);
        return;
    }
    CheckOutputPin(parse, tokens[0], tokens.size() == 2);
    if (tokens.size() == 2) {
        CheckModeLine(parse, tokens);
        board.OutputModeLed.push_back(tokens);
        parse.modeLineLines.push_back(parse.current);
        return;
    }
    CheckExtraWords(parse, tokens, 7,
                    tokens[0].back() == 'N' ? "the display options" : "the steps of a turn");
    BoardOutput out;
    AddDefaultTokens(tokens);
    CheckSevenSegment(parse, tokens);
    out.OutDrefs = std::move(tokens);
    ReadRanges(parse, out);
    // Clear for now when an earlier output has the key; FinishOutputs settles it.
    out.OutputActive = parse.outputKeys.count(out.OutDrefs[0]) == 0;
    board.Outputs.push_back(std::move(out));
    parse.outputKeys.insert(board.Outputs.back().OutDrefs[0]);
    parse.outputLines.push_back(parse.current);
}
