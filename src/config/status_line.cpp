#include "config/status_line.h"

#include "base/log.h"
#include "base/settings.h"
#include "ui/status_window.h"

namespace {

std::string LineStart(int n, const std::string& address) {
    return Decimal(n) + ". " + address;
}

}  // namespace

void StartBoardStatusLine(int n, const std::string& address) {
    SetStatusLine(n, LineStart(n, address));
    if (settings.ScanTimeout > 0) SetStatusLine(window.message_line_number + 1, "   scanning...");
}

std::string BoardStatusText(int n, const std::string& address, const Board& board) {
    std::string text = LineStart(n, address);
    if (board.OutDevice != 0) {
        text += " Kestrix Board #" + Decimal(board.OutDevice);
    } else {
        text += " Lumora Panel";
    }
    if (!board.Inputs.empty()) text += ",   " + Decimal(board.Inputs.size()) + " inputs";
    if (!board.Outputs.empty()) {
        const std::size_t outputs = board.Outputs.size() + board.OutputModeLed.size();
        text += ",   " + Decimal(outputs) + " outputs";
    }
    return text;
}

void FinishBoardStatusLine(int n, const std::string& address, const Board& board) {
    SetStatusLine(n, BoardStatusText(n, address, board));
}
