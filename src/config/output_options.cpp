// What is settled once every section O line of the board text has been read.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>

#include "XPLMDataAccess.h"
#include "base/log.h"
#include "base/text.h"
#include "config/names.h"
#include "config/output_compact.h"
#include "config/outputs.h"
#include "config/value_checks.h"

namespace {

// The pin of an output: the first byte of a numbered board's compact key,
// otherwise the number before the kind letter.
int PinOf(const ParseContext& parse, const std::string& key) {
    if (parse.id != 0) return static_cast<signed char>(key[0]);
    return NumberOrZero<int>(key.substr(0, key.size() - 1));
}

// Steps of a full turn, from the last token's last part, as 16 bits.
void AddStepper(Board& board, const TextLine& line, int pin,
                const std::vector<std::string>& tokens) {
    std::vector<std::string> parts = SplitBy(tokens.back(), ',');
    const long long steps = parts.empty() ? 0 : std::llabs(NumberOrZero<int>(parts.back()));
    CheckWord(line, "stepper step count", steps);
    board.StepperAdditional.push_back(static_cast<uint8_t>(pin));
    board.StepperAdditional.push_back(static_cast<uint8_t>(steps & 0xFF));
    board.StepperAdditional.push_back(static_cast<uint8_t>((steps >> 8) & 0xFF));
}

// Enough 8-LED bytes for LED number n, never more than 8.
void SizeLedPort(Board& board, int n) {
    while (board.LedPortData.size() * 8 < static_cast<std::size_t>(std::max(n, 0)) &&
           board.LedPortData.size() < kMaxLedPortBytes) {
        board.LedPortData.push_back(0);
    }
}

// LED-port outputs are numbered 1 to 64 (8 bytes of 8 LEDs).
void CheckLedNumber(const TextLine& line, int n) {
    if (n >= 1 && n <= static_cast<int>(8 * kMaxLedPortBytes)) return;
    NoteAt(line, NoteKind::Warning,
           "LED port number " + Decimal(n) + " is not one of 1 to 64: the LED is never lit");
}

void ApplyOutputOptions(const ParseContext& parse, const TextLine& line,
                        const std::vector<std::string>& tokens) {
    Board& board = parse.board();
    const char kind = tokens[0].back();
    const int pin = PinOf(parse, tokens[0]);
    // A numbered board's compact key holds the pin in a byte already.
    const int written = parse.id != 0 ? static_cast<unsigned char>(tokens[0][0]) : pin;
    if (tokens.size() >= 6) {
        if (kind == 'N' || kind == 'G' || kind == 'g') CheckByte(line, "output pin", written);
        if (kind == 'N') board.SevenSegAdditional.push_back(static_cast<uint8_t>(pin));
        if (kind == 'G' || kind == 'g') AddStepper(board, line, pin, tokens);
    }
    if (kind == 'l') {
        CheckLedNumber(line, written);
        SizeLedPort(board, pin);
    }
}

const TextLine& LineOfOutput(const ParseContext& parse, std::size_t j) {
    static const TextLine none;
    return j < parse.outputLines.size() ? parse.outputLines[j] : none;
}

// A text that came with Windows line ends keeps the carriage return in its
// last token; the simulator's name is the one without it.
std::string DatarefName(const std::string& token) {
    if (!token.empty() && token.back() == '\r') return token.substr(0, token.size() - 1);
    return token;
}

void ResolveDataref(const ParseContext& parse, std::size_t j) {
    BoardOutput& out = parse.board().Outputs[j];
    const std::string name = DatarefName(out.OutDrefs[2]);
    if (StartsWith(name, "kestrix/")) AddCustomRef(name);
    out.Drefread = XPLMFindDataRef(name.c_str());
    out.Type = out.Drefread ? XPLMGetDataRefTypes(out.Drefread) : 0;
    if (!out.Drefread) {
        NoteAt(LineOfOutput(parse, j), NoteKind::Unresolved,
               "dataref \"" + name + "\" does not exist");
    }
}

void FinishOutput(const ParseContext& parse, std::size_t j) {
    Board& board = parse.board();
    BoardOutput& out = board.Outputs[j];
    out.Arraynum = std::max(NumberOrZero<int>(out.OutDrefs[3]), 1);
    out.Previous = defaultval;
    out.Precision = NumberOrZero<int>(out.OutDrefs[1]);
    // Numbered boards count precision one lower below 1 (0 becomes -1).
    if (parse.id != 0 && out.Precision < 1 && out.Precision > INT_MIN) --out.Precision;
    ResolveDataref(parse, j);
    out.Compact = CompactRecordOf(out.OutDrefs, out.Drefread, out.Type, out.Arraynum);
    // Outputs sharing a key are selected by an O_ input; without one every
    // output of the key is sent. Until now OutputActive is clear exactly for
    // an output whose key an earlier output has.
    const bool repeated = !out.OutputActive;
    const bool selected = parse.linkTargets.count(out.OutDrefs[0]) > 0;
    if (repeated && !selected) {
        out.OutputActive = true;
        NoteAt(LineOfOutput(parse, j), NoteKind::Warning,
               "an earlier output has the same key and no O_ input selects between them: "
               "both drive the pin");
    }
}

}  // namespace

void SetOutputOptions(ParseContext& parse) {
    if (parse.b >= Boards.size()) return;
    Board& board = parse.board();
    for (std::size_t j = 0; j < board.Outputs.size(); ++j) {
        const TextLine& line = LineOfOutput(parse, j);
        ForOneLine(line, [&] { ApplyOutputOptions(parse, line, board.Outputs[j].OutDrefs); });
    }
    for (std::size_t m = 0; m < board.OutputModeLed.size(); ++m) {
        const TextLine line = m < parse.modeLineLines.size() ? parse.modeLineLines[m] : TextLine{};
        ForOneLine(line, [&] { ApplyOutputOptions(parse, line, board.OutputModeLed[m]); });
    }
}

void FinishOutputs(ParseContext& parse) {
    if (parse.b >= Boards.size()) return;
    for (std::size_t j = 0; j < parse.board().Outputs.size(); ++j) {
        ForOneLine(LineOfOutput(parse, j), [&] { FinishOutput(parse, j); });
    }
}
