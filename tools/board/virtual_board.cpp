#include "virtual_board.h"

#include <algorithm>

#include "board_core.h"
#include "board_log.h"
#include "wire.h"

namespace vboard {

namespace {

template <typename T>
void KeepRecent(std::deque<T>* list, T item) {
    list->push_back(std::move(item));
    if (list->size() > VirtualBoard::kKeptMessages) list->pop_front();
}

}  // namespace

BoardIdentity BoardIdentity::Numbered(int boardNumber, uint8_t versionByte) {
    BoardIdentity identity;
    identity.boardNumber = boardNumber;
    identity.versionByte = versionByte;
    return identity;
}

BoardIdentity BoardIdentity::SelfConfiguring(std::string configText) {
    BoardIdentity identity;
    identity.selfConfiguring = true;
    identity.configText = std::move(configText);
    return identity;
}

std::string BoardIdentity::IdentificationMessage() const {
    if (selfConfiguring) return PanelIdentification(configText);
    return NumberedIdentification(versionByte, boardNumber);
}

VirtualBoard::VirtualBoard(BoardIdentity identity, std::unique_ptr<BoardTransport> transport,
                           std::ostream& log, std::string label)
    : identity_(std::move(identity)),
      transport_(std::move(transport)),
      log_(log),
      label_(std::move(label)),
      road_(identity_.selfConfiguring) {
    Line(DescribeIdentity(identity_) + ", on " + transport_->description());
}

VirtualBoard::~VirtualBoard() {
    FlushRepeats();
}

int VirtualBoard::boardIndex() const {
    if (!indexByte_) return -1;
    return *indexByte_ == 0 ? 255 : *indexByte_ - 1;
}

void VirtualBoard::Step() {
    SendQueued();
    std::vector<Incoming> incoming;
    transport_->Receive(&incoming);
    for (const Incoming& item : incoming) {
        switch (item.type) {
            case Incoming::Type::Message:
                Handle(DecodePluginMessage(item.bytes));
                break;
            case Incoming::Type::Noise:
                LogNoise(item.bytes);
                break;
            case Incoming::Type::Note:
                Line("note: " + item.bytes);
                break;
        }
    }
}

void VirtualBoard::SwitchOutputsOff() {
    if (!outputsOn_) return;
    Send(EncodeControlRequest(ControlRequest::OutputsOff), "outputs off");
    outputsOn_ = false;
}

bool VirtualBoard::SendInput(const InputCommand& command) {
    if (!indexByte_) {
        Line("not sent, the plugin has not configured this board yet: " + command.text);
        return false;
    }
    for (const std::string& message : EncodeInputEvents(command, *indexByte_)) {
        Send(message, command.text);
    }
    using Kind = InputCommand::Kind;
    if (command.kind == Kind::Press || command.kind == Kind::Release ||
        command.kind == Kind::Analog) {
        inputStates_[command.key] = EncodeInputEvents(command, 0).front().substr(1);
    }
    return true;
}

// What a board answers "XR" with: the state of every input it knows of.
void VirtualBoard::ReportAllInputs() {
    if (!indexByte_ || inputStates_.empty()) {
        Line("  no input has a state to report yet");
        return;
    }
    for (const auto& [key, event] : inputStates_) {
        Queue(static_cast<char>(*indexByte_) + event, "state of " + key);
    }
}

void VirtualBoard::Handle(const PluginMessage& message) {
    ++receivedCount_;
    KeepRecent(&received_, message);
    LogReceived(message);
    // The firmware's own reading of the message decides the step on the road.
    const uint16_t length =
        static_cast<uint16_t>(std::min<std::size_t>(message.bytes.size(), 0xFFFF));
    const kxfw::RoadEvent event = kxfw::RoadEventFor(kxfw::ClassifyPluginMessage(
        reinterpret_cast<const uint8_t*>(message.bytes.data()), length));
    const kxfw::RoadAnswer answer = road_.Take(event, message.indexByte);
    switch (message.kind) {
        case PluginMessageKind::ConfigUpload:
            if (!answer.wrongKind) {
                pinTable_ = message.pinTable;
                Details(PinTableLines(message.pinTable));
            }
            break;
        case PluginMessageKind::AnalogSettings:
            analog_ = message.analog;
            Details(AnalogLines(message.analog));
            break;
        case PluginMessageKind::SevenSegmentSettings:
            sevenSegment_ = message.sevenSegmentPins;
            Details(SevenSegmentLines(message.sevenSegmentPins));
            break;
        case PluginMessageKind::StepperSettings:
            steppers_ = message.steppers;
            Details(StepperLines(message.steppers));
            break;
        case PluginMessageKind::ModeMessage:
            KeepRecent(&modes_, message.mode);
            ShowOutputs(message);
            break;
        case PluginMessageKind::OutputMessage:
        case PluginMessageKind::PanelText:
            ShowOutputs(message);
            break;
        default:
            break;
    }
    Follow(answer);
}

// What the road says the board does next.
void VirtualBoard::Follow(const kxfw::RoadAnswer& answer) {
    if (answer.identify) Queue(identity_.IdentificationMessage(), DescribeIdentity(identity_));
    if (answer.reportInputs) ReportAllInputs();
    if (answer.wrongKind) {
        Line(identity_.selfConfiguring
                 ? "  ignored: a self-configuring board takes an ID reply, not an upload"
                 : "  ignored: a numbered board takes an upload, not an ID reply");
    }
    if (answer.outOfTurn) Line("  (not asked for at this point; kept)");
    if (answer.configured) Configure(road_.indexByte());
    switch (answer.request) {
        case 'a':
            Request(ControlRequest::SendAnalogSettings, "send analog settings");
            break;
        case 'n':
            Request(ControlRequest::SendSevenSegmentSettings, "send 7-segment settings");
            break;
        case 's':
            Request(ControlRequest::SendStepperSettings, "send stepper settings");
            break;
        case 'w':
            outputsOn_ = true;
            Request(ControlRequest::OutputsOn, "outputs on");
            break;
        default:
            break;
    }
}

// A new configuration: what the previous one brought no longer holds, and
// the plugin keeps the outputs off until asked again.
void VirtualBoard::Configure(uint8_t indexByte) {
    // Requests still queued belong to the previous configuration's road.
    queued_.erase(std::remove_if(queued_.begin(), queued_.end(),
                                 [](const Answer& answer) { return answer.message[0] == '~'; }),
                  queued_.end());
    indexByte_ = indexByte;
    analog_.reset();
    sevenSegment_.reset();
    steppers_.reset();
    outputsOn_ = false;
    if (indexByte == 0)
        Line("  warning: index byte 0; the plugin ignores input events that carry it");
    Line("  board index " + std::to_string(boardIndex()));
}

// A message changes what the outputs show; each change is one line.
void VirtualBoard::ShowOutputs(const PluginMessage& message) {
    if (message.kind == PluginMessageKind::PanelText) {
        Details(ApplyPanelValues(message.panelValues, &outputs_));
        return;
    }
    static const std::vector<uint8_t> kNoDisplays;
    Details(ApplyRecords(message.records, sevenSegment_ ? *sevenSegment_ : kNoDisplays, &outputs_));
}

void VirtualBoard::Request(ControlRequest request, const std::string& description) {
    Queue(EncodeControlRequest(request), description);
}

void VirtualBoard::Queue(const std::string& message, const std::string& description) {
    queued_.push_back({message, description});
}

void VirtualBoard::SendQueued() {
    std::vector<Answer> answers;
    answers.swap(queued_);
    for (const Answer& answer : answers) Send(answer.message, answer.description);
}

void VirtualBoard::Send(const std::string& message, const std::string& description) {
    std::string wire, error;
    bool sent = transport_->Send(message, &wire, &error);
    KeepRecent(&sent_, message);
    Lines(MessageLines("->", wire, description));
    if (!sent) Line("  send failed: " + error);
}

void VirtualBoard::LogReceived(const PluginMessage& message) {
    if (lastLineWasMessage_ && message.bytes == lastLogged_) {
        ++repeats_;
        return;
    }
    Lines(MessageLines("<-", message.bytes, DescribePluginMessage(message)));
    lastLogged_ = message.bytes;
    lastLineWasMessage_ = true;
}

void VirtualBoard::LogNoise(const std::string& bytes) {
    noiseBytes_ += bytes.size();
    Lines(MessageLines("<-", bytes, "noise, skipped"));
}

void VirtualBoard::Lines(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) Line(line);
}

// What a message told the board, indented under the message.
void VirtualBoard::Details(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) Line("  " + line);
}

// Each line goes out whole in one write, so boards sharing a terminal do not
// interleave within a line.
void VirtualBoard::Line(const std::string& text) {
    FlushRepeats();
    lastLineWasMessage_ = false;
    log_ << (label_.empty() ? "" : label_ + " ") + text + "\n" << std::flush;
}

void VirtualBoard::FlushRepeats() {
    if (repeats_ == 0) return;
    std::size_t count = repeats_;
    repeats_ = 0;
    log_ << (label_.empty() ? "" : label_ + " ") + "   (the same " + std::to_string(count) +
                (count == 1 ? " more time)\n" : " more times)\n")
         << std::flush;
}

}  // namespace vboard
