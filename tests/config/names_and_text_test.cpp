// The text helpers the parser splits with, and the name rules.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <locale>
#include <sstream>

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

// Stream extraction in the "C" locale, which ReadNumber replaces on the
// parser's hot path, is the reference: the same success and the same value.
template <typename T>
void ExpectReadAsTheStreamDoes(const std::string& text) {
    std::istringstream stream(text);
    stream.imbue(std::locale::classic());
    T expected{};
    const bool read = static_cast<bool>(stream >> expected);
    T value = 7;
    EXPECT_EQ(ReadNumber(text, value), read) << "\"" << text << "\" as " << typeid(T).name();
    EXPECT_EQ(value, read ? expected : T(7)) << "\"" << text << "\" as " << typeid(T).name();
}

TEST(ReadNumber, ReadsAsFormattedStreamExtraction) {
    const char* const kTexts[] = {
        // white space, signs, no number
        "12L", " \t\n\v\f\r42", "+5", "-1", "-0", "+-5", "- 5", "", "   ", "x", "+", "-", "007",
        "0x10", "1,5", "D5",
        // the limits of each type
        "2147483647", "2147483648", "-2147483648", "-2147483649", "4294967295", "4294967296",
        "-4294967295", "-4294967296", "99999999999999999999", "9223372036854775808",
        "-9223372036854775808",
        // points and exponents
        "1.5", ".5", ".", "5.", "1e5", "1E-3x", "1e", "1e+", "2e3.5", "-.5e1", "1..2", "inf", "nan",
        "1e39", "1e-50", "3.4e38", "1e309", "0.1f"};
    for (const char* text : kTexts) {
        ExpectReadAsTheStreamDoes<int>(text);
        ExpectReadAsTheStreamDoes<unsigned>(text);
        ExpectReadAsTheStreamDoes<long long>(text);
        ExpectReadAsTheStreamDoes<unsigned long long>(text);
        ExpectReadAsTheStreamDoes<float>(text);
        ExpectReadAsTheStreamDoes<double>(text);
    }
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
