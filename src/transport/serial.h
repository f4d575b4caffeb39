// The USB serial ports: the port list, set-up, sends, the read step and the
// closing of ports no board uses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "transport/serial_port.h"
#include "transport/serial_queue.h"

// One open serial port; the list's position is the port index.
struct SerialPort {
    std::string ComPortName;   // full device path
    int comport = -1;          // open descriptor; -1 once closed
    SerialSettings options{};  // settings applied to the port
    int SerialIndices = -1;    // board index bound to the port, -1 while none
    std::string SerialBuffer;  // bytes received and not yet framed
    // The device went away under the open port: its descriptor is closed
    // and the entry waits to be removed between two receive loops.
    bool lost = false;
    // Discovery requests still due to a port opened by a rescan after the
    // start; -1 for a port the startup scan opened.
    int probesLeft = -1;
    // What the port could not take yet, sent before anything else; dropped
    // when the port is closed or lost.
    SerialQueue queue;
};

// "/dev/", or the directory named by KESTRIX_SERIAL_DIR: developers point the
// scan at a directory of links to pseudo-terminals to try virtual boards.
std::string DefaultSerialDeviceDir();

// Told the index of every port ClearUSB closes, before the later ports move
// down, so that whatever refers to ports by index can follow them.
using PortClosedListener = void (*)(int closedIndex);

struct SerialState {
    std::vector<SerialPort> ports;
    std::vector<std::string> UsedUSB;  // device paths on which a board identified itself
    int SerialCurrent = 0;             // port whose turn it is in the receive loop
    int nbytes = 0;                    // descriptor returned by the latest open_port
    // The main cycle's rotation over the transports: one turn for the LAN and
    // one per open port, and the turns still to take in the current receive
    // loop. Opening a port adds a turn; ClearUSB takes one per closed port.
    int max_cycles = 1;
    int cycle = 1;
    PortClosedListener onPortClosed = nullptr;  // installed by the host
    std::string deviceDir =
        DefaultSerialDeviceDir();  // where the port scan looks, with a trailing slash
    // The devices the latest scan listed and opened: a rescan opens only
    // those that appeared since, so a device no board answered on is not
    // opened again until it is plugged in anew.
    std::vector<std::string> knownPaths;
    // Listed devices that could not be opened (permissions not set yet,
    // another program holding them): tried again at every rescan while they
    // stay listed; found and failed are logged once.
    std::vector<std::string> unopenedPaths;
};

extern SerialState serial;

inline constexpr std::size_t kSerialReadSize = 64;
extern uint8_t recs_usb[kSerialReadSize];

int open_port(const std::string& path);
// Sends one message to the open port with descriptor fd, whole or not at
// all, without waiting: what the port does not take at once waits whole in
// its queue (serial_queue.h). Returns len, the bytes accepted, or -1 when
// the message was dropped (queue full, device gone, no such port); the
// same goes to bytes_sent.
int Send_USB(int fd, const void* buf, std::size_t len);
// Once per main cycle: every port is given what waits in its queue, as far
// as it takes it now.
void SendQueuedSerialBytes();

// Scans deviceDir and opens every matching port not open yet; returns the
// number opened, or -1 when the directory cannot be read.
int ScanSerialPorts();
// The rescan while the plugin runs: every port whose device has left the
// folder is lost, and every device that appeared since the last scan, or
// could not be opened before, is opened, given probes discovery requests to
// come. False when the folder cannot be read.
bool RescanSerialPorts(int probes);
// Whether a directory entry's name looks like a USB serial device.
bool IsSerialPortName(const std::string& name);

// The read of one serial turn of the receive loop: takes what port p has
// received, at most kSerialReadSize bytes, into recs_usb. Returns the number
// of bytes read, 0 when nothing is waiting (or p is no open port).
std::size_t ReadSerialPort(int p);

// The device behind port p has gone: closes its descriptor at once, says so
// once, and marks the entry lost. Its path may be opened again by a rescan.
void LoseSerialPort(std::size_t p, const char* why);

// Closes port p and removes it from the list, shortening the rotation and
// telling onPortClosed its index. Not while a receive loop holds an index.
void CloseSerialPortAt(std::size_t p);

// Closes every port not in use (unless USB_FIX), shortening the rotation and
// telling onPortClosed each closed port's index.
void ClearUSB();
// Closes every descriptor in list order, once, leaving the tables as they are.
void CloseAllSerialPorts();
