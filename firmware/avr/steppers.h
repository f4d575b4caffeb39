// Steppers of two kinds, stepped by timer 5's compare unit B at 5 kHz and
// planned from the loop (firmware/core/stepper_motion.h):
//   first kind ("G", code 10)   a step/direction driver (A4988, DRV8825,
//                               TMC2208): STEP on the output's pin, DIR on
//                               the board's one direction pin (code 11),
//                               shared by every such driver: it is set
//                               before each step pulse, and a driver only
//                               reads it at its own step pulse
//   second kind ("g", code 9)   a 28BYJ-48 on a ULN2003 board: IN1 to IN4
//                               on the output's pin and the three after it,
//                               driven in half steps; the coils are switched
//                               off after a second at rest
// A stepper's position counts from where it stood at power-up (step 0).
#pragma once

#include <stdint.h>

namespace kxavr {

void SteppersConfigure(const uint8_t* pinTable);
// Per stepper of the "S" settings: pin, steps per turn (low, high byte).
void SteppersSetTurns(const uint8_t* bytes, uint8_t count);
void StepperTarget(uint8_t pin, int16_t target, uint16_t frameUnits);
// From the loop: every kPlanPeriodUs the speeds are planned and idle coils
// switched off.
void SteppersService(uint16_t nowUs, uint16_t nowMs);

}  // namespace kxavr
