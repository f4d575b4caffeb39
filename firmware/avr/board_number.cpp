#include "board_number.h"

#include <avr/eeprom.h>

namespace kxavr {

namespace {

bool Marked() {
    return eeprom_read_byte(reinterpret_cast<const uint8_t*>(0)) == 'K' &&
           eeprom_read_byte(reinterpret_cast<const uint8_t*>(1)) == 'X';
}

}  // namespace

uint8_t BoardNumberFromEeprom() {
    const uint8_t number = eeprom_read_byte(reinterpret_cast<const uint8_t*>(kNumberAddress));
    if (!Marked() || number < 1 || number > 9) return 1;
    return number;
}

bool NetworkSettingsFromEeprom(uint8_t boardNumber, kxnet::NetworkSettings* settings) {
    if (!Marked()) return false;
    uint8_t bytes[kxnet::kSettingsSize];
    eeprom_read_block(bytes, reinterpret_cast<const void*>(kxnet::kSettingsOffset), sizeof bytes);
    return kxnet::ParseNetworkSettings(bytes, boardNumber, settings);
}

}  // namespace kxavr
