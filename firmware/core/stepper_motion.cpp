#include "stepper_motion.h"

namespace kxfw {

namespace {

// The timer steps a motor at most this often (the hardware layer's tick).
const uint16_t kFastestStepRate = 4000;
// A 28BYJ-48 loses steps above about 800 half-steps a second.
const uint16_t kGearedStepRate = 800;
// Moves that the frame time would make slower than this still finish.
const uint16_t kSlowestSpeed = 20;

int32_t Abs(int32_t v) {
    return v < 0 ? -v : v;
}

}  // namespace

uint16_t IntegerSqrt(uint32_t value) {
    uint32_t root = 0;
    uint32_t bit = 1UL << 30;
    while (bit > value) bit >>= 2;
    while (bit != 0) {
        if (value >= root + bit) {
            value -= root + bit;
            root = (root >> 1) + bit;
        } else {
            root >>= 1;
        }
        bit >>= 2;
    }
    return static_cast<uint16_t>(root);
}

// Two turns a second at most, within what the motor and the timer can do;
// the top speed is reached in a quarter of a second.
StepperLimits LimitsFor(bool firstKind, uint16_t stepsPerTurn) {
    const uint16_t fastest = firstKind ? kFastestStepRate : kGearedStepRate;
    uint32_t top = stepsPerTurn == 0 ? 1000 : 2UL * stepsPerTurn;
    if (top > fastest) top = fastest;
    if (top < 50) top = 50;
    StepperLimits limits = {static_cast<uint16_t>(top), static_cast<uint16_t>(top * 4)};
    return limits;
}

void StepperMotion::SetLimits(StepperLimits limits) {
    limits_ = limits;
    brakingSteps_ = static_cast<uint16_t>(
        static_cast<uint32_t>(limits.topSpeed) * limits.topSpeed / (2UL * limits.acceleration) + 1);
    changePerPeriod_ = static_cast<uint16_t>(static_cast<uint32_t>(limits.acceleration) * 256 *
                                             kPlanPeriodUs / 1000000UL);
}

void StepperMotion::SetTarget(int16_t target, uint16_t frameUnits) {
    target_ = target;
    // Arriving within one frame: speed = steps left / frame time (a frame
    // counts as at least a millisecond).
    if (frameUnits > 0 && frameUnits < 100) frameUnits = 100;
    pace_ = frameUnits == 0 ? 0 : 25600000UL / frameUnits;
}

int16_t StepperMotion::Plan(int16_t position) {
    const int32_t distance = static_cast<int32_t>(target_) - position;
    const int32_t left = Abs(distance);
    // The fastest speed from which the motor still stops at the target.
    int32_t wanted = limits_.topSpeed;
    if (left < brakingSteps_) {
        wanted = IntegerSqrt(2UL * limits_.acceleration * static_cast<uint32_t>(left));
        if (wanted > limits_.topSpeed) wanted = limits_.topSpeed;
    }
    // Fast enough to arrive within one frame, and no faster. Beyond 4096
    // steps the top speed is the limit anyway.
    if (pace_ > 0 && left > 0 && left <= 4096) {
        int32_t paced = static_cast<int32_t>((static_cast<uint32_t>(left) * pace_) >> 8);
        if (paced < kSlowestSpeed) paced = kSlowestSpeed;
        if (paced < wanted) wanted = paced;
    }
    if (distance < 0) wanted = -wanted;
    // Speed changes by at most the acceleration over one period; the part of
    // a step per second left over is carried to the next period.
    const uint16_t total = static_cast<uint16_t>(carry_ + changePerPeriod_);
    const int32_t change = total >> 8;
    carry_ = total & 0xFF;
    int32_t speed = speed_;
    if (speed < wanted) {
        speed = speed + change > wanted ? wanted : speed + change;
    } else if (speed > wanted) {
        speed = speed - change < wanted ? wanted : speed - change;
    }
    if (left == 0) speed = 0;  // arrived: stand still at once, the timer makes no more steps
    speed_ = static_cast<int16_t>(speed);
    return speed_;
}

}  // namespace kxfw
