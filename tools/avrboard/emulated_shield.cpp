#include "emulated_shield.h"

#include <arpa/inet.h>

#include <algorithm>

#include "sim_avr.h"
#include "sim_cycle_timers.h"
#include "sim_io.h"

namespace avrboard {

namespace {

// The ATmega2560's SPI registers in data space.
constexpr uint16_t kSpcr = 0x4C, kSpsr = 0x4D, kSpdr = 0x4E;
constexpr uint16_t kPinb = 0x23, kDdrb = 0x24;
constexpr uint8_t kSpe = 0x40, kMstr = 0x10, kSpif = 0x80, kSpi2x = 0x01;
constexpr uint8_t kSs = 0x01, kSck = 0x02, kMosi = 0x04;  // pins 53, 52, 51

void OnDataWrite(avr_t*, avr_io_addr_t, uint8_t value, void* param) {
    static_cast<EmulatedShield*>(param)->SpiWrite(value);
}

uint8_t OnDataRead(avr_t*, avr_io_addr_t, void* param) {
    return static_cast<EmulatedShield*>(param)->SpiRead();
}

avr_cycle_count_t OnByteDone(avr_t*, avr_cycle_count_t, void* param) {
    static_cast<EmulatedShield*>(param)->SpiByteDone();
    return 0;
}

}  // namespace

std::unique_ptr<EmulatedShield> EmulatedShield::Attach(avr_t* avr, const ShieldOptions& options,
                                                       std::string* error) {
    Address address{};
    if (inet_pton(AF_INET, options.address.c_str(), address.data()) != 1 ||
        !IsBoardLoopbackAddress(address)) {
        *error = "the shield's address " + options.address +
                 " is not a loopback address 127.x.y.N of a board's own (not 127.0.0.1)";
        return nullptr;
    }
    std::unique_ptr<EmulatedShield> shield(new EmulatedShield(avr, options, address));
    // The SPI data register is the shield's: simavr's own SPI port takes a
    // byte time of its own choosing, the bus here the real one.
    auto& io = avr->io[AVR_DATA_TO_IO(kSpdr)];
    io.w.c = OnDataWrite;
    io.w.param = shield.get();
    io.r.c = OnDataRead;
    io.r.param = shield.get();
    return shield;
}

EmulatedShield::EmulatedShield(avr_t* avr, const ShieldOptions& options, const Address& address)
    : avr_(avr), options_(options), address_(address), bridge_(chip_) {
    if (options.dhcp) {
        DhcpOffer offer;
        offer.address = address;
        offer.router = {address[0], address[1], address[2], 1};
        offer.server = {address[0], address[1], address[2], 254};
        offer.leaseSeconds = options.leaseSeconds;
        bridge_.SetDhcpServer(std::make_unique<FakeDhcpServer>(offer));
    }
}

EmulatedShield::~EmulatedShield() {
    auto& io = avr_->io[AVR_DATA_TO_IO(kSpdr)];
    io.w.c = nullptr;
    io.w.param = nullptr;
    io.r.c = nullptr;
    io.r.param = nullptr;
    avr_cycle_timer_cancel(avr_, OnByteDone, this);
}

// Byte 3 "D" or "F", the fixed address and mask, no gateway, the port high
// byte first, an erased MAC (the firmware makes one from the number).
std::vector<uint8_t> EmulatedShield::EepromSettings() const {
    const uint8_t port[2] = {static_cast<uint8_t>(options_.port >> 8),
                             static_cast<uint8_t>(options_.port)};
    std::vector<uint8_t> bytes(21, 0);
    bytes[0] = options_.dhcp ? 'D' : 'F';
    std::copy(address_.begin(), address_.end(), bytes.begin() + 1);
    std::fill(bytes.begin() + 5, bytes.begin() + 8, 255);  // 255.255.255.0
    std::copy(port, port + 2, bytes.begin() + 13);
    std::fill(bytes.begin() + 15, bytes.end(), 0xFF);
    return bytes;
}

void EmulatedShield::PinChanged(uint8_t pin, bool level) {
    if (pin == kShieldCardSelect) cardSelectHigh_ = level;
    if (pin != kShieldChipSelect) return;
    if (!level && !cardSelectHigh_) ++cardConflicts_;
    chip_.ChipSelect(!level);
}

// A byte written to SPDR as the master: the chip answers it, and SPIF rises
// after 8 bit times of the clock SPCR and SPSR select (2 cycles a bit at
// the firmware's clock / 2).
void EmulatedShield::SpiWrite(uint8_t mosi) {
    uint8_t* data = avr_->data;
    data[kSpdr] = mosi;
    data[kSpsr] = static_cast<uint8_t>(data[kSpsr] & ~kSpif);
    // Port B's own select (53) as an input held low drops the port out of
    // master mode, as the ATmega2560 does.
    if (!(data[kDdrb] & kSs) && !(data[kPinb] & kSs)) data[kSpcr] &= static_cast<uint8_t>(~kMstr);
    if ((data[kSpcr] & (kSpe | kMstr)) != (kSpe | kMstr)) return;
    static const uint8_t kDivider[4] = {4, 16, 64, 128};
    unsigned cyclesPerBit = kDivider[data[kSpcr] & 3];
    if (data[kSpsr] & kSpi2x) cyclesPerBit /= 2;
    // With SCK or MOSI not an output the chip sees no clock or no data (and
    // a chip that does not answer sees nothing), and MISO reads as its
    // pull-up.
    const bool wired = (data[kDdrb] & (kSck | kMosi)) == (kSck | kMosi) && options_.chipAnswers;
    received_ = wired ? chip_.Transfer(mosi) : 0xFF;
    avr_cycle_timer_register(avr_, 8 * cyclesPerBit, OnByteDone, this);
}

void EmulatedShield::SpiByteDone() {
    avr_->data[kSpdr] = received_;
    avr_->data[kSpsr] |= kSpif;
}

uint8_t EmulatedShield::SpiRead() {
    avr_->data[kSpsr] = static_cast<uint8_t>(avr_->data[kSpsr] & ~kSpif);
    return avr_->data[kSpdr];
}

void EmulatedShield::Reset() {
    chip_.ChipSelect(false);
    chip_.Reset();
    cardSelectHigh_ = false;
}

}  // namespace avrboard
