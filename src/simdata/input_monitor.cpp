#include "simdata/input_monitor.h"

#include <charconv>
#include <string>
#include <string_view>

#include "XPLMProcessing.h"
#include "base/log.h"
#include "config/board_tables.h"
#include "custom/tool_commands.h"
#include "simdata/input_event.h"

namespace {

// What one event's line may hold; a key matched by many inputs ends in
// "..." rather than a line without end.
constexpr std::size_t kMaxLine = 400;
constexpr std::size_t kMaxEventText = 40;

struct MonitorState {
    bool collecting = false;  // between MonitorEventBegin and MonitorEventEnd
    int matched = 0;
    int notes = 0;
    std::string line;  // reused for every event
    double windowStart = -1e300;
    int linesInWindow = 0;
    long long leftOut = 0;
};

MonitorState monitor;

void Append(std::string_view text) {
    if (monitor.line.size() >= kMaxLine) return;
    monitor.line.append(text.substr(0, kMaxLine - monitor.line.size()));
    if (monitor.line.size() >= kMaxLine) monitor.line += "...";
}

// The shortest text that reads back as the same value: a float written to a
// dataref shows as the float it is, not as its double widening.
template <typename Number>
void AppendNumber(Number value) {
    char digits[32];
    const std::to_chars_result result = std::to_chars(digits, digits + sizeof digits, value);
    Append(std::string_view(digits, static_cast<std::size_t>(result.ptr - digits)));
}

// Bytes from the wire as readable text: anything but printable ASCII as \xNN.
void AppendPrintable(std::string_view bytes) {
    constexpr char kHex[] = "0123456789ABCDEF";
    for (char c : bytes.substr(0, kMaxEventText)) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F) {
            Append(std::string_view(&c, 1));
        } else {
            const char escaped[] = {'\\', 'x', kHex[u >> 4], kHex[u & 15]};
            Append(std::string_view(escaped, 4));
        }
    }
    if (bytes.size() > kMaxEventText) Append("...");
}

void AppendName(const BoardInput& in) {
    Append(in.Data.size() > 1 ? std::string_view(in.Data[1]) : std::string_view("(no name)"));
}

void StartNote() {
    Append(monitor.notes == 0 ? " -> " : "; ");
    ++monitor.notes;
}

void ReportLeftOut() {
    if (monitor.leftOut == 0) return;
    Log("\nInput monitor: ... " + Decimal(monitor.leftOut) + " more input events not shown");
    monitor.leftOut = 0;
}

// Within the second that began with the window's first line, the first
// kMonitorLinesPerSecond lines go out; the rest are counted.
bool MayWriteLine(double now) {
    if (now - monitor.windowStart >= 1.0) {
        ReportLeftOut();
        monitor.windowStart = now;
        monitor.linesInWindow = 0;
    }
    if (monitor.linesInWindow >= kMonitorLinesPerSecond) {
        ++monitor.leftOut;
        return false;
    }
    ++monitor.linesInWindow;
    return true;
}

void WriteLine() {
    if (MayWriteLine(XPLMGetElapsedTime())) Log(monitor.line);
}

}  // namespace

void MonitorEventBegin(const Board& board, const InputEvent& event) {
    monitor.collecting = toolCommands.inputMonitorOn;
    if (!monitor.collecting) return;
    monitor.matched = 0;
    monitor.notes = 0;
    monitor.line.assign("\nInput monitor: ");
    if (board.OutDevice == 0) {
        Append("Lumora Panel: ");
    } else {
        Append("board #");
        AppendNumber(board.OutDevice);
        Append(": ");
    }
    AppendPrintable(event.token);
    if (!event.hasValue) return;
    Append(" ");
    // An encoder's value is one raw byte: its step count.
    if (KindOf(event) == 'E' && !event.value.empty()) {
        AppendNumber(static_cast<unsigned char>(event.value[0]));
        Append(" steps");
    } else {
        AppendPrintable(event.value);
    }
}

void MonitorEventEnd() {
    if (!monitor.collecting) return;
    monitor.collecting = false;
    if (monitor.notes == 0) Append(monitor.matched == 0 ? " -> nothing matched" : " -> no change");
    WriteLine();
}

void MonitorRefusedEvent() {
    if (!toolCommands.inputMonitorOn) return;
    monitor.line.assign(
        "\nInput monitor: an input event from a sender that is not the board it names, ignored");
    WriteLine();
}

void MonitorNoteMatch() {
    if (monitor.collecting) ++monitor.matched;
}

void MonitorNoteWrite(const BoardInput& in, unsigned element, float value) {
    if (!monitor.collecting) return;
    StartNote();
    AppendName(in);
    if (in.InputDrefTypes & (xplmType_FloatArray | xplmType_IntArray)) {
        Append(" element ");
        AppendNumber(element);
    }
    Append(" = ");
    AppendNumber(value);
}

void MonitorNoteCommand(const BoardInput& in, const char* what, unsigned count) {
    if (!monitor.collecting || count == 0) return;
    StartNote();
    AppendName(in);
    Append(" ");
    Append(what);
    if (count > 1) {
        Append(" x");
        AppendNumber(count);
    }
}

void MonitorNoteDirective(const BoardInput& in) {
    if (!monitor.collecting) return;
    StartNote();
    Append("local directive ");
    AppendName(in);
}

void MonitorNoteSaved(const BoardInput& in) {
    if (!monitor.collecting) return;
    StartNote();
    AppendName(in);
    Append(" saved in memory");
}

void ReportInputMonitor(double now) {
    if (monitor.leftOut > 0 && now - monitor.windowStart >= 1.0) {
        ReportLeftOut();
        // The next line opens a new second.
        monitor.windowStart = -1e300;
    }
}

void ForgetInputMonitor() {
    std::string line = std::move(monitor.line);
    monitor = MonitorState{};
    monitor.line = std::move(line);  // keeps its capacity
}
