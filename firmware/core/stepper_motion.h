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
    void SetLimits(StepperLimits limits) { limits_ = limits; }
    // A new target (steps) and the plugin's frame time (10-microsecond units).
    void SetTarget(int16_t target, uint16_t frameUnits) {
        target_ = target;
        frameUnits_ = frameUnits;
    }
    // The position now (the timer's count of steps made) and the time since
    // the last call; returns the signed speed to step at (steps per second).
    int16_t Plan(int16_t position, uint16_t elapsedUs);

    int16_t target() const { return target_; }
    int16_t speed() const { return speed_; }

  private:
    StepperLimits limits_ = {1000, 4000};
    int16_t target_ = 0;
    uint16_t frameUnits_ = 0;
    int16_t speed_ = 0;
    uint32_t carry_ = 0;  // acceleration in progress, in steps/s x 1e-6 (sub-step speed)
};

// The integer square root of value.
uint16_t IntegerSqrt(uint32_t value);

}  // namespace kxfw
