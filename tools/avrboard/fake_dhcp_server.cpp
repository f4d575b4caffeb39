#include "fake_dhcp_server.h"

#include <algorithm>

namespace avrboard {

namespace {

constexpr std::size_t kOptionsAt = 240;
constexpr uint8_t kCookie[4] = {99, 130, 83, 99};
constexpr uint8_t kDiscover = 1, kOffer = 2, kRequest = 3, kAck = 5, kNak = 6;

struct Request {
    uint8_t type = 0;
    Address requested{};
    bool hasRequested = false;
    Address client{};  // ciaddr: the address a renewing client holds
    std::string hostName;
};

// The options of a client's message; false when it is not one.
bool Parse(const std::vector<uint8_t>& message, Request* request) {
    if (message.size() < kOptionsAt || message[0] != 1 ||
        !std::equal(kCookie, kCookie + 4, message.begin() + 236))
        return false;
    std::copy(message.begin() + 12, message.begin() + 16, request->client.begin());
    for (std::size_t at = kOptionsAt; at < message.size();) {
        const uint8_t code = message[at];
        if (code == 0) {
            ++at;
            continue;
        }
        if (code == 255 || at + 1 >= message.size()) break;
        const std::size_t size = message[at + 1];
        if (at + 2 + size > message.size()) return false;
        const uint8_t* value = message.data() + at + 2;
        if (code == 53 && size == 1) request->type = value[0];
        if (code == 12) request->hostName.assign(value, value + size);
        if (code == 50 && size == 4) {
            std::copy(value, value + 4, request->requested.begin());
            request->hasRequested = true;
        }
        at += 2 + size;
    }
    return request->type != 0;
}

void Option(std::vector<uint8_t>* out, uint8_t code, const uint8_t* value, uint8_t size) {
    out->push_back(code);
    out->push_back(size);
    out->insert(out->end(), value, value + size);
}

void Option32(std::vector<uint8_t>* out, uint8_t code, uint32_t value) {
    const uint8_t bytes[4] = {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
                              static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    Option(out, code, bytes, 4);
}

}  // namespace

std::string AddressText(const Address& address) {
    return std::to_string(address[0]) + "." + std::to_string(address[1]) + "." +
           std::to_string(address[2]) + "." + std::to_string(address[3]);
}

std::vector<uint8_t> FakeDhcpServer::Reply(const std::vector<uint8_t>& request,
                                           uint8_t type) const {
    std::vector<uint8_t> reply(kOptionsAt, 0);
    reply[0] = 2;                                                               // a reply
    std::copy(request.begin() + 1, request.begin() + 12, reply.begin() + 1);    // htype .. flags
    std::copy(request.begin() + 28, request.begin() + 44, reply.begin() + 28);  // chaddr
    if (type != kNak) std::copy(offer_.address.begin(), offer_.address.end(), reply.begin() + 16);
    std::copy(offer_.server.begin(), offer_.server.end(), reply.begin() + 20);
    std::copy(kCookie, kCookie + 4, reply.begin() + 236);
    Option(&reply, 53, &type, 1);
    Option(&reply, 54, offer_.server.data(), 4);
    if (type != kNak) {
        Option32(&reply, 51, offer_.leaseSeconds);
        Option(&reply, 1, offer_.mask.data(), 4);
        Option(&reply, 3, offer_.router.data(), 4);
    }
    reply.push_back(255);
    return reply;
}

std::vector<std::vector<uint8_t>> FakeDhcpServer::Answer(const std::vector<uint8_t>& message) {
    Request request;
    if (!Parse(message, &request)) return {};
    hostName = request.hostName;
    if (request.type == kDiscover) {
        ++discovers;
        transactions.push_back("DISCOVER");
    } else if (request.type == kRequest) {
        ++requests;
        const Address asked = request.hasRequested ? request.requested : request.client;
        transactions.push_back("REQUEST " + AddressText(asked) + " from " +
                               AddressText(request.client));
    }
    if (ignore > 0) {
        --ignore;
        return {};
    }
    if (request.type == kDiscover) return {Reply(message, kOffer)};
    if (request.type != kRequest) return {};
    const Address asked = request.hasRequested ? request.requested : request.client;
    if (refuse || asked != offer_.address) {
        ++naks;
        return {Reply(message, kNak)};
    }
    ++acks;
    return {Reply(message, kAck)};
}

}  // namespace avrboard
