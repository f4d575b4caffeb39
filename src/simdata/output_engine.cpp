#include "simdata/output_engine.h"

#include <cstring>
#include <exception>

#include "base/guard.h"
#include "base/plugin_state.h"
#include "config/board_tables.h"
#include "simdata/output_reading.h"
#include "simdata/output_records.h"
#include "simdata/output_test.h"
#include "transport/lan.h"
#include "transport/serial.h"

OutputMessage output;

namespace {

// What an output shows in this pass.
struct Shown {
    const char* text = nullptr;
    std::size_t length = 0;
    float value = 0;  // the mapped value
};

// How handling one output left the board's message.
enum class Step {
    Next,  // go on with the next output
    Full,  // the record did not fit: this output waits for the next pass
    Cut,   // the message is long enough: the next output waits
};

// An input holds the output ("!" asks for the override, "*" is what was
// then sent). Only these two texts: byte data may well begin with a blank
// or a bracket.
bool IsOverridden(const std::string& previous) {
    return previous.size() == 1 && (previous[0] == '!' || previous[0] == '*');
}

// False when there is nothing to send for the output: its dataref offers no
// type that can be read.
bool CurrentText(BoardOutput& out, bool panel, Shown* shown) {
    if (IsOverridden(out.Previous)) {
        *shown = {"*", 1, out.Memory.mapped};
        return true;
    }
    if (!(panel ? ReadPanelOutput(out) : ReadBoardOutput(out))) return false;
    *shown = {out.Memory.text.data(), out.Memory.text.size(), out.Memory.mapped};
    return true;
}

bool IsDue(const BoardOutput& out, const Shown& shown) {
    if (out.Memory.owed) return true;
    return out.Previous.size() != shown.length ||
           std::memcmp(out.Previous.data(), shown.text, shown.length) != 0;
}

void Remember(BoardOutput& out, const Shown& shown) {
    out.Previous.assign(shown.text, shown.length);
    out.Memory.owed = false;
}

// sendall: every output is owed once, whatever it shows, even when that
// takes more than one message.
void OweEverythingIfAsked(Board& board) {
    if (!board.sendall) return;
    for (BoardOutput& out : board.Outputs) out.Memory.owed = true;
    board.sendall = false;
    board.OutputCursor = 0;
}

void SendToBoard(const Board& board, const void* bytes, std::size_t length) {
    if (board.SerialIndex < 0) {
        Send_LAN(bytes, length, board.UdpIP);
    } else if (static_cast<std::size_t>(board.SerialIndex) < serial.ports.size()) {
        Send_USB(serial.ports[board.SerialIndex].comport, bytes, length);
    }
}

bool AppendRecord(const uint8_t* record, std::size_t length) {
    if (static_cast<std::size_t>(output.oln) + length > kOutputMessageSize) return false;
    std::memcpy(output.omsg + output.oln, record, length);
    output.oln += static_cast<int>(length);
    return true;
}

// Puts what the output shows into the board's message: an LED of the LED
// port into the port's bytes (its record leads the next message), anything
// else as a record. False when the record does not fit.
bool Emit(Board& board, const BoardOutput& out, const Shown& shown) {
    if (out.Compact.kind == 'l') {
        const int led = static_cast<signed char>(out.Compact.pin);
        SetLedPortLed(board, led, LedLit(shown.text, shown.length, shown.value));
        board.LedPortSend = true;
        return true;
    }
    uint8_t record[kMaxRecordSize];
    const std::size_t length =
        OutputRecord(out, shown.text, shown.length, shown.value, pluginState.frametime, record);
    return AppendRecord(record, length);
}

Step AfterRecord() {
    return output.oln > kOutputMessageCut ? Step::Cut : Step::Next;
}

// During the output test: the output shows lit, sent once, whatever its
// dataref holds; what was last sent of its value (Previous) stays as it is.
Step HandleTestedBoardOutput(Board& board, BoardOutput& out) {
    if (out.Memory.testShown) return Step::Next;
    const Shown lit{"*", 1, 1.0f};
    if (!Emit(board, out, lit)) return Step::Full;
    out.Memory.testShown = true;
    return AfterRecord();
}

Step HandleBoardOutput(Board& board, BoardOutput& out) {
    if (out.Compact.kind == '\0') return Step::Next;
    if (outputTest.running && out.Compact.litByTest) return HandleTestedBoardOutput(board, out);
    Shown shown;
    if (!CurrentText(out, false, &shown) || !IsDue(out, shown)) return Step::Next;
    if (!Emit(board, out, shown)) return Step::Full;
    Remember(out, shown);
    return AfterRecord();
}

// Appends key<text> to the panel's message; false when it would not fit.
bool AppendPanelText(const BoardOutput& out, const char* shown, std::size_t length) {
    std::string& text = output.panelText;
    const std::string& key = out.OutDrefs[0];
    if (text.size() + key.size() + length + 2 > kMaxPanelMessage) return false;
    text += key;
    text += '<';
    text.append(shown, length);
    text += '>';
    return true;
}

Step HandlePanelOutput(BoardOutput& out) {
    if (out.Compact.kind == '\0') return Step::Next;
    if (outputTest.running && out.Compact.litByTest) {
        if (out.Memory.testShown) return Step::Next;
        const PanelTestText lit = PanelTestTextOf(out);
        if (!AppendPanelText(out, lit.text, lit.length)) return Step::Full;
        out.Memory.testShown = true;
        return Step::Next;
    }
    Shown shown;
    if (!CurrentText(out, true, &shown) || !IsDue(out, shown)) return Step::Next;
    if (!AppendPanelText(out, shown.text, shown.length)) return Step::Full;
    Remember(out, shown);
    return Step::Next;
}

// Every active output once, beginning at the board's cursor; where a full
// message stops the round, the next pass begins.
template <typename Handle>
void VisitOutputs(Board& board, Handle handle) {
    const std::size_t n = board.Outputs.size();
    std::size_t j = board.OutputCursor < n ? board.OutputCursor : 0;
    board.OutputCursor = 0;
    for (std::size_t visited = 0; visited < n; ++visited) {
        BoardOutput& out = board.Outputs[j];
        const std::size_t following = j + 1 == n ? 0 : j + 1;
        const Step step = out.OutputActive ? handle(out) : Step::Next;
        if (step != Step::Next) {
            board.OutputCursor = step == Step::Full ? j : following;
            return;
        }
        j = following;
    }
}

void SendNumberedBoard(Board& board) {
    output.omsg[0] = '{';
    output.omsg[1] = 0;
    output.oln = 2;
    if (board.LedPortSend) {
        output.oln += static_cast<int>(LedPortRecord(board, output.omsg + output.oln));
        board.LedPortSend = false;
    }
    OweEverythingIfAsked(board);
    VisitOutputs(board, [&board](BoardOutput& out) { return HandleBoardOutput(board, out); });
    output.omsg[1] = static_cast<uint8_t>(output.oln - 2);
    SendToBoard(board, output.omsg, static_cast<std::size_t>(output.oln));
}

// The panel's message goes to where the panel is: its LAN address, or its
// serial port when it came over USB.
void SendPanel(Board& board) {
    output.panelText.assign(1, '>');
    OweEverythingIfAsked(board);
    VisitOutputs(board, HandlePanelOutput);
    if (output.panelText.size() > 3) {
        SendToBoard(board, output.panelText.data(), output.panelText.size());
    }
}

// A fault while one board's message is built abandons that message only.
void SendOneBoard(Board& board) noexcept {
    try {
        if (board.OutDevice == 0) {
            SendPanel(board);
        } else {
            SendNumberedBoard(board);
        }
    } catch (const std::exception& e) {
        LogGuardedFault("outputs of a board", e.what());
    } catch (...) {
        LogGuardedFault("outputs of a board", "unknown exception");
    }
}

}  // namespace

void SendBoardOutputs() {
    for (std::size_t b = 0; b < Boards.size(); ++b) {
        if (Boards[b].AllowOutput) SendOneBoard(Boards[b]);
    }
}
