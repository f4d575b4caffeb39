// A board's hardware and serial line on the host: what the protocol core
// asks of the pins is written down as text, the line is two strings.
#pragma once

#include <string>
#include <vector>

#include "board_core.h"

class FakeLine : public kxfw::ByteStream {
  public:
    int16_t ReadByte() override {
        if (at >= in.size()) return -1;
        return static_cast<uint8_t>(in[at++]);
    }
    uint16_t WriteRoom() override { return room; }
    void WriteByte(uint8_t byte) override {
        out += static_cast<char>(byte);
        if (room > 0) --room;
    }
    std::string in, out;
    std::size_t at = 0;
    uint16_t room = 1000;
};

class FakeHardware : public kxfw::BoardHardware {
  public:
    void ConfigurePins(const uint8_t*, uint8_t* levels) override {
        for (int i = 0; i < 7; ++i) levels[i] = 0xFF;  // every input open
        calls.push_back("pins");
    }
    void ConfigureDisplays(const uint8_t*, uint8_t count) override {
        calls.push_back("displays " + std::to_string(count));
    }
    void ConfigureSteppers(const uint8_t* bytes, uint8_t count) override {
        calls.push_back("steppers " + std::to_string(count) + " pin " +
                        std::to_string(count ? bytes[0] : 0));
    }
    void SetLed(uint8_t pin, bool on) override { Add("led", pin, on); }
    void SetPwm(uint8_t pin, uint8_t value) override { Add("pwm", pin, value); }
    void SetServo(uint8_t pin, uint16_t us) override { Add("servo", pin, us); }
    void SetStepper(uint8_t pin, int16_t target, uint16_t frame) override {
        Add("stepper", pin, target);
        lastFrame = frame;
    }
    void ShowDigits(uint8_t pin, const uint8_t*, uint8_t count) override {
        Add("digits", pin, count);
    }
    void SetLedPort(uint8_t pin, const uint8_t* bytes, uint8_t count) override {
        Add("port", pin, count ? bytes[count - 1] : -1);
    }
    void Add(const char* what, int pin, int value) {
        calls.push_back(std::string(what) + " " + std::to_string(pin) + " " +
                        std::to_string(value));
    }
    std::vector<std::string> calls;
    int lastFrame = 0;
};
