// kestrix-board: one virtual board in its own process, for the demo and for
// trying a data.cfg before any hardware exists. It polls its descriptor with
// a short timeout and steps the board until the run time is over or it is
// told to stop.
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <iostream>
#include <memory>

#include "board_options.h"
#include "input_script.h"
#include "panel_text.h"
#include "serial_transport.h"
#include "udp_transport.h"
#include "virtual_board.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void RequestStop(int) {
    stopRequested = 1;
}

// Without SA_RESTART, so a signal also ends the poll in progress.
void InstallStopHandlers() {
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

std::unique_ptr<vboard::BoardTransport> OpenTransport(const vboard::BoardOptions& options,
                                                      std::size_t tildeLength, std::string* error) {
    if (options.serial) {
        return vboard::SerialTransport::Open(options.serialDir, options.serialName, tildeLength,
                                             error);
    }
    return vboard::UdpTransport::Open(options.address, options.port, error);
}

bool MakeIdentity(const vboard::BoardOptions& options, vboard::BoardIdentity* identity,
                  std::string* error) {
    if (!options.selfConfiguring) {
        *identity = vboard::BoardIdentity::Numbered(options.boardNumber, options.versionByte);
        return true;
    }
    std::string text;
    if (!vboard::LoadPanelText(options.panelFile, &text, error)) return false;
    *identity = vboard::BoardIdentity::SelfConfiguring(text);
    return true;
}

// Standard input, while it is open and this program may read it: a board
// started in the background of an interactive shell would be stopped by the
// terminal at its first read.
class TypedInputs {
  public:
    TypedInputs() { open_ = !(isatty(STDIN_FILENO) && tcgetpgrp(STDIN_FILENO) != getpgrp()); }
    int descriptor() const { return open_ ? STDIN_FILENO : -1; }

    // Takes what has been typed into the script, once poll has said that
    // standard input is readable (one read then does not wait; the
    // descriptor stays blocking, as the shell that shares it expects).
    // Wrong lines are reported.
    void ReadInto(vboard::InputScript& script, const std::string& label) {
        if (!open_) return;
        char buffer[512];
        const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
        if (n > 0) reader_.Feed(buffer, static_cast<std::size_t>(n));
        std::string line;
        while (reader_.Next(&line)) Take(line, script, label);
        if (n <= 0) {  // end of input, or it cannot be read
            if (reader_.Rest(&line)) Take(line, script, label);
            open_ = false;
        }
    }

  private:
    static void Take(const std::string& line, vboard::InputScript& script,
                     const std::string& label) {
        vboard::InputCommand command;
        std::string error;
        if (vboard::ParseInputLine(line, &command, &error) == vboard::LineResult::Command) {
            script.Add(command);
        } else if (!error.empty()) {
            std::cout << label << " not understood: " << error << "\n" << std::flush;
        }
    }

    bool open_ = false;
    vboard::LineReader reader_;
};

void Run(vboard::VirtualBoard& board, const vboard::BoardOptions& options,
         vboard::InputScript& script, const std::string& label) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const int kPollMilliseconds = 20;
    TypedInputs typed;
    while (!stopRequested) {
        pollfd entries[2] = {{board.descriptor(), POLLIN, 0}, {typed.descriptor(), POLLIN, 0}};
        poll(entries, typed.descriptor() >= 0 ? 2 : 1, kPollMilliseconds);
        board.Step();
        if (typed.descriptor() >= 0 && (entries[1].revents & (POLLIN | POLLHUP | POLLERR))) {
            typed.ReadInto(script, label);
        }
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
        script.Step(elapsed.count(), board);
        if (options.runMilliseconds && elapsed.count() >= *options.runMilliseconds) break;
    }
}

// What a cockpit builder would see on the board when it stops.
void PrintShownOutputs(const vboard::VirtualBoard& board, const std::string& label) {
    const std::vector<std::string> lines = vboard::ShownLines(board.outputs());
    if (lines.empty()) return;
    std::string text = label + " outputs at the end:\n";
    for (const std::string& line : lines) text += label + "   " + line + "\n";
    std::cout << text << std::flush;
}

}  // namespace

int main(int argc, char** argv) {
    for (int k = 1; k < argc; ++k) {
        const std::string arg = argv[k];
        if (arg == "--help" || arg == "-h") {
            std::cout << vboard::BoardUsage();
            return 0;
        }
    }
    vboard::BoardOptions options;
    std::string error;
    if (!vboard::ParseBoardOptions({argv + 1, argv + argc}, &options, &error)) {
        std::cerr << "kestrix-board: " << error << "\n" << vboard::BoardUsage();
        return 2;
    }
    const std::string label = vboard::BoardLabel(options);
    vboard::BoardIdentity identity;
    if (!MakeIdentity(options, &identity, &error)) {
        std::cerr << label << " " << error << "\n";
        return 1;
    }
    vboard::InputScript script;
    if (!options.inputsFile.empty() &&
        !vboard::LoadInputScript(options.inputsFile, &script, &error)) {
        std::cerr << label << " " << error << "\n";
        return 1;
    }
    auto transport = OpenTransport(options, identity.tildeLength(), &error);
    if (!transport) {
        std::cerr << label << " " << error << "\n";
        return 1;
    }
    InstallStopHandlers();
    {
        vboard::VirtualBoard board(identity, std::move(transport), std::cout, label);
        Run(board, options, script, label);
        board.SwitchOutputsOff();
        PrintShownOutputs(board, label);
        std::cout << label << " stopped\n" << std::flush;
    }  // the board's transport removes its serial link here
    return 0;
}
