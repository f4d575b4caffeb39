#include <gtest/gtest.h>

#include <cstring>

#include "XPLMDataAccess.h"
#include "simhost.h"
#include "test_files.h"

namespace {

std::string Table(const std::string& path) {
    return std::string(KESTRIX_SIM_DATA_DIR) + path;
}

class DataRefTest : public testing::Test {
  protected:
    void SetUp() override { simhost::Reset(); }
};

TEST_F(DataRefTest, ShippedTableLoadsRealLinesWithTheirTypes) {
    EXPECT_GE(simhost::LoadDataRefTable(Table("/DataRefs.txt")), 60);
    XPLMDataRef flightTime = XPLMFindDataRef("sim/time/total_flight_time_sec");
    ASSERT_NE(flightTime, nullptr);
    EXPECT_EQ(XPLMGetDataRefTypes(flightTime), xplmType_Float);
    EXPECT_EQ(XPLMFindDataRef("sim/time/total_flight_time"), nullptr);

    XPLMDataRef holdStatus = XPLMFindDataRef("sim/cockpit2/autopilot/altitude_hold_status");
    EXPECT_EQ(XPLMGetDataRefTypes(holdStatus), xplmType_Int);
    EXPECT_EQ(XPLMCanWriteDataRef(holdStatus), 0);
    XPLMDataRef latitude = XPLMFindDataRef("sim/flightmodel/position/latitude");
    EXPECT_EQ(XPLMGetDataRefTypes(latitude), xplmType_Float | xplmType_Double);
    XPLMDataRef tail = XPLMFindDataRef("sim/aircraft/view/acf_tailnum");
    EXPECT_EQ(XPLMGetDatab(tail, nullptr, 0, 0), 40);
    XPLMDataRef path = XPLMFindDataRef("sim/aircraft/view/acf_relative_path");
    EXPECT_EQ(XPLMGetDatab(path, nullptr, 0, 0), 1024);
    XPLMDataRef n1 = XPLMFindDataRef("sim/flightmodel/engine/ENGN_N1_");
    EXPECT_EQ(XPLMGetDataRefTypes(n1), xplmType_FloatArray);
    EXPECT_EQ(XPLMGetDatavf(n1, nullptr, 0, 0), 16);
    EXPECT_EQ(XPLMGetDatavi(XPLMFindDataRef("sim/cockpit2/switches/door_open"), nullptr, 0, 0), 20);
}

TEST_F(DataRefTest, TableSkipsMalformedLinesAndFlattensDimensions) {
    std::string path = WriteTempFile("refs.txt",
                                     "2 1210 Wed Mar 25 18:29:27 2026\n"
                                     "\n"
                                     "a/int\tint\ty\tfeet\tAn int\t\n"
                                     "a/grid\tfloat[16][12]\tn\tdeg\tTwo dimensions\n"
                                     "a/short\tfloat\tn\t\n"
                                     "a/bad_type\tquaternion\ty\tx\ty\n"
                                     "a/bad_flag\tint\tmaybe\tx\ty\n"
                                     "a/zero\tint[0]\ty\tx\ty\n"
                                     "a/crlf\tbyte[8]\ty\tstring\tWindows line\r\n"
                                     "only a name\n");
    EXPECT_EQ(simhost::LoadDataRefTable(path), 4);
    EXPECT_TRUE(simhost::HasDataRef("a/int"));
    EXPECT_TRUE(simhost::HasDataRef("a/short"));
    EXPECT_FALSE(simhost::HasDataRef("a/bad_type"));
    EXPECT_FALSE(simhost::HasDataRef("a/bad_flag"));
    EXPECT_FALSE(simhost::HasDataRef("a/zero"));
    EXPECT_EQ(XPLMGetDatavf(XPLMFindDataRef("a/grid"), nullptr, 0, 0), 192);
    EXPECT_EQ(XPLMCanWriteDataRef(XPLMFindDataRef("a/crlf")), 1);
    EXPECT_EQ(simhost::LoadDataRefTable(testing::TempDir() + "/missing.txt"), -1);
}

TEST_F(DataRefTest, AccessorsFollowTheTypeMaskAndWritability) {
    XPLMDataRef d = simhost::AddDataRef("t/double", xplmType_Float | xplmType_Double, true);
    XPLMSetDatad(d, 2.5);
    EXPECT_DOUBLE_EQ(XPLMGetDatad(d), 2.5);
    EXPECT_FLOAT_EQ(XPLMGetDataf(d), 2.5f);
    EXPECT_EQ(XPLMGetDatai(d), 0);  // no int bit
    XPLMSetDatai(d, 7);             // ignored
    EXPECT_DOUBLE_EQ(simhost::GetValue("t/double"), 2.5);
    EXPECT_EQ(simhost::WriteCount("t/double"), 1);

    XPLMDataRef ro = simhost::AddDataRef("t/readonly", xplmType_Int, false);
    XPLMSetDatai(ro, 5);
    EXPECT_EQ(XPLMGetDatai(ro), 0);
    simhost::SetValue("t/readonly", 3.9);  // the simulator's own side may write
    EXPECT_EQ(XPLMGetDatai(ro), 3);
    EXPECT_EQ(simhost::WriteCount("t/readonly"), 0);

    simhost::SetValue("t/readonly", 1e30);  // out of int range: clamped, not UB
    EXPECT_EQ(XPLMGetDatai(ro), 2147483647);
}

TEST_F(DataRefTest, NullAndUnknownHandlesAreHarmless) {
    int unrelated = 0;
    XPLMDataRef bogus = &unrelated;
    float values[4] = {};
    for (XPLMDataRef ref : {XPLMDataRef(nullptr), bogus}) {
        EXPECT_EQ(XPLMIsDataRefGood(ref), 0);
        EXPECT_EQ(XPLMGetDataRefTypes(ref), 0);
        EXPECT_EQ(XPLMGetDatai(ref), 0);
        XPLMSetDataf(ref, 1.0f);
        EXPECT_EQ(XPLMGetDatavf(ref, values, 0, 4), 0);
        XPLMUnregisterDataAccessor(ref);
    }
    EXPECT_EQ(unrelated, 0);
    EXPECT_EQ(XPLMFindDataRef(nullptr), nullptr);
}

TEST_F(DataRefTest, ArrayAccessIsClampedToTheArray) {
    XPLMDataRef ref = simhost::AddDataRef("t/floats", xplmType_FloatArray, true, 4);
    float in[6] = {1, 2, 3, 4, 5, 6};
    XPLMSetDatavf(ref, in, 2, 6);  // only elements 2 and 3 exist
    EXPECT_FLOAT_EQ(simhost::GetElement("t/floats", 2), 1);
    EXPECT_FLOAT_EQ(simhost::GetElement("t/floats", 3), 2);
    XPLMSetDatavf(ref, in, -1, 2);  // refused
    XPLMSetDatavf(ref, in, 4, 1);   // past the end: refused
    EXPECT_EQ(simhost::WriteCount("t/floats"), 1);

    float out[8];
    std::fill(out, out + 8, -9.0f);
    EXPECT_EQ(XPLMGetDatavf(ref, out, 1, 8), 3);
    EXPECT_FLOAT_EQ(out[1], 1);
    EXPECT_FLOAT_EQ(out[3], -9.0f);  // nothing written past the copied count
    EXPECT_EQ(XPLMGetDatavf(ref, out, -2, 8), 0);
    EXPECT_EQ(XPLMGetDatavf(ref, out, 4, 8), 0);
    EXPECT_EQ(XPLMGetDatavf(ref, out, 0, 0), 0);
    EXPECT_EQ(XPLMGetDatavi(ref, nullptr, 0, 0), 0);  // not an int array

    XPLMDataRef bytes = simhost::AddDataRef("t/bytes", xplmType_Data, true, 8);
    char text[] = "N172SPXYZ";
    XPLMSetDatab(bytes, text, 0, 9);
    EXPECT_EQ(simhost::GetBytes("t/bytes"), "N172SPXY");
    char back[4] = {'-', '-', '-', '-'};
    EXPECT_EQ(XPLMGetDatab(bytes, back, 6, 4), 2);
    EXPECT_EQ(std::string(back, 4), "XY--");
    simhost::SetBytes("t/bytes", "AB");
    EXPECT_EQ(simhost::GetBytes("t/bytes"), "AB");
}

// A plugin-owned dataref as the plugin registers it.
struct Published {
    int value = 0;
    int writes = 0;
};
int ReadPublished(void* refcon) {
    return static_cast<Published*>(refcon)->value;
}
void WritePublished(void* refcon, int value) {
    auto* published = static_cast<Published*>(refcon);
    published->value = value;
    ++published->writes;
}

TEST_F(DataRefTest, PluginAccessorsAreCalledWithTheirRefconsUntilUnregistered) {
    Published published{4};
    XPLMDataRef ref = XPLMRegisterDataAccessor(
        "kestrix/test", xplmType_Int, 1, ReadPublished, WritePublished, nullptr, nullptr, nullptr,
        nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &published, &published);
    EXPECT_EQ(XPLMFindDataRef("kestrix/test"), ref);
    EXPECT_TRUE(simhost::IsPluginDataRef("kestrix/test"));
    EXPECT_EQ(XPLMGetDataRefTypes(ref), xplmType_Int);
    EXPECT_EQ(XPLMGetDatai(ref), 4);
    EXPECT_EQ(XPLMGetDataf(ref), 0.0f);  // no float bit
    XPLMSetDatai(ref, 9);
    EXPECT_EQ(published.value, 9);
    EXPECT_DOUBLE_EQ(simhost::GetValue("kestrix/test"), 9);
    EXPECT_EQ(simhost::WriteCount("kestrix/test"), 1);

    XPLMUnregisterDataAccessor(ref);
    EXPECT_EQ(XPLMFindDataRef("kestrix/test"), nullptr);
    EXPECT_EQ(XPLMGetDatai(ref), 0);  // the stale handle stays safe
    XPLMSetDatai(ref, 1);
    EXPECT_EQ(published.writes, 1);
}

TEST_F(DataRefTest, HandlesSurviveResetAndComeBackWithTheirName) {
    XPLMDataRef before = simhost::AddDataRef("t/kept", xplmType_Int, true);
    simhost::Reset();
    EXPECT_EQ(XPLMGetDatai(before), 0);
    EXPECT_EQ(XPLMFindDataRef("t/kept"), nullptr);
    XPLMDataRef after = simhost::AddDataRef("t/kept", xplmType_Int, true);
    EXPECT_EQ(after, before);
    simhost::SetValue("t/kept", 6);
    EXPECT_EQ(XPLMGetDatai(before), 6);
}

}  // namespace

// What kestrix-sim prints: the plugin's writes and command calls through the
// SDK that took effect, not the simulator's own side, and nothing once reset.
TEST_F(DataRefTest, ObserversSeeTheWritesAndCommandsMadeThroughTheSdk) {
    simhost::LoadDataRefTable(Table("/DataRefs.txt"));
    simhost::LoadCommandTable(Table("/Commands.txt"));
    std::vector<std::string> seen;
    simhost::SetDataRefWriteObserver([&](const simhost::DataRefWrite& w) {
        seen.push_back(w.name + "@" + std::to_string(w.offset) + "=" +
                       (w.values.empty() ? w.bytes : std::to_string(w.values[0])) + "/" +
                       std::to_string(w.type));
    });
    simhost::SetCommandObserver([&](const std::string& name, simhost::CommandCall call) {
        seen.push_back(name + (call == simhost::CommandCall::Begin ? " begin" : " other"));
    });
    XPLMSetDataf(XPLMFindDataRef("sim/cockpit2/autopilot/altitude_dial_ft"), 1500);
    float two = 2;
    XPLMSetDatavf(XPLMFindDataRef("sim/cockpit2/switches/panel_brightness_ratio"), &two, 3, 5);
    XPLMSetDatai(XPLMFindDataRef("sim/cockpit2/autopilot/altitude_hold_status"), 1);  // read-only
    XPLMSetDatab(XPLMFindDataRef("sim/cockpit2/radios/actuators/flight_id"), (void*)"N172", 0, 4);
    simhost::SetValue("sim/cockpit2/autopilot/altitude_dial_ft", 10);
    XPLMCommandBegin(XPLMFindCommand("sim/starters/engage_starter_1"));
    simhost::CommandOnce("sim/lights/beacon_lights_on");
    EXPECT_EQ(seen,
              (std::vector<std::string>{"sim/cockpit2/autopilot/altitude_dial_ft@-1=1500.000000/2",
                                        "sim/cockpit2/switches/panel_brightness_ratio@3=2.000000/8",
                                        "sim/cockpit2/radios/actuators/flight_id@0=N172/32",
                                        "sim/starters/engage_starter_1 begin"}));
    simhost::Reset();
    simhost::AddDataRef("sim/test/value", xplmType_Float, true);
    XPLMSetDataf(XPLMFindDataRef("sim/test/value"), 1);
    EXPECT_EQ(seen.size(), 4u);
}
