// The system's datagram socket calls, the one place where BSD sockets and
// Winsock differ. A socket is an int, -1 for none: Winsock's SOCKET is a
// kernel handle, whose value fits in 32 bits.
#pragma once

#include <cstddef>
#include <string>

#include "base/socket_address.h"

// Winsock must be started before the first socket call of a module load and
// cleaned up when the module stops; elsewhere these do nothing. Starting
// twice starts once.
void StartSocketLibrary();
void StopSocketLibrary();

// An IPv4 datagram socket that programs the simulator starts do not
// inherit; -1 on failure.
int OpenUdpSocket();
// SO_REUSEADDR (a restarted plugin binds the same port at once) and
// non-blocking mode (no send or receive ever waits).
void MakeReusableAndNonBlocking(int sock);
// False when the address cannot be bound (the port taken by another
// program), with the system's reason in *reason.
bool BindUdpSocket(int sock, const sockaddr_in& address, std::string* reason);
// One datagram of exactly len bytes; the count sent or -1.
int SendDatagram(int sock, const void* buf, std::size_t len, const sockaddr_in& to);
// One waiting datagram, cut to size; its length, or -1 when nothing is
// waiting or the call failed.
long ReceiveDatagram(int sock, void* buf, std::size_t size, sockaddr_in* from);
void CloseUdpSocket(int sock);
