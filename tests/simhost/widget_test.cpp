#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "XPStandardWidgets.h"
#include "XPWidgets.h"
#include "simhost.h"

namespace {

// Every message any recording callback saw, as "<widget index>:<message>".
struct Seen {
    XPWidgetID widget;
    XPWidgetMessage message;
    intptr_t param1, param2;
};
std::vector<Seen> gSeen;
int gHandleMessage = -1;  // the message the handling callbacks accept

int Recorder(XPWidgetMessage message, XPWidgetID widget, intptr_t param1, intptr_t param2) {
    gSeen.push_back({widget, message, param1, param2});
    return message == gHandleMessage ? 1 : 0;
}

int Ignorer(XPWidgetMessage message, XPWidgetID widget, intptr_t param1, intptr_t param2) {
    gSeen.push_back({widget, message, param1, param2});
    return 0;
}

std::vector<XPWidgetMessage> MessagesTo(XPWidgetID widget) {
    std::vector<XPWidgetMessage> messages;
    for (const Seen& seen : gSeen) {
        if (seen.widget == widget) messages.push_back(seen.message);
    }
    return messages;
}

class WidgetTest : public testing::Test {
  protected:
    void SetUp() override {
        simhost::Reset();
        gSeen.clear();
        gHandleMessage = -1;
        window = XPCreateWidget(400, 612, 810, 167, 0, "Kestrix v1.32", 1, nullptr,
                                xpWidgetClass_MainWindow);
        panel = XPCreateWidget(420, 560, 790, 200, 1, "", 0, window, xpWidgetClass_SubWindow);
        button = XPCreateWidget(700, 412, 790, 400, 1, "PAUSE", 0, panel, xpWidgetClass_Button);
        XPAddWidgetCallback(window, Recorder);
        XPAddWidgetCallback(button, Ignorer);
        gSeen.clear();
    }

    XPWidgetID window = nullptr, panel = nullptr, button = nullptr;
};

TEST_F(WidgetTest, ChildrenJoinTheirParentAndVisibilityComesThroughParents) {
    ASSERT_NE(simhost::FindWidget(panel), nullptr);
    EXPECT_EQ(simhost::FindWidget(panel)->parent, window);
    EXPECT_EQ(simhost::FindWidget(window)->children, std::vector<XPWidgetID>{panel});
    EXPECT_EQ(XPIsWidgetVisible(button), 0);  // the window is hidden
    XPShowWidget(window);
    EXPECT_EQ(XPIsWidgetVisible(button), 1);
    XPHideWidget(panel);
    EXPECT_EQ(XPIsWidgetVisible(button), 0);
    EXPECT_TRUE(simhost::FindWidget(button)->visible);
    EXPECT_EQ(simhost::FindWidgetByDescriptor("PAUSE"), button);
}

TEST_F(WidgetTest, ShownAndHiddenGoUpTheChainWithTheWidget) {
    XPShowWidget(window);
    XPHideWidget(button);
    XPHideWidget(button);  // no change, no message
    ASSERT_EQ(gSeen.size(), 3u);
    EXPECT_EQ(gSeen[0].message, xpMsg_Shown);
    EXPECT_EQ(gSeen[1].widget, button);  // the button's own callback first
    EXPECT_EQ(gSeen[2].widget, window);  // then up the chain
    EXPECT_EQ(gSeen[2].message, xpMsg_Hidden);
    EXPECT_EQ(gSeen[2].param1, reinterpret_cast<intptr_t>(button));
}

TEST_F(WidgetTest, DispatchModesReachTheRightCallbacks) {
    XPAddWidgetCallback(window, Ignorer);  // newest: offered messages first
    gSeen.clear();
    gHandleMessage = xpMsg_UserStart;
    EXPECT_EQ(XPSendMessageToWidget(button, xpMsg_UserStart, xpMode_UpChain, 7, 8), 1);
    EXPECT_EQ(MessagesTo(button).size(), 1u);
    EXPECT_EQ(MessagesTo(window).size(), 2u);  // Ignorer, then Recorder handles it

    gSeen.clear();
    EXPECT_EQ(XPSendMessageToWidget(button, xpMsg_UserStart, xpMode_Direct, 0, 0), 0);
    EXPECT_EQ(XPSendMessageToWidget(window, xpMsg_UserStart, xpMode_Once, 0, 0), 0);
    EXPECT_EQ(MessagesTo(window).size(), 1u);  // only the newest callback

    gSeen.clear();
    EXPECT_EQ(XPSendMessageToWidget(window, xpMsg_UserStart, xpMode_Recursive, 0, 0), 1);
    EXPECT_EQ(MessagesTo(button).size(), 1u);  // handled at the top, still sent down

    gSeen.clear();
    XPAddWidgetCallback(window, Recorder);
    gSeen.clear();
    XPSendMessageToWidget(window, xpMsg_UserStart, xpMode_DirectAllCallbacks, 0, 0);
    EXPECT_EQ(MessagesTo(window).size(), 3u);
}

TEST_F(WidgetTest, DescriptorCopiesWithStrncpySemantics) {
    char buffer[8];
    std::fill(buffer, buffer + 8, '#');
    EXPECT_EQ(XPGetWidgetDescriptor(window, buffer, 5), 13);
    EXPECT_EQ(std::string(buffer, 6), "Kestr#");  // full buffer: no terminator
    EXPECT_EQ(XPGetWidgetDescriptor(button, buffer, 8), 5);
    EXPECT_STREQ(buffer, "PAUSE");
    EXPECT_EQ(XPGetWidgetDescriptor(window, nullptr, 0), 13);

    int exists = -1;
    EXPECT_EQ(XPGetWidgetProperty(button, xpProperty_ButtonState, &exists), 0);
    EXPECT_EQ(exists, 0);
    XPSetWidgetProperty(button, xpProperty_ButtonState, 1);
    EXPECT_EQ(XPGetWidgetProperty(button, xpProperty_ButtonState, &exists), 1);
    EXPECT_EQ(exists, 1);
}

TEST_F(WidgetTest, UserActionsSendTheirMessagesUpTheChain) {
    gHandleMessage = xpMsg_ButtonStateChanged;
    XPSetWidgetProperty(button, xpProperty_ButtonBehavior, xpButtonBehaviorCheckBox);
    gSeen.clear();
    EXPECT_TRUE(simhost::ToggleCheckBox(button));
    EXPECT_EQ(XPGetWidgetProperty(button, xpProperty_ButtonState, nullptr), 1);
    const Seen& changed = gSeen.back();
    EXPECT_EQ(changed.widget, window);
    EXPECT_EQ(changed.message, xpMsg_ButtonStateChanged);
    EXPECT_EQ(changed.param1, reinterpret_cast<intptr_t>(button));
    EXPECT_EQ(changed.param2, 1);
    simhost::ToggleCheckBox(button);
    EXPECT_EQ(gSeen.back().param2, 0);

    EXPECT_FALSE(simhost::PushButton(button));  // nobody handles 1300
    EXPECT_EQ(gSeen.back().message, xpMsg_PushButtonPressed);
    gHandleMessage = xpMessage_CloseButtonPushed;
    EXPECT_TRUE(simhost::PressCloseBox(window));
    EXPECT_EQ(gSeen.back().param1, reinterpret_cast<intptr_t>(window));
}

TEST_F(WidgetTest, DestroyingWithChildrenSendsDestroyAndLeavesIdsHarmless) {
    int changes = 0;
    simhost::SetWidgetObserver([&](XPWidgetID) { ++changes; });
    XPDestroyWidget(window, 1);
    EXPECT_EQ(MessagesTo(window), std::vector<XPWidgetMessage>{xpMsg_Destroy});
    ASSERT_EQ(MessagesTo(button), std::vector<XPWidgetMessage>{xpMsg_Destroy});
    EXPECT_EQ(gSeen.back().param1, 1);  // taken along by its parent
    EXPECT_TRUE(simhost::Widgets().empty());
    EXPECT_GE(changes, 3);

    gSeen.clear();
    XPShowWidget(button);
    XPSetWidgetDescriptor(button, "gone");
    EXPECT_EQ(XPSendMessageToWidget(button, xpMsg_UserStart, xpMode_Direct, 0, 0), 0);
    EXPECT_FALSE(simhost::PushButton(button));
    EXPECT_EQ(XPIsWidgetVisible(button), 0);
    EXPECT_TRUE(gSeen.empty());
}

TEST_F(WidgetTest, DestroyingAloneOrphansTheChildren) {
    XPDestroyWidget(panel, 0);
    ASSERT_NE(simhost::FindWidget(button), nullptr);
    EXPECT_EQ(simhost::FindWidget(button)->parent, nullptr);
    EXPECT_TRUE(simhost::FindWidget(window)->children.empty());
}

TEST_F(WidgetTest, ObserverHearsRealTextAndVisibilityChangesOnly) {
    std::vector<XPWidgetID> changed;
    simhost::SetWidgetObserver([&](XPWidgetID id) { changed.push_back(id); });
    XPSetWidgetDescriptor(button, "PAUSE");  // same text
    XPSetWidgetDescriptor(button, "RESUME");
    XPShowWidget(window);
    XPShowWidget(window);
    EXPECT_EQ(changed, (std::vector<XPWidgetID>{button, window}));
}

}  // namespace
