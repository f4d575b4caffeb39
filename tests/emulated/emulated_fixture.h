// The built module (lin.xpl) in the simulator stand-in, and the real
// firmware in an emulated ATmega2560 on a pseudo-terminal the module opens
// as a USB board. Each frame runs the board for one frame's worth of
// emulated time, then the simulator's frame. Tests wait for content with
// generous frame counts, never for a time.
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
        folder.WriteDataCfg(dataCfg);
        folder.WriteSafeConfig("USB_DEVICE_COUNT = 1\n");
        std::string error;
        board = avrboard::EmulatedBoard::Open(
            {KESTRIX_FIRMWARE_ELF, folder.deviceDir(), "ttyACM0", boardNumber}, &error);
        ASSERT_TRUE(board) << error;
        plugin = std::make_unique<testenv::PluginHarness>(folder, module);
        simhost::SetFramePeriod(0.025);
        plugin->Start();
    }

    void Frame() {
        ASSERT_TRUE(board->RunFor(simhost::FramePeriod())) << board->problem();
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
    std::unique_ptr<avrboard::EmulatedBoard> board;
    std::unique_ptr<testenv::PluginHarness> plugin;
};
