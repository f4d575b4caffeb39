#include <gtest/gtest.h>

#include <vector>

#include "XPLMProcessing.h"
#include "simhost.h"

namespace {

// What each call saw, and what the loop answers next.
struct LoopProbe {
    std::vector<int> frames;
    std::vector<float> sinceLastCall;
    float next = 0;
};

float Probe(float sinceLastCall, float, int counter, void* refcon) {
    auto* probe = static_cast<LoopProbe*>(refcon);
    probe->frames.push_back(counter);
    probe->sinceLastCall.push_back(sinceLastCall);
    return probe->next;
}

class FlightLoopTest : public testing::Test {
  protected:
    void SetUp() override { simhost::Reset(); }
};

TEST_F(FlightLoopTest, SecondsIntervalsFollowTheVirtualClock) {
    LoopProbe probe;
    probe.next = 0.025f;  // every frame at 40 frames per second
    XPLMRegisterFlightLoopCallback(Probe, 0.1f, &probe);
    simhost::RunFrames(3);
    EXPECT_TRUE(probe.frames.empty());
    simhost::RunFrame();  // 0.1 s
    simhost::RunFrames(40);
    ASSERT_EQ(probe.frames.size(), 41u);
    EXPECT_EQ(probe.frames.front(), 4);
    EXPECT_NEAR(probe.sinceLastCall.front(), 0.1f, 1e-5);
    EXPECT_NEAR(probe.sinceLastCall.back(), 0.025f, 1e-5);
    EXPECT_NEAR(XPLMGetElapsedTime(), 44 * 0.025f, 1e-4);
}

TEST_F(FlightLoopTest, NegativeIntervalsCountFramesAndZeroStopsCalls) {
    LoopProbe probe;
    probe.next = -3.0f;
    XPLMRegisterFlightLoopCallback(Probe, -1.0f, &probe);
    simhost::RunFrames(7);
    EXPECT_EQ(probe.frames, (std::vector<int>{1, 4, 7}));

    probe.next = 0;
    simhost::RunFrames(3);  // called once more at frame 10, then stopped
    simhost::RunFrames(20);
    EXPECT_EQ(probe.frames.size(), 4u);
    const simhost::FlightLoop* loop = simhost::FindFlightLoop(Probe);
    ASSERT_NE(loop, nullptr);  // still registered
    EXPECT_EQ(loop->interval, 0.0f);
    EXPECT_EQ(loop->calls, 4);

    XPLMSetFlightLoopCallbackInterval(Probe, -2.0f, 1, &probe);
    simhost::RunFrames(2);
    EXPECT_EQ(probe.frames.back(), 32);

    LoopProbe idle;
    XPLMRegisterFlightLoopCallback(Probe, 0, &idle);
    simhost::RunFrames(5);
    EXPECT_TRUE(idle.frames.empty());
}

// Registers the main loop from inside the one-shot start loop, as a plugin's
// first-frame initialisation does.
LoopProbe gMain;
float StartOnce(float, float, int, void*) {
    gMain.next = 0.025f;
    XPLMRegisterFlightLoopCallback(Probe, 1.0f, &gMain);
    return 0;
}

TEST_F(FlightLoopTest, LoopRegisteredInsideACallbackIsDueFromThatMoment) {
    gMain = LoopProbe();
    XPLMRegisterFlightLoopCallback(StartOnce, -1.0f, nullptr);
    simhost::RunFrame();  // 0.025 s: StartOnce registers the main loop
    EXPECT_TRUE(gMain.frames.empty());
    simhost::RunFor(1.0);
    ASSERT_EQ(gMain.frames.size(), 1u);
    EXPECT_EQ(gMain.frames[0], 41);
    simhost::RunFrames(40);
    EXPECT_EQ(gMain.frames.size(), 41u);
    EXPECT_EQ(simhost::FindFlightLoop(StartOnce)->calls, 1);
}

// Unregisters itself and re-registers for 0.5 s: the re-registration wins
// over the result of the call that made it.
int gRestarts = 0;
float Restart(float, float, int, void*) {
    ++gRestarts;
    XPLMUnregisterFlightLoopCallback(Restart, nullptr);
    XPLMRegisterFlightLoopCallback(Restart, 0.5f, nullptr);
    return -1.0f;
}

float UnregisterSelf(float, float, int, void* refcon) {
    ++*static_cast<int*>(refcon);
    XPLMUnregisterFlightLoopCallback(UnregisterSelf, refcon);
    return -1.0f;
}

TEST_F(FlightLoopTest, CallbacksMayUnregisterAndReRegisterThemselves) {
    int calls = 0;
    XPLMRegisterFlightLoopCallback(UnregisterSelf, -1.0f, &calls);
    gRestarts = 0;
    XPLMRegisterFlightLoopCallback(Restart, -1.0f, nullptr);
    simhost::RunFrames(5);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(simhost::FindFlightLoop(UnregisterSelf), nullptr);
    EXPECT_EQ(gRestarts, 1);
    simhost::RunFrames(16);  // 0.525 s: due again 0.5 s after frame 1
    EXPECT_EQ(gRestarts, 2);
    EXPECT_EQ(simhost::FlightLoops().size(), 1u);
}

TEST_F(FlightLoopTest, FramesAdvanceFlightTimeAndReportTheFramePeriod) {
    simhost::AddDataRef("sim/time/total_flight_time_sec", xplmType_Float, true);
    simhost::AddDataRef("sim/operation/misc/frame_rate_period", xplmType_Float, true);
    EXPECT_NEAR(simhost::GetValue("sim/operation/misc/frame_rate_period"), 0.025, 1e-9);
    simhost::SetFramePeriod(0.02);
    simhost::SetFramePeriod(0);  // ignored: the clock must advance
    EXPECT_NEAR(simhost::GetValue("sim/operation/misc/frame_rate_period"), 0.02, 1e-9);
    simhost::RunFrames(5);
    EXPECT_DOUBLE_EQ(simhost::GetValue("sim/time/total_flight_time_sec"), 0);
    simhost::SetFlightTimeRunning(true);
    simhost::RunFor(1.0);
    EXPECT_EQ(simhost::FrameCount(), 55);
    EXPECT_NEAR(simhost::GetValue("sim/time/total_flight_time_sec"), 1.0, 1e-9);
}

}  // namespace
