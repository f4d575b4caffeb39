#include "board_messages.h"

#include "board_wire.h"

namespace vboard {

namespace {

std::string Text(const kxfw::BoardMessage& message) {
    return std::string(reinterpret_cast<const char*>(message.bytes), message.length);
}

}  // namespace

std::string NumberedIdentification(uint8_t versionByte, int boardNumber) {
    return Text(kxfw::NumberedIdentification(versionByte, static_cast<uint8_t>(boardNumber)));
}

std::string PanelIdentification(const std::string& configText) {
    return "|" + configText;
}

std::string EncodeControlRequest(ControlRequest request) {
    return Text(kxfw::ControlRequest(static_cast<char>(request)));
}

std::string FrameForSerial(const std::string& message) {
    return "{" + message + "}";
}

std::string WireProblem(const std::string& message, bool serial) {
    if (message.empty()) return "empty message";
    if (message.find('\0') != std::string::npos) return "a zero byte would end the message";
    if (serial && message.find_first_of("{}") != std::string::npos) {
        return "a brace inside the text would break the serial frame";
    }
    return "";
}
std::string VersionText(uint8_t versionByte) {
    std::string digits = std::to_string(versionByte);
    while (digits.size() < 3) digits.insert(0, "0");
    return digits.substr(0, digits.size() - 2) + "." + digits.substr(digits.size() - 2);
}

}  // namespace vboard
