#include "dhcp_client.h"

#include <string.h>

#include "network_settings.h"

namespace kxnet {

namespace {

const uint16_t kClientPort = 68;
const uint16_t kServerPort = 67;
// BOOTP's fixed part up to the client's hardware address, the server name
// and boot file fields (zeros), the magic cookie, then the options; the
// whole message at least 300 bytes, as older servers want.
const uint8_t kFixedPart = 44;
const uint8_t kNamesPart = 192;
const uint8_t kCookie[4] = {99, 130, 83, 99};
const uint16_t kOptionsAt = kFixedPart + kNamesPart + 4;
const uint16_t kMessageSize = 300;

const uint8_t kDiscover = 1, kOffer = 2, kRequest = 3, kAck = 5, kNak = 6;
const uint8_t kOptionMask = 1, kOptionRouter = 3, kOptionHostName = 12, kOptionRequested = 50,
              kOptionLease = 51, kOptionType = 53, kOptionServer = 54, kOptionParameters = 55,
              kOptionT1 = 58, kOptionT2 = 59, kOptionClientId = 61, kOptionEnd = 255;

const uint32_t kNoEnd = 0xFFFFFFFF;
const uint32_t kDefaultLease = 3600;
const uint32_t kShortestLease = 4;
const uint32_t kRenewRepeat = 60;
const uint8_t kLongestBackoff = 64;
const uint8_t kRequestsPerOffer = 4;
const uint8_t kPauseAfterNak = 4;

uint32_t Read32(const uint8_t* bytes) {
    return (static_cast<uint32_t>(bytes[0]) << 24) | (static_cast<uint32_t>(bytes[1]) << 16) |
           (static_cast<uint32_t>(bytes[2]) << 8) | bytes[3];
}

void Put32(uint8_t* bytes, uint32_t value) {
    bytes[0] = static_cast<uint8_t>(value >> 24);
    bytes[1] = static_cast<uint8_t>(value >> 16);
    bytes[2] = static_cast<uint8_t>(value >> 8);
    bytes[3] = static_cast<uint8_t>(value);
}

}  // namespace

struct DhcpClient::Reply {
    uint8_t type = 0;
    uint8_t address[4] = {};
    uint8_t mask[4] = {255, 255, 255, 0};
    uint8_t gateway[4] = {};
    uint8_t server[4] = {};
    bool hasServer = false;
    uint32_t lease = kDefaultLease;
    uint32_t t1 = 0, t2 = 0;
};

void DhcpClient::Begin(const uint8_t* mac, uint8_t boardNumber, uint32_t nowMs) {
    memcpy(mac_, mac, 6);
    number_ = boardNumber;
    lastMs_ = nowMs;
    seconds_ = 0;
    xid_ = Read32(mac_ + 2) ^ nowMs;
    Restart(0);
}

void DhcpClient::Stop() {
    socket_.Close();
    state_ = DhcpState::Stopped;
}

void DhcpClient::Enter(DhcpState state) {
    state_ = state;
    attempts_ = 0;
    sendDue_ = state != DhcpState::WaitingForLink && state != DhcpState::Bound;
    nextSend_ = seconds_;
}

// Back to the start: a new transaction, a DISCOVER once the cable is in
// and the pause is over (after a NAK, so that a server that refuses every
// request is not asked at the loop's rate).
void DhcpClient::Restart(uint8_t pauseSeconds) {
    memset(&lease_, 0, sizeof lease_);
    xid_ = xid_ * 1103515245u + 12345u;
    socket_.Open(kClientPort);
    Enter(DhcpState::WaitingForLink);
    linkCheckAt_ = seconds_ + pauseSeconds;
}

void DhcpClient::Tick(uint32_t nowMs) {
    while (static_cast<uint32_t>(nowMs - lastMs_) >= 1000) {
        lastMs_ += 1000;
        ++seconds_;
    }
}

DhcpEvent DhcpClient::Poll(uint32_t nowMs) {
    if (state_ == DhcpState::Stopped) return DhcpEvent::None;
    Tick(nowMs);
    if (state_ == DhcpState::WaitingForLink) {
        // The link is looked at once a second.
        if (static_cast<int32_t>(seconds_ - linkCheckAt_) < 0) return DhcpEvent::None;
        linkCheckAt_ = seconds_ + 1;
        if (chip_.LinkUp()) Enter(DhcpState::Selecting);
        return DhcpEvent::None;
    }
    DhcpEvent event = DhcpEvent::None;
    if (state_ != DhcpState::Bound) event = TakeReplies();
    if (event == DhcpEvent::None) event = Timers();
    if (SendDue()) SendMessage();
    return event;
}

bool DhcpClient::SendDue() {
    if (state_ == DhcpState::Bound || state_ == DhcpState::WaitingForLink) return false;
    if (!sendDue_ && static_cast<int32_t>(seconds_ - nextSend_) >= 0) sendDue_ = true;
    return sendDue_ && socket_.BeginSend(kMessageSize);
}

// The next repeat: 4, 8, 16, 32, then 64 seconds on, each a second more or
// less by the transaction's bits; while renewing or rebinding a minute on.
void DhcpClient::ScheduleRepeat() {
    uint32_t wait = kRenewRepeat;
    if (state_ == DhcpState::Selecting || state_ == DhcpState::Requesting) {
        wait = kLongestBackoff;
        if (attempts_ <= 4) wait = static_cast<uint32_t>(2) << attempts_;
        // Four bits of the transaction per repeat, eight repeats round.
        const uint8_t shift = static_cast<uint8_t>((attempts_ & 7) * 4);
        wait = wait - 1 + ((xid_ >> shift) % 3);
    }
    nextSend_ = seconds_ + wait;
}

uint16_t DhcpClient::BuildOptions(uint8_t* options) {
    const bool selecting = state_ == DhcpState::Selecting;
    uint16_t at = 0;
    options[at++] = kOptionType;
    options[at++] = 1;
    options[at++] = selecting ? kDiscover : kRequest;
    options[at++] = kOptionClientId;
    options[at++] = 7;
    options[at++] = 1;  // Ethernet
    memcpy(options + at, mac_, 6);
    at += 6;
    const char name[] = {'k', 'e', 's', 't', 'r', 'i', 'x', '-', static_cast<char>('0' + number_)};
    options[at++] = kOptionHostName;
    options[at++] = sizeof name;
    memcpy(options + at, name, sizeof name);
    at += sizeof name;
    if (state_ == DhcpState::Requesting) {
        options[at++] = kOptionRequested;
        options[at++] = 4;
        memcpy(options + at, offered_, 4);
        at += 4;
        options[at++] = kOptionServer;
        options[at++] = 4;
        memcpy(options + at, offerServer_, 4);
        at += 4;
    }
    const uint8_t wanted[] = {kOptionMask, kOptionRouter, kOptionLease, kOptionT1, kOptionT2};
    options[at++] = kOptionParameters;
    options[at++] = sizeof wanted;
    memcpy(options + at, wanted, sizeof wanted);
    at += sizeof wanted;
    options[at++] = kOptionEnd;
    return at;
}

void DhcpClient::SendMessage() {
    const bool hasAddress = state_ == DhcpState::Renewing || state_ == DhcpState::Rebinding;
    uint8_t fixed[kFixedPart] = {};
    fixed[0] = 1;  // a request
    fixed[1] = 1;  // Ethernet
    fixed[2] = 6;  // its address length
    Put32(fixed + 4, xid_);
    // Replies broadcast until the board has an address: the chip takes no
    // unicast for an address it does not have yet.
    if (state_ != DhcpState::Renewing) fixed[10] = 0x80;
    if (hasAddress) memcpy(fixed + 12, lease_.address, 4);
    memcpy(fixed + 28, mac_, 6);
    uint8_t options[48];
    const uint16_t optionsLength = BuildOptions(options);
    socket_.Put(fixed, sizeof fixed);
    socket_.PutZeros(kNamesPart);
    socket_.Put(kCookie, sizeof kCookie);
    socket_.Put(options, optionsLength);
    socket_.PutZeros(static_cast<uint16_t>(kMessageSize - kOptionsAt - optionsLength));
    kxfw::Endpoint to = {{255, 255, 255, 255}, kServerPort};
    if (state_ == DhcpState::Renewing) memcpy(to.address, lease_.server, 4);
    socket_.EndSend(to);
    sendDue_ = false;
    if (attempts_ < 255) ++attempts_;
    ScheduleRepeat();
}

// At most two datagrams a pass: a flood on port 68 costs the loop nothing more.
DhcpEvent DhcpClient::TakeReplies() {
    for (uint8_t i = 0; i < 2; ++i) {
        kxfw::Endpoint from;
        uint16_t length = 0;
        if (!socket_.BeginReceive(&from, &length)) break;
        Reply reply;
        const bool ours = ReadReply(length, &reply);
        socket_.EndReceive();
        if (!ours) continue;
        if (!reply.hasServer) {
            memcpy(reply.server, from.address, 4);
        }
        const DhcpEvent event = Handle(reply);
        if (event != DhcpEvent::None) return event;
    }
    return DhcpEvent::None;
}

// A reply to this transaction and this board, its options as far as they go.
bool DhcpClient::ReadReply(uint16_t length, Reply* reply) {
    if (length < kOptionsAt) return false;
    uint8_t fixed[kFixedPart];
    socket_.Read(fixed, sizeof fixed);
    if (fixed[0] != 2 || Read32(fixed + 4) != xid_ || memcmp(fixed + 28, mac_, 6) != 0)
        return false;
    memcpy(reply->address, fixed + 16, 4);
    socket_.Skip(kNamesPart);
    uint8_t cookie[4];
    socket_.Read(cookie, sizeof cookie);
    if (memcmp(cookie, kCookie, sizeof cookie) != 0) return false;
    uint16_t left = static_cast<uint16_t>(length - kOptionsAt);
    bool whole = true;
    while (left >= 2 && whole) {
        uint8_t head[2];
        socket_.Read(head, 1);
        --left;
        if (head[0] == 0) continue;
        if (head[0] == kOptionEnd) break;
        socket_.Read(head + 1, 1);
        --left;
        const uint8_t size = head[1];
        whole = size <= left;  // an option cut short spoils the message
        if (!whole) break;
        uint8_t value[4] = {};
        socket_.Read(value, size < 4 ? size : 4);
        socket_.Skip(size > 4 ? size - 4 : 0);
        left = static_cast<uint16_t>(left - size);
        if (head[0] == kOptionType && size >= 1) reply->type = value[0];
        if (size < 4) continue;
        if (head[0] == kOptionMask) memcpy(reply->mask, value, 4);
        if (head[0] == kOptionRouter) memcpy(reply->gateway, value, 4);
        if (head[0] == kOptionLease) reply->lease = Read32(value);
        if (head[0] == kOptionT1) reply->t1 = Read32(value);
        if (head[0] == kOptionT2) reply->t2 = Read32(value);
        if (head[0] == kOptionServer) {
            memcpy(reply->server, value, 4);
            reply->hasServer = true;
        }
    }
    return whole && reply->type != 0;
}

DhcpEvent DhcpClient::Handle(const Reply& reply) {
    if (state_ == DhcpState::Selecting) {
        if (reply.type != kOffer || !IsHostAddress(reply.address)) return DhcpEvent::None;
        memcpy(offered_, reply.address, 4);
        memcpy(offerServer_, reply.server, 4);
        Enter(DhcpState::Requesting);
        return DhcpEvent::None;
    }
    if (reply.type == kNak) {
        const bool hadAddress = state_ != DhcpState::Requesting;
        Restart(kPauseAfterNak);
        return hadAddress ? DhcpEvent::Lost : DhcpEvent::None;
    }
    if (reply.type != kAck || !IsHostAddress(reply.address)) return DhcpEvent::None;
    return Bind(reply);
}

DhcpEvent DhcpClient::Bind(const Reply& reply) {
    const bool changed = state_ == DhcpState::Requesting ||
                         memcmp(reply.address, lease_.address, 4) != 0 ||
                         memcmp(reply.mask, lease_.mask, 4) != 0;
    memcpy(lease_.address, reply.address, 4);
    memcpy(lease_.mask, reply.mask, 4);
    memcpy(lease_.gateway, reply.gateway, 4);
    memcpy(lease_.server, reply.server, 4);
    uint32_t seconds = reply.lease == 0 ? kDefaultLease : reply.lease;
    if (seconds < kShortestLease) seconds = kShortestLease;
    lease_.seconds = seconds;
    t1_ = reply.t1 > 0 && reply.t1 < seconds ? reply.t1 : seconds / 2;
    t2_ = reply.t2 > t1_ && reply.t2 < seconds ? reply.t2 : seconds - seconds / 8;
    boundAt_ = seconds_;
    socket_.Close();
    Enter(DhcpState::Bound);
    return changed ? DhcpEvent::Bound : DhcpEvent::None;
}

DhcpEvent DhcpClient::Timers() {
    if (state_ == DhcpState::Requesting && attempts_ >= kRequestsPerOffer &&
        static_cast<int32_t>(seconds_ - nextSend_) >= 0) {
        Enter(DhcpState::Selecting);  // the offer went unanswered: ask anew
        return DhcpEvent::None;
    }
    if (state_ != DhcpState::Bound && state_ != DhcpState::Renewing &&
        state_ != DhcpState::Rebinding) {
        return DhcpEvent::None;
    }
    if (lease_.seconds == kNoEnd) return DhcpEvent::None;
    const uint32_t held = seconds_ - boundAt_;
    if (held >= lease_.seconds) {
        Restart(0);
        return DhcpEvent::Lost;
    }
    if (state_ == DhcpState::Bound && held >= t1_) {
        socket_.Open(kClientPort);
        Enter(DhcpState::Renewing);
    } else if (state_ == DhcpState::Renewing && held >= t2_) {
        Enter(DhcpState::Rebinding);
    }
    return DhcpEvent::None;
}

}  // namespace kxnet
