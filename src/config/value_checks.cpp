#include "config/value_checks.h"

#include "base/log.h"
#include "base/text.h"

bool CheckByte(const TextLine& line, const std::string& what, long long value) {
    if (value >= 0 && value <= 255) return true;
    NoteAt(line, NoteKind::Warning,
           what + " " + Decimal(value) +
               " does not fit a byte (0 to 255): " + Decimal(value & 0xFF) + " is used");
    return false;
}

bool CheckWord(const TextLine& line, const std::string& what, long long value) {
    if (value >= 0 && value <= 65535) return true;
    NoteAt(line, NoteKind::Warning,
           what + " " + Decimal(value) +
               " does not fit 16 bits (0 to 65535): " + Decimal(value & 0xFFFF) + " is used");
    return false;
}

void CheckPin(const ParseContext& parse, const TextLine& line, const std::string& what,
              long long value) {
    if (parse.id == 0 || (value >= 0 && value <= kLastPin)) return;
    NoteAt(line, NoteKind::Warning,
           what + " " + Decimal(value) + " is beyond the board's pins (0 to " + Decimal(kLastPin) +
               "): the board is not told about it");
}

void CheckPinByte(const ParseContext& parse, const TextLine& line, const std::string& what,
                  long long value) {
    if (CheckByte(line, what, value)) CheckPin(parse, line, what, value);
}

void CheckInputPin(const ParseContext& parse, const TextLine& line, const std::string& key) {
    if (parse.id == 0 || key.empty() || (key[0] != 'D' && key[0] != 'E')) return;
    // D keys: the characters after the first, less every "+" and "-" after
    // the second; E keys: up to the first "+", "-" or "/".
    std::string pinText;
    for (std::size_t k = 1; k < key.size(); ++k) {
        const bool sign = key[k] == '+' || key[k] == '-';
        if (key[0] == 'E' && (sign || key[k] == '/')) break;
        if (!sign || k == 1) pinText += key[k];
    }
    unsigned pin = 0;
    if (!ReadNumber(pinText, pin)) {
        NoteAt(line, NoteKind::Warning,
               "key \"" + key + "\" names no pin: the board is not told about it");
        return;
    }
    CheckPin(parse, line, "input pin", pin);
}
