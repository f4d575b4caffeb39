#include "config/status_line.h"

#include "base/log.h"
#include "base/settings.h"
#include "config/status_sink.h"

int message_line_number = 0;

namespace {

StatusLineSink* sink = nullptr;

void Show(int n, const std::string& text) {
    if (sink) sink->SetStatusLine(n, text);
}

std::string LineStart(int n, const std::string& address) {
    return Decimal(n) + ". " + address;
}

}  // namespace

void SetStatusLineSink(StatusLineSink* newSink) {
    sink = newSink;
}

void StartBoardStatusLine(int n, const std::string& address) {
    Show(n, LineStart(n, address));
    if (settings.ScanTimeout > 0) Show(message_line_number + 1, "   scanning...");
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

std::string BoardLineHead(const Board& board) {
    const std::string address = board.SerialIndex >= 0 ? "USB" : "LAN";
    const std::string text = BoardStatusText(board.StatusLineNumber, address, board);
    return text.substr(0, text.find(','));
}

void FinishBoardStatusLine(int n, const std::string& address, const Board& board) {
    Show(n, BoardStatusText(n, address, board));
}

void ShowStatusWindowOnConnect() {
    if (settings.WINDOW_ON_CONNECT && sink) sink->ShowStatusWindow();
}
