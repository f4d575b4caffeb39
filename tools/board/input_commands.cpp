#include "input_commands.h"

#include <cctype>
#include <sstream>

#include "board_options.h"
#include "board_wire.h"

namespace vboard {

namespace {

LineResult Fail(std::string* error, const std::string& why) {
    *error = why;
    return LineResult::Error;
}

std::vector<std::string> Words(const std::string& line) {
    std::istringstream stream(line.substr(0, line.find('#')));
    std::vector<std::string> words;
    for (std::string word; stream >> word;) words.push_back(word);
    return words;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A kind letter and at least one more character, nothing a message could
// not carry, and no state character: the verb gives that.
bool IsKey(const std::string& key, std::string* error) {
    if (key.size() > kLongestKey) {
        *error = "\"" + key + "\" is longer than a board sends (" + std::to_string(kLongestKey) +
                 " characters at most)";
        return false;
    }
    if (key.size() < 2 || !std::isupper(static_cast<unsigned char>(key[0]))) {
        *error = "\"" + key + "\" is not a key: a capital kind letter and the pin, such as D44";
        return false;
    }
    for (char c : key) {
        if (!std::isgraph(static_cast<unsigned char>(c)) || c == '{' || c == '}') {
            *error = "\"" + key + "\" holds a character a board cannot send";
            return false;
        }
    }
    if (key.back() == '+' || key.back() == '-') {
        *error = "\"" + key + "\": leave out the + or -, the verb says it";
        return false;
    }
    return true;
}

// Digits with an optional sign; false when there is anything else or the
// number is beyond limit.
bool ParseInteger(const std::string& text, long long limit, long long* value) {
    std::size_t at = (text[0] == '+' || text[0] == '-') ? 1 : 0;
    if (at == text.size()) return false;
    long long magnitude = 0;
    for (; at < text.size(); ++at) {
        if (!std::isdigit(static_cast<unsigned char>(text[at]))) return false;
        magnitude = magnitude * 10 + (text[at] - '0');
        if (magnitude > limit) return false;
    }
    *value = text[0] == '-' ? -magnitude : magnitude;
    return true;
}

LineResult ParseWords(const std::vector<std::string>& words, InputCommand* command,
                      std::string* error) {
    const std::string verb = Lower(words[0]);
    using Kind = InputCommand::Kind;
    if (verb == "wait") {
        if (words.size() != 2 || !ParseSeconds(words[1], &command->waitMs)) {
            return Fail(error, "wait takes a number of seconds, such as 1.5");
        }
        command->kind = Kind::Wait;
        return LineResult::Command;
    }
    if (verb != "press" && verb != "release" && verb != "turn" && verb != "analog") {
        return Fail(error, "\"" + words[0] + "\" is not press, release, turn, analog or wait");
    }
    const bool takesNumber = verb == "turn" || verb == "analog";
    if (words.size() != (takesNumber ? 3u : 2u)) {
        return Fail(error,
                    takesNumber ? verb + " takes a key and a number" : verb + " takes one key");
    }
    command->key = words[1];
    if (!IsKey(command->key, error)) return LineResult::Error;
    long long number = 0;
    if (verb == "turn") {
        if (command->key[0] != 'E') return Fail(error, "turn takes an encoder key, such as E7");
        if (!ParseInteger(words[2], 100000, &number) || number == 0) {
            return Fail(error, "turn takes a step count such as +2 or -3");
        }
        command->kind = Kind::Turn;
        command->steps = static_cast<int>(number);
    } else if (verb == "analog") {
        if (!ParseInteger(words[2], 65535, &number) || number < 0) {
            return Fail(error, "analog takes a reading from 0 to 65535, such as 512");
        }
        command->kind = Kind::Analog;
        command->reading = static_cast<int>(number);
    } else {
        command->kind = verb == "press" ? Kind::Press : Kind::Release;
    }
    return LineResult::Command;
}

}  // namespace

LineResult ParseInputLine(const std::string& line, InputCommand* command, std::string* error) {
    const std::vector<std::string> words = Words(line);
    if (words.empty()) return LineResult::Empty;
    *command = InputCommand();
    command->text = words[0];
    for (std::size_t k = 1; k < words.size(); ++k) command->text += " " + words[k];
    return ParseWords(words, command, error);
}

std::vector<std::string> EncodeInputEvents(const InputCommand& command, uint8_t indexByte) {
    auto text = [](const kxfw::BoardMessage& message) {
        return std::string(reinterpret_cast<const char*>(message.bytes), message.length);
    };
    const char* key = command.key.c_str();
    kxfw::BoardMessage message;
    using Kind = InputCommand::Kind;
    switch (command.kind) {
        case Kind::Press:
        case Kind::Release:
            kxfw::SwitchEvent(indexByte, key, command.kind == Kind::Press, &message);
            return {text(message)};
        case Kind::Analog:
            kxfw::ValueEvent(indexByte, key, static_cast<uint16_t>(command.reading), &message);
            return {text(message)};
        case Kind::Turn: {
            // One message per kStepsPerMessage steps, as the firmware sends them.
            std::vector<std::string> messages;
            long left = command.steps > 0 ? command.steps : -command.steps;
            while (left > 0) {
                const uint16_t part = static_cast<uint16_t>(left < 0xFFFF ? left : 0xFFFF);
                left -= kxfw::TurnEvent(indexByte, key, command.steps > 0, part, &message);
                messages.push_back(text(message));
            }
            return messages;
        }
        case Kind::Wait:
            break;
    }
    return {};
}

}  // namespace vboard
