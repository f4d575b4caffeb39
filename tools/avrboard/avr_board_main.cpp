// kestrix-avr-board: the real firmware in an emulated Arduino Mega 2560, in
// real time, on a pseudo-terminal the plugin finds as a USB board: for the
// demo and for trying a data.cfg against the firmware itself. It logs what
// the plugin sends and the board answers, and what its LEDs and servos do;
// input events come from a script in kestrix-board's words, played on the
// pins as switches, encoders and potentiometers once the board runs.
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <thread>

#include "emulated_board.h"
#include "input_commands.h"
#include "plugin_messages.h"
#include "stream_splitter.h"
#include "wire.h"

namespace {

volatile sig_atomic_t stopRequested = 0;
void RequestStop(int) {
    stopRequested = 1;
}

const char* kUsage =
    "usage: kestrix-avr-board --firmware ELF --serial DIR --name NAME [--number N]\n"
    "                         [--inputs FILE] [--seconds S] [--label TEXT]\n"
    "Runs the Kestrix firmware (kestrix-mega2560.elf) in an emulated Arduino Mega 2560\n"
    "on a pseudo-terminal linked as DIR/NAME, which the plugin opens as a USB board\n"
    "(KESTRIX_SERIAL_DIR=DIR). --number writes the board number into its EEPROM.\n"
    "--inputs plays a script of kestrix-board's input events (press D22, turn E20 +2,\n"
    "analog A0 512, wait 1.5) on the pins once the board runs.\n";

struct Options {
    std::map<std::string, std::string> values;
    std::string Get(const std::string& key, const std::string& fallback = "") const {
        auto found = values.find(key);
        return found == values.end() ? fallback : found->second;
    }
};

class Monitor {
  public:
    Monitor(avrboard::EmulatedBoard& board, std::string label)
        : board_(board), label_(std::move(label)), splitter_(vboard::kUploadSize) {}

    void Attach() {
        board_.onReceived = [this](uint8_t byte, uint64_t) { FromPlugin(byte); };
        board_.onSent = [this](uint8_t byte, uint64_t) { FromBoard(byte); };
        board_.onPin = [this](uint8_t pin, bool level, uint64_t) {
            if (leds_.count(pin))
                Line("  LED pin " + std::to_string(pin) + (level ? ": on" : ": off"));
        };
    }
    // Servo widths are read between runs: a pulse is only known once it ends.
    void ShowServos() {
        for (auto& [pin, shown] : servos_) {
            const double width = board_.PulseMicros(pin);
            if (width > 0 && (width > shown + 2 || width < shown - 2)) {
                shown = width;
                Line("  servo pin " + std::to_string(pin) + ": " +
                     std::to_string(int(width + 0.5)) + " us");
            }
        }
    }
    // Displays likewise: their digits once the last of them is latched.
    void ShowDisplays() {
        for (auto& [pin, display] : displays_) {
            const std::string text = display.part->Text(8);
            if (text == display.shown) continue;
            display.shown = text;
            Line("  7-segment pin " + std::to_string(pin) + ": [" + text + "]");
        }
    }
    bool running() const { return running_; }
    void Line(const std::string& text) const { std::cout << label_ << " " << text << std::endl; }

  private:
    void FromPlugin(uint8_t byte) {
        const char c = static_cast<char>(byte);
        splitter_.Feed(&c, 1);
        vboard::StreamPiece piece;
        while (splitter_.Next(&piece)) {
            if (piece.isNoise) continue;
            const vboard::PluginMessage message = vboard::DecodePluginMessage(piece.bytes);
            if (message.kind == vboard::PluginMessageKind::ConfigUpload)
                TakeTable(message.pinTable);
            if (message.kind == vboard::PluginMessageKind::SevenSegmentSettings) {
                for (uint8_t pin : message.sevenSegmentPins) WatchDisplay(pin);
            }
            if (piece.bytes == last_) continue;  // the same outputs every frame
            last_ = piece.bytes;
            Line("<- " + vboard::DescribePluginMessage(message));
        }
    }
    void FromBoard(uint8_t byte) {
        sent_ += static_cast<char>(byte);
        if (byte != '}') return;
        const std::string message = sent_.substr(sent_.find('{') + 1, sent_.size() - 2);
        sent_.clear();
        if (message == "~w") running_ = true;
        Line("-> " + vboard::PrintableBytes(message));
    }
    // LEDs and servos as the upload names them; a display's pin (code 7 as
    // well) is no LED once the 7-segment settings name it.
    void TakeTable(const vboard::PinTable& table) {
        leds_.clear();
        servos_.clear();
        running_ = false;
        for (uint8_t pin = 2; pin < vboard::kPinCount; ++pin) {
            if (table[pin] == 7) leds_.insert(pin);
            if (table[pin] == 12) servos_[pin] = 0;
            if (table[pin] == 13) common_ = pin;
        }
    }
    // A MAX7219 on the display's pin, DIN and CLK on the common pin and the
    // next (user guide, section 11).
    void WatchDisplay(uint8_t pin) {
        leds_.erase(pin);
        if (common_ == 0 || displays_.count(pin)) return;
        displays_[pin].part = board_.Attach<avrboard::Max7219>(common_, common_ + 1, pin);
    }

    avrboard::EmulatedBoard& board_;
    std::string label_;
    vboard::PluginStreamSplitter splitter_;
    std::string last_, sent_;
    std::set<uint8_t> leds_;
    std::map<uint8_t, double> servos_;
    struct Display {
        avrboard::Max7219* part = nullptr;
        std::string shown;
    };
    std::map<uint8_t, Display> displays_;
    uint8_t common_ = 0;
    bool running_ = false;
};

// One input event on the pins; false for a key this board cannot play.
bool Play(avrboard::EmulatedBoard& board, const vboard::InputCommand& command) {
    const char kind = command.key[0];
    const int number = std::atoi(command.key.c_str() + 1);
    using Kind = vboard::InputCommand::Kind;
    if (kind == 'D' && (command.kind == Kind::Press || command.kind == Kind::Release)) {
        board.SetSwitch(static_cast<uint8_t>(number), command.kind == Kind::Press);
    } else if (kind == 'E' && command.kind == Kind::Turn) {
        board.Turn(static_cast<uint8_t>(number), command.steps);
    } else if (kind == 'A' && command.kind == Kind::Analog) {
        board.SetAnalog(static_cast<uint8_t>(number), command.reading * 5.0 / 1000);
    } else {
        return false;
    }
    return true;
}

bool LoadScript(const std::string& path, std::deque<vboard::InputCommand>* script) {
    FILE* file = std::fopen(path.c_str(), "r");
    if (file == nullptr) return false;
    char text[512];
    int number = 0;
    while (std::fgets(text, sizeof text, file)) {
        ++number;
        vboard::InputCommand command;
        std::string error;
        const vboard::LineResult result = vboard::ParseInputLine(text, &command, &error);
        if (result == vboard::LineResult::Error) {
            std::fprintf(stderr, "%s line %d: %s\n", path.c_str(), number, error.c_str());
            std::fclose(file);
            return false;
        }
        if (result == vboard::LineResult::Command) script->push_back(command);
    }
    std::fclose(file);
    return true;
}

// "--key value" pairs; 0 to go on, else the exit status (after --help, or
// with the usage on a mistake).
int ParseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kUsage, stdout);
            return -1;
        }
        if (i + 1 >= argc || std::strncmp(argv[i], "--", 2) != 0) break;
        options->values[argv[i]] = argv[i + 1];
        ++i;
    }
    if (options->values.size() * 2 + 1 == static_cast<std::size_t>(argc) &&
        !options->Get("--firmware").empty() && !options->Get("--serial").empty() &&
        !options->Get("--name").empty()) {
        return 0;
    }
    std::fputs(kUsage, stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (const int status = ParseOptions(argc, argv, &options)) return status < 0 ? 0 : status;
    std::deque<vboard::InputCommand> script;
    if (!options.Get("--inputs").empty() && !LoadScript(options.Get("--inputs"), &script)) return 2;
    std::string error;
    auto board = avrboard::EmulatedBoard::Open(
        {options.Get("--firmware"), options.Get("--serial"), options.Get("--name"),
         std::atoi(options.Get("--number", "0").c_str()), {}},
        &error);
    if (!board) {
        std::fprintf(stderr, "kestrix-avr-board: %s\n", error.c_str());
        return 1;
    }
    signal(SIGINT, RequestStop);
    signal(SIGTERM, RequestStop);
    Monitor monitor(*board, options.Get("--label", "[emulated Mega 2560]"));
    monitor.Attach();
    monitor.Line("the Kestrix firmware on " + board->linkPath());
    const double seconds = std::atof(options.Get("--seconds", "0").c_str());
    const auto start = std::chrono::steady_clock::now();
    double resumeAt = 0;
    while (!stopRequested && (seconds <= 0 || board->Now() < seconds)) {
        if (!board->RunFor(0.005)) {
            monitor.Line("stopped: " + board->problem());
            return 1;
        }
        monitor.ShowServos();
        monitor.ShowDisplays();
        while (monitor.running() && !script.empty() && board->Now() >= resumeAt) {
            const vboard::InputCommand command = script.front();
            script.pop_front();
            if (command.kind == vboard::InputCommand::Kind::Wait) {
                resumeAt = board->Now() + command.waitMs / 1000.0;
            } else if (Play(*board, command)) {
                monitor.Line("   " + command.text);
            } else {
                monitor.Line("   " + command.text + ": not wired on this board, skipped");
            }
        }
        // Emulated time runs ahead of the clock: wait for it.
        const auto due = start + std::chrono::duration<double>(board->Now());
        std::this_thread::sleep_until(due);
    }
    return 0;
}
