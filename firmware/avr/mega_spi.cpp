#include "mega_spi.h"

#include <avr/io.h>

namespace kxavr {

namespace {

// Port B: 53 SS (PB0), 52 SCK (PB1), 51 MOSI (PB2), 50 MISO (PB3), 10 the
// chip's select (PB4); port G: 4 the SD card's select (PG5).
const uint8_t kSs = _BV(PB0), kSck = _BV(PB1), kMosi = _BV(PB2), kMiso = _BV(PB3),
              kChipSelect = _BV(PB4), kCardSelect = _BV(PG5);

// A byte takes 16 CPU cycles at 8 MHz, a few turns of this loop; the bound
// keeps a port that never finishes (no clock) from holding the loop. Kept
// inline: the SPI bytes are the network's hot path.
inline __attribute__((always_inline)) uint8_t Transfer(uint8_t out) {
    SPDR = out;
    uint8_t guard = 50;
    while (!(SPSR & _BV(SPIF)) && --guard != 0) {
    }
    return SPDR;
}

// One bit of port B: a single sbi/cbi, which no interrupt can split.
inline void Select() {
    PORTB &= static_cast<uint8_t>(~kChipSelect);
}
inline void Deselect() {
    PORTB |= kChipSelect;
}

}  // namespace

void MegaSpi::Begin() {
    PORTG |= kCardSelect;
    DDRG |= kCardSelect;
    PORTB = static_cast<uint8_t>((PORTB | kChipSelect | kSs | kMiso) & ~(kSck | kMosi));
    DDRB = static_cast<uint8_t>((DDRB | kChipSelect | kSs | kSck | kMosi) & ~kMiso);
    SPCR = _BV(SPE) | _BV(MSTR);
    SPSR = _BV(SPI2X);
}

void MegaSpi::End() {
    SPCR = 0;
    const uint8_t pins = kChipSelect | kSs | kSck | kMosi | kMiso;
    DDRB = static_cast<uint8_t>(DDRB & ~pins);
    PORTB = static_cast<uint8_t>(PORTB & ~pins);
    DDRG = static_cast<uint8_t>(DDRG & ~kCardSelect);
    PORTG = static_cast<uint8_t>(PORTG & ~kCardSelect);
}

void MegaSpi::Write(const uint8_t* header, uint8_t headerLength, const uint8_t* out,
                    uint16_t count) {
    Select();
    for (uint8_t i = 0; i < headerLength; ++i) Transfer(header[i]);
    for (uint16_t i = 0; i < count; ++i) Transfer(out[i]);
    Deselect();
}

void MegaSpi::Read(const uint8_t* header, uint8_t headerLength, uint8_t* in, uint16_t count) {
    Select();
    for (uint8_t i = 0; i < headerLength; ++i) Transfer(header[i]);
    for (uint16_t i = 0; i < count; ++i) in[i] = Transfer(0);
    Deselect();
}

}  // namespace kxavr
