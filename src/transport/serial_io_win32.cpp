// Windows COM ports: reads and writes through overlapped I/O, so that no
// call waits. A synchronous WriteFile waits while the board is not reading
// (up to its write timeout) and then reports part of the bytes written; an
// overlapped one hands the bytes to the driver and returns at once. One
// write per port is under way at a time, from a buffer of the port's own;
// while it is, the port takes nothing more, and what the plugin sends waits
// whole in the port's queue (serial_queue.h), as it does on a terminal
// whose output buffer is full.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>

#include "transport/serial_port.h"

namespace {

// More than a cycle's output to one board; a longer message is written in
// turns, its rest waiting in the port's queue.
constexpr DWORD kWriteBufferBytes = 4096;
// How long a close waits for a cancelled write to end before it lets the
// port's buffer go unfreed rather than free what the driver may still write.
constexpr DWORD kCancelWaitMs = 100;

struct PortIo {
    OVERLAPPED write{};
    OVERLAPPED read{};
    bool writing = false;  // a write is under way
    DWORD writeFrom = 0;   // the bytes of buffer it writes
    DWORD writeTo = 0;
    uint8_t buffer[kWriteBufferBytes];

    PortIo() {
        write.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        read.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    }
    ~PortIo() {
        CloseHandle(write.hEvent);
        CloseHandle(read.hEvent);
    }
    PortIo(const PortIo&) = delete;
    PortIo& operator=(const PortIo&) = delete;
};

std::map<int, std::unique_ptr<PortIo>>& PortIos() {
    static std::map<int, std::unique_ptr<PortIo>> ios;
    return ios;
}

// Made at the port's first read or write, freed when it is closed.
PortIo& IoOf(int port) {
    std::unique_ptr<PortIo>& io = PortIos()[port];
    if (!io) io = std::make_unique<PortIo>();
    return *io;
}

// A fresh record for the next call, its event kept.
void Rearm(OVERLAPPED& record) {
    HANDLE event = record.hEvent;
    record = OVERLAPPED{};
    record.hEvent = event;
    ResetEvent(event);
}

bool StartWrite(HANDLE handle, PortIo& io) {
    Rearm(io.write);
    if (!WriteFile(handle, io.buffer + io.writeFrom, io.writeTo - io.writeFrom, nullptr,
                   &io.write) &&
        GetLastError() != ERROR_IO_PENDING) {
        return false;
    }
    io.writing = true;  // done or under way: its result is read when it has ended
    return true;
}

// Ends the write under way if the driver has finished it; a rest it did not
// write is started at once, before anything else. False, with the system's
// error, when the write failed.
bool FinishWrite(HANDLE handle, PortIo& io) {
    if (!io.writing || !HasOverlappedIoCompleted(&io.write)) return true;
    io.writing = false;
    DWORD written = 0;
    if (!GetOverlappedResult(handle, &io.write, &written, FALSE)) return false;
    io.writeFrom += std::min(written, io.writeTo - io.writeFrom);
    return io.writeFrom == io.writeTo || StartWrite(handle, io);
}

}  // namespace

int WriteSerialDevice(int port, const void* buf, std::size_t len) {
    HANDLE handle = SerialHandle(port);
    PortIo& io = IoOf(port);
    if (!FinishWrite(handle, io)) return -1;
    if (io.writing) return 0;  // the port takes nothing more until that write ends
    const DWORD count = static_cast<DWORD>(std::min<std::size_t>(len, kWriteBufferBytes));
    std::memcpy(io.buffer, buf, count);
    io.writeFrom = 0;
    io.writeTo = count;
    return StartWrite(handle, io) ? static_cast<int>(count) : -1;
}

// The read timeouts (MAXDWORD, no totals) make a read return at once with
// what the driver holds, so its result is there when it is asked for.
long ReadWaitingBytes(int port, void* buf, std::size_t size) {
    HANDLE handle = SerialHandle(port);
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(handle, &errors, &status)) return SerialFailureMeansGone() ? -1 : 0;
    if (status.cbInQue == 0) return 0;
    PortIo& io = IoOf(port);
    Rearm(io.read);
    DWORD got = 0;
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size, status.cbInQue));
    const bool started =
        ReadFile(handle, buf, wanted, nullptr, &io.read) || GetLastError() == ERROR_IO_PENDING;
    if (!started || !GetOverlappedResult(handle, &io.read, &got, TRUE)) {
        return SerialFailureMeansGone() ? -1 : 0;
    }
    return static_cast<long>(got);
}

void FlushAndCloseSerialDevice(int port) {
    HANDLE handle = SerialHandle(port);
    PurgeComm(handle, PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR);
    auto found = PortIos().find(port);
    if (found != PortIos().end()) {
        PortIo& io = *found->second;
        if (io.writing) CancelIo(handle);
        const bool ended =
            !io.writing || WaitForSingleObject(io.write.hEvent, kCancelWaitMs) == WAIT_OBJECT_0;
        if (!ended) (void)found->second.release();  // the driver may still write into it
        PortIos().erase(found);
    }
    CloseHandle(handle);
}
