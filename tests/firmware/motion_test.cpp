// Steppers reach their target without passing it, within their limits.
#include <gtest/gtest.h>

#include <cstdlib>

#include "stepper_motion.h"

namespace {

// Steps the way the board's timer does, planning every period;
// returns the milliseconds until the motor stands at the target.
int MoveTo(kxfw::StepperMotion& motion, int16_t* position, int16_t target, int* overshoot,
           int* fastest) {
    motion.SetTarget(target, 2500);
    double exact = *position;
    for (int tick = 0; tick < 20000; ++tick) {
        const int16_t speed = motion.Plan(*position);
        *fastest = std::max(*fastest, std::abs(speed));
        exact += speed * (kxfw::kPlanPeriodUs / 1e6);
        *position = static_cast<int16_t>(exact);
        *overshoot = std::max(*overshoot, (target - *position) * (target > 0 ? -1 : 1));
        if (*position == target && speed == 0) return tick * kxfw::kPlanPeriodUs / 1000;
    }
    return -1;
}

}  // namespace

TEST(firmwareMotion, StepperArrivesWithinItsLimitsBothWays) {
    struct Row {
        bool firstKind;
        uint16_t stepsPerTurn;
        int16_t target;
    } rows[] = {{true, 400, 2000}, {true, 3200, -3000}, {false, 4096, 300}, {true, 0, 5}};
    for (const Row& row : rows) {
        kxfw::StepperMotion motion;
        const kxfw::StepperLimits limits = kxfw::LimitsFor(row.firstKind, row.stepsPerTurn);
        motion.SetLimits(limits);
        int16_t position = 0;
        int overshoot = 0, fastest = 0;
        EXPECT_GE(MoveTo(motion, &position, row.target, &overshoot, &fastest), 0) << row.target;
        EXPECT_LE(overshoot, 1) << row.target;
        EXPECT_LE(fastest, limits.topSpeed);
    }
    // A target behind a moving motor: it slows down within its acceleration,
    // turns and arrives without passing the new target.
    kxfw::StepperMotion motion;
    motion.SetLimits(kxfw::LimitsFor(true, 400));
    motion.SetTarget(2000, 0);
    int16_t position = 0, speed = 0;
    double exact = 0;
    for (int k = 0; k < 200; ++k) {
        speed = motion.Plan(position);
        exact += speed * (kxfw::kPlanPeriodUs / 1e6);
        position = static_cast<int16_t>(exact);
    }
    ASSERT_GT(speed, 0);
    motion.SetTarget(100, 0);
    int16_t last = speed, lowest = position;
    for (int k = 0; k < 5000 && !(position == 100 && speed == 0); ++k) {
        speed = motion.Plan(position);
        // At the target it stands still at once, from a crawl.
        const bool stop = speed == 0 && position == 100;
        EXPECT_LE(std::abs(speed - last), stop ? 120 : 3200 * 2 / 1000 + 1);
        last = speed;
        exact += speed * (kxfw::kPlanPeriodUs / 1e6);
        position = static_cast<int16_t>(exact);
        lowest = std::min(lowest, position);
    }
    EXPECT_EQ(position, 100);
    EXPECT_GE(lowest, 99);
    EXPECT_EQ(kxfw::IntegerSqrt(1000000), 1000);
    EXPECT_EQ(kxfw::IntegerSqrt(99), 9);
}
