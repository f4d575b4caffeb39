// The built module loaded the way the simulator loads it: dlopen of
// Resources/plugins/Kestrix/64/lin.xpl, SDK symbols resolved against the
// stand-in in this program.
#include <dlfcn.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "XPLMPlugin.h"
#include "plugin_harness.h"
#include "simhost.h"

using testing::HasSubstr;

namespace {

class ModuleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(testenv::LoadBuiltModule(folder, KESTRIX_MODULE_PATH, &module, &error))
            << error;
    }

    testenv::SimFolder folder;
    simhost::PluginModule module;
};

}  // namespace

TEST_F(ModuleTest, ExportsOnlyTheEntryPoints) {
    for (const char* name : {"XPluginStart", "XPluginStop", "XPluginEnable", "XPluginDisable",
                             "XPluginReceiveMessage"}) {
        EXPECT_NE(dlsym(module.handle, name), nullptr) << name;
    }
    for (const char* hidden : {"_Z11ResetPluginv", "_Z16InitializePluginv", "ResetPlugin",
                               "_Z3LogRKNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEE"}) {
        EXPECT_EQ(dlsym(module.handle, hidden), nullptr) << hidden;
    }
}

TEST_F(ModuleTest, StartsRunsFramesAndResetsOnlyAfterTheFirstFrame) {
    folder.WriteSafeConfig("SCANNING_TIMEOUT = 0\n");
    testenv::PluginHarness plugin(folder, module);
    testing::internal::CaptureStderr();
    plugin.Start();
    EXPECT_EQ(plugin.module().name, "Kestrix");
    EXPECT_EQ(plugin.module().signature, "Brennick.Kestrix");
    EXPECT_THAT(plugin.module().description, HasSubstr("A new branch of the earlier Corvane"));

    std::vector<simhost::MenuItem> top = simhost::MenuItems(simhost::PluginsMenu());
    ASSERT_EQ(top.size(), 1u);
    ASSERT_EQ(simhost::MenuItems(top[0].submenu).size(), 3u);

    std::vector<simhost::FlightLoop> loops = simhost::FlightLoops();
    ASSERT_EQ(loops.size(), 1u);
    EXPECT_EQ(loops[0].interval, -1.0f);

    simhost::RunFrame();
    loops = simhost::FlightLoops();
    ASSERT_EQ(loops.size(), 2u);
    EXPECT_EQ(loops[0].interval, 0.0f);  // the start callback returned 0
    EXPECT_EQ(loops[1].interval, 1.0f);  // the main cycle, first call a second later
    simhost::RunFor(2.0);
    loops = simhost::FlightLoops();
    EXPECT_EQ(loops[0].calls, 1);
    EXPECT_GT(loops[1].calls, 30);
    EXPECT_FLOAT_EQ(loops[1].interval, 0.025f);

    plugin.Disable();
    plugin.Enable();
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_THAT(log, HasSubstr("\nKestrix Plugin initialized"));
    EXPECT_EQ(log.find("\n\nKestrix reconnecting..."), log.rfind("\n\nKestrix reconnecting..."))
        << "exactly one reset, from the enable after the first frame";
    EXPECT_NE(log.find("\n\nKestrix reconnecting..."), std::string::npos);
}

TEST_F(ModuleTest, StatusWindowIsCreatedHiddenAndShownFromTheMenu) {
    folder.WriteSafeConfig("SCANNING_TIMEOUT = 0\n");
    testenv::PluginHarness plugin(folder, module);
    plugin.Start();
    simhost::RunFrame();
    XPWidgetID window = simhost::FindWidgetByDescriptor(
        KESTRIX_FEATURE_LEVEL == 122 ? "Kestrix v1.22" : "Kestrix v1.32");
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(simhost::IsShown(window));
    EXPECT_TRUE(simhost::ChooseMenuItem("Kestrix", "Status"));
    EXPECT_TRUE(simhost::IsShown(window));
    plugin.Stop();
    EXPECT_EQ(simhost::FindWidget(window), nullptr) << "the stop destroys the window";
}
