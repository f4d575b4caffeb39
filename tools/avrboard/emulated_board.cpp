#include "emulated_board.h"

#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "avr_adc.h"
#include "avr_eeprom.h"
#include "avr_ioport.h"
#include "avr_uart.h"
#include "mega_pins.h"
#include "pty_device.h"
#include "sim_avr.h"
#include "sim_elf.h"
#include "sim_io.h"

namespace avrboard {

namespace {

// GPIOR0 in data space: the firmware counts its loop passes there.
constexpr uint16_t kLoopCounter = 0x3E;
// The line is served every 50 microseconds of emulated time, less than the
// time one byte takes at 115200 baud.
constexpr uint64_t kLineServiceCycles = kClockHz / 20000;
constexpr uint64_t kCyclesPerPhaseChange = kClockHz / 1000;

// The shield's bridge is polled every fifth service (250 microseconds).
constexpr uint64_t kServicesPerBridgePoll = 5;
constexpr std::size_t kUartTextKept = 8192;

void OnPinIrq(avr_irq_t*, uint32_t value, void* param) {
    const auto* irq = static_cast<const EmulatedBoard::PinIrq*>(param);
    irq->board->PinChanged(irq->pin, value != 0);
}

void OnUartOutput(avr_irq_t*, uint32_t value, void* param) {
    static_cast<EmulatedBoard*>(param)->UartSent(static_cast<uint8_t>(value));
}

void OnUartXon(avr_irq_t*, uint32_t, void* param) {
    static_cast<EmulatedBoard*>(param)->UartReady(true);
}

void OnUartXoff(avr_irq_t*, uint32_t, void* param) {
    static_cast<EmulatedBoard*>(param)->UartReady(false);
}

void OnLoopCounter(avr_t* avr, avr_io_addr_t addr, uint8_t value, void* param) {
    avr->data[addr] = value;
    static_cast<EmulatedBoard*>(param)->LoopPassed();
}

// Emulated time only: a sleeping MCU does not make the host wait.
void NoSleep(avr_t*, avr_cycle_count_t) {}

}  // namespace

// PINx of a port in data space; DDRx follows at + 1 and PORTx at + 2.
uint16_t EmulatedBoard::PortRegisters(char port) {
    static const uint16_t kPin[] = {0x20, 0x23,  0x26, 0x29,  0x2C,  0x2F,
                                    0x32, 0x100, 0,    0x103, 0x106, 0x109};
    return kPin[port - 'A'];
}

namespace {

// What elf_read_firmware allocated: the MCU holds its own copies once the
// firmware is loaded.
void FreeFirmware(elf_firmware_t* firmware) {
    free(firmware->flash);
    free(firmware->eeprom);
    free(firmware->fuse);
    free(firmware->lockbits);
#if ELF_SYMBOLS
    for (uint32_t i = 0; i < firmware->symbolcount; ++i) free(firmware->symbol[i]);
    free(firmware->symbol);
#endif
}

avr_irq_t* PinIrqOf(avr_t* avr, uint8_t pin) {
    const PortBit& at = kMegaPinPorts[pin];
    return avr_io_getirq(avr, AVR_IOCTL_IOPORT_GETIRQ(at.port), at.bit);
}

}  // namespace

std::unique_ptr<EmulatedBoard> EmulatedBoard::Open(const BoardOptions& options,
                                                   std::string* error) {
    std::unique_ptr<EmulatedBoard> board(new EmulatedBoard());
    if (!board->Load(options, error)) return nullptr;
    return board;
}

bool EmulatedBoard::Load(const BoardOptions& options, std::string* error) {
    elf_firmware_t firmware = {};
    if (elf_read_firmware(options.firmware.c_str(), &firmware) != 0) {
        *error = "cannot read the firmware " + options.firmware;
        return false;
    }
    avr_ = avr_make_mcu_by_name("atmega2560");
    if (avr_ == nullptr || avr_init(avr_) != 0) {
        *error = "simavr has no atmega2560";
        return false;
    }
    firmware.frequency = kClockHz;
    avr_load_firmware(avr_, &firmware);
    FreeFirmware(&firmware);
    avr_->frequency = kClockHz;
    avr_->vcc = avr_->avcc = avr_->aref = 5000;
    avr_->sleep = NoSleep;
    avr_->log = 0;
    if (options.shield) {
        shield_ = EmulatedShield::Attach(avr_, *options.shield, error);
        if (!shield_) return false;
    }
    WriteEeprom(options);
    if (!options.serialName.empty()) {
        line_ = vboard::PtyDevice::Open(options.serialDir, options.serialName, error);
        if (!line_) return false;
    }
    WireUp();
    ModelPullUps();
    return true;
}

// "KX", the number, and a LAN board's network settings after it.
void EmulatedBoard::WriteEeprom(const BoardOptions& options) {
    if (options.boardNumber <= 0 && !shield_) return;
    std::vector<uint8_t> bytes{'K', 'X', static_cast<uint8_t>(options.boardNumber)};
    if (shield_) {
        const std::vector<uint8_t> settings = shield_->EepromSettings();
        bytes.insert(bytes.end(), settings.begin(), settings.end());
    }
    avr_eeprom_desc_t eeprom = {bytes.data(), 0, static_cast<uint32_t>(bytes.size())};
    avr_ioctl(avr_, AVR_IOCTL_EEPROM_SET, &eeprom);
}

// avr_terminate frees what the MCU allocated, not the MCU itself.
EmulatedBoard::~EmulatedBoard() {
    if (avr_ == nullptr) return;
    shield_.reset();
    avr_terminate(avr_);
    free(avr_);
}

void EmulatedBoard::WireUp() {
    for (uint8_t pin = 0; pin < kMegaPins; ++pin) {
        pinIrqs_[pin] = {this, pin};
        avr_irq_register_notify(PinIrqOf(avr_, pin), OnPinIrq, &pinIrqs_[pin]);
    }
    uint32_t flags = 0;  // no polling sleeps, no copy of the output on the console
    avr_ioctl(avr_, AVR_IOCTL_UART_SET_FLAGS('0'), &flags);
    avr_irq_register_notify(avr_io_getirq(avr_, AVR_IOCTL_UART_GETIRQ('0'), UART_IRQ_OUTPUT),
                            OnUartOutput, this);
    avr_irq_register_notify(avr_io_getirq(avr_, AVR_IOCTL_UART_GETIRQ('0'), UART_IRQ_OUT_XON),
                            OnUartXon, this);
    avr_irq_register_notify(avr_io_getirq(avr_, AVR_IOCTL_UART_GETIRQ('0'), UART_IRQ_OUT_XOFF),
                            OnUartXoff, this);
    avr_register_io_write(avr_, kLoopCounter, OnLoopCounter, this);
}

// An input pin nothing holds reads what its pull-up makes of it: high with
// the pull-up on, low without (an LED or a resistor to ground pulls a
// floating pin down); simavr itself leaves an unheld input at what was last
// put on it. A held input keeps its level: simavr puts a port's register
// bits on its input pins whenever the firmware writes the port, which would
// open a closed switch that shares a port with an LED. Pins 0 and 1 are the
// UART's.
void EmulatedBoard::ModelPullUps() {
    for (uint8_t pin = 2; pin < kMegaPins; ++pin) {
        if (isColumn_[pin]) continue;
        const uint16_t base = PortRegisters(kMegaPinPorts[pin].port);
        const uint8_t mask = static_cast<uint8_t>(1 << kMegaPinPorts[pin].bit);
        if (avr_->data[base + 1] & mask) continue;  // an output
        const bool level = driven_[pin] ? heldLevel_[pin] : (avr_->data[base + 2] & mask) != 0;
        if (levels_[pin] != level) avr_raise_irq(PinIrqOf(avr_, pin), level);
    }
}

void EmulatedBoard::Drive(uint8_t pin, bool level) {
    driven_[pin] = true;
    heldLevel_[pin] = level;
    avr_raise_irq(PinIrqOf(avr_, pin), level ? 1 : 0);
}

void EmulatedBoard::SetSwitch(uint8_t pin, bool closed) {
    if (pin < kMegaPins) Drive(pin, !closed);
}

void EmulatedBoard::Turn(uint8_t pin, int detents) {
    if (pin + 1 >= kMegaPins) return;
    // From rest (both open): forward B, A, B, A; backward A, B, A, B.
    const uint8_t first = detents > 0 ? pin + 1 : pin;
    const uint8_t second = detents > 0 ? pin : pin + 1;
    uint64_t at = scheduled_.empty() ? Cycles() : scheduled_.back().cycle;
    for (int d = 0; d < std::abs(detents); ++d) {
        for (const Change& change : {Change{0, first, false}, Change{0, second, false},
                                     Change{0, first, true}, Change{0, second, true}}) {
            at += kCyclesPerPhaseChange;
            scheduled_.push_back({at, change.pin, change.level});
        }
    }
}

void EmulatedBoard::SetAnalog(uint8_t channel, double volts) {
    if (channel >= 16) return;
    volts_[channel] = volts;
    avr_raise_irq(avr_io_getirq(avr_, AVR_IOCTL_ADC_GETIRQ, ADC_IRQ_ADC0 + channel),
                  static_cast<uint32_t>(std::lround(volts * 1000)));
}

void EmulatedBoard::SetMatrixKey(uint8_t rowPin, uint8_t columnPin, bool held) {
    if (rowPin >= kMegaPins || columnPin >= kMegaPins) return;
    const std::pair<uint8_t, uint8_t> key(rowPin, columnPin);
    for (auto it = heldKeys_.begin(); it != heldKeys_.end(); ++it) {
        if (*it == key) {
            heldKeys_.erase(it);
            break;
        }
    }
    if (held) heldKeys_.push_back(key);
    isColumn_[columnPin] = true;
    UpdateMatrixColumns();
}

// A column is low while a held key joins it to a row the firmware pulls low.
void EmulatedBoard::UpdateMatrixColumns() {
    for (uint8_t pin = 0; pin < kMegaPins; ++pin) {
        if (!isColumn_[pin]) continue;
        bool low = false;
        for (const auto& [row, column] : heldKeys_) low = low || (column == pin && !levels_[row]);
        if (levels_[pin] == low) avr_raise_irq(PinIrqOf(avr_, pin), low ? 0 : 1);
    }
}

bool EmulatedBoard::Level(uint8_t pin) const {
    return pin < kMegaPins && levels_[pin];
}

double EmulatedBoard::PulseMicros(uint8_t pin) const {
    return pin < kMegaPins ? pulseMicros_[pin] : 0;
}

int EmulatedBoard::PwmValue(uint8_t pin) const {
    const PwmChannel* channel = PwmChannelOf(pin);
    if (channel != nullptr && ((avr_->data[channel->tccra] >> channel->comShift) & 3) != 0) {
        return avr_->data[channel->ocr];
    }
    return Level(pin) ? 255 : 0;
}

void EmulatedBoard::PinChanged(uint8_t pin, bool level) {
    if (pin >= kMegaPins) return;
    const uint64_t now = Cycles();
    if (level && !levels_[pin]) rose_[pin] = now;
    if (!level && levels_[pin]) pulseMicros_[pin] = (now - rose_[pin]) * 1e6 / kClockHz;
    levels_[pin] = level;
    for (const auto& [row, col] : heldKeys_) {
        if (row == pin) {
            UpdateMatrixColumns();
            break;
        }
    }
    if (shield_) shield_->PinChanged(pin, level);
    for (const auto& part : parts_) part->OnPin(pin, level, now);
    if (onPin) onPin(pin, level, now);
}

void EmulatedBoard::UartSent(uint8_t byte) {
    if (line_) toLine_ += static_cast<char>(byte);
    if (uartText_.size() >= kUartTextKept) uartText_.erase(0, kUartTextKept / 2);
    uartText_ += static_cast<char>(byte);
    ++sentCount_;
    if (onSent) onSent(byte, Cycles());
}

// The plugin's end of the line: what the MCU sent goes out, what the plugin
// wrote goes into the UART as fast as its receive buffer takes it.
void EmulatedBoard::ServiceLine() {
    if (shield_ && ++services_ % kServicesPerBridgePoll == 0) shield_->Service();
    if (!line_) return;
    while (!toLine_.empty()) {
        const ssize_t n = write(line_->controller(), toLine_.data(), toLine_.size());
        if (n <= 0) break;  // the terminal's buffer is full: later
        toLine_.erase(0, static_cast<std::size_t>(n));
    }
    uint8_t buffer[256];
    ssize_t n;
    while (fromLine_.size() < 4096 && (n = read(line_->controller(), buffer, sizeof buffer)) > 0) {
        fromLine_.insert(fromLine_.end(), buffer, buffer + n);
    }
    avr_irq_t* input = avr_io_getirq(avr_, AVR_IOCTL_UART_GETIRQ('0'), UART_IRQ_INPUT);
    while (uartReady_ && !fromLine_.empty()) {
        const uint8_t byte = fromLine_.front();
        fromLine_.pop_front();
        if (onReceived) onReceived(byte, Cycles());
        avr_raise_irq(input, byte);
    }
}

void EmulatedBoard::RunScheduled() {
    while (!scheduled_.empty() && scheduled_.front().cycle <= Cycles()) {
        const Change change = scheduled_.front();
        scheduled_.pop_front();
        Drive(change.pin, change.level);
    }
}

bool EmulatedBoard::RunFor(double seconds) {
    const uint64_t end = Cycles() + static_cast<uint64_t>(seconds * kClockHz);
    uint64_t nextService = Cycles();
    while (Cycles() < end) {
        if (Cycles() >= nextService) {
            ServiceLine();
            RunScheduled();
            ModelPullUps();
            nextService = Cycles() + kLineServiceCycles;
        }
        const int state = avr_run(avr_);
        const unsigned stack = avr_->data[0x5D] | (avr_->data[0x5E] << 8);  // SPL, SPH
        if (stack < lowestStack_) lowestStack_ = stack;
        if (state == cpu_Done || state == cpu_Crashed) {
            problem_ = state == cpu_Crashed ? "the firmware crashed" : "the firmware stopped";
            return false;
        }
    }
    ServiceLine();
    return true;
}

double EmulatedBoard::Now() const {
    return static_cast<double>(Cycles()) / kClockHz;
}

uint64_t EmulatedBoard::Cycles() const {
    return avr_->cycle;
}

// After a reset every pin is an input again, without pull-up: a pin the
// firmware drove and the host does not hold falls dark.
void EmulatedBoard::Reset() {
    avr_reset(avr_);
    if (shield_) shield_->Reset();
    avr_->sleep = NoSleep;
    uartReady_ = true;
    ModelPullUps();
    for (uint8_t c = 0; c < 16; ++c) SetAnalog(c, volts_[c]);
}

const std::string& EmulatedBoard::linkPath() const {
    static const std::string none;
    return line_ ? line_->linkPath() : none;
}

int EmulatedBoard::descriptor() const {
    return line_ ? line_->controller() : -1;
}

}  // namespace avrboard
