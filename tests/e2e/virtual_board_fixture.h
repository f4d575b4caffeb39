// The plugin in the stand-in with virtual boards (over UDP or a
// pseudo-terminal) as its peers, each stepped once per simulated frame.
#pragma once

#include <poll.h>

#include <functional>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "config/board_tables.h"
#include "plugin_fixture.h"
#include "serial_transport.h"
#include "transport/lan.h"
#include "transport/serial.h"
#include "udp_transport.h"
#include "virtual_board.h"

class VirtualBoardsTest : public PluginTest {
  protected:
    std::unique_ptr<vboard::VirtualBoard> UdpBoard(const std::string& host,
                                                   vboard::BoardIdentity identity) {
        std::string error;
        auto transport = vboard::UdpTransport::Open(host, folder.port(), &error);
        if (!transport) throw std::runtime_error(error);
        return std::make_unique<vboard::VirtualBoard>(identity, std::move(transport), log, host);
    }
    std::unique_ptr<vboard::VirtualBoard> SerialBoard(const std::string& name,
                                                      vboard::BoardIdentity identity) {
        std::string error;
        auto transport =
            vboard::SerialTransport::Open(folder.deviceDir(), name, identity.tildeLength(), &error);
        if (!transport) throw std::runtime_error(error);
        return std::make_unique<vboard::VirtualBoard>(identity, std::move(transport), log, name);
    }

    // One frame: the boards take their turn, then the simulator's frame.
    // When nothing is moving the test waits for the next byte on any line
    // (loopback and pseudo-terminals deliver through the kernel, not at once).
    void Frame() {
        std::vector<pollfd> fds;
        for (auto* board : boards) fds.push_back({board->descriptor(), POLLIN, 0});
        for (const SerialPort& port : serial.ports) fds.push_back({port.comport, POLLIN, 0});
        fds.push_back({lan.sock, POLLIN, 0});
        poll(fds.data(), fds.size(), 2);
        for (auto* board : boards) board->Step();
        simhost::RunFrame();
    }
    bool FramesUntil(const std::function<bool()>& done, int maxFrames = 2000) {
        for (int i = 0; i < maxFrames; ++i) {
            if (done()) return true;
            Frame();
        }
        return done();
    }
    // Every board has switched its outputs on, and the plugin has seen it.
    bool AllRunning() const {
        for (auto* board : boards) {
            if (board->phase() != vboard::BoardPhase::Running || board->queuedAnswers() > 0) {
                return false;
            }
            std::size_t b = static_cast<std::size_t>(board->boardIndex());
            if (b >= Boards.size() || !Boards[b].AllowPing) return false;
        }
        return true;
    }

    std::ostringstream log;
    std::vector<vboard::VirtualBoard*> boards;

    // The bytes of every "{" message the board has received, oldest first.
    static std::vector<std::string> BraceMessages(const vboard::VirtualBoard& board) {
        std::vector<std::string> messages;
        for (const vboard::PluginMessage& message : board.received()) {
            if (!message.bytes.empty() && message.bytes[0] == '{')
                messages.push_back(message.bytes);
        }
        return messages;
    }
    // Frames until the board holds at least count "{" messages.
    bool FramesUntilBraceMessages(const vboard::VirtualBoard& board, std::size_t count) {
        return FramesUntil([&] { return BraceMessages(board).size() >= count; });
    }
};
