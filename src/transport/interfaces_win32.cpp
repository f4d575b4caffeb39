// The adapter list of the IP Helper API stands in for getifaddrs: every
// unicast IPv4 address of every adapter, in the order the system lists them.
// iphlpapi.h needs the windows.h parts the build leaves out elsewhere.
#undef NOUSER
#undef NOGDI
// winsock2.h must come first.
#include <winsock2.h>
// clang-format off
#include <iphlpapi.h>
// clang-format on
#include <ws2tcpip.h>

#include <vector>

#include "transport/interfaces.h"

namespace {

// The list's size is not known beforehand; the system says how much it
// needs when the buffer is too small (and the list may grow in between).
bool ReadAdapters(std::vector<unsigned char>& buffer) {
    const ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    ULONG size = 16 * 1024;
    for (int attempt = 0; attempt < 3; ++attempt) {
        buffer.resize(size);
        auto* list = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data());
        ULONG result = GetAdaptersAddresses(AF_INET, flags, nullptr, list, &size);
        if (result == ERROR_SUCCESS) return true;
        if (result != ERROR_BUFFER_OVERFLOW) return false;
    }
    return false;
}

}  // namespace

std::string LastIPv4InterfaceAddress() {
    std::string found;
    std::vector<unsigned char> buffer;
    if (!ReadAdapters(buffer)) return found;
    auto* adapter = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data());
    for (; adapter != nullptr; adapter = adapter->Next) {
        for (auto* unicast = adapter->FirstUnicastAddress; unicast != nullptr;
             unicast = unicast->Next) {
            const SOCKADDR* address = unicast->Address.lpSockaddr;
            if (address == nullptr || address->sa_family != AF_INET) continue;
            char text[INET_ADDRSTRLEN] = {};
            const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(address);
            if (inet_ntop(AF_INET, &ipv4->sin_addr, text, sizeof text) != nullptr) found = text;
        }
    }
    return found;
}
