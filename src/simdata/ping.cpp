#include "simdata/ping.h"

#include "base/log.h"
#include "config/board_tables.h"
#include "transport/lan.h"
#include "transport/serial.h"

PingState ping;

namespace {

const std::string kRequestAllInputs = "XR";

void PingLanBoard(const Board& board, int mode) {
    if (mode == 1) {
        Log("\nRequesting all input values from LAN");
        Send_LAN(kRequestAllInputs.data(), kRequestAllInputs.size(), board.UdpIP);
    } else {
        Send_LAN(PingChar.data(), PingChar.size(), board.UdpIP);
    }
}

// USB boards need no ping; they are only asked for their inputs.
void PingUsbBoard(const Board& board, int mode) {
    if (mode != 1) return;
    Log("\nRequesting all input values from USB");
    if (static_cast<std::size_t>(board.SerialIndex) >= serial.ports.size()) return;
    Send_USB(serial.ports[board.SerialIndex].comport, kRequestAllInputs.data(),
             kRequestAllInputs.size());
}

}  // namespace

void PingInputs(int mode) {
    for (const Board& board : Boards) {
        if (!board.AllowPing) continue;
        if (board.SerialIndex < 0) {
            PingLanBoard(board, mode);
        } else {
            PingUsbBoard(board, mode);
        }
    }
    ping.PingTimeout = 0;
}
