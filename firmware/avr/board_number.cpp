#include "board_number.h"

#include <avr/eeprom.h>

namespace kxavr {

uint8_t BoardNumberFromEeprom() {
    const uint8_t k = eeprom_read_byte(reinterpret_cast<const uint8_t*>(0));
    const uint8_t x = eeprom_read_byte(reinterpret_cast<const uint8_t*>(1));
    const uint8_t number = eeprom_read_byte(reinterpret_cast<const uint8_t*>(kNumberAddress));
    if (k != 'K' || x != 'X' || number < 1 || number > 9) return 1;
    return number;
}

}  // namespace kxavr
