// The Kestrix firmware for the Arduino Mega 2560: the protocol core
// (firmware/core) on USB (UART0 at 115200 baud) or, when the EEPROM says
// the board is on the LAN and a W5500 Ethernet shield answers, on UDP
// (firmware/net); the Mega's pins behind it. One .hex serves both. The
// loop never waits: the line is read from and written to ring buffers that
// the UART interrupts fill and empty, the network chip is asked each pass
// whether something came and whether the last datagram is out, servos and
// steppers run from timer 5.
#include <Arduino.h>

#include "board_core.h"
#include "board_network.h"
#include "board_number.h"
#include "lan_status.h"
#include "mega_hardware.h"
#include "mega_spi.h"
#include "serial_stream.h"
#include "steppers.h"
#include "timer5.h"

namespace {

kxavr::SerialStream stream;
kxfw::SerialLink serialLink(stream, kxfw::kUploadSize);
kxavr::MegaSpi spi;
kxnet::BoardNetwork network(spi);
kxfw::DatagramLink lanLink(network.pluginPort(), kxfw::kUploadSize);
kxavr::MegaHardware hardware;
kxfw::BoardCore core(1, hardware, serialLink);
uint8_t boardNumber = 1;
bool onLan = false;

// The LAN when the EEPROM asks for it and the shield answers; USB else,
// with the shield's pins given back.
void ChooseLine() {
    kxnet::NetworkSettings settings;
    if (!kxavr::NetworkSettingsFromEeprom(boardNumber, &settings)) return;
    spi.Begin();
    if (!network.Start(settings, boardNumber, millis())) {
        spi.End();
        kxavr::PrintNoShield(boardNumber);
        return;
    }
    onLan = true;
    core.UseLink(lanLink);
    core.ReservePins(kxavr::kShieldPins);
    hardware.ReservePins(kxavr::kShieldPins);
    if (settings.dhcp) kxavr::PrintAskingForAddress(boardNumber);
}

}  // namespace

void setup() {
    boardNumber = kxavr::BoardNumberFromEeprom();
    core.SetNumber(boardNumber);
    Serial.begin(115200);
    ChooseLine();
    kxavr::Timer5Begin();
    // On USB the plugin may have the port open already: the board announces
    // itself. On the LAN it knows no plugin yet; a plugin that knew it before
    // a restart finds it by its ping, which an unconfigured board answers.
    if (!onLan) core.Start();
}

void loop() {
    const uint32_t nowMs32 = millis();
    const uint16_t nowUs = static_cast<uint16_t>(micros());
    const uint16_t nowMs = static_cast<uint16_t>(nowMs32);
    if (onLan) {
        network.Poll(nowMs32);
        const uint8_t changes = network.TakeChanges();
        if (changes != 0) kxavr::PrintLanStatus(boardNumber, network, changes);
    }
    core.Poll();
    hardware.ScanInputs(core.inputs(), static_cast<uint8_t>(nowMs));
    kxavr::SteppersService(nowUs, nowMs);
    // One count per pass in a register of its own: the test host counts the
    // loop's rate from its writes.
    ++GPIOR0;
}
