// The text helpers the parser splits with, and the name rules.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/text.h"
#include "config/names.h"
#include "custom/custom_refs.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(SplitBy, KeepsOnlyNonEmptyRunsBetweenSeparators) {
    EXPECT_THAT(SplitBy("a,,b", ','), ElementsAre("a", "b"));
    EXPECT_THAT(SplitBy(",a", ','), ElementsAre("a"));
    EXPECT_THAT(SplitBy("a,", ','), ElementsAre("a"));
    EXPECT_THAT(SplitBy("", ','), IsEmpty());
    EXPECT_THAT(SplitBy(",,,", ','), IsEmpty());
    EXPECT_THAT(SplitBy("line1\n\nline2\r\n", '\n'), ElementsAre("line1", "line2\r"));
}

TEST(SplitBy, TabSeparatesOnlyWhenTheSeparatorIsASpace) {
    EXPECT_THAT(SplitBy("a \t b", ' '), ElementsAre("a", "b"));
    EXPECT_THAT(SplitBy("\tD5+\tsim/lights/beacon_lights_on ", ' '),
                ElementsAre("D5+", "sim/lights/beacon_lights_on"));
    EXPECT_THAT(SplitBy("1\t2,3", ','), ElementsAre("1\t2", "3"));
}

TEST(Trim, StripsBlanksAndLineEndsAtBothEndsOnly) {
    EXPECT_EQ(Trim(" \t*1 \r\n"), "*1");
    EXPECT_EQ(Trim("a b"), "a b");
    EXPECT_EQ(Trim(" \r\n\t "), "");
}

TEST(CommandIsHold, StartersIgnitionAndAnnunciatorTestsAreHeld) {
    EXPECT_TRUE(CommandIsHold("sim/starters/engage_starter_1"));
    EXPECT_TRUE(CommandIsHold("kestrix/starter_ignition_2"));
    EXPECT_TRUE(CommandIsHold("sim/annunciator/test_all_annunciators"));
    EXPECT_TRUE(CommandIsHold("sim/autopilot/test_auto_annunciators"));
    EXPECT_FALSE(CommandIsHold("sim/lights/landing_lights_toggle"));
    EXPECT_FALSE(CommandIsHold("sim/annunciator/clear_master_caution"));
}

TEST(AddCustomRef, RecordsEachPluginDatarefOnceByExactName) {
    Kestrix_Drefs.resize(2);
    Kestrix_Drefs[0].name = "kestrix/flaps_in_transition";
    Kestrix_Drefs[1].name = "kestrix/altitude_hold_status";
    AddCustomRef("kestrix/altitude_hold_status");
    AddCustomRef("kestrix/altitude_hold_status");
    AddCustomRef("kestrix/Flaps_in_transition");
    AddCustomRef("kestrix/unknown");
    EXPECT_THAT(CustomIndices, ElementsAre(1u));
    AddCustomRef("kestrix/flaps_in_transition");
    EXPECT_THAT(CustomIndices, ElementsAre(1u, 0u));
}
