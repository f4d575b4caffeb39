#include "lan_status.h"

#include <Arduino.h>
#include <avr/pgmspace.h>

namespace kxavr {

namespace {

// The texts stay in flash (PSTR): RAM is the scarcer of the two.
class Line {
  public:
    explicit Line(uint8_t boardNumber) {
        Text(PSTR("Kestrix board "));
        Char(static_cast<char>('0' + boardNumber));
        Text(PSTR(": "));
    }
    void Char(char c) {
        if (length_ < sizeof text_) text_[length_++] = c;
    }
    void Text(const char* flashText) {
        for (char c = pgm_read_byte(flashText); c != 0; c = pgm_read_byte(++flashText)) Char(c);
    }
    void Number(uint16_t value) {
        char digits[5];
        uint8_t count = 0;
        do {
            digits[count++] = static_cast<char>('0' + value % 10);
            value = static_cast<uint16_t>(value / 10);
        } while (value > 0);
        while (count > 0) Char(digits[--count]);
    }
    void Address(const uint8_t* address) {
        for (uint8_t i = 0; i < 4; ++i) {
            if (i > 0) Char('.');
            Number(address[i]);
        }
    }
    void Send() {
        Text(PSTR("\r\n"));
        if (Serial.availableForWrite() >= length_) Serial.write(text_, length_);
    }

  private:
    char text_[80];
    uint8_t length_ = 0;
};

}  // namespace

void PrintNoShield(uint8_t boardNumber) {
    Line line(boardNumber);
    line.Text(PSTR("no W5500 Ethernet shield answers, the board stays on USB"));
    line.Send();
}

void PrintAskingForAddress(uint8_t boardNumber) {
    Line line(boardNumber);
    line.Text(PSTR("on the LAN, asking for an address by DHCP"));
    line.Send();
}

void PrintLanStatus(uint8_t boardNumber, kxnet::BoardNetwork& network, uint8_t changes) {
    if (changes & kxnet::kAddressLost) {
        Line line(boardNumber);
        line.Text(PSTR("the DHCP lease ended, asking again"));
        line.Send();
    }
    if (changes & kxnet::kChipSetUpAgain) {
        Line line(boardNumber);
        line.Text(PSTR("the Ethernet chip had lost its setup, set up again"));
        line.Send();
    }
    if (changes & kxnet::kAddressTaken) {
        Line line(boardNumber);
        line.Text(PSTR("LAN "));
        line.Address(network.address());
        line.Text(PSTR(", UDP port "));
        line.Number(network.settings().port);
        line.Text(network.settings().dhcp ? PSTR(" (DHCP)") : PSTR(" (fixed address)"));
        line.Send();
    }
}

}  // namespace kxavr
