#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "XPLMMenus.h"
#include "XPLMPlanes.h"
#include "XPLMPlugin.h"
#include "XPStandardWidgets.h"
#include "XPWidgets.h"
#include "sim_options.h"
#include "simhost.h"
#include "status_snapshot.h"

namespace {

class PluginTest : public testing::Test {
  protected:
    void SetUp() override { simhost::Reset(); }
};

std::vector<std::pair<void*, void*>> gChosen;
void MenuHandler(void* menuRef, void* itemRef) {
    gChosen.emplace_back(menuRef, itemRef);
}

TEST_F(PluginTest, MenuChoiceCallsTheHandlerWithItsReferences) {
    gChosen.clear();
    int menuRef = 0, statusRef = 0, reconnectRef = 0;
    XPLMMenuID plugins = XPLMFindPluginsMenu();
    int item = XPLMAppendMenuItem(plugins, "Kestrix", nullptr, 0);
    XPLMMenuID menu = XPLMCreateMenu("Kestrix", plugins, item, MenuHandler, &menuRef);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(XPLMAppendMenuItem(menu, "Status", &statusRef, 0), 0);
    EXPECT_EQ(XPLMAppendMenuItem(menu, "Reconnect", &reconnectRef, 0), 1);
    EXPECT_EQ(simhost::MenuItems(plugins).at(item).submenu, menu);

    EXPECT_TRUE(simhost::ChooseMenuItem("Kestrix", "Reconnect"));
    ASSERT_EQ(gChosen.size(), 1u);
    EXPECT_EQ(gChosen[0].first, &menuRef);
    EXPECT_EQ(gChosen[0].second, &reconnectRef);
    EXPECT_FALSE(simhost::ChooseMenuItem("Kestrix", "Missing"));
    EXPECT_FALSE(simhost::ChooseMenuItem("Other", "Status"));

    // No menu on an item that does not exist; unknown menus take no items.
    EXPECT_EQ(XPLMCreateMenu("Bad", plugins, 5, MenuHandler, nullptr), nullptr);
    XPLMDestroyMenu(menu);
    EXPECT_LT(XPLMAppendMenuItem(menu, "Late", nullptr, 0), 0);
    EXPECT_EQ(simhost::MenuItems(plugins).at(item).submenu, nullptr);
    EXPECT_FALSE(simhost::ChooseMenuItem("Kestrix", "Status"));
}

TEST_F(PluginTest, PluginInfoFitsThePublishedBufferSizes) {
    std::string longPath = "/" + std::string(400, 'p') + "/lin.xpl";
    simhost::SetModulePath(longPath);
    char name[256], path[260], signature[256], description[256];
    std::memset(path, '#', sizeof path);
    XPLMGetPluginInfo(XPLMGetMyID(), nullptr, path, nullptr, nullptr);
    EXPECT_EQ(std::strlen(path), 255u);
    EXPECT_EQ(path[256], '#');  // nothing written past the 256 bytes
    EXPECT_EQ(std::string(path), longPath.substr(0, 255));

    simhost::PluginModule module;
    module.start = [](char* outName, char* outSignature, char* outDescription) {
        std::strcpy(outName, "Kestrix");
        std::strcpy(outSignature, "kestrix.plugin");
        std::memset(outDescription, 'd', 256);  // no terminator at all
        return 1;
    };
    EXPECT_EQ(simhost::Start(module), 1);
    EXPECT_EQ(module.description.size(), 255u);
    XPLMGetPluginInfo(1, name, nullptr, signature, description);
    EXPECT_STREQ(name, "Kestrix");
    EXPECT_STREQ(signature, "kestrix.plugin");
    XPLMGetPluginInfo(7, name, nullptr, nullptr, nullptr);
    EXPECT_STREQ(name, "");
}

TEST_F(PluginTest, AircraftModelGivesFileNameAndFullPath) {
    simhost::SetAircraftPath("/sim/Aircraft/Laminar Research/Cessna 172SP/Cessna_172SP.acf");
    char file[256], path[512];
    XPLMGetNthAircraftModel(0, file, path);
    EXPECT_STREQ(file, "Cessna_172SP.acf");
    EXPECT_STREQ(path, "/sim/Aircraft/Laminar Research/Cessna 172SP/Cessna_172SP.acf");
    XPLMGetNthAircraftModel(1, file, path);
    EXPECT_STREQ(file, "");
    EXPECT_STREQ(path, "");

    simhost::SetAircraftPath("/" + std::string(600, 'a') + ".acf");
    std::memset(path, '#', sizeof path);
    XPLMGetNthAircraftModel(0, nullptr, path);
    EXPECT_EQ(std::strlen(path), 511u);
}

// A macOS host hands out colon paths until the plugin enables native ones.
TEST_F(PluginTest, LegacyPathsLastUntilThePluginEnablesNativePaths) {
    const std::string module = "/Users/me/X-Plane 12/Resources/plugins/Kestrix/64/mac.xpl";
    simhost::SetModulePath(module);
    simhost::SetAircraftPath("/Volumes/Sims/Aircraft/C172/c172.acf");
    char path[512], file[256];
    auto paths = [&] {
        XPLMGetPluginInfo(XPLMGetMyID(), nullptr, path, nullptr, nullptr);
        std::string both = path;
        XPLMGetNthAircraftModel(0, file, path);
        return both + " | " + path;
    };
    const std::string native = module + " | /Volumes/Sims/Aircraft/C172/c172.acf";
    EXPECT_EQ(paths(), native);
    simhost::SetLegacyPaths(true);
    EXPECT_EQ(paths(),
              "Macintosh HD:Users:me:X-Plane 12:Resources:plugins:Kestrix:64:mac.xpl | "
              "Sims:Aircraft:C172:c172.acf");
    EXPECT_STREQ(file, "c172.acf");
    EXPECT_EQ(simhost::LegacyPath("/a:b//c/"), "Macintosh HD:a/b:c");
    EXPECT_EQ(simhost::LegacyPath("Aircraft/c172.acf"), ":Aircraft:c172.acf");

    EXPECT_EQ(XPLMHasFeature("XPLM_USE_NATIVE_PATHS"), 1);
    EXPECT_EQ(XPLMHasFeature("XPLM_NO_SUCH_FEATURE"), 0);
    XPLMEnableFeature("XPLM_NO_SUCH_FEATURE", 1);
    EXPECT_EQ(XPLMIsFeatureEnabled("XPLM_NO_SUCH_FEATURE"), 0);
    EXPECT_EQ(XPLMIsFeatureEnabled("XPLM_USE_NATIVE_PATHS"), 0);
    XPLMEnableFeature("XPLM_USE_NATIVE_PATHS", 1);
    EXPECT_EQ(XPLMIsFeatureEnabled("XPLM_USE_NATIVE_PATHS"), 1);
    EXPECT_EQ(paths(), native);
    simhost::ForgetPlugin();  // the next plugin loaded must ask again
    EXPECT_NE(paths(), native);
}

TEST_F(PluginTest, ModuleLoadingReportsWhyItFailed) {
    simhost::PluginModule module;
    std::string error;
    EXPECT_FALSE(simhost::LoadModule("/nonexistent/lin.xpl", &module, &error));
    EXPECT_NE(error.find("/nonexistent/lin.xpl"), std::string::npos);
#ifdef _WIN32
    const char* const kLibraryWithoutEntryPoints = "kernel32.dll";
#else
    const char* const kLibraryWithoutEntryPoints = "libm.so.6";
#endif
    EXPECT_FALSE(simhost::LoadModule(kLibraryWithoutEntryPoints, &module, &error));
    EXPECT_NE(error.find("missing entry point XPluginStart"), std::string::npos);
    EXPECT_EQ(module.handle, nullptr);
    XPLMReloadPlugins();
    EXPECT_EQ(simhost::ReloadPluginsCount(), 1);
}

int gReceived = 0;
TEST_F(PluginTest, MessagesComeFromTheSimulatorAndForgetPluginDropsCallbacks) {
    simhost::PluginModule module;
    module.receive = [](XPLMPluginID from, int message, void*) {
        gReceived = from == XPLM_PLUGIN_XPLANE ? message : -1;
    };
    simhost::SendMessage(module, XPLM_MSG_AIRPORT_LOADED);
    EXPECT_EQ(gReceived, XPLM_MSG_AIRPORT_LOADED);

    XPLMRegisterFlightLoopCallback([](float, float, int, void*) { return -1.0f; }, -1, nullptr);
    XPCreateWidget(0, 10, 10, 0, 1, "w", 1, nullptr, xpWidgetClass_MainWindow);
    XPLMAppendMenuItem(XPLMFindPluginsMenu(), "Kestrix", nullptr, 0);
    simhost::AddCommand("sim/a/b");
    simhost::ForgetPlugin();
    EXPECT_TRUE(simhost::FlightLoops().empty());
    EXPECT_TRUE(simhost::Widgets().empty());
    EXPECT_TRUE(simhost::MenuItems(simhost::PluginsMenu()).empty());
    EXPECT_TRUE(simhost::HasCommand("sim/a/b"));
}

TEST_F(PluginTest, SnapshotListsVisibleTextsByRowThenColumn) {
    XPWidgetID window = XPCreateWidget(400, 612, 810, 167, 1, "Kestrix v1.32", 1, nullptr,
                                       xpWidgetClass_MainWindow);
    XPCreateWidget(640, 452, 790, 440, 1, "Serial ports: ", 0, window, xpWidgetClass_Caption);
    XPCreateWidget(420, 452, 790, 440, 1, "IP address: ", 0, window, xpWidgetClass_Caption);
    XPCreateWidget(420, 412, 790, 400, 1, "   ", 0, window, xpWidgetClass_Caption);
    XPCreateWidget(420, 300, 790, 288, 0, "hidden", 0, window, xpWidgetClass_Caption);
    XPWidgetID pause =
        XPCreateWidget(700, 584, 790, 564, 1, "Reconnect", 0, window, xpWidgetClass_Button);
    XPWidgetID box =
        XPCreateWidget(420, 194, 440, 182, 1, "    Open", 0, window, xpWidgetClass_Button);
    XPSetWidgetProperty(pause, xpProperty_ButtonBehavior, xpButtonBehaviorPushButton);
    XPSetWidgetProperty(box, xpProperty_ButtonBehavior, xpButtonBehaviorCheckBox);
    XPSetWidgetProperty(box, xpProperty_ButtonState, 1);

    EXPECT_EQ(kestrix_sim::TopLevelWidgets(), std::vector<XPWidgetID>{window});
    EXPECT_EQ(
        kestrix_sim::WindowSnapshot(window, 2.5),
        (std::vector<std::string>{"[    2.500 s] window \"Kestrix v1.32\" shown", "    [Reconnect]",
                                  "    IP address:  Serial ports:", "    [x] Open"}));
}

TEST(SimOptionsTest, MenuAndMessageSchedulesParse) {
    kestrix_sim::MenuChoice choice;
    ASSERT_TRUE(kestrix_sim::ParseMenuChoice("Reconnect@5", &choice));
    EXPECT_EQ(choice.menu, "");
    EXPECT_EQ(choice.item, "Reconnect");
    EXPECT_DOUBLE_EQ(choice.at, 5);
    ASSERT_TRUE(kestrix_sim::ParseMenuChoice("Kestrix/Reload Plugins@2.5", &choice));
    EXPECT_EQ(choice.menu, "Kestrix");
    EXPECT_EQ(choice.item, "Reload Plugins");
    EXPECT_FALSE(kestrix_sim::ParseMenuChoice("Reconnect", &choice));
    EXPECT_FALSE(kestrix_sim::ParseMenuChoice("Reconnect@soon", &choice));
    kestrix_sim::MessageSend send;
    ASSERT_TRUE(kestrix_sim::ParseMessageSend("103@1.25", &send));
    EXPECT_EQ(send.message, 103);
    EXPECT_FALSE(kestrix_sim::ParseMessageSend("x@1", &send));
    kestrix_sim::CommandRun run;
    ASSERT_TRUE(kestrix_sim::ParseCommandRun("kestrix/output_test@9.5", &run));
    EXPECT_EQ(run.name, "kestrix/output_test");
    EXPECT_DOUBLE_EQ(run.at, 9.5);
    for (const char* bad : {"kestrix/output_test", "@2", "sim/a b@1", "sim/a@later"}) {
        EXPECT_FALSE(kestrix_sim::ParseCommandRun(bad, &run)) << bad;
    }
}

TEST(SimOptionsTest, DatarefSetsParse) {
    kestrix_sim::DatarefSet set;
    ASSERT_TRUE(
        kestrix_sim::ParseDatarefSet("sim/cockpit2/autopilot/altitude_dial_ft=4500@6", &set));
    EXPECT_EQ(set.name, "sim/cockpit2/autopilot/altitude_dial_ft");
    EXPECT_EQ(set.element, 0);  // the scalar
    EXPECT_DOUBLE_EQ(set.value, 4500);
    EXPECT_DOUBLE_EQ(set.at, 6);
    ASSERT_TRUE(kestrix_sim::ParseDatarefSet("sim/flightmodel2/gear/deploy_ratio[2]=0.5@1", &set));
    EXPECT_EQ(set.element, 2);
    EXPECT_DOUBLE_EQ(set.value, 0.5);
    // Elements count from 1, as in data.cfg.
    for (const char* bad : {"x=1", "=1@2", "x=@2", "x[a]=1@2", "x[1=1@2", "x=1,5@2", "x[0]=1@2"}) {
        EXPECT_FALSE(kestrix_sim::ParseDatarefSet(bad, &set)) << bad;
    }
}

}  // namespace
