// The system's serial-device calls, the one place where the terminal
// interface and Windows COM ports differ. A port is an int, -1 for none: a
// Windows file handle is a kernel handle, whose value fits in 32 bits.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
using SerialSettings = DCB;
inline HANDLE SerialHandle(int port) {
    return LongToHandle(port);
}
#else
#include <termios.h>
using SerialSettings = termios;
#endif

// The device paths of the serial ports to try, in the order the system
// lists them: the entries of dir whose names look like USB serial devices,
// or on Windows "\\.\COMn" for every COM port present (dir is not used).
// False when the list cannot be read.
bool ListSerialDevices(const std::string& dir, std::vector<std::string>* paths);

// Opens a device for non-blocking reads and writes; -1 when it cannot be
// opened, with the system's reason in *reason.
int OpenSerialDevice(const std::string& path, std::string* reason);

// Raw 8-bit transfer without flow control at baudrate when it is one of
// 115200, 57600 and 38400 (any other speed keeps the port's own), unread
// input discarded. settings receives what was applied.
void ConfigureSerialDevice(int port, SerialSettings& settings, unsigned baudrate);

// Hands the device as many of the len bytes as it takes now, without
// waiting: the count taken (fewer than len, or none, when its output buffer
// is full), or -1 when the call failed.
int WriteSerialDevice(int port, const void* buf, std::size_t len);

// Whether the call that just failed on a port failed because its device has
// gone away (unplugged, or the far end of a pseudo-terminal closed), rather
// than for the moment (a full output buffer).
bool SerialFailureMeansGone();

// Reads at most size bytes if the driver holds any; 0 when nothing waits,
// -1 when the device has gone away.
long ReadWaitingBytes(int port, void* buf, std::size_t size);

// Discards what the port has received and not yet read.
void FlushSerialInput(int port);

// Discards unread input and unsent output, then closes.
void FlushAndCloseSerialDevice(int port);
