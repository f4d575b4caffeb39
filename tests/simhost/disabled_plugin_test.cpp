// The simulator calls nothing of a disabled plugin, from XPluginStart until
// the first XPluginEnable and again after XPluginDisable.
#include <gtest/gtest.h>

#include <functional>

#include "XPLMDataAccess.h"
#include "XPLMMenus.h"
#include "XPLMProcessing.h"
#include "XPLMUtilities.h"
#include "XPStandardWidgets.h"
#include "XPWidgets.h"
#include "simhost.h"

namespace {

enum Kind { kLoop, kMenu, kWidget, kCommand, kRead, kWrite, kMessage, kKinds };
int gCalls[kKinds];  // calls per kind of callback
float gSinceLastCall = 0;

float Loop(float sinceLastCall, float, int, void*) {
    ++gCalls[kLoop];
    gSinceLastCall = sinceLastCall;
    return -1.0f;
}

class DisabledPluginTest : public testing::Test {
  protected:
    void SetUp() override {
        simhost::Reset();
        std::fill(std::begin(gCalls), std::end(gCalls), 0);
        plugin.start = [](char*, char*, char*) { return 1; };
        plugin.enable = [] { return 1; };
        plugin.receive = [](XPLMPluginID, int, void*) { ++gCalls[kMessage]; };
        simhost::Start(plugin);
    }
    simhost::PluginModule plugin;
};

// After XPluginStart, enabled, disabled again: each kind of callback runs only
// while enabled. The command's handler stops it, so the simulator's own
// action runs only while the handler is skipped.
TEST_F(DisabledPluginTest, NoCallbackRunsUntilEnabledNorAfterDisabled) {
    XPLMRegisterFlightLoopCallback(Loop, -1.0f, nullptr);
    XPLMMenuID plugins = XPLMFindPluginsMenu();
    XPLMMenuID menu = XPLMCreateMenu(
        "Kestrix", plugins, XPLMAppendMenuItem(plugins, "K", 0, 0),
        [](void*, void*) { ++gCalls[kMenu]; }, nullptr);
    XPLMAppendMenuItem(menu, "Status", nullptr, 0);
    XPWidgetID button = XPCreateWidget(0, 20, 20, 0, 1, "PAUSE", 1, nullptr, xpWidgetClass_Button);
    XPAddWidgetCallback(button, [](XPWidgetMessage, XPWidgetID, intptr_t, intptr_t) {
        ++gCalls[kWidget];
        return 1;
    });
    EXPECT_EQ(gCalls[kWidget], 0) << "no xpMsg_Create for a disabled plugin";
    const char* name = "kestrix/starter_ignition_1";
    XPLMRegisterCommandHandler(
        XPLMCreateCommand(name, ""),
        [](XPLMCommandRef, XPLMCommandPhase, void*) {
            ++gCalls[kCommand];
            return 0;
        },
        1, nullptr);
    XPLMDataRef ref = XPLMRegisterDataAccessor(
        "kestrix/altitude_hold_status", xplmType_Int, 1,
        [](void*) {
            ++gCalls[kRead];
            return 7;
        },
        [](void*, int) { ++gCalls[kWrite]; }, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    const std::function<void()> touch[kKinds] = {
        [] { simhost::RunFrame(); },
        [] { simhost::ChooseMenuItem("Kestrix", "Status"); },
        [&] { simhost::PushButton(button); },
        [&] { simhost::CommandOnce(name); },
        [&] { EXPECT_EQ(XPLMGetDatai(ref), simhost::PluginEnabled() ? 7 : 0); },
        [&] { XPLMSetDatai(ref, 1); },
        [&] { simhost::SendMessage(plugin, 103); },
    };
    for (int step = 0; step < 3; ++step) {
        if (step == 1) simhost::Enable(plugin);
        if (step == 2) simhost::Disable(plugin);
        const bool on = step == 1;
        EXPECT_EQ(simhost::PluginEnabled(), on);
        for (int kind = 0; kind < kKinds; ++kind) {
            int before = gCalls[kind];
            touch[kind]();
            EXPECT_EQ(gCalls[kind] > before, on) << "step " << step << ", kind " << kind;
        }
        int actions = simhost::Counts(name).simActions;
        simhost::CommandOnce(name);
        EXPECT_EQ(simhost::Counts(name).simActions - actions, on ? 0 : 1);
        EXPECT_EQ(simhost::GetValue("kestrix/altitude_hold_status"), on ? 7 : 0);
    }
    EXPECT_EQ(simhost::WriteCount("kestrix/altitude_hold_status"), 1);
    simhost::ForgetPlugin();  // no plugin: the stand-in calls everything again
    EXPECT_TRUE(simhost::PluginCallable());
}

// A loop that fell due while disabled is called once on the first frame
// after enabling, with the whole time since its last call.
TEST_F(DisabledPluginTest, FlightLoopsKeepTheirScheduleAndResumeOnce) {
    XPLMRegisterFlightLoopCallback(Loop, 0.1f, nullptr);
    simhost::RunFor(1.0);
    simhost::Enable(plugin);
    EXPECT_EQ(simhost::RunFrame(), 1);
    EXPECT_NEAR(gSinceLastCall, 1.025f, 1e-4);
    simhost::Disable(plugin);
    simhost::RunFrames(10);
    EXPECT_EQ(simhost::FindFlightLoop(Loop)->interval, -1.0f);
    simhost::Enable(plugin);
    simhost::RunFrames(2);
    EXPECT_EQ(gCalls[kLoop], 3) << "no catching up on the frames missed";
}

}  // namespace
