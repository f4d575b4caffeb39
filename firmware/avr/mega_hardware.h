// The Arduino Mega 2560's pins doing what the pin table says: the hardware
// half of the board, behind the protocol core's BoardHardware. Pins 0 and 1
// carry the USB line (UART0) and are never touched, nor are the pins an
// Ethernet shield takes on a LAN board (ReservePins).
#pragma once

#include <stdint.h>

#include "board_core.h"
#include "pin_modes.h"

namespace kxavr {

class MegaHardware : public kxfw::BoardHardware {
  public:
    void ConfigurePins(const uint8_t* pinTable, uint8_t* levels) override;
    void ConfigureDisplays(const uint8_t* pins, uint8_t count) override;
    void ConfigureSteppers(const uint8_t* bytes, uint8_t count) override;
    void SetLed(uint8_t pin, bool on) override;
    void SetPwm(uint8_t pin, uint8_t value) override;
    void SetServo(uint8_t pin, uint16_t microseconds) override;
    void SetStepper(uint8_t pin, int16_t target, uint16_t frameUnits) override;
    void ShowDigits(uint8_t pin, const uint8_t* segments, uint8_t count) override;
    void SetLedPort(uint8_t pin, const uint8_t* bytes, uint8_t count) override;

    // One pass over the inputs: every switch and encoder, one matrix row and
    // one analog conversion (started here, read on a later pass, never
    // waited for).
    void ScanInputs(kxfw::InputEngine& inputs, uint8_t nowMs);
    void ReservePins(const uint8_t* pinSet);

  private:
    bool Level(uint8_t pin) const { return (*in_[pin] & mask_[pin]) != 0; }
    void ScanMatrixRow(kxfw::InputEngine& inputs, uint8_t nowMs);
    void ScanAnalog(kxfw::InputEngine& inputs);

    bool Reserved(uint8_t pin) const { return kxfw::InPinSet(reserved_, pin); }

    uint8_t pinTable_[kxfw::kPinTableSize] = {};
    uint8_t reserved_[kxfw::kPinSetBytes] = {};
    volatile uint8_t* in_[kxfw::kPinCount] = {};
    uint8_t mask_[kxfw::kPinCount] = {};
    uint8_t switches_[kxfw::kPinCount] = {};  // pins read as switches, in order
    uint8_t switchCount_ = 0;
    uint8_t row_ = 0;
    uint8_t channel_ = 0;
    bool converting_ = false;
};

}  // namespace kxavr
