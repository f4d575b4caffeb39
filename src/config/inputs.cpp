#include "config/inputs.h"

#include <algorithm>
#include <cstdint>

#include "XPLMDataAccess.h"
#include "XPLMUtilities.h"
#include "base/log.h"
#include "base/text.h"
#include "config/meaning_checks.h"
#include "config/names.h"
#include "config/value_checks.h"

namespace {

void StripLineEnd(std::string& line) {
    if (!line.empty() && line.back() == '\n') line.pop_back();
    if (!line.empty() && line.back() == '\r') line.pop_back();
}

bool EndsWithOutputKind(const std::string& name) {
    const char last = name.back();
    return last == 'N' || last == 'l' || last == 'L';
}

// One number of a value field, as the C library's atof reads it.
// The second reading only tells a report about a part that is no number.
float ValuePart(const ParseContext& parse, const std::string& part, bool quiet) {
    double check = 0;
    if (ParseObserved() && !quiet && !ReadNumber(part, check)) {
        Note(parse, NoteKind::Warning, "\"" + part + "\" in the value field is not a number: 0");
    }
    return static_cast<float>(Atof(part));
}

// Token 2: "v" a fixed value, "a,b,c" a list of values, "s+,lim" or
// "s-,lo,hi" a step up or down with a limit or a wrap-around range.
// Returns whether the field's numbers were joined by a character other
// than a comma (and reported as such).
bool ReadValueField(const ParseContext& parse, BoardInput& in, const std::string& field) {
    std::vector<std::string> parts = SplitBy(field, ',');
    if (parts.empty()) {
        Note(parse, NoteKind::Warning, "the value field holds no value: 1 is used");
        return false;
    }
    // Numbers joined by another character are reported as that, once.
    const bool quiet = CheckSeparators(parse, field);
    std::string first = parts[0];
    const bool step = EndsWith(first, "+") || EndsWith(first, "-");
    if (parts.size() >= 2 && !step) {
        for (const std::string& part : parts)
            in.InputDataRange.push_back(ValuePart(parse, part, quiet));
    } else if (parts.size() >= 2) {
        in.InputDataRange.push_back(ValuePart(parse, parts[1], quiet));
        if (parts.size() > 2) in.InputDataRange.push_back(ValuePart(parse, parts[2], quiet));
    }
    if (EndsWith(first, "+")) {
        in.InputIncrementDir = 1;
        first.pop_back();
    } else if (EndsWith(first, "-")) {
        in.InputIncrementDir = -1;
        first.pop_back();
    }
    in.InputDefault = ValuePart(parse, first, quiet);
    return quiet;
}

// Tokens 4 to 6 of an analog input: the channel's three settings bytes.
// Channels outside the table are reported by SetInputOptions.
void ReadAnalogBytes(const ParseContext& parse, const std::string& key,
                     const std::vector<std::string>& tokens) {
    unsigned channel = 0;
    if (!ReadNumber(key.substr(1), channel) || channel >= kAnalogChannels) return;
    ByteList& bytes = parse.board().AnalogAdditional;
    const std::size_t at = 3 * static_cast<std::size_t>(channel);
    if (at + 2 >= bytes.size()) return;
    unsigned value = 0;
    if (tokens.size() >= 5 && ReadNumber(tokens[4], value)) {
        if (value > 100) {
            value = value / 100 + 100;
        } else if (value >= 51) {
            value = 101;
        }
        CheckByte(parse.current, "analog setting " + tokens[4] + ", stored as", value);
        bytes[at] = static_cast<uint8_t>(value);
    }
    for (std::size_t k = 5; k < 7 && k < tokens.size(); ++k) {
        if (!ReadNumber(tokens[k], value)) continue;
        CheckByte(parse.current, "analog setting", value);
        bytes[at + k - 4] = static_cast<uint8_t>(value);
    }
}

void ReadDatarefInput(const ParseContext& parse, BoardInput& in, XPLMDataRef dataref,
                      const std::vector<std::string>& tokens) {
    in.InputDataPointer = dataref;
    in.InputDrefTypes = XPLMGetDataRefTypes(dataref);
    const bool analog = tokens[0][0] == 'A';
    bool separatorNoted = false;
    if (tokens.size() >= 3) {
        separatorNoted = ReadValueField(parse, in, tokens[2]);
        // Key position 4 ("starting") is held like a starter button.
        if (tokens[1].find("ignition_key") != std::string::npos && in.InputDefault == 4.0f) {
            in.Contval = 1;
        }
        in.InputArrayNum = tokens.size() >= 4 ? Atoi(tokens[3]) : 1;
        if (analog) ReadAnalogBytes(parse, tokens[0], tokens);
    } else {
        in.InputDefault = 1.0f;
    }
    if (in.InputArrayNum < 1) in.InputArrayNum = 1;
    if (analog && !separatorNoted) CheckAnalogRange(parse, in.InputDataRange.size());
    CheckWritable(parse, tokens[0], tokens[1], dataref);
    CheckExtraWords(parse, tokens, analog ? 7 : 4,
                    analog ? "the third analog setting" : "the array element");
}

// The number in a link's name, which becomes one byte of the compact form.
// It is read as a 32-bit number, as it always was; a number outside 0 to 255
// is reported, however large.
int LinkNumber(const ParseContext& parse, std::string_view text) {
    const long long wide = NumberOrZero<long long>(text);
    if (wide < 0 || wide > 255) {
        Note(parse, NoteKind::Warning,
             "the number " + Decimal(wide) +
                 " in a link's name is not one of 0 to 255: its low 8 bits are used");
    }
    return NumberOrZero<int>(text);
}

// A name that is neither a command nor a dataref links to the board itself.
// Returns whether it took the one-character form of an output link.
bool ReadLocalLink(ParseContext& parse, BoardInput& in, std::string& name) {
    in.InputArrayNum = -1;
    if (name[0] == 'O') {
        // O_12L selects among outputs with key 12L: the number becomes the
        // pin byte of the compact key.
        const std::size_t p = name.find('_');
        if (p == std::string::npos) {
            parse.linkTargets.insert(name);
            return false;
        }
        const int n = LinkNumber(parse, std::string_view(name).substr(p + 1));
        const char last = name.back();
        name = name.substr(0, p + 1) + static_cast<char>(n & 0xFF) + last;
        parse.linkTargets.insert(name.substr(p + 1));
    } else if (EndsWithOutputKind(name)) {
        in.Contval = 1;
        if (parse.id != 0) {
            // The pin and the kind letter in one byte, added in 8 bits.
            const unsigned n = static_cast<unsigned>(LinkNumber(parse, name));
            const unsigned code = (n + static_cast<unsigned char>(name.back())) & 0xFF;
            name = std::string(1, static_cast<char>(code));
            return true;
        }
    }
    return false;
}

void ReadCommandInput(BoardInput& in, XPLMCommandRef command, const std::string& name) {
    in.InputDataPointer = command;
    if (CommandIsHold(name)) in.Contval = 1;
}

int& ModeOf(ParseContext& parse, BoardInput& in, int index) {
    std::vector<BoardInput>& inputs = parse.board().Inputs;
    if (index >= 0 && static_cast<std::size_t>(index) < inputs.size()) return inputs[index].Mode;
    return in.Mode;  // the first member is the input being read
}

// Repeat list and switch groups (keys B, D, A). Every member of a group gets
// its 1-based position inserted before the key's last character. The groups
// are tried in list order with the key as it stands, so a later group whose
// key equals the rewritten key takes the input too.
void ApplyRepeatsAndGroups(ParseContext& parse, BoardInput& in, std::string& key) {
    if (parse.repeats.count(key) > 0) in.Contval = 2;
    const int index = static_cast<int>(parse.board().Inputs.size());
    std::size_t next = 0;  // the groups before it have been tried
    for (;;) {
        const auto found = parse.groupsByKey.find(key);
        if (found == parse.groupsByKey.end()) return;
        const std::vector<std::size_t>& positions = found->second;
        const auto at = std::lower_bound(positions.begin(), positions.end(), next);
        if (at == positions.end()) return;
        next = *at + 1;
        SwitchGroup& group = parse.groups[*at];
        if (group.members == 0) {
            in.Mode = 1;
            group.first = index;
        }
        ++group.members;
        if (group.members == 10) {
            Note(parse, NoteKind::Warning,
                 "switch group " + group.key + " has more than 9 members: only 9 positions work");
        }
        key = key.substr(0, key.size() - 1) + "/" + Decimal(group.members) + key.back();
        ModeOf(parse, in, group.first) += 10;
    }
}

// Only the first input of each encoder gets Mode 1.
void ApplyEncoderBase(ParseContext& parse, BoardInput& in, std::string& key) {
    if (key[0] == 'e') key[0] = 'E';
    if (key[0] != 'E') return;
    if (parse.encoderBases.insert(key.substr(0, key.find('/'))).second) in.Mode = 1;
}

void ApplySkipList(const ParseContext& parse, BoardInput& in, const std::string& key) {
    const auto found = parse.skips.find(key.substr(0, key.size() - 1));
    if (found == parse.skips.end()) return;
    in.InputSkip.push_back(found->second);
    in.InputSkip.push_back(0);
}

}  // namespace

void ReadInputLine(ParseContext& parse, std::string line) {
    StripLineEnd(line);
    std::vector<std::string> tokens = SplitBy(line, ' ');
    if (tokens.size() < 2) {
        Note(parse, NoteKind::Skipped, "an input needs a key and a name");
        return;
    }
    if (tokens[1] == "not_selected") {
        Note(parse, NoteKind::Disabled, "switched off with not_selected");
        return;
    }
    Board& board = parse.board();
    if (board.Inputs.size() >= kMaxInputs) {
        NoteLimitReached(parse, parse.inputsCapped, "inputs", kMaxInputs);
        return;
    }
    BoardInput in;
    bool oneCharLink = false;
    std::string& name = tokens[1];
    XPLMCommandRef command = XPLMFindCommand(name.c_str());
    XPLMDataRef dataref = command ? nullptr : XPLMFindDataRef(name.c_str());
    if (tokens[0][0] == 'd') tokens[0][0] = 'D';
    if (tokens[0][0] == 'b') tokens[0][0] = 'B';
    if (command) {
        ReadCommandInput(in, command, name);
        CheckExtraWords(parse, tokens, 2, "the command's name");
    } else if (dataref) {
        ReadDatarefInput(parse, in, dataref, tokens);
    } else {
        CheckExtraWords(parse, tokens, 2, "the link's name");
        oneCharLink = ReadLocalLink(parse, in, name);
    }
    in.Data = tokens;
    std::string key = tokens[0];
    if (key[0] == 'B' || key[0] == 'D' || key[0] == 'A') ApplyRepeatsAndGroups(parse, in, key);
    ApplyEncoderBase(parse, in, key);
    ApplySkipList(parse, in, key);
    if (key[0] == 'A' && parse.analogDefaults.count(key) > 0) in.InputDefault = 2.0f;
    CheckInputPin(parse, parse.current, key);
    in.Datatags = key;
    board.Inputs.push_back(std::move(in));
    parse.inputLines.push_back(parse.current);
    parse.oneCharLinks.push_back(oneCharLink);
}
