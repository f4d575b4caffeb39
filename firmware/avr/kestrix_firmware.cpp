// The Kestrix firmware for the Arduino Mega 2560 on USB: the protocol core
// (firmware/core) on UART0 at 115200 baud, the Mega's pins behind it. The
// loop never waits: the line is read from and written to ring buffers that
// the UART interrupts fill and empty, servos and steppers run from timer 5.
#include <Arduino.h>

#include "board_core.h"
#include "board_number.h"
#include "mega_hardware.h"
#include "serial_stream.h"
#include "steppers.h"
#include "timer5.h"

namespace {

kxavr::SerialStream stream;
kxfw::SerialLink link(stream, kxfw::kUploadSize);
kxavr::MegaHardware hardware;
kxfw::BoardCore core(1, hardware, link);

}  // namespace

void setup() {
    core.SetNumber(kxavr::BoardNumberFromEeprom());
    Serial.begin(115200);
    kxavr::Timer5Begin();
    core.Start();
}

void loop() {
    const uint16_t nowUs = static_cast<uint16_t>(micros());
    const uint16_t nowMs = static_cast<uint16_t>(millis());
    core.Poll();
    hardware.ScanInputs(core.inputs(), static_cast<uint8_t>(nowMs));
    kxavr::SteppersService(nowUs, nowMs);
    // One count per pass in a register of its own: the test host counts the
    // loop's rate from its writes.
    ++GPIOR0;
}
