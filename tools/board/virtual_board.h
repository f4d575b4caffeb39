// A board the plugin cannot tell from hardware, driven step by step: Step()
// takes everything the transport holds, answers it and returns, without
// waiting or looking at the clock, so tests can run boards frame by frame.
//
// Answers leave at the start of the next Step(), as a board answers on its
// next loop turn. The plugin discards its unread serial input right after it
// writes an upload or an ID reply; an answer written back within the same
// instant, faster than any hardware could, would be discarded with it.
//
// The road of a board is the firmware's (firmware/core/board_road.h):
// answer every discovery request with the identification; on the
// configuration upload (numbered board) or the ID reply (self-configuring
// board) keep the board index and ask for the analog, 7-segment and stepper
// settings in turn, each after the previous reply; after the stepper
// settings switch the outputs on.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "board_messages.h"
#include "board_outputs.h"
#include "board_road.h"
#include "input_commands.h"
#include "plugin_messages.h"
#include "transport.h"

namespace vboard {

struct BoardIdentity {
    static BoardIdentity Numbered(int boardNumber, uint8_t versionByte);
    static BoardIdentity SelfConfiguring(std::string configText);

    bool selfConfiguring = false;
    int boardNumber = 0;      // numbered board: 1..9
    uint8_t versionByte = 0;  // numbered board: library version x 100
    std::string configText;   // self-configuring board

    std::string IdentificationMessage() const;
    // What the plugin's "~" message is for this board: the upload or the ID reply.
    std::size_t tildeLength() const { return selfConfiguring ? kIdReplySize : kUploadSize; }
};

using BoardPhase = kxfw::RoadPhase;

class VirtualBoard {
  public:
    // Lines of the log go to log, each prefixed with label and a space when
    // label is not empty.
    VirtualBoard(BoardIdentity identity, std::unique_ptr<BoardTransport> transport,
                 std::ostream& log, std::string label = "");
    ~VirtualBoard();
    VirtualBoard(const VirtualBoard&) = delete;
    VirtualBoard& operator=(const VirtualBoard&) = delete;

    // Sends the answers decided in the previous step, then handles
    // everything waiting now; never waits.
    void Step();

    // Answers decided but not sent yet: the next Step() sends them.
    std::size_t queuedAnswers() const { return queued_.size(); }

    // For a clean stop: sends "~x" at once when the outputs are on.
    void SwitchOutputsOff();

    // Sends the messages of an input event at once, with the board's index
    // byte; false (and a log line) while the board has no index yet. The
    // board remembers each switch position and analog reading and sends
    // them all again when the plugin asks for every input ("XR").
    bool SendInput(const InputCommand& command);

    int descriptor() const { return transport_->descriptor(); }
    const BoardIdentity& identity() const { return identity_; }
    const BoardTransport& transport() const { return *transport_; }

    // What the plugin has told the board.
    BoardPhase phase() const { return road_.phase(); }
    bool configured() const { return indexByte_.has_value(); }
    // Board index + 1 as received (the first byte of the board's input
    // events), and the index itself; -1 before the board is configured.
    std::optional<uint8_t> indexByte() const { return indexByte_; }
    int boardIndex() const;
    const std::optional<PinTable>& pinTable() const { return pinTable_; }
    const std::optional<AnalogSettings>& analogSettings() const { return analog_; }
    const std::optional<std::vector<uint8_t>>& sevenSegmentPins() const { return sevenSegment_; }
    const std::optional<std::vector<Stepper>>& steppers() const { return steppers_; }
    bool outputsOn() const { return outputsOn_; }
    const kxfw::BoardRoad& road() const { return road_; }
    // Every mode record received, oldest first (kept likewise).
    const std::deque<ModeRecord>& modeRecords() const { return modes_; }
    // What the outputs show now, from every "{" message and panel text.
    const BoardOutputs& outputs() const { return outputs_; }

    // Every decoded plugin message, oldest first; the oldest are dropped
    // beyond kKeptMessages (the plugin sends outputs every frame).
    static constexpr std::size_t kKeptMessages = 4096;
    const std::deque<PluginMessage>& received() const { return received_; }
    std::size_t receivedCount() const { return receivedCount_; }
    // Every message the board sent, unframed, oldest first (kept likewise).
    const std::deque<std::string>& sent() const { return sent_; }
    std::size_t noiseBytes() const { return noiseBytes_; }

  private:
    void Handle(const PluginMessage& message);
    void ShowOutputs(const PluginMessage& message);
    void Configure(uint8_t indexByte);
    void Follow(const kxfw::RoadAnswer& answer);
    void Queue(const std::string& message, const std::string& description);
    void SendQueued();
    void Send(const std::string& message, const std::string& description);
    void Request(ControlRequest request, const std::string& description);
    void LogReceived(const PluginMessage& message);
    void LogNoise(const std::string& bytes);
    void Line(const std::string& text);
    void Lines(const std::vector<std::string>& lines);
    void Details(const std::vector<std::string>& lines);
    void FlushRepeats();
    void ReportAllInputs();

    BoardIdentity identity_;
    std::unique_ptr<BoardTransport> transport_;
    std::ostream& log_;
    std::string label_;

    kxfw::BoardRoad road_;
    std::optional<uint8_t> indexByte_;
    std::optional<PinTable> pinTable_;
    std::optional<AnalogSettings> analog_;
    std::optional<std::vector<uint8_t>> sevenSegment_;
    std::optional<std::vector<Stepper>> steppers_;
    bool outputsOn_ = false;
    std::deque<ModeRecord> modes_;
    // The last event of each key that has a state (switches, analog), as
    // sent without the index byte.
    std::map<std::string, std::string> inputStates_;
    BoardOutputs outputs_;

    std::deque<PluginMessage> received_;
    std::size_t receivedCount_ = 0;
    std::deque<std::string> sent_;
    struct Answer {
        std::string message;
        std::string description;
    };
    std::vector<Answer> queued_;
    std::size_t noiseBytes_ = 0;

    // The same message again and again (an empty output message every
    // frame) is logged once, then counted.
    std::string lastLogged_;
    bool lastLineWasMessage_ = false;
    std::size_t repeats_ = 0;
};

}  // namespace vboard
