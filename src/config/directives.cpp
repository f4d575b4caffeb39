#include "config/directives.h"

#include <cstdint>

#include "base/log.h"
#include "base/text.h"
#include "config/meaning_checks.h"
#include "config/value_checks.h"

namespace {

// Reads token as an unsigned number into target; a token that is not a
// number leaves target as it was (its default) and is reported.
bool ReadPinNumber(ParseContext& parse, const std::string& token, unsigned& target) {
    if (ReadNumber(token, target)) return true;
    Note(parse, NoteKind::Warning, "\"" + token + "\" is not a number: the setting is unchanged");
    return false;
}

// 100 is the "not set" value of the pins below.
bool IsSetPin(unsigned pin) {
    return pin != 100;
}

// B: five bytes of button-matrix configuration: two pin ranges and a pin.
void ReadMatrix(ParseContext& parse, const std::vector<std::string>& tokens) {
    if (tokens.size() < 6) {
        Note(parse, NoteKind::Skipped, "directive B needs five numbers");
        return;
    }
    ByteList& matrix = parse.board().MatrixAdditional;
    for (std::size_t k = 0; k < kMatrixBytes && k < matrix.size(); ++k) {
        unsigned value = matrix[k];
        if (!ReadPinNumber(parse, tokens[k + 1], value)) continue;
        if (IsSetPin(value)) CheckPinByte(parse, parse.current, "matrix pin", value);
        matrix[k] = static_cast<uint8_t>(value);
    }
    if (tokens.size() > 6) Note(parse, NoteKind::Warning, "directive B reads five numbers only");
}

void ReadCommonPin(ParseContext& parse, const std::string& token, unsigned& pin, const char* what,
                   const char* logText) {
    if (ReadPinNumber(parse, token, pin) && IsSetPin(pin))
        CheckPin(parse, parse.current, what, pin);
    Log(logText + Decimal(pin));
}

// G, L and N read one pin: anything after it is never read.
void ReadOnePin(ParseContext& parse, const std::vector<std::string>& tokens, unsigned& pin,
                const char* what, const char* logText) {
    ReadCommonPin(parse, tokens[1], pin, what, logText);
    CheckExtraWords(parse, tokens, 2, "the pin");
}

// An encoder's type (0 to 3) or mode (0 to 3); the board's byte takes 0 for
// a number above 3.
void CheckEncoderSetting(ParseContext& parse, const char* what, int value) {
    if (value >= 0 && value <= 3) return;
    Note(parse, NoteKind::Warning,
         std::string("encoder ") + what + " " + Decimal(value) + " is not one of 0 to 3" +
             (value > 3 ? ": 0 is used" : ""));
}

// E: per encoder, a pin name, its type and its mode: "E3,1,2", or "E3,B".
void ReadEncoder(ParseContext& parse, const std::string& token) {
    std::vector<std::string> parts = SplitBy(Trim(token), ',');
    if (parts.size() < 2) {
        Note(parse, NoteKind::Warning, "encoder \"" + token + "\" needs a type after a comma");
        return;
    }
    ByteList& bytes = parse.board().EncoderAdditional;
    const int pin = NumberOrZero<int>(std::string_view(parts[0]).substr(1));
    CheckPinByte(parse, parse.current, "encoder pin", pin);
    bytes.push_back(static_cast<uint8_t>(pin));
    if (parts[1] == "B") {
        bytes.push_back(4);
        bytes.push_back(0);
        return;
    }
    int type = NumberOrZero<int>(parts[1]);
    CheckEncoderSetting(parse, "type", type);
    if (type >= 4) type = 0;
    int mode = parts.size() > 2 ? NumberOrZero<int>(parts[2]) : 0;
    CheckEncoderSetting(parse, "mode", mode);
    if (mode > 3) mode = 0;
    bytes.push_back(static_cast<uint8_t>(type));
    bytes.push_back(static_cast<uint8_t>(mode));
}

void AddGroups(ParseContext& parse, const std::vector<std::string>& tokens) {
    for (std::size_t k = 1; k < tokens.size(); ++k) {
        std::string key = Trim(tokens[k]);
        parse.groupsByKey[key].push_back(parse.groups.size());
        parse.groups.push_back(SwitchGroup{std::move(key), 0, -1});
    }
}

void AddTrimmed(const std::vector<std::string>& tokens, std::set<std::string>& list) {
    for (std::size_t k = 1; k < tokens.size(); ++k) list.insert(Trim(tokens[k]));
}

// An input finds the first entry of its key: a later entry of the same key
// changes nothing.
void AddSkips(ParseContext& parse, const std::vector<std::string>& tokens) {
    for (std::size_t k = 1; k < tokens.size(); ++k) {
        const std::vector<std::string> parts = SplitBy(Trim(tokens[k]), ',');
        if (parts.empty()) continue;
        parse.skips.emplace(parts[0], parts.size() > 1 ? NumberOrZero<int>(parts[1]) : 0);
    }
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
            ReadOnePin(parse, tokens, board.StepperCommon, "stepper direction pin",
                       "\nStepper Direction pin: ");
            break;
        case 'L':
            ReadOnePin(parse, tokens, board.LEDCommon, "LED port pin", "\nLED Port pin: ");
            break;
        case 'N':
            ReadOnePin(parse, tokens, board.SevenSegCommon, "7-segment common pin",
                       "\n7-segment common pin: ");
            break;
        case 'T':
            AddGroups(parse, tokens);
            break;
        case 'R':
            AddTrimmed(tokens, parse.repeats);
            break;
        case 'S':
            AddSkips(parse, tokens);
            break;
        case 'E':
            for (std::size_t k = 1; k < tokens.size(); ++k) ReadEncoder(parse, tokens[k]);
            break;
        case 'Q':
            AddTrimmed(tokens, parse.analogDefaults);
            break;
        default:
            Note(parse, NoteKind::Skipped,
                 std::string("unknown directive \"") + tokens[0][0] +
                     "\" (known: B G L N T R S E Q)");
    }
}
