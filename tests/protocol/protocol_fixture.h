// The plugin running its main cycle in the stand-in, one cycle per frame,
// with fake boards on loopback and pseudo-terminals.
#pragma once

#include <arpa/inet.h>
#include <poll.h>

#include <functional>

#include <string>

#include "peers.h"
#include "plugin_fixture.h"
#include "protocol/main_cycle.h"
#include "transport/lan.h"
#include "transport/serial.h"

class ProtocolTest : public PluginTest {
  protected:
    // Starts the plugin and runs frames until its first main cycle is due;
    // from then on every frame runs one cycle.
    void StartPlugin(const std::string& extraConfig = "") {
        folder.WriteSafeConfig(extraConfig);
        simhost::SetFramePeriod(0.025);
        StartAndInitialize();
        while (Cycles() == 0) simhost::RunFrame();
        // That frame ran the first cycle; count from here.
        cyclesAtStart_ = 0;
    }
    // Main cycles run so far.
    int Cycles() const {
        const simhost::FlightLoop* loop = simhost::FindFlightLoop(MyFlightLoopCallback);
        return loop ? loop->calls : 0;
    }
    void RunCycles(int n) {
        int target = Cycles() + n;
        while (Cycles() < target) simhost::RunFrame();
    }
    // Runs cycles until the peer has a datagram (or gives up after many).
    bool CyclesUntilReceived(const testenv::UdpPeer& peer, std::string* out, int maxCycles = 50) {
        for (int i = 0; i < maxCycles; ++i) {
            if (peer.Receive(out, 0)) return true;
            RunCycles(1);
        }
        return peer.Receive(out, 100);
    }
    // Runs cycles until done() holds, waiting for the kernel to deliver
    // between cycles (pseudo-terminals pass bytes on asynchronously).
    bool CyclesUntil(const std::function<bool()>& done, int maxCycles = 200) {
        for (int i = 0; i < maxCycles && !done(); ++i) {
            std::vector<pollfd> fds{{lan.sock, POLLIN, 0}};
            for (const SerialPort& port : serial.ports) fds.push_back({port.comport, POLLIN, 0});
            poll(fds.data(), fds.size(), 5);
            RunCycles(1);
        }
        return done();
    }
    std::string Dev(const std::string& name) const { return folder.deviceDir() + name; }

    int cyclesAtStart_ = 0;
};

using testenv::Bytes;

// A numbered board's identification: library version byte and board number.
inline std::string NumberedIdentity(int version, char number) {
    return std::string("|A") + static_cast<char>(version) + number;
}
