#include "servos.h"

#include <avr/interrupt.h>
#include <avr/io.h>

#include "fast_pin.h"
#include "timer5.h"

namespace kxavr {

namespace {

const uint16_t kFrameTicks = 20000 * kTicksPerMicrosecond;
// Pulse ends closer together than this are ended in one interrupt.
const uint16_t kSameEndTicks = 12;
// How early the interrupt comes before an edge: longer than the longest
// other interrupt (some 10 microseconds).
const uint16_t kLeadTicks = 30;

struct ServoEnd {
    FastPin pin;
    uint16_t ticks;
};

// What the loop has set, by servo, and the frame table the interrupt runs:
// the loop builds the next table sorted and hands it over at a frame start.
uint8_t servoPins[kMaxServos];
uint16_t servoTicks[kMaxServos];
uint8_t servoCount = 0;

ServoEnd tables[2][kMaxServos];
uint8_t tableCount[2] = {0, 0};
volatile uint8_t running = 0;     // the table the interrupt runs
volatile bool nextReady = false;  // the other table holds newer widths
uint16_t frameStart = 0;
uint8_t nextEnd = 0;
bool inFrame = false;

void BuildNext() {
    const uint8_t build = running ^ 1;
    ServoEnd* table = tables[build];
    for (uint8_t i = 0; i < servoCount; ++i) {
        // Insertion sort by width: a handful of servos.
        ServoEnd entry = {FastPin::For(servoPins[i]), servoTicks[i]};
        uint8_t at = i;
        while (at > 0 && table[at - 1].ticks > entry.ticks) {
            table[at] = table[at - 1];
            --at;
        }
        table[at] = entry;
    }
    tableCount[build] = servoCount;
    nextReady = true;
}

}  // namespace

void ServosClear() {
    const uint8_t saved = SREG;
    cli();
    for (uint8_t t = 0; t < 2; ++t) {
        for (uint8_t i = 0; i < tableCount[t]; ++i) tables[t][i].pin.WriteFromInterrupt(false);
        tableCount[t] = 0;
    }
    servoCount = 0;
    nextReady = false;
    SREG = saved;
}

void ServoSet(uint8_t pin, uint16_t microseconds) {
    uint8_t i = 0;
    while (i < servoCount && servoPins[i] != pin) ++i;
    if (i == servoCount) {
        if (servoCount >= kMaxServos) return;
        servoPins[servoCount++] = pin;
    }
    servoTicks[i] = microseconds * kTicksPerMicrosecond;
    // The interrupt may be taking the other table right now: wait for its
    // frame start rather than write under it.
    if (nextReady) {
        const uint8_t saved = SREG;
        cli();
        nextReady = false;
        SREG = saved;
    }
    BuildNext();
}

// The compare interrupt comes kLeadTicks before each edge and waits for the
// edge's exact tick: another interrupt running when the compare matches
// (the UART's, millis') then delays nothing, and every pulse keeps its
// width to the tick.
static inline void WaitFor(uint16_t tick) {
    while (static_cast<int16_t>(tick - TCNT5) > 0) {
    }
}

// Frame start: every servo pin high, then each low at its width.
ISR(TIMER5_COMPA_vect) {
    if (!inFrame) {
        if (nextReady) {
            running ^= 1;
            nextReady = false;
        }
        frameStart = OCR5A + kLeadTicks;
        const ServoEnd* table = tables[running];
        WaitFor(frameStart);
        for (uint8_t i = 0; i < tableCount[running]; ++i) table[i].pin.WriteFromInterrupt(true);
        nextEnd = 0;
        inFrame = tableCount[running] > 0;
        OCR5A = (inFrame ? frameStart + table[0].ticks : frameStart + kFrameTicks) - kLeadTicks;
        return;
    }
    const ServoEnd* table = tables[running];
    const uint8_t count = tableCount[running];
    while (nextEnd < count) {
        const uint16_t end = frameStart + table[nextEnd].ticks;
        const int16_t ahead = static_cast<int16_t>(end - TCNT5);
        if (ahead > static_cast<int16_t>(kSameEndTicks + kLeadTicks)) break;
        WaitFor(end);
        table[nextEnd++].pin.WriteFromInterrupt(false);
    }
    if (nextEnd < count) {
        OCR5A = frameStart + table[nextEnd].ticks - kLeadTicks;
    } else {
        inFrame = false;
        OCR5A = frameStart + kFrameTicks - kLeadTicks;
    }
}

}  // namespace kxavr
