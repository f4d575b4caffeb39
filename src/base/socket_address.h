// sockaddr_in, the byte-order helpers and the address conversions, from
// wherever the system declares them (BSD headers, or Winsock on Windows).
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#endif
