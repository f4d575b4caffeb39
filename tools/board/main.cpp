// kestrix-board: one virtual board in its own process, for the demo and for
// trying a data.cfg before any hardware exists. It polls its descriptor with
// a short timeout and steps the board until the run time is over or it is
// told to stop.
#include <poll.h>
#include <signal.h>

#include <chrono>
#include <csignal>
#include <iostream>
#include <memory>

#include "board_options.h"
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

void Run(vboard::VirtualBoard& board, const vboard::BoardOptions& options) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const int kPollMilliseconds = 20;
    while (!stopRequested) {
        pollfd entry{board.descriptor(), POLLIN, 0};
        poll(&entry, 1, kPollMilliseconds);
        board.Step();
        if (options.runMilliseconds &&
            Clock::now() - start >= std::chrono::milliseconds(*options.runMilliseconds)) {
            break;
        }
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
    auto transport = OpenTransport(options, identity.tildeLength(), &error);
    if (!transport) {
        std::cerr << label << " " << error << "\n";
        return 1;
    }
    InstallStopHandlers();
    {
        vboard::VirtualBoard board(identity, std::move(transport), std::cout, label);
        Run(board, options);
        board.SwitchOutputsOff();
        PrintShownOutputs(board, label);
        std::cout << label << " stopped\n" << std::flush;
    }  // the board's transport removes its serial link here
    return 0;
}
