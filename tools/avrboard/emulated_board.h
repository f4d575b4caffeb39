// The real firmware (kestrix-mega2560.elf) in simavr's ATmega2560 at 16 MHz,
// wired as a builder wires a board: UART0 bridged to a pseudo-terminal that
// the plugin finds as a USB board, or an Ethernet shield on the SPI port
// bridged to a UDP socket on the board's own loopback address (a LAN
// board), inputs driven as switches, encoders and potentiometers would
// drive them, outputs watched by parts (parts.h).
// Nothing runs by itself: RunFor() advances emulated time, so a test or the
// demo interleaves the board with the simulator stand-in frame by frame.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "emulated_shield.h"
#include "mega_pins.h"
#include "parts.h"

namespace vboard {
class PtyDevice;
}

struct avr_t;

namespace avrboard {

constexpr uint32_t kClockHz = 16000000;

struct BoardOptions {
    std::string firmware;  // the ELF
    std::string serialDir;
    std::string serialName;  // "ttyACM0", "tty.usbmodem1101", ...; empty: no line
    int boardNumber = 0;     // 1..9 as the flash tool writes it; 0 leaves the EEPROM erased
    // A LAN board: the shield, and its settings in EEPROM after the number.
    std::optional<ShieldOptions> shield;
};

class EmulatedBoard {
  public:
    static std::unique_ptr<EmulatedBoard> Open(const BoardOptions& options, std::string* error);
    ~EmulatedBoard();
    EmulatedBoard(const EmulatedBoard&) = delete;
    EmulatedBoard& operator=(const EmulatedBoard&) = delete;

    // Runs the MCU for this much emulated time; false (and the reason in
    // problem()) when the firmware crashed or stopped.
    bool RunFor(double seconds);
    double Now() const;  // emulated seconds since power-up
    uint64_t Cycles() const;
    // The reset button: the MCU starts again from its reset vector; the
    // wiring (inputs held, parts) stays.
    void Reset();
    const std::string& problem() const { return problem_; }

    // Inputs. A switch closes to ground against the pull-up; an encoder's
    // phases A (pin) and B (pin + 1) run through one full quadrature cycle
    // per detent, one change every millisecond; a potentiometer's wiper sets
    // the voltage on an analog channel (the supply is 5 V).
    void SetSwitch(uint8_t pin, bool closed);
    void Turn(uint8_t pin, int detents);
    void SetAnalog(uint8_t channel, double volts);
    // A key of a button matrix between a row pin and a column pin (with its
    // diode): while it is held, the column reads low whenever the firmware
    // pulls the row low.
    void SetMatrixKey(uint8_t rowPin, uint8_t columnPin, bool held);
    bool turning() const { return !scheduled_.empty(); }

    // Outputs.
    bool Level(uint8_t pin) const;
    // The width of the pin's last complete high pulse (a servo's pulse).
    double PulseMicros(uint8_t pin) const;
    // A PWM pin's duty as analogWrite set it: 0 to 255 (off and full on as
    // the pin's level).
    int PwmValue(uint8_t pin) const;
    // Parts wired to the pins; the board keeps them.
    template <typename T, typename... Args>
    T* Attach(Args... args) {
        parts_.push_back(std::make_unique<T>(args...));
        return static_cast<T*>(parts_.back().get());
    }
    // Passes of the firmware's main loop since power-up.
    uint64_t loops() const { return loops_; }
    // The most stack the firmware has used since power-up, in bytes.
    unsigned stackPeak() const { return kRamEnd - lowestStack_; }
    static constexpr unsigned kRamEnd = 0x21FF;

    // Probes for the timing figures: every pin change, every byte the MCU
    // sends, and every byte handed to its UART.
    std::function<void(uint8_t pin, bool level, uint64_t cycle)> onPin;
    std::function<void(uint8_t byte, uint64_t cycle)> onSent;
    std::function<void(uint8_t byte, uint64_t cycle)> onReceived;

    const std::string& linkPath() const;
    int descriptor() const;  // the line's end on this side, for poll(); -1 without
    std::size_t bytesSent() const { return sentCount_; }
    // What the firmware wrote on its UART (the last 8 KB).
    const std::string& uartText() const { return uartText_; }
    EmulatedShield* shield() { return shield_.get(); }
    avr_t* mcu() { return avr_; }

    // Called back by the emulator (static trampolines in the .cpp).
    void PinChanged(uint8_t pin, bool level);
    void UartSent(uint8_t byte);
    void UartReady(bool ready) { uartReady_ = ready; }
    void LoopPassed() { ++loops_; }

    struct PinIrq {
        EmulatedBoard* board;
        uint8_t pin;
    };

  private:
    EmulatedBoard() = default;
    bool Load(const BoardOptions& options, std::string* error);
    void WireUp();
    void ModelPullUps();
    static uint16_t PortRegisters(char port);
    void Drive(uint8_t pin, bool level);
    void ServiceLine();
    void RunScheduled();
    void UpdateMatrixColumns();

    void WriteEeprom(const BoardOptions& options);

    avr_t* avr_ = nullptr;
    std::unique_ptr<vboard::PtyDevice> line_;
    std::unique_ptr<EmulatedShield> shield_;
    PinIrq pinIrqs_[kMegaPins] = {};
    std::string uartText_;
    uint64_t services_ = 0;
    std::string problem_;
    std::vector<std::unique_ptr<Part>> parts_;

    bool levels_[64] = {};
    bool driven_[64] = {};  // the host holds this pin (a switch, an encoder)
    bool heldLevel_[64] = {};
    uint64_t rose_[64] = {};
    double pulseMicros_[64] = {};
    struct Change {
        uint64_t cycle;
        uint8_t pin;
        bool level;
    };
    std::deque<Change> scheduled_;
    double volts_[16] = {};
    std::vector<std::pair<uint8_t, uint8_t>> heldKeys_;  // row pin, column pin
    bool isColumn_[64] = {};

    std::string toLine_;            // bytes the MCU sent, not yet written to the line
    std::deque<uint8_t> fromLine_;  // bytes read from the line, not yet in the UART
    bool uartReady_ = true;
    uint64_t loops_ = 0;
    unsigned lowestStack_ = kRamEnd;
    std::size_t sentCount_ = 0;
};

}  // namespace avrboard
