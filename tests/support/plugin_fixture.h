// Fixture for in-process tests of the whole plugin: a fresh simulator
// folder, the linked-in plugin pointed at an empty serial directory, and
// helpers that run it through the stand-in.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "plugin_harness.h"
#include "simhost.h"

class PluginTest : public ::testing::Test {
  protected:
    PluginTest() { testenv::PointSerialScanAt(folder.deviceDir()); }

    // XPluginStart and XPluginEnable, then the first frame, which runs the
    // startup sequence.
    void StartAndInitialize() {
        plugin.Start();
        simhost::RunFrame();
    }

    testenv::SimFolder folder;
    testenv::PluginHarness plugin{folder, testenv::LinkedPlugin()};
};
