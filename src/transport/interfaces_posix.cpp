#include <ifaddrs.h>

#include "base/socket_address.h"
#include "transport/interfaces.h"

std::string LastIPv4InterfaceAddress() {
    std::string found;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return found;
    for (ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
        const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
        found = inet_ntoa(address->sin_addr);
    }
    freeifaddrs(list);
    return found;
}
