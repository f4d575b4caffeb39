// Finding boards: the sweep over the LAN prefix, the one-shot requests
// after a start, and the registry that ties a source to a board index.
#pragma once

#include "base/message_source.h"
#include "base/socket_address.h"

// The sender's host number, the last part of its address, read from the
// address itself: every LAN message asks, so no text is made for it.
int HostNumber(const sockaddr_in& address);
// Whether host h of the prefix holds a registered board (the plugin's own
// host always counts as one).
bool IsRegisteredHost(int host);

// One step of the sweep: calls host Next of the prefix unless it is known.
void DiscoverySweepStep();
// The discovery request to every serial port without a board and to every
// LAN host remembered from before the reset.
void SendOneShotRequests();
// The discovery request to host h of the prefix; the count sent, or -1 when
// the prefix gives no address.
int CallHost(int host);

// Board index of the source, or -1. With create, a source not yet registered
// gets the next board index; when that registration closes the unused
// serial ports, source.port follows its port to its new position.
int ConnectionExists(MessageSource& source, bool create);

// Whether board b's rows were built from this source. A source can hold an
// index whose rows another source's board filled (it registered with a
// message that configured nothing); such a source must not reach that board.
bool SourceOwnsBoard(int b, const MessageSource& source);
// Gives the source the next free board index (see SourceOwnsBoard).
int ReassignSourceIndex(const MessageSource& source);
