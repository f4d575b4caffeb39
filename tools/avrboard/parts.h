// Parts wired to the emulated board's pins, each told of every pin change
// (pin, new level, emulated time in cycles) as the firmware drives it:
// a MAX7219 display driver, a 74HC595 chain, a step/direction stepper
// driver and a 28BYJ-48 on a ULN2003. They show what a builder's hardware
// would show.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace avrboard {

class Part {
  public:
    virtual ~Part() = default;
    virtual void OnPin(uint8_t pin, bool level, uint64_t cycle) = 0;
};

// DIN and CLK shared, LOAD its own: 16 bits (register, data) latched on
// LOAD's rising edge.
class Max7219 : public Part {
  public:
    Max7219(uint8_t din, uint8_t clk, uint8_t load) : din_(din), clk_(clk), load_(load) {}
    void OnPin(uint8_t pin, bool level, uint64_t cycle) override;
    // The digits shown, leftmost (highest digit register used) first, as
    // characters: a digit, "-", a blank, "?" for another pattern; a lit
    // point follows its digit as ".". Empty while the chip is shut down.
    std::string Text(int digits) const;
    uint64_t lastLatch() const { return lastLatch_; }

  private:
    uint8_t din_, clk_, load_;
    bool dinLevel_ = false, clkLevel_ = false, loadLevel_ = true;
    uint16_t shift_ = 0;
    uint8_t registers_[16] = {};
    uint64_t lastLatch_ = 0;
};

// SER, SRCLK and RCLK of a chain of chips: bits shift in on SRCLK's rising
// edge and show on RCLK's.
class ShiftRegisterChain : public Part {
  public:
    ShiftRegisterChain(uint8_t ser, uint8_t srclk, uint8_t rclk, int chips)
        : ser_(ser), srclk_(srclk), rclk_(rclk), shifted_(8 * chips), shown_(8 * chips) {}
    void OnPin(uint8_t pin, bool level, uint64_t cycle) override;
    // Output k of the chain: QA of the first chip is 0, QH of the first 7,
    // QA of the second 8.
    bool Output(int k) const { return k >= 0 && k < static_cast<int>(shown_.size()) && shown_[k]; }
    uint64_t lastLatch() const { return lastLatch_; }

  private:
    uint8_t ser_, srclk_, rclk_;
    bool serLevel_ = false, srclkLevel_ = false, rclkLevel_ = false;
    std::vector<bool> shifted_, shown_;
    uint64_t lastLatch_ = 0;
};

// A step/direction driver: a step on each rising STEP edge, forward while
// DIR is high.
class StepDirDriver : public Part {
  public:
    StepDirDriver(uint8_t step, uint8_t dir) : step_(step), dir_(dir) {}
    void OnPin(uint8_t pin, bool level, uint64_t cycle) override;
    long position() const { return position_; }
    uint64_t lastStep() const { return lastStep_; }

  private:
    uint8_t step_, dir_;
    bool stepLevel_ = false, dirLevel_ = false;
    long position_ = 0;
    uint64_t lastStep_ = 0;
};

// A 28BYJ-48 on IN1 to IN4 (four pins from first): the half-step pattern
// moving one way or the other.
class GearedStepper : public Part {
  public:
    explicit GearedStepper(uint8_t first) : first_(first) {}
    void OnPin(uint8_t pin, bool level, uint64_t cycle) override;
    long position() const { return position_; }

  private:
    int Phase() const;
    uint8_t first_;
    uint8_t coils_ = 0;
    int phase_ = -1;
    long position_ = 0;
};

}  // namespace avrboard
