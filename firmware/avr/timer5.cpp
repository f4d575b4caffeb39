#include "timer5.h"

#include <avr/interrupt.h>
#include <avr/io.h>

namespace kxavr {

void Timer5Begin() {
    const uint8_t saved = SREG;
    cli();
    TCCR5A = 0;           // normal mode, the output pins left to the port
    TCCR5B = _BV(CS51);   // clock / 8
    OCR5A = TCNT5 + 200;  // the first servo frame in 100 microseconds
    OCR5B = TCNT5 + 400;  // the first stepper tick
    TIFR5 = _BV(OCF5A) | _BV(OCF5B);
    TIMSK5 = _BV(OCIE5A) | _BV(OCIE5B);
    SREG = saved;
}

}  // namespace kxavr
