#include "board_core.h"

#include <string.h>

#include "board_wire.h"
#include "pin_modes.h"

namespace kxfw {

namespace {

bool CountedLength(const uint8_t* bytes, uint16_t length) {
    return length >= 2 && length == static_cast<uint16_t>(2 + bytes[1]);
}

PluginMessageKind Request(const uint8_t* bytes, uint16_t length) {
    if (length != 2) return PluginMessageKind::Malformed;
    switch (bytes[1]) {
        case 'P':
            return PluginMessageKind::Discovery;
        case 'X':
            return PluginMessageKind::Ping;
        case 'R':
            return PluginMessageKind::InputRequest;
        default:
            return PluginMessageKind::Malformed;
    }
}

}  // namespace

PluginMessageKind ClassifyPluginMessage(const uint8_t* bytes, uint16_t length) {
    if (length == 0) return PluginMessageKind::Malformed;
    switch (bytes[0]) {
        case kRequestLetter:
            return Request(bytes, length);
        case kTildeLetter:
            if (length == kUploadSize) return PluginMessageKind::ConfigUpload;
            if (length == kIdReplySize) return PluginMessageKind::IdReply;
            return PluginMessageKind::Malformed;
        case kAnalogLetter:
            return length == kAnalogReplySize ? PluginMessageKind::AnalogSettings
                                              : PluginMessageKind::Malformed;
        case kSevenSegLetter:
            return CountedLength(bytes, length) ? PluginMessageKind::SevenSegmentSettings
                                                : PluginMessageKind::Malformed;
        case kStepperLetter:
            return CountedLength(bytes, length) ? PluginMessageKind::StepperSettings
                                                : PluginMessageKind::Malformed;
        case kTextLetter:
            return CountedLength(bytes, length) ? PluginMessageKind::Text
                                                : PluginMessageKind::Malformed;
        case kOutputLetter:
            return CountedLength(bytes, length) ? PluginMessageKind::Outputs
                                                : PluginMessageKind::Malformed;
        case kPanelTextLetter:
            return PluginMessageKind::PanelText;
        default:
            return PluginMessageKind::Malformed;
    }
}

RoadEvent RoadEventFor(PluginMessageKind kind) {
    switch (kind) {
        case PluginMessageKind::Discovery:
            return RoadEvent::Discovery;
        case PluginMessageKind::Ping:
            return RoadEvent::Ping;
        case PluginMessageKind::InputRequest:
            return RoadEvent::InputRequest;
        case PluginMessageKind::ConfigUpload:
            return RoadEvent::ConfigUpload;
        case PluginMessageKind::IdReply:
            return RoadEvent::IdReply;
        case PluginMessageKind::AnalogSettings:
            return RoadEvent::AnalogSettings;
        case PluginMessageKind::SevenSegmentSettings:
            return RoadEvent::SevenSegmentSettings;
        case PluginMessageKind::StepperSettings:
            return RoadEvent::StepperSettings;
        default:
            return RoadEvent::Other;
    }
}

void BoardCore::ReservePins(const uint8_t* pinSet) {
    memcpy(reserved_, pinSet, sizeof reserved_);
}

void BoardCore::Poll() {
    const uint8_t* message = nullptr;
    uint16_t length = 0;
    while (link_->Receive(&message, &length)) HandleMessage(message, length);
    SendAnswers();
    inputs_.ContinueReport();
    SendEvents();
}

void BoardCore::HandleMessage(const uint8_t* bytes, uint16_t length) {
    ++handled_;
    const PluginMessageKind kind = ClassifyPluginMessage(bytes, length);
    if (kind == PluginMessageKind::Malformed) return;
    uint8_t indexByte = 0;
    if (kind == PluginMessageKind::ConfigUpload) indexByte = bytes[1 + kIndexByte];
    if (kind == PluginMessageKind::IdReply) indexByte = bytes[kIdReplySize - 1];
    const RoadAnswer answer = road_.Take(RoadEventFor(kind), indexByte);
    if (answer.configured) {
        memcpy(pinTable_, bytes + 1, kPinTableSize);
        ClearReservedRoles(pinTable_, reserved_);
        uint8_t levels[(kPinCount + 7) / 8] = {};
        hardware_.ConfigurePins(pinTable_, levels);
        inputs_.Configure(pinTable_, levels);
        displayCount_ = 0;
    }
    TakeSettings(kind, bytes, length);
    if (kind == PluginMessageKind::Outputs && road_.configured()) ApplyOutputs(bytes, length);
    Answer(answer);
}

void BoardCore::Answer(const RoadAnswer& answer) {
    if (answer.identify) identify_ = true;
    if (answer.configured) request_ = 0;  // requests of an earlier road are void
    if (answer.request != 0) request_ = answer.request;
    if (answer.reportInputs) inputs_.StartReport();
}

// Settings are kept whenever they come, asked for now or not.
void BoardCore::TakeSettings(PluginMessageKind kind, const uint8_t* bytes, uint16_t length) {
    if (!road_.configured()) return;
    const uint8_t count = length >= 2 ? bytes[1] : 0;
    switch (kind) {
        case PluginMessageKind::AnalogSettings:
            inputs_.ConfigureAnalog(bytes + 1);
            break;
        case PluginMessageKind::SevenSegmentSettings:
            displayCount_ = count < kMaxDisplays ? count : kMaxDisplays;
            memcpy(displays_, bytes + 2, displayCount_);
            hardware_.ConfigureDisplays(displays_, displayCount_);
            break;
        case PluginMessageKind::StepperSettings:
            hardware_.ConfigureSteppers(bytes + 2, static_cast<uint8_t>(count / 3));
            break;
        default:
            break;
    }
}

void BoardCore::ApplyOutputs(const uint8_t* bytes, uint16_t length) {
    RecordCursor cursor(bytes + 2, static_cast<uint8_t>(length - 2));
    OutputRecord record;
    // Records before one that is cut short still apply: each is whole.
    while (cursor.Next(&record)) ApplyRecord(record);
}

bool BoardCore::IsDisplay(uint8_t pin) const {
    for (uint8_t i = 0; i < displayCount_; ++i) {
        if (displays_[i] == pin) return true;
    }
    return false;
}

// A record drives its pin only when the pin table gave the pin the matching
// role: a wrong pin byte never drives a pin wired as an input.
void BoardCore::ApplyRecord(const OutputRecord& record) {
    if (record.pin >= kPinCount) return;
    const PinFamily family = DecodePinMode(pinTable_[record.pin]).family;
    switch (record.letter) {
        case kLedOn:
        case kLedOff:
            if (family == PinFamily::LedOutput)
                hardware_.SetLed(record.pin, record.letter == kLedOn);
            return;
        case kCountedRecord:
            if (family != PinFamily::LedOutput) return;
            if (IsDisplay(record.pin)) {
                hardware_.ShowDigits(record.pin, record.body + 1, record.body[0]);
            } else {
                hardware_.SetLedPort(record.pin, record.body + 1, record.body[0]);
            }
            return;
        case kPwmRecord:
            if (family == PinFamily::PwmOutput) hardware_.SetPwm(record.pin, record.body[0]);
            return;
        case kStepperRecord:
            if (family == PinFamily::StepperFirstKind || family == PinFamily::StepperSecondKind) {
                hardware_.SetStepper(record.pin, static_cast<int16_t>(ReadLe16(record.body)),
                                     ReadLe16(record.body + 2));
            }
            return;
        case kByteDataRecord:
            return;  // a text: no pin shows it
        default:
            break;
    }
    if (family != PinFamily::ServoOutput) return;
    const float value = ReadLeFloat(record.body);
    uint16_t width = kServoShortest;
    // Also a NaN lands on the shortest pulse.
    if (value > kServoShortest)
        width = value >= kServoLongest ? kServoLongest : static_cast<uint16_t>(value + 0.5f);
    hardware_.SetServo(record.pin, width);
}

void BoardCore::SendAnswers() {
    if (identify_) {
        const BoardMessage id = NumberedIdentification(kLibraryVersion, number_);
        if (!link_->CanSend(id.length)) return;
        link_->Send(id.bytes, id.length);
        identify_ = false;
    }
    if (request_ != 0) {
        const BoardMessage request = ControlRequest(request_);
        if (!link_->CanSend(request.length)) return;
        link_->Send(request.bytes, request.length);
        request_ = 0;
    }
}

void BoardCore::SendEvents() {
    if (!road_.configured()) return;
    InputQueue& queue = inputs_.queue();
    while (!queue.empty()) {
        InputEvent& event = queue.front();
        char key[8];
        FormatKey(event.letter, event.number, key, sizeof key);
        BoardMessage message;
        uint8_t steps = 0;
        const uint8_t index = road_.indexByte();
        if (event.letter == 'E') {
            steps = TurnEvent(index, key, event.state == '+', event.value, &message);
        } else if (event.state == '+' || event.state == '-') {
            SwitchEvent(index, key, event.state == '+', &message);
        } else if (event.state == '/') {
            message = BoardMessage();
            message.Append(index);
            message.AppendText(key);
            message.Append('/');
            message.AppendDecimal(event.value);
        } else {
            ValueEvent(index, key, event.value, &message);
        }
        if (!link_->CanSend(message.length)) return;
        if (Sendable(message.bytes, message.length, link_->serial())) {
            link_->Send(message.bytes, message.length);
        }
        if (steps > 0 && event.value > steps) {
            event.value = static_cast<uint16_t>(event.value - steps);  // the rest next message
            continue;
        }
        queue.Pop();
    }
}

}  // namespace kxfw
