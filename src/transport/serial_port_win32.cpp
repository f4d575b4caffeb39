// Windows COM ports: the present ports come from the DOS device names
// ("COM3"), each is opened as \\.\COMn for overlapped I/O (its reads and
// writes are in serial_io_win32.cpp), set to 8N1 raw without flow control
// through its DCB, and given timeouts under which a read returns at once
// with whatever the driver holds.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/log.h"
#include "base/text.h"
#include "transport/serial_port.h"

namespace {

bool IsComPortName(const char* name, int* number) {
    if (std::strncmp(name, "COM", 3) != 0 || name[3] == '\0') return false;
    return ReadNumber(std::string(name + 3), *number) && *number > 0;
}

// The system's text for GetLastError(), without its line end.
std::string LastErrorText() {
    char reason[256] = "unknown error";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   GetLastError(), 0, reason, sizeof reason, nullptr);
    std::size_t length = std::strlen(reason);
    while (length > 0 && (reason[length - 1] == '\n' || reason[length - 1] == '\r')) --length;
    return std::string(reason, length);
}

}  // namespace

bool ListSerialDevices(const std::string&, std::vector<std::string>* paths) {
    // The device names come as one block of zero-terminated names; the
    // block's size is not known beforehand.
    std::vector<char> names(64 * 1024);
    DWORD length = 0;
    while ((length = QueryDosDeviceA(nullptr, names.data(), static_cast<DWORD>(names.size()))) ==
           0) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || names.size() >= (1u << 22)) return false;
        names.resize(names.size() * 2);
    }
    std::vector<int> numbers;
    for (const char* name = names.data(); name < names.data() + length && *name != '\0';
         name += std::strlen(name) + 1) {
        int number = 0;
        if (IsComPortName(name, &number)) numbers.push_back(number);
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    for (int number : numbers) paths->push_back("\\\\.\\COM" + std::to_string(number));
    return true;
}

int OpenSerialDevice(const std::string& path, std::string* reason) {
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        *reason = LastErrorText();
        return -1;
    }
    return HandleToLong(handle);
}

void ConfigureSerialDevice(int port, SerialSettings& dcb, unsigned baudrate) {
    HANDLE handle = SerialHandle(port);
    std::memset(&dcb, 0, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    GetCommState(handle, &dcb);
    if (baudrate == 115200 || baudrate == 57600 || baudrate == 38400) dcb.BaudRate = baudrate;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    // No flow control of any kind, and no byte replaced or dropped: boards
    // send binary bytes. DTR and RTS are raised as a terminal open does.
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    PurgeComm(handle, PURGE_RXCLEAR);
    SetCommState(handle, &dcb);
    // MAXDWORD with zero totals: a read returns at once with what is there.
    // No write timeout: a write under way waits in the driver, never in the
    // plugin, until the board takes its bytes.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = 0;
    SetCommTimeouts(handle, &timeouts);
}

// A COM port whose adapter was unplugged fails every call on its handle,
// with one of these. ERROR_NOT_READY is what a port whose device hung up
// reports when the driver answers with the "device not ready" status (wine
// gives it for a terminal that hung up); a present port never does.
bool SerialFailureMeansGone() {
    switch (GetLastError()) {
        case ERROR_NOT_READY:
        case ERROR_ACCESS_DENIED:
        case ERROR_BAD_COMMAND:
        case ERROR_DEVICE_REMOVED:
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_GEN_FAILURE:
        case ERROR_INVALID_HANDLE:
        case ERROR_FILE_NOT_FOUND:
            return true;
        default:
            return false;
    }
}

void FlushSerialInput(int port) {
    PurgeComm(SerialHandle(port), PURGE_RXCLEAR);
}
