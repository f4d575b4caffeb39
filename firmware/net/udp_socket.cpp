#include "udp_socket.h"

#include <string.h>

namespace kxnet {

namespace {

// Socket registers.
const uint16_t kSnMode = 0x00, kSnCommand = 0x01, kSnInterrupt = 0x02, kSnStatus = 0x03,
               kSnPort = 0x04, kSnDestination = 0x0C, kSnTxWrite = 0x24, kSnRxRead = 0x28;
const uint8_t kModeUdp = 0x02;
const uint8_t kOpen = 0x01, kClose = 0x10, kSend = 0x20, kRecv = 0x40;
const uint8_t kStatusUdp = 0x22;
const uint8_t kSendOk = 0x10, kTimeout = 0x08;
const uint8_t kHeaderSize = 8;
// OPEN and CLOSE, at start-up and on a new lease, check this often that the
// chip has taken the command before them (it takes one within a microsecond).
const uint8_t kCommandChecks = 20;

}  // namespace

bool UdpSocket::IssueNow(uint8_t command) {
    for (uint8_t i = 0; i < kCommandChecks; ++i) {
        if (chip_.ReadByte(kSnCommand, Block::SocketRegisters, number_) != 0) continue;
        chip_.WriteByte(kSnCommand, Block::SocketRegisters, number_, command);
        return true;
    }
    return false;
}

void UdpSocket::Open(uint16_t port) {
    IssueNow(kClose);
    chip_.WriteByte(kSnMode, Block::SocketRegisters, number_, kModeUdp);
    chip_.Write16(kSnPort, Block::SocketRegisters, number_, port);
    chip_.WriteByte(kSnInterrupt, Block::SocketRegisters, number_, 0xFF);
    IssueNow(kOpen);
    state_ = State::Opening;
    pendingRecv_ = pendingSend_ = sending_ = destinationSet_ = false;
}

void UdpSocket::Close() {
    IssueNow(kClose);
    state_ = State::Closed;
    pendingRecv_ = pendingSend_ = sending_ = false;
}

bool UdpSocket::StillOpen() {
    return chip_.ReadByte(kSnStatus, Block::SocketRegisters, number_) == kStatusUdp;
}

bool UdpSocket::ready() {
    if (state_ == State::Opening && StillOpen()) state_ = State::Open;
    return state_ == State::Open;
}

// Issues the commands a busy command register held back, one at a time.
bool UdpSocket::Flush() {
    while (pendingRecv_ || pendingSend_) {
        if (chip_.ReadByte(kSnCommand, Block::SocketRegisters, number_) != 0) return false;
        const uint8_t command = pendingRecv_ ? kRecv : kSend;
        chip_.WriteByte(kSnCommand, Block::SocketRegisters, number_, command);
        if (command == kRecv) {
            pendingRecv_ = false;
        } else {
            pendingSend_ = false;
        }
    }
    return true;
}

bool UdpSocket::BeginReceive(kxfw::Endpoint* from, uint16_t* length) {
    Flush();
    if (!ready()) return false;
    uint8_t pointers[4];
    chip_.Read(kSnRxRead, Block::SocketRegisters, number_, pointers, sizeof pointers);
    const uint16_t read = static_cast<uint16_t>((pointers[0] << 8) | pointers[1]);
    const uint16_t written = static_cast<uint16_t>((pointers[2] << 8) | pointers[3]);
    const uint16_t waiting = static_cast<uint16_t>(written - read);
    // More than the ring holds: the write pointer was read while the chip
    // moved it; the next pass reads it whole.
    if (waiting < kHeaderSize || waiting > kSocketBufferSize) return false;
    uint8_t header[kHeaderSize];
    chip_.Read(read, Block::SocketRx, number_, header, sizeof header);
    const uint16_t size = static_cast<uint16_t>((header[6] << 8) | header[7]);
    if (size > kSocketBufferSize - kHeaderSize) {
        // No datagram has this header: start again at the ring's end.
        chip_.Write16(kSnRxRead, Block::SocketRegisters, number_, written);
        pendingRecv_ = true;
        ++dropped_;
        Flush();
        return false;
    }
    if (kHeaderSize + size > waiting) return false;
    memcpy(from->address, header, 4);
    from->port = static_cast<uint16_t>((header[4] << 8) | header[5]);
    readAt_ = static_cast<uint16_t>(read + kHeaderSize);
    readEnd_ = static_cast<uint16_t>(readAt_ + size);
    *length = size;
    return true;
}

uint16_t UdpSocket::Read(uint8_t* bytes, uint16_t count) {
    const uint16_t left = static_cast<uint16_t>(readEnd_ - readAt_);
    if (count > left) count = left;
    if (count > 0) chip_.Read(readAt_, Block::SocketRx, number_, bytes, count);
    readAt_ = static_cast<uint16_t>(readAt_ + count);
    return count;
}

void UdpSocket::Skip(uint16_t count) {
    const uint16_t left = static_cast<uint16_t>(readEnd_ - readAt_);
    readAt_ = static_cast<uint16_t>(readAt_ + (count < left ? count : left));
}

void UdpSocket::EndReceive() {
    chip_.Write16(kSnRxRead, Block::SocketRegisters, number_, readEnd_);
    readAt_ = readEnd_;
    pendingRecv_ = true;
    Flush();
}

int16_t UdpSocket::Receive(uint8_t* buffer, uint16_t size, kxfw::Endpoint* from) {
    uint16_t length = 0;
    while (BeginReceive(from, &length)) {
        if (length <= size) {
            Read(buffer, length);
            EndReceive();
            return static_cast<int16_t>(length);
        }
        ++dropped_;
        EndReceive();
    }
    return -1;
}

bool UdpSocket::CanSend(uint16_t length) {
    if (!ready() || !Flush() || length > kSocketBufferSize) return false;
    if (!sending_) return true;
    const uint8_t flags = chip_.ReadByte(kSnInterrupt, Block::SocketRegisters, number_);
    const uint8_t done = static_cast<uint8_t>(flags & (kSendOk | kTimeout));
    if (done == 0) return false;
    chip_.WriteByte(kSnInterrupt, Block::SocketRegisters, number_, done);
    if (done & kTimeout) ++timeouts_;
    sending_ = false;
    return true;
}

bool UdpSocket::BeginSend(uint16_t length) {
    if (!CanSend(length)) return false;
    writeAt_ = chip_.Read16(kSnTxWrite, Block::SocketRegisters, number_);
    return true;
}

void UdpSocket::Put(const uint8_t* bytes, uint16_t count) {
    chip_.Write(writeAt_, Block::SocketTx, number_, bytes, count);
    writeAt_ = static_cast<uint16_t>(writeAt_ + count);
}

void UdpSocket::PutZeros(uint16_t count) {
    static const uint8_t kZeros[16] = {};
    while (count > 0) {
        const uint16_t piece = count < sizeof kZeros ? count : sizeof kZeros;
        Put(kZeros, piece);
        count = static_cast<uint16_t>(count - piece);
    }
}

void UdpSocket::EndSend(const kxfw::Endpoint& to) {
    chip_.Write16(kSnTxWrite, Block::SocketRegisters, number_, writeAt_);
    if (!destinationSet_ || memcmp(to.address, destination_.address, 4) != 0 ||
        to.port != destination_.port) {
        const uint8_t bytes[6] = {to.address[0],
                                  to.address[1],
                                  to.address[2],
                                  to.address[3],
                                  static_cast<uint8_t>(to.port >> 8),
                                  static_cast<uint8_t>(to.port)};
        chip_.Write(kSnDestination, Block::SocketRegisters, number_, bytes, sizeof bytes);
        destination_ = to;
        destinationSet_ = true;
    }
    pendingSend_ = true;
    sending_ = true;
    Flush();
}

void UdpSocket::Send(const uint8_t* bytes, uint16_t length, const kxfw::Endpoint& to) {
    writeAt_ = chip_.Read16(kSnTxWrite, Block::SocketRegisters, number_);
    Put(bytes, length);
    EndSend(to);
}

}  // namespace kxnet
