// A numbered board's protocol, the same on the ATmega2560 and on the host:
// it takes the plugin's messages from a link, walks the board's road
// (identification, upload, settings, outputs on), applies output records
// through the hardware layer by the role each pin was given, and sends the
// queued input events. Nothing here waits or allocates: every buffer is a
// member of fixed size.
#pragma once

#include <stdint.h>

#include "board_link.h"
#include "board_road.h"
#include "input_engine.h"
#include "output_records.h"
#include "pin_modes.h"
#include "wire_format.h"

namespace kxfw {

const uint8_t kMaxDisplays = 16;
const uint8_t kMaxSteppers = 10;
const uint16_t kServoShortest = 400;  // microseconds
const uint16_t kServoLongest = 2600;

// What the board's pins do, as the hardware layer implements it.
class BoardHardware {
  public:
    // A new pin table: every pin takes its role (inputs with pull-ups,
    // outputs low); levels receives each pin's level afterwards (bit set:
    // high), 7 bytes.
    virtual void ConfigurePins(const uint8_t* pinTable, uint8_t* levels) = 0;
    virtual void ConfigureDisplays(const uint8_t* pins, uint8_t count) = 0;
    // Per stepper: pin, steps per turn (low byte, high byte).
    virtual void ConfigureSteppers(const uint8_t* bytes, uint8_t count) = 0;
    virtual void SetLed(uint8_t pin, bool on) = 0;
    virtual void SetPwm(uint8_t pin, uint8_t value) = 0;
    virtual void SetServo(uint8_t pin, uint16_t microseconds) = 0;
    virtual void SetStepper(uint8_t pin, int16_t target, uint16_t frameUnits) = 0;
    // Segment bytes as sent, leftmost digit first.
    virtual void ShowDigits(uint8_t pin, const uint8_t* segments, uint8_t count) = 0;
    // The LED port's bytes as sent: the last port byte (LEDs 57 to 64 at
    // most) first, port byte 0 (LEDs 1 to 8) last.
    virtual void SetLedPort(uint8_t pin, const uint8_t* bytes, uint8_t count) = 0;

  protected:
    ~BoardHardware() {}
};

// The plugin's message kinds, by first byte and exact length.
enum class PluginMessageKind : uint8_t {
    Discovery,
    Ping,
    InputRequest,
    ConfigUpload,
    IdReply,
    AnalogSettings,
    SevenSegmentSettings,
    StepperSettings,
    Text,
    Outputs,  // "{": output records or a mode line's record
    PanelText,
    Malformed,
};
PluginMessageKind ClassifyPluginMessage(const uint8_t* bytes, uint16_t length);
RoadEvent RoadEventFor(PluginMessageKind kind);

class BoardCore {
  public:
    BoardCore(uint8_t boardNumber, BoardHardware& hardware, BoardLink& link)
        : number_(boardNumber), hardware_(hardware), link_(&link), road_(false) {}

    // The line the board talks on, chosen at power-up (USB or the LAN).
    void UseLink(BoardLink& link) { link_ = &link; }
    // Pins the board keeps for itself (an Ethernet shield's): every
    // configuration has the roles that would touch them taken away.
    void ReservePins(const uint8_t* pinSet);

    // At power-up: the board announces itself, so a plugin that has the port
    // open already configures it again after a restart.
    void Start() { identify_ = true; }
    // The number the board announces (1 to 9), read at power-up.
    void SetNumber(uint8_t boardNumber) { number_ = boardNumber; }
    // One turn of the main loop: every whole message waiting is handled,
    // then answers and input events go out as far as the line takes them.
    void Poll();
    void HandleMessage(const uint8_t* bytes, uint16_t length);

    InputEngine& inputs() { return inputs_; }
    const BoardRoad& road() const { return road_; }
    const uint8_t* pinTable() const { return pinTable_; }
    uint8_t boardNumber() const { return number_; }
    uint32_t messagesHandled() const { return handled_; }

  private:
    void Answer(const RoadAnswer& answer);
    void TakeSettings(PluginMessageKind kind, const uint8_t* bytes, uint16_t length);
    void ApplyOutputs(const uint8_t* bytes, uint16_t length);
    void ApplyRecord(const OutputRecord& record);
    bool IsDisplay(uint8_t pin) const;
    void SendAnswers();
    void SendEvents();

    uint8_t number_;
    BoardHardware& hardware_;
    BoardLink* link_;
    uint8_t reserved_[kPinSetBytes] = {};
    BoardRoad road_;
    InputEngine inputs_;
    uint8_t pinTable_[kPinTableSize] = {};
    uint8_t displays_[kMaxDisplays] = {};
    uint8_t displayCount_ = 0;
    bool identify_ = false;
    char request_ = 0;
    uint32_t handled_ = 0;
};

}  // namespace kxfw
