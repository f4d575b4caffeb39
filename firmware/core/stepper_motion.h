// How a stepper moves towards its target: the speed it should have now,
// planned from the loop, while the hardware layer's timer steps at that
// speed. The speed rises and falls by the acceleration, never exceeds the top
// speed, is low enough near the target to stop there (the braking curve
// sqrt(2 a d)), and is no higher than needed to arrive within the plugin's
// frame time, so a needle that follows a slowly changing value glides
// instead of starting and stopping every frame.
#pragma once

#include <stdint.h>

namespace kxfw {

// The loop plans every stepper's speed once per period: the arithmetic
// then needs no division (32-bit divisions cost the ATmega2560 some 40
// microseconds each).
const uint16_t kPlanPeriodUs = 2000;

struct StepperLimits {
    uint16_t topSpeed;      // steps per second
    uint16_t acceleration;  // steps per second per second
};

// The top speed and acceleration for a stepper of this kind (first kind: a
// step/direction driver; second kind: a 28BYJ-48 on a ULN2003) with this many
// steps per turn (0: not given).
StepperLimits LimitsFor(bool firstKind, uint16_t stepsPerTurn);

class StepperMotion {
  public:
    void SetLimits(StepperLimits limits);
    // A new target (steps) and the plugin's frame time (10-microsecond units).
    void SetTarget(int16_t target, uint16_t frameUnits);
    // Once per kPlanPeriodUs: the position now (the timer's count of steps
    // made); returns the signed speed to step at (steps per second).
    int16_t Plan(int16_t position);

    int16_t target() const { return target_; }
    int16_t speed() const { return speed_; }

  private:
    StepperLimits limits_ = {1000, 4000};
    uint16_t changePerPeriod_ = 8 * 256;
    uint16_t brakingSteps_ =
        125;             // from the top speed to a stop  // speed change per period, steps/s x 256
    uint32_t pace_ = 0;  // speed per step left to arrive within a frame, x 256
    int16_t target_ = 0;
    int16_t speed_ = 0;
    uint16_t carry_ = 0;  // the part of a step per second not yet added, x 256
};

// The integer square root of value.
uint16_t IntegerSqrt(uint32_t value);

}  // namespace kxfw
