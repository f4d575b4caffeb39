#include "config/directives.h"

#include <cstdint>

#include "base/log.h"
#include "base/text.h"

namespace {

// Reads token as an unsigned number into target; a token that is not a
// number leaves target as it was (its default) and is reported.
bool ReadPinNumber(ParseContext& parse, const std::string& token, unsigned& target) {
    if (ReadNumber(token, target)) return true;
    Note(parse, NoteKind::Warning, "\"" + token + "\" is not a number: the setting is unchanged");
    return false;
}

// B: five bytes of button-matrix configuration.
void ReadMatrix(ParseContext& parse, const std::vector<std::string>& tokens) {
    if (tokens.size() < 6) {
        Note(parse, NoteKind::Skipped, "directive B needs five numbers");
        return;
    }
    ByteList& matrix = parse.board().MatrixAdditional;
    for (std::size_t k = 0; k < kMatrixBytes && k < matrix.size(); ++k) {
        unsigned value = matrix[k];
        if (ReadPinNumber(parse, tokens[k + 1], value)) matrix[k] = static_cast<uint8_t>(value);
    }
    if (tokens.size() > 6) Note(parse, NoteKind::Warning, "directive B reads five numbers only");
}

void ReadCommonPin(ParseContext& parse, const std::string& token, unsigned& pin,
                   const char* logText) {
    ReadPinNumber(parse, token, pin);
    Log(logText + Decimal(pin));
}

// E: per encoder, a pin name, its type and its mode: "E3,1,2", or "E3,B".
void ReadEncoder(ParseContext& parse, const std::string& token) {
    std::vector<std::string> parts = SplitBy(Trim(token), ',');
    if (parts.size() < 2) {
        Note(parse, NoteKind::Warning, "encoder \"" + token + "\" needs a type after a comma");
        return;
    }
    ByteList& bytes = parse.board().EncoderAdditional;
    const int pin = NumberOrZero<int>(parts[0].substr(1));
    bytes.push_back(static_cast<uint8_t>(pin));
    if (parts[1] == "B") {
        bytes.push_back(4);
        bytes.push_back(0);
        return;
    }
    int type = NumberOrZero<int>(parts[1]);
    if (type >= 4) type = 0;
    int mode = parts.size() > 2 ? NumberOrZero<int>(parts[2]) : 0;
    if (mode > 3) mode = 0;
    bytes.push_back(static_cast<uint8_t>(type));
    bytes.push_back(static_cast<uint8_t>(mode));
}

void AppendTrimmed(const std::vector<std::string>& tokens, std::vector<std::string>& list) {
    for (std::size_t k = 1; k < tokens.size(); ++k) list.push_back(Trim(tokens[k]));
}

}  // namespace

void ReadDirective(ParseContext& parse, const std::vector<std::string>& tokens) {
    if (tokens.size() < 2) {
        Note(parse, NoteKind::Skipped, "a directive needs at least one value");
        return;
    }
    Board& board = parse.board();
    switch (tokens[0][0]) {
        case 'B':
            ReadMatrix(parse, tokens);
            break;
        case 'G':
            ReadCommonPin(parse, tokens[1], board.StepperCommon, "\nStepper Direction pin: ");
            break;
        case 'L':
            ReadCommonPin(parse, tokens[1], board.LEDCommon, "\nLED Port pin: ");
            break;
        case 'N':
            ReadCommonPin(parse, tokens[1], board.SevenSegCommon, "\n7-segment common pin: ");
            break;
        case 'T':
            for (std::size_t k = 1; k < tokens.size(); ++k) {
                parse.groups.push_back(SwitchGroup{Trim(tokens[k]), 0, -1});
            }
            break;
        case 'R':
            AppendTrimmed(tokens, parse.repeats);
            break;
        case 'S':
            AppendTrimmed(tokens, parse.skips);
            break;
        case 'E':
            for (std::size_t k = 1; k < tokens.size(); ++k) ReadEncoder(parse, tokens[k]);
            break;
        case 'Q':
            AppendTrimmed(tokens, parse.analogDefaults);
            break;
        default:
            Note(parse, NoteKind::Skipped,
                 std::string("unknown directive \"") + tokens[0][0] +
                     "\" (known: B G L N T R S E Q)");
    }
}
