// The plugin-owned datarefs and commands as the simulator and other plugins
// see them, with the plugin's code linked in and driven through the stand-in.
#include <vector>

#include "config/parser.h"
#include "custom/custom_refs.h"
#include "plugin_fixture.h"
#include "protocol/main_cycle.h"

namespace {

const std::string kFlaps = "kestrix/flaps_in_transition";
const std::string kAltHold = "kestrix/altitude_hold_status";
const std::string kFlapRatio = "sim/cockpit2/controls/flap_ratio";
const std::string kFlapHandle = "sim/flightmodel2/controls/flap_handle_deploy_ratio";
const std::string kAltHoldSource = "sim/cockpit2/autopilot/altitude_hold_status";

// Another plugin reading and writing our datarefs through the SDK.
int ReadFromOutside(const std::string& name) {
    return XPLMGetDatai(XPLMFindDataRef(name.c_str()));
}

class CustomRefsTest : public PluginTest {
  protected:
    void SetUp() override {
        folder.WriteSafeConfig("SCANNING_TIMEOUT = 0\n");
        StartAndInitialize();
        simhost::RunFor(1.0);  // the main cycle's first call comes a second later
    }
    // A self-configuring board whose outputs show the given datarefs.
    void ConfigureOutputs(const std::string& outputLines) {
        ReadConfigFile("[O]\n" + outputLines, 0, 0, MessageSource{});
    }
    int MainCycleCalls() { return simhost::FindFlightLoop(MyFlightLoopCallback)->calls; }
};

}  // namespace

TEST_F(CustomRefsTest, RegistersTwoDatarefsAndFourCommandsInTableOrder) {
    ASSERT_EQ(Kestrix_Drefs.size(), 2u);
    const std::string names[] = {kFlaps, kAltHold};
    const unsigned kinds[] = {1, 2};
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(Kestrix_Drefs[i].name, names[i]);
        EXPECT_EQ(Kestrix_Drefs[i].kind, kinds[i]);
        EXPECT_TRUE(simhost::IsPluginDataRef(names[i]));
        XPLMDataRef ref = XPLMFindDataRef(names[i].c_str());
        EXPECT_EQ(ref, Kestrix_Drefs[i].handle);
        EXPECT_EQ(XPLMGetDataRefTypes(ref), xplmType_Int);
        EXPECT_EQ(XPLMCanWriteDataRef(ref), 1);
    }
    EXPECT_EQ(Kestrix_Drefs[0].sourceA, XPLMFindDataRef(kFlapRatio.c_str()));
    EXPECT_EQ(Kestrix_Drefs[0].sourceB, XPLMFindDataRef(kFlapHandle.c_str()));
    EXPECT_EQ(Kestrix_Drefs[1].sourceA, XPLMFindDataRef(kAltHoldSource.c_str()));
    EXPECT_EQ(Kestrix_Drefs[1].sourceB, nullptr);

    ASSERT_EQ(Kestrix_Commands.size(), 4u);
    for (int n = 1; n <= 4; ++n) {
        const CustomCommand& entry = Kestrix_Commands[n - 1];
        const std::string number = std::to_string(n);
        EXPECT_EQ(entry.name, "kestrix/starter_ignition_" + number);
        EXPECT_EQ(entry.command, XPLMFindCommand(entry.name.c_str()));
        EXPECT_EQ(simhost::HandlerCount(entry.name), 1);
        EXPECT_EQ(entry.first, XPLMFindCommand(("sim/starters/engage_starter_" + number).c_str()));
        EXPECT_EQ(entry.second,
                  XPLMFindCommand(("sim/igniters/igniter_contin_on_" + number).c_str()));
        EXPECT_EQ(entry.third,
                  XPLMFindCommand(("sim/igniters/igniter_contin_off_" + number).c_str()));
        EXPECT_NE(entry.third, nullptr);
    }
}

TEST_F(CustomRefsTest, OnlyShownValuesAreComputedAndOutsideWritesChangeNothing) {
    ConfigureOutputs("5L 0 " + kFlaps + "\n6L 0 " + kFlaps + "\n");
    EXPECT_EQ(CustomIndices, std::vector<unsigned>{0u});
    simhost::SetValue(kAltHoldSource, 2);  // captured, but no output shows it
    struct Case {
        double ratio, handle;
        int expected;
    };
    for (const Case& c : {Case{0.5, 0.25, 1}, Case{0.5, 0.5, 0}, Case{0.0, 1.0, 1}}) {
        simhost::SetValue(kFlapRatio, c.ratio);
        simhost::SetValue(kFlapHandle, c.handle);
        simhost::RunFrames(3);
        EXPECT_EQ(ReadFromOutside(kFlaps), c.expected) << c.ratio << " against " << c.handle;
        XPLMSetDatai(XPLMFindDataRef(kFlaps.c_str()), 5);
        EXPECT_EQ(ReadFromOutside(kFlaps), c.expected) << "a write from outside";
        EXPECT_EQ(ReadFromOutside(kAltHold), 0) << "not shown by any output";
    }
}

TEST_F(CustomRefsTest, AltitudeHoldArmedBlinksEveryTwentyFirstCycleAtFiftyFramesPerSecond) {
    ConfigureOutputs("5L 0 " + kAltHold + "\n");
    simhost::SetFramePeriod(0.02);
    simhost::SetValue(kAltHoldSource, 2);
    simhost::RunFrames(3);
    EXPECT_EQ(ReadFromOutside(kAltHold), 1) << "captured";
    simhost::SetValue(kAltHoldSource, 0);
    simhost::RunFrames(3);
    EXPECT_EQ(ReadFromOutside(kAltHold), 0) << "off";

    simhost::SetValue(kAltHoldSource, 1);
    std::vector<int> changes;  // main-cycle call counts at which the value changed
    int shown = ReadFromOutside(kAltHold);
    while (changes.size() < 4) {
        simhost::RunFrame();
        if (ReadFromOutside(kAltHold) != shown) {
            shown = ReadFromOutside(kAltHold);
            changes.push_back(MainCycleCalls());
        }
        ASSERT_LT(simhost::FrameCount(), 1000);
    }
    for (std::size_t i = 1; i < changes.size(); ++i) EXPECT_EQ(changes[i] - changes[i - 1], 21);
}

TEST_F(CustomRefsTest, StarterCommandHoldsTheStarterAndSwitchesTheIgnition) {
    for (int n = 1; n <= 4; ++n) {
        const std::string number = std::to_string(n);
        const std::string starter = "sim/starters/engage_starter_" + number;
        const std::string on = "sim/igniters/igniter_contin_on_" + number;
        const std::string off = "sim/igniters/igniter_contin_off_" + number;
        simhost::CommandBegin("kestrix/starter_ignition_" + number);
        simhost::RunFrames(5);
        EXPECT_TRUE(simhost::Counts(starter).held) << n;
        EXPECT_EQ(simhost::Counts(starter).begin, 1) << n;
        EXPECT_EQ(simhost::Counts(on).once, 1) << n;
        EXPECT_EQ(simhost::Counts(off).once, 0) << n;
        simhost::CommandEnd("kestrix/starter_ignition_" + number);
        EXPECT_FALSE(simhost::Counts(starter).held) << n;
        EXPECT_EQ(simhost::Counts(starter).end, 1) << n;
        EXPECT_EQ(simhost::Counts(on).once, 1) << n;
        EXPECT_EQ(simhost::Counts(off).once, 1) << n;
        // The handler lets the command go on to the simulator and other handlers.
        EXPECT_EQ(simhost::Counts("kestrix/starter_ignition_" + number).simActions, 1) << n;
    }
    EXPECT_EQ(simhost::Counts("sim/starters/engage_starter_2").begin, 1) << "each its own engine";
}

TEST_F(CustomRefsTest, StopUnregistersTheDatarefsAndAnotherStartRegistersThemOnce) {
    ConfigureOutputs("5L 0 " + kFlaps + "\n");
    plugin.Stop();
    EXPECT_FALSE(simhost::HasDataRef(kFlaps));
    EXPECT_FALSE(simhost::HasDataRef(kAltHold));
    EXPECT_EQ(Kestrix_Drefs[0].handle, nullptr);

    plugin.Start();
    ASSERT_EQ(Kestrix_Drefs.size(), 2u);
    EXPECT_EQ(Kestrix_Commands.size(), 4u);
    EXPECT_TRUE(simhost::IsPluginDataRef(kFlaps));
    EXPECT_EQ(XPLMFindDataRef(kAltHold.c_str()), Kestrix_Drefs[1].handle);
    EXPECT_EQ(simhost::HandlerCount("kestrix/starter_ignition_1"), 1);
    simhost::SetValue(kFlapRatio, 0.5);
    simhost::SetValue(kFlapHandle, 0.25);
    simhost::RunFrames(3);
    EXPECT_EQ(ReadFromOutside(kFlaps), 1) << "the same entry is still computed";
}
