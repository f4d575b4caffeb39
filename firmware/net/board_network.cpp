#include "board_network.h"

#include <string.h>

namespace kxnet {

namespace {

const uint32_t kCheckEveryMs = 1000;

}  // namespace

bool BoardNetwork::Start(const NetworkSettings& settings, uint8_t boardNumber, uint32_t nowMs) {
    settings_ = settings;
    number_ = boardNumber;
    return SetUp(nowMs);
}

bool BoardNetwork::SetUp(uint32_t nowMs) {
    hasAddress_ = false;
    lastCheckMs_ = nowMs;
    // The chip's reset closes every socket.
    plugin_.Forget();
    dhcp_.Forget();
    chipReady_ = chip_.Probe() && chip_.Reset() && chip_.Probe();
    if (!chipReady_) return false;
    chip_.SetMac(settings_.mac);
    if (settings_.dhcp) {
        DropAddress();
        dhcp_.Begin(settings_.mac, number_, nowMs);
    } else {
        TakeAddress(settings_.address, settings_.mask, settings_.gateway);
    }
    return true;
}

// The MAC address reads back as it was set until the chip loses its setup.
bool BoardNetwork::ChipKeepsSetUp() {
    uint8_t mac[6];
    chip_.GetMac(mac);
    return memcmp(mac, settings_.mac, 6) == 0;
}

void BoardNetwork::TakeAddress(const uint8_t* address, const uint8_t* mask,
                               const uint8_t* gateway) {
    chip_.SetAddress(address, mask, gateway);
    memcpy(address_, address, 4);
    hasAddress_ = true;
    plugin_.Open(settings_.port);
    changes_ |= kAddressTaken;
}

void BoardNetwork::DropAddress() {
    const uint8_t none[4] = {};
    plugin_.Close();
    chip_.SetAddress(none, none, none);
    memset(address_, 0, 4);
    hasAddress_ = false;
}

void BoardNetwork::Poll(uint32_t nowMs) {
    if (chipReady_ && settings_.dhcp) {
        const DhcpEvent event = dhcp_.Poll(nowMs);
        if (event == DhcpEvent::Bound) {
            const Lease& lease = dhcp_.lease();
            TakeAddress(lease.address, lease.mask, lease.gateway);
        } else if (event == DhcpEvent::Lost) {
            DropAddress();
            changes_ |= kAddressLost;
        }
    }
    if (static_cast<uint32_t>(nowMs - lastCheckMs_) < kCheckEveryMs) return;
    lastCheckMs_ = nowMs;
    if (chipReady_ && ChipKeepsSetUp()) return;
    if (SetUp(nowMs)) changes_ |= kChipSetUpAgain;
}

}  // namespace kxnet
