#include "protocol/scanning.h"

#include "base/log.h"
#include "base/settings.h"
#include "config/board_tables.h"
#include "config/status_line.h"
#include "protocol/discovery.h"
#include "protocol/protocol_state.h"
#include "transport/serial.h"
#include "ui/status_window.h"

namespace {

int ScanningLine() {
    return message_line_number + 1;
}

void TurnSpinner() {
    std::string line = StatusLine(ScanningLine());
    if (line.size() < 2) return;  // no such line in the window
    line[1] = NextSpinnerMark(line[1]);
    SetStatusLine(ScanningLine(), line);
}

void FinishScanning() {
    Log("\nFinishing scanning for devices...");
    ClearUSB();
    Log("\nScanning stopped. ");
    SetStatusLine(ScanningLine(), "   ");
}

// The countdown starts with the first configured board.
void CountDown() {
    if (Boards.empty()) return;
    if (--settings.ScanTimeout == 0) FinishScanning();
}

}  // namespace

char NextSpinnerMark(char mark) {
    switch (mark) {
        case '|':
            return '/';
        case '/':
            return '-';
        case '-':
            return '\\';
        case ' ':
        case '\\':
            return '|';
        default:
            return mark;
    }
}

void ScanningStep() {
    DiscoverySweepStep();
    TurnSpinner();
    if (cycleState.send_usb_request) SendOneShotRequests();
    CountDown();
}
