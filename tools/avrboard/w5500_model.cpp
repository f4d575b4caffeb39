#include "w5500_model.h"

#include <algorithm>

namespace avrboard {

namespace {

// Common registers.
constexpr uint16_t kMode = 0x00, kRetryTime = 0x19, kRetryCount = 0x1B, kPhy = 0x2E,
                   kVersion = 0x39;
// Socket registers.
constexpr uint16_t kSnMode = 0x00, kSnCommand = 0x01, kSnInterrupt = 0x02, kSnStatus = 0x03,
                   kSnPort = 0x04, kSnDestMac = 0x06, kSnDestination = 0x0C, kSnDestPort = 0x10,
                   kSnTtl = 0x16, kSnRxSize = 0x1E, kSnTxSize = 0x1F, kSnTxFree = 0x20,
                   kSnTxRead = 0x22, kSnTxWrite = 0x24, kSnRxReceived = 0x26, kSnRxRead = 0x28,
                   kSnRxWrite = 0x2A, kSnInterruptMask = 0x2C, kSnFragment = 0x2D;
constexpr uint8_t kOpen = 0x01, kClose = 0x10, kSend = 0x20, kRecv = 0x40;
constexpr uint8_t kClosed = 0x00, kUdp = 0x22;
constexpr uint8_t kSendOk = 0x10, kTimeout = 0x08, kReceived = 0x04;
constexpr uint8_t kHeaderSize = 8;

uint16_t Get16(const uint8_t* bytes) {
    return static_cast<uint16_t>((bytes[0] << 8) | bytes[1]);
}
void Put16(uint8_t* bytes, uint16_t value) {
    bytes[0] = static_cast<uint8_t>(value >> 8);
    bytes[1] = static_cast<uint8_t>(value);
}

// Registers the host may write; the others it only reads.
bool SocketWritable(uint16_t offset) {
    return offset <= kSnInterrupt || (offset >= kSnPort && offset <= 0x16) || offset == kSnRxSize ||
           offset == kSnTxSize || offset == kSnTxWrite || offset == kSnTxWrite + 1 ||
           offset == kSnRxRead || offset == kSnRxRead + 1 || offset >= kSnInterruptMask;
}

}  // namespace

void W5500Model::Reset() {
    for (int n = 0; n < kSockets; ++n) {
        if (sockets_[n].regs[kSnStatus] != kClosed && network_ != nullptr)
            network_->SocketClosed(static_cast<uint8_t>(n));
        Socket& s = sockets_[n];
        s = Socket();
        std::fill(s.regs.begin() + kSnDestMac, s.regs.begin() + kSnDestMac + 6, 0xFF);
        s.regs[kSnTtl] = 0x80;
        s.regs[kSnRxSize] = s.regs[kSnTxSize] = 2;
        s.regs[kSnInterruptMask] = 0xFF;
        s.regs[kSnFragment] = 0x40;
    }
    common_.fill(0);
    Put16(&common_[kRetryTime], 0x07D0);
    common_[kRetryCount] = 8;
    common_[kVersion] = 0x04;
    heldSends_.clear();
    selected_ = false;
}

void W5500Model::ChipSelect(bool selected) {
    if (selected && !selected_) ++frames_;
    selected_ = selected;
    index_ = 0;
}

// Address (2 bytes), control (block, read or write), then data bytes at
// consecutive offsets.
uint8_t W5500Model::Transfer(uint8_t mosi) {
    if (!selected_) return 0xFF;
    const std::size_t at = index_++;
    if (at == 0) address_ = static_cast<uint16_t>(mosi << 8);
    if (at == 1) address_ = static_cast<uint16_t>(address_ | mosi);
    if (at == 2) control_ = mosi;
    if (at < 3) return 0x00;
    const uint16_t offset = static_cast<uint16_t>(address_ + (at - 3));
    if (control_ & 0x04) {
        WriteByte(offset, mosi);
        return 0x00;
    }
    return ReadByte(offset);
}

uint8_t W5500Model::ReadByte(uint16_t offset) {
    const uint8_t block = control_ >> 3;
    if (block == 0) return ReadCommon(offset);
    Socket& s = sockets_[block / 4];
    switch (block % 4) {
        case 1:
            return ReadSocket(s, offset);
        case 2:
            return s.tx.empty() ? 0 : s.tx[offset % s.tx.size()];
        case 3:
            return s.rx.empty() ? 0 : s.rx[offset % s.rx.size()];
        default:
            return 0;
    }
}

void W5500Model::WriteByte(uint16_t offset, uint8_t value) {
    const uint8_t block = control_ >> 3;
    if (block == 0) return WriteCommon(offset, value);
    const uint8_t n = block / 4;
    Socket& s = sockets_[n];
    switch (block % 4) {
        case 1:
            WriteSocket(n, offset, value);
            break;
        case 2:
            if (!s.tx.empty()) s.tx[offset % s.tx.size()] = value;
            break;
        case 3:
            if (!s.rx.empty()) s.rx[offset % s.rx.size()] = value;
            break;
        default:
            break;
    }
}

uint8_t W5500Model::ReadCommon(uint16_t offset) const {
    if (offset == kPhy) return static_cast<uint8_t>(0xB8 | (linkUp_ ? 0x07 : 0x00));
    return offset < common_.size() ? common_[offset] : 0;
}

void W5500Model::WriteCommon(uint16_t offset, uint8_t value) {
    if (offset == kMode && (value & 0x80)) {
        Reset();  // the reset bit reads 0 again at once
        return;
    }
    if (offset >= common_.size() || offset == kPhy || offset == kVersion) return;
    common_[offset] = value;
}

uint8_t W5500Model::ReadSocket(Socket& s, uint16_t offset) {
    if (offset >= s.regs.size()) return 0;
    uint8_t pair[2];
    const uint16_t txUsed =
        static_cast<uint16_t>(Get16(&s.regs[kSnTxWrite]) - Get16(&s.regs[kSnTxRead]));
    switch (offset) {
        case kSnCommand:
            if (s.busyReads > 0) {
                --s.busyReads;
                return s.regs[kSnCommand];
            }
            return s.regs[kSnCommand] = 0;
        case kSnTxFree:
        case kSnTxFree + 1:
            Put16(pair,
                  static_cast<uint16_t>(s.tx.size() - std::min<std::size_t>(txUsed, s.tx.size())));
            return pair[offset - kSnTxFree];
        case kSnRxReceived:
        case kSnRxReceived + 1:
            Put16(pair, static_cast<uint16_t>(Get16(&s.regs[kSnRxWrite]) - s.rxAcknowledged));
            return pair[offset - kSnRxReceived];
        default:
            return s.regs[offset];
    }
}

void W5500Model::WriteSocket(uint8_t n, uint16_t offset, uint8_t value) {
    Socket& s = sockets_[n];
    if (offset >= s.regs.size() || !SocketWritable(offset)) return;
    if (offset == kSnInterrupt) {
        s.regs[kSnInterrupt] = static_cast<uint8_t>(s.regs[kSnInterrupt] & ~value);
        return;
    }
    if (offset == kSnCommand) {
        if (s.regs[kSnCommand] != 0 && s.busyReads > 0) ++overrun_;
        Command(n, value);
        s.regs[kSnCommand] = value;
        s.busyReads = busyReads_;
        return;
    }
    s.regs[offset] = value;
}

void W5500Model::Command(uint8_t n, uint8_t command) {
    Socket& s = sockets_[n];
    switch (command) {
        case kOpen:
            Open(n);
            break;
        case kClose:
            if (s.regs[kSnStatus] != kClosed && network_ != nullptr) network_->SocketClosed(n);
            s.regs[kSnStatus] = kClosed;
            break;
        case kSend:
            if (s.regs[kSnStatus] == kUdp) Send(n);
            break;
        case kRecv:
            s.rxAcknowledged = Get16(&s.regs[kSnRxRead]);
            break;
        default:
            break;
    }
}

void W5500Model::Open(uint8_t n) {
    Socket& s = sockets_[n];
    if (s.regs[kSnStatus] != kClosed && network_ != nullptr) network_->SocketClosed(n);
    s.regs[kSnStatus] = kClosed;
    if ((s.regs[kSnMode] & 0x0F) != 0x02) return;  // only UDP is modelled
    s.tx.assign(static_cast<std::size_t>(s.regs[kSnTxSize]) * 1024, 0);
    s.rx.assign(static_cast<std::size_t>(s.regs[kSnRxSize]) * 1024, 0);
    for (uint16_t reg : {kSnTxRead, kSnTxWrite, kSnRxRead, kSnRxWrite}) Put16(&s.regs[reg], 0);
    s.rxAcknowledged = 0;
    s.regs[kSnInterrupt] = 0;
    s.regs[kSnStatus] = kUdp;
    if (network_ != nullptr) network_->SocketOpened(n, SourceAddress(), SocketPort(n));
}

// The bytes from the TX read pointer to the write pointer go out as one
// datagram to the destination registers.
void W5500Model::Send(uint8_t n) {
    Socket& s = sockets_[n];
    const uint16_t read = Get16(&s.regs[kSnTxRead]);
    const uint16_t write = Get16(&s.regs[kSnTxWrite]);
    Datagram datagram;
    datagram.from = SourceAddress();
    datagram.fromPort = SocketPort(n);
    std::copy(&s.regs[kSnDestination], &s.regs[kSnDestination] + 4, datagram.to.begin());
    datagram.toPort = Get16(&s.regs[kSnDestPort]);
    for (uint16_t at = read; at != write && !s.tx.empty(); ++at)
        datagram.data.push_back(s.tx[at % s.tx.size()]);
    Put16(&s.regs[kSnTxRead], write);
    if (holdSends_) {
        heldSends_.emplace_back(n, std::move(datagram));
        return;
    }
    CompleteSend(n, network_ != nullptr && network_->Sent(n, datagram));
}

void W5500Model::CompleteSend(uint8_t n, bool delivered) {
    sockets_[n].regs[kSnInterrupt] |= delivered ? kSendOk : kTimeout;
}

void W5500Model::HoldSends(bool hold) {
    holdSends_ = hold;
    while (!hold && !heldSends_.empty()) {
        auto [n, datagram] = heldSends_.front();
        heldSends_.pop_front();
        CompleteSend(n, network_ != nullptr && network_->Sent(n, datagram));
    }
}

void W5500Model::SetLink(bool up) {
    linkUp_ = up;
}

bool W5500Model::ArriveAt(uint8_t n, const Address& from, uint16_t fromPort, const uint8_t* data,
                          std::size_t length) {
    Socket& s = sockets_[n];
    const uint16_t write = Get16(&s.regs[kSnRxWrite]);
    const std::size_t used = static_cast<uint16_t>(write - s.rxAcknowledged);
    if (s.regs[kSnStatus] != kUdp || used + kHeaderSize + length > s.rx.size()) {
        ++arrivalsDropped_;
        return false;
    }
    uint8_t header[kHeaderSize] = {from[0], from[1], from[2], from[3]};
    Put16(header + 4, fromPort);
    Put16(header + 6, static_cast<uint16_t>(length));
    uint16_t at = write;
    for (uint8_t byte : header) s.rx[at++ % s.rx.size()] = byte;
    for (std::size_t i = 0; i < length; ++i) s.rx[at++ % s.rx.size()] = data[i];
    Put16(&s.regs[kSnRxWrite], at);
    s.regs[kSnInterrupt] |= kReceived;
    return true;
}

bool W5500Model::ArriveOnPort(uint16_t port, const Address& from, uint16_t fromPort,
                              const uint8_t* data, std::size_t length) {
    for (uint8_t n = 0; n < kSockets; ++n) {
        if (sockets_[n].regs[kSnStatus] == kUdp && SocketPort(n) == port)
            return ArriveAt(n, from, fromPort, data, length);
    }
    ++arrivalsDropped_;
    return false;
}

Address W5500Model::SourceAddress() const {
    return {common_[0x0F], common_[0x10], common_[0x11], common_[0x12]};
}

uint16_t W5500Model::SocketPort(uint8_t n) const {
    return Get16(&sockets_[n].regs[kSnPort]);
}

}  // namespace avrboard
