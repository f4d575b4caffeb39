// The built module (lin.xpl) in the simulator stand-in, and the real
// firmware in an emulated ATmega2560 on a pseudo-terminal the module opens
// as a USB board, or with an Ethernet shield bridged to its own loopback
// address (a LAN board), or both side by side. Each frame runs the boards
// for one frame's worth of emulated time, then the simulator's frame. Tests
// wait for content with generous frame counts, never for a time.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "emulated_board.h"
#include "plugin_harness.h"
#include "simhost.h"

class EmulatedBoardTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(testenv::LoadBuiltModule(folder, KESTRIX_MODULE_PATH, &module, &error))
            << error;
    }

    // The board with this number in its EEPROM, and the plugin started with
    // dataCfg as the aircraft's data.cfg.
    void Start(const std::string& dataCfg, int boardNumber) {
        ASSERT_NO_FATAL_FAILURE(OpenUsbBoard(boardNumber));
        StartPlugin(dataCfg);
    }
    void OpenUsbBoard(int boardNumber) {
        std::string error;
        board = avrboard::EmulatedBoard::Open(
            {KESTRIX_FIRMWARE_ELF, folder.deviceDir(), "ttyACM0", boardNumber, {}}, &error);
        ASSERT_TRUE(board) << error;
    }
    // A LAN board on its own loopback address and the plugin's port, its
    // address fixed in EEPROM or offered by the test host's DHCP server.
    void OpenLanBoard(int boardNumber, const std::string& address, bool dhcp) {
        std::string error;
        avrboard::ShieldOptions shield;
        shield.address = address;
        shield.dhcp = dhcp;
        shield.port = static_cast<uint16_t>(folder.port());
        lanBoard = avrboard::EmulatedBoard::Open(
            {KESTRIX_FIRMWARE_ELF, "", "", boardNumber, shield}, &error);
        ASSERT_TRUE(lanBoard) << error;
    }
    void StartPlugin(const std::string& dataCfg) {
        folder.WriteDataCfg(dataCfg);
        folder.WriteSafeConfig(board ? "USB_DEVICE_COUNT = 1\n" : "USB_DEVICE_COUNT = 0\n");
        plugin = std::make_unique<testenv::PluginHarness>(folder, module);
        simhost::SetFramePeriod(0.025);
        plugin->Start();
    }

    void Frame() {
        for (auto* each : {board.get(), lanBoard.get()}) {
            if (each == nullptr) continue;
            ASSERT_TRUE(each->RunFor(simhost::FramePeriod())) << each->problem();
        }
        simhost::RunFrame();
    }
    // Up to 30 s of simulator time by default.
    bool FramesUntil(const std::function<bool()>& done, int maxFrames = 1200) {
        for (int i = 0; i < maxFrames; ++i) {
            if (done()) return true;
            Frame();
            if (::testing::Test::HasFatalFailure()) return false;
        }
        return done();
    }
    void Frames(int count) {
        for (int i = 0; i < count && !::testing::Test::HasFatalFailure(); ++i) Frame();
    }

    testenv::SimFolder folder;
    simhost::PluginModule module;
    std::unique_ptr<avrboard::EmulatedBoard> board;     // on USB
    std::unique_ptr<avrboard::EmulatedBoard> lanBoard;  // with the shield
    std::unique_ptr<testenv::PluginHarness> plugin;
};
