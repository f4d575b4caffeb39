// Boards that come and go while the plugin runs. A serial port whose device
// went away is closed and its board shown as disconnected. After the start
// the device folder is looked through again now and then, and the LAN hosts
// that hold no board, or whose board has gone silent, are called at a low
// rate, so that a board plugged in, powered up or restarted later is found
// and configured without a Reconnect. docs/reconnecting.md says why so.
#pragma once

#include "base/message_source.h"
#include "base/socket_address.h"

// Paces, in seconds of simulator time.
inline constexpr float kSerialRescanInterval = 2.0f;
// One discovery request a second in all, whatever the number of hosts.
inline constexpr float kLanCallInterval = 1.0f;
// A LAN board from which nothing has come for this long is called; each time
// it answers as a board that was only quiet, the wait doubles up to the
// longest.
inline constexpr float kLanSilentAfter = 20.0f;
inline constexpr float kLanLongestSilence = 640.0f;
// Calls a silent LAN board may leave unanswered before it counts as gone.
inline constexpr int kUnansweredCallsBeforeGone = 2;
// Discovery requests a newly found serial device gets, one per rescan,
// before it is closed as no board.
inline constexpr int kProbesPerNewPort = 4;

// Once per cycle before the receive loop. scanning: the scanning phase ran
// in this cycle. Closes the ports found lost and shows their boards as
// disconnected; when discovery is on, rescans the device folder and calls
// one LAN host, each at its pace.
void KeepLookingForBoards(bool scanning, float now);

// A LAN datagram from sender arrived; identification: it was one.
void NoteLanDatagram(const sockaddr_in& sender, bool identification, float now);

// A serial source identifying itself with board id: the board that was
// connected through a port now gone and has the same id becomes this
// port's board again. Its index, or -1 when there is none.
int AdoptDisconnectedSerialBoard(const MessageSource& source, unsigned id);

// The reset: nothing is watched any more.
void ForgetBoardWatch();
