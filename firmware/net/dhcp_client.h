// The board's DHCP client, a state machine driven by the loop's clock: it
// never waits for a server. It asks for an address once the cable is in
// (DISCOVER, then REQUEST for what was offered), sends again when no answer
// comes (after 4, 8, 16, 32, then every 64 seconds, each a second earlier
// or later so that boards started together spread out), and keeps the
// lease: REQUEST to its server at half the lease (T1), to anyone at seven
// eighths (T2), and the address given up when the lease ends or a server
// says no (NAK). Its socket (UDP port 68) is open only while it talks.
#pragma once

#include <stdint.h>

#include "udp_socket.h"
#include "w5500.h"

namespace kxnet {

struct Lease {
    uint8_t address[4];
    uint8_t mask[4];
    uint8_t gateway[4];
    uint8_t server[4];
    uint32_t seconds;  // 0xFFFFFFFF: a lease without end
};

enum class DhcpState : uint8_t {
    Stopped,
    WaitingForLink,
    Selecting,   // DISCOVER sent, waiting for an offer
    Requesting,  // REQUEST for the offer sent, waiting for ACK or NAK
    Bound,
    Renewing,   // past T1: REQUEST to the lease's server
    Rebinding,  // past T2: REQUEST to any server
};

enum class DhcpEvent : uint8_t {
    None,
    Bound,  // a first lease, or a renewal that changed the address or mask
    Lost,   // the lease ended or was refused: stop using the address
};

class DhcpClient {
  public:
    DhcpClient(W5500& chip, UdpSocket& socket) : chip_(chip), socket_(socket) {}

    void Begin(const uint8_t* mac, uint8_t boardNumber, uint32_t nowMs);
    void Stop();
    // Stopped, its socket closed by the chip's reset.
    void Forget() {
        socket_.Forget();
        state_ = DhcpState::Stopped;
    }
    DhcpEvent Poll(uint32_t nowMs);

    DhcpState state() const { return state_; }
    const Lease& lease() const { return lease_; }
    // Messages sent in the present state (the first and the repeats).
    uint8_t attempts() const { return attempts_; }

  private:
    struct Reply;
    void Enter(DhcpState state);
    void Restart(uint8_t pauseSeconds);
    void Tick(uint32_t nowMs);
    bool SendDue();
    void SendMessage();
    uint16_t BuildOptions(uint8_t* options);
    DhcpEvent TakeReplies();
    bool ReadReply(uint16_t length, Reply* reply);
    DhcpEvent Handle(const Reply& reply);
    DhcpEvent Bind(const Reply& reply);
    DhcpEvent Timers();
    void ScheduleRepeat();

    W5500& chip_;
    UdpSocket& socket_;
    DhcpState state_ = DhcpState::Stopped;
    uint8_t mac_[6] = {};
    uint8_t number_ = 0;
    uint32_t xid_ = 0;
    Lease lease_ = {};
    uint8_t offered_[4] = {};
    uint8_t offerServer_[4] = {};
    // Whole seconds since Begin, counted from the loop's milliseconds.
    uint32_t seconds_ = 0;
    uint32_t lastMs_ = 0;
    uint32_t boundAt_ = 0;
    uint32_t t1_ = 0, t2_ = 0;
    uint32_t nextSend_ = 0;
    uint32_t linkCheckAt_ = 0;
    bool sendDue_ = false;
    uint8_t attempts_ = 0;
};

}  // namespace kxnet
