#include "steppers.h"

#include <avr/interrupt.h>
#include <avr/io.h>
#include <util/delay.h>

#include "board_core.h"
#include "fast_pin.h"
#include "stepper_motion.h"

namespace kxavr {

namespace {

const uint16_t kTickTicks = 400;  // 200 microseconds of timer 5: 5 kHz
const uint16_t kCoilsOffAfterMs = 1000;

// Half steps of a 28BYJ-48: IN1..IN4 as bits 0..3.
const uint8_t kHalfSteps[8] = {0x1, 0x3, 0x2, 0x6, 0x4, 0xC, 0x8, 0x9};

struct Stepper {
    uint8_t pin;
    bool geared;
    FastPin step;      // first kind
    FastPin coils[4];  // second kind
    volatile int16_t position;
    volatile int16_t target;
    volatile uint16_t increment;  // phase added per tick: steps per tick x 65536
    volatile int8_t direction;
    uint16_t phase;
    uint8_t halfStep;
    bool coilsOn;
    uint16_t restingSince;
    kxfw::StepperMotion motion;
};

Stepper steppers[kxfw::kMaxSteppers];
volatile uint8_t stepperCount = 0;
FastPin directionPin;
volatile bool ticking = false;
uint16_t lastPlanUs = 0;

void WriteCoils(const Stepper& s, uint8_t pattern) {
    for (uint8_t k = 0; k < 4; ++k) s.coils[k].WriteFromInterrupt((pattern >> k) & 1);
}

// One step the way the stepper's driver wants it.
void StepOnce(Stepper& s) {
    if (s.geared) {
        s.halfStep = static_cast<uint8_t>((s.halfStep + s.direction) & 7);
        WriteCoils(s, kHalfSteps[s.halfStep]);
        s.coilsOn = true;
    } else {
        if (directionPin.valid()) directionPin.WriteFromInterrupt(s.direction > 0);
        _delay_us(1);  // DIR settles before the STEP edge (200 ns needed)
        s.step.WriteFromInterrupt(true);
        _delay_us(2);  // STEP high for at least 1 microsecond
        s.step.WriteFromInterrupt(false);
    }
    s.position = static_cast<int16_t>(s.position + s.direction);
}

Stepper* Find(uint8_t pin) {
    for (uint8_t i = 0; i < stepperCount; ++i) {
        if (steppers[i].pin == pin) return &steppers[i];
    }
    return nullptr;
}

}  // namespace

// A stepper that keeps its pin and kind across a new configuration (the
// plugin configures a board again after a Reconnect) keeps its position:
// its needle has not moved.
void SteppersConfigure(const uint8_t* pinTable) {
    struct Kept {
        uint8_t pin;
        bool geared;
        int16_t position;
        uint8_t halfStep;
    } kept[kxfw::kMaxSteppers];
    const uint8_t saved = SREG;
    cli();
    const uint8_t keptCount = stepperCount;
    for (uint8_t i = 0; i < keptCount; ++i) {
        kept[i] = {steppers[i].pin, steppers[i].geared, steppers[i].position, steppers[i].halfStep};
    }
    stepperCount = 0;
    directionPin = FastPin();
    SREG = saved;
    uint8_t count = 0;
    for (uint8_t pin = 0; pin < kxfw::kPinCount; ++pin) {
        const uint8_t code = pinTable[pin];
        if (code == 11) directionPin = FastPin::For(pin);
        if ((code != 9 && code != 10) || count >= kxfw::kMaxSteppers) continue;
        if (code == 9 && pin + 3 >= kxfw::kPinCount) continue;
        Stepper& s = steppers[count++];
        s = Stepper();
        s.pin = pin;
        s.geared = code == 9;
        s.step = FastPin::For(pin);
        for (uint8_t k = 0; k < 4 && s.geared; ++k) {
            s.coils[k] = FastPin::For(static_cast<uint8_t>(pin + k));
            pinMode(pin + k, OUTPUT);
        }
        s.motion.SetLimits(kxfw::LimitsFor(!s.geared, 0));
        for (uint8_t k = 0; k < keptCount; ++k) {
            if (kept[k].pin != pin || kept[k].geared != s.geared) continue;
            s.position = s.target = kept[k].position;
            s.halfStep = kept[k].halfStep;
            s.motion.SetTarget(kept[k].position, 0);
        }
    }
    stepperCount = count;
}

void SteppersSetTurns(const uint8_t* bytes, uint8_t count) {
    for (uint8_t i = 0; i < count; ++i) {
        Stepper* s = Find(bytes[3 * i]);
        const uint16_t turn = static_cast<uint16_t>(bytes[3 * i + 1] | (bytes[3 * i + 2] << 8));
        if (s != nullptr) s->motion.SetLimits(kxfw::LimitsFor(!s->geared, turn));
    }
}

void StepperTarget(uint8_t pin, int16_t target, uint16_t frameUnits) {
    Stepper* s = Find(pin);
    if (s == nullptr) return;
    s->motion.SetTarget(target, frameUnits);
    const uint8_t saved = SREG;
    cli();
    s->target = target;
    SREG = saved;
}

void SteppersService(uint16_t nowUs, uint16_t nowMs) {
    if (static_cast<uint16_t>(nowUs - lastPlanUs) < kxfw::kPlanPeriodUs) return;
    lastPlanUs = static_cast<uint16_t>(lastPlanUs + kxfw::kPlanPeriodUs);
    // A loop held up for longer than a period does not plan twice.
    if (static_cast<uint16_t>(nowUs - lastPlanUs) >= kxfw::kPlanPeriodUs) lastPlanUs = nowUs;
    for (uint8_t i = 0; i < stepperCount; ++i) {
        Stepper& s = steppers[i];
        uint8_t saved = SREG;
        cli();
        const int16_t position = s.position;
        SREG = saved;
        const int16_t speed = s.motion.Plan(position);
        const uint16_t magnitude = static_cast<uint16_t>(speed < 0 ? -speed : speed);
        // magnitude x 65536 / 5000 ticks a second, without a division.
        const uint32_t increment = (static_cast<uint32_t>(magnitude) * 53687UL) >> 12;
        saved = SREG;
        cli();
        s.increment = increment > 65535 ? 65535 : static_cast<uint16_t>(increment);
        s.direction = speed > 0 ? 1 : speed < 0 ? -1 : 0;
        SREG = saved;
        if (speed != 0 || position != s.target) {
            s.restingSince = nowMs;
        } else if (s.geared && s.coilsOn &&
                   static_cast<uint16_t>(nowMs - s.restingSince) >= kCoilsOffAfterMs) {
            saved = SREG;
            cli();
            WriteCoils(s, 0);
            s.coilsOn = false;
            SREG = saved;
        }
    }
}

// The stepper tick lets the servo interrupt in once its own 16-bit timer
// register is written (the two share the timer's byte latch): a servo pulse
// must end on time even while several steppers step.
ISR(TIMER5_COMPB_vect) {
    OCR5B += kTickTicks;
    if (ticking) return;
    ticking = true;
    sei();
    for (uint8_t i = 0; i < stepperCount; ++i) {
        Stepper& s = steppers[i];
        if (s.direction == 0) continue;
        const uint16_t before = s.phase;
        s.phase = static_cast<uint16_t>(s.phase + s.increment);
        if (s.phase >= before) continue;  // no whole step yet
        // Never past the target in the direction of travel.
        if (s.position == s.target) continue;
        StepOnce(s);
    }
    cli();
    ticking = false;
}

}  // namespace kxavr
