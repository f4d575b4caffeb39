// The road of a board through the plugin's messages, the same for the
// firmware and the virtual board: answer every discovery request with the
// identification, and a ping while the board has no configuration (it
// restarted under a plugin that still knows it, and gets one this way); on the configuration upload (numbered board) or the ID
// reply (self-configuring board) keep the board index and ask for the
// analog, 7-segment and stepper settings in turn, each after the previous
// reply; after the stepper settings switch the outputs on.
#pragma once

#include <stdint.h>

namespace kxfw {

enum class RoadPhase : uint8_t {
    WaitingForConfiguration,
    WaitingForAnalogSettings,
    WaitingForSevenSegmentSettings,
    WaitingForStepperSettings,
    Running,  // outputs switched on
};

// The plugin's messages as the road tells them apart.
enum class RoadEvent : uint8_t {
    Discovery,             // "XP"
    Ping,                  // "XX"
    InputRequest,          // "XR"
    ConfigUpload,          // "~" + pin table
    IdReply,               // "~" + 5 zeros + index byte
    AnalogSettings,        // "A" ...
    SevenSegmentSettings,  // "N" ...
    StepperSettings,       // "S" ...
    Other,                 // outputs, texts: no step on the road
};

// What the board does about one message.
struct RoadAnswer {
    bool identify = false;      // send the identification
    bool reportInputs = false;  // send the state of every input
    bool configured = false;    // a new index byte: every setting before it is void
    bool wrongKind = false;     // an upload to a self-configuring board, or the other way
    bool outOfTurn = false;     // settings not asked for now (kept all the same)
    char request = 0;           // the control request to send next ('a', 'n', 's', 'w')
};

class BoardRoad {
  public:
    explicit BoardRoad(bool selfConfiguring) : selfConfiguring_(selfConfiguring) {}

    RoadAnswer Take(RoadEvent event, uint8_t indexByte);

    RoadPhase phase() const { return phase_; }
    bool configured() const { return configured_; }
    uint8_t indexByte() const { return indexByte_; }
    bool outputsOn() const { return phase_ == RoadPhase::Running; }
    // Back to the start, as after a restart of the board.
    void Restart() { *this = BoardRoad(selfConfiguring_); }

  private:
    RoadAnswer Configure(uint8_t indexByte);
    RoadAnswer Settings(RoadPhase expected, RoadPhase next, char request);

    bool selfConfiguring_;
    RoadPhase phase_ = RoadPhase::WaitingForConfiguration;
    bool configured_ = false;
    uint8_t indexByte_ = 0;
};

}  // namespace kxfw
