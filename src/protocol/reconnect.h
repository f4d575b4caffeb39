// Boards that come and go while the plugin runs. A serial port whose device
// went away is closed and its board shown as disconnected. After the start
// the device folder is looked through again now and then, and after
// scanning the LAN hosts that hold no board are called at a low rate, so
// that a board plugged in or powered up later is found and configured
// without a Reconnect. A registered LAN board is never called: a quiet
// board is not a lost one. docs/reconnecting.md says why so.
#pragma once

#include "base/message_source.h"

// Paces, in seconds of simulator time.
inline constexpr float kSerialRescanInterval = 2.0f;
// One discovery request a second in all, whatever the number of hosts.
inline constexpr float kLanCallInterval = 1.0f;
// Discovery requests a newly found serial device gets, one per rescan,
// before it is closed as no board.
inline constexpr int kProbesPerNewPort = 4;

// Once per cycle before the receive loop. scanning: the scanning phase ran
// in this cycle. Closes the ports found lost and shows their boards as
// disconnected; when discovery is on, rescans the device folder and, after
// scanning and unless LAN_SLOW_SCAN is 0, calls one LAN host without a
// board, each at its pace.
void KeepLookingForBoards(bool scanning, float now);

// A serial source identifying itself with board id: the board that was
// connected through a port now gone and has the same id becomes this
// port's board again. Its index, or -1 when there is none.
int AdoptDisconnectedSerialBoard(const MessageSource& source, unsigned id);

// The reset: nothing is watched any more.
void ForgetBoardWatch();
