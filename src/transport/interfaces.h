// The local IPv4 address the plugin takes for IP_ADDRESS = auto.
#pragma once

#include <string>

// The dotted-decimal address of the last IPv4 entry of the system's
// interface list (loopback included, if it comes last); empty when the
// system reports none.
std::string LastIPv4InterfaceAddress();
