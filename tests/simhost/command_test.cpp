#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "XPLMUtilities.h"
#include "simhost.h"
#include "test_files.h"

namespace {

// Records every handler call as "<name>:<phase>" and answers with its result.
struct Probe {
    std::string name;
    int result = 1;
    std::vector<std::string>* log = nullptr;
};

int Record(XPLMCommandRef, XPLMCommandPhase phase, void* refcon) {
    auto* probe = static_cast<Probe*>(refcon);
    probe->log->push_back(probe->name + ":" + std::to_string(phase));
    return probe->result;
}

class CommandTest : public testing::Test {
  protected:
    void SetUp() override {
        simhost::Reset();
        command = simhost::AddCommand("sim/lights/landing_lights_on", "Landing lights on.");
    }
    void Register(Probe& probe, bool before) {
        probe.log = &log;
        XPLMRegisterCommandHandler(command, Record, before ? 1 : 0, &probe);
    }

    XPLMCommandRef command = nullptr;
    std::vector<std::string> log;
};

TEST_F(CommandTest, TableGivesRealCommandsAndCreateReturnsTheExistingOne) {
    simhost::Reset();
    EXPECT_GE(simhost::LoadCommandTable(std::string(KESTRIX_SIM_DATA_DIR) + "/Commands.txt"), 40);
    for (int engine = 1; engine <= 4; ++engine) {
        std::string n = std::to_string(engine);
        EXPECT_TRUE(simhost::HasCommand("sim/starters/engage_starter_" + n));
        EXPECT_TRUE(simhost::HasCommand("sim/igniters/igniter_contin_on_" + n));
        EXPECT_TRUE(simhost::HasCommand("sim/igniters/igniter_contin_off_" + n));
    }
    XPLMCommandRef flip = XPLMFindCommand("sim/radios/com1_standy_flip");
    ASSERT_NE(flip, nullptr);
    EXPECT_EQ(XPLMCreateCommand("sim/radios/com1_standy_flip", "other"), flip);
    EXPECT_EQ(XPLMFindCommand("sim/none/such"), nullptr);

    std::string path = WriteTempFile("cmds.txt",
                                     "a/one                                              First.\n"
                                     "\n"
                                     "   indented line\n"
                                     "a/two\n");
    EXPECT_EQ(simhost::LoadCommandTable(path), 2);
    EXPECT_TRUE(simhost::HasCommand("a/two"));
}

TEST_F(CommandTest, BeforeHandlersRunNewestFirstThenTheSimulatorThenAfterHandlers) {
    Probe before1{"before1"}, before2{"before2"}, after1{"after1"};
    Register(before1, true);
    Register(before2, true);
    Register(after1, false);
    XPLMCommandOnce(command);
    EXPECT_EQ(log, (std::vector<std::string>{"before2:0", "before1:0", "after1:0", "before2:2",
                                             "before1:2", "after1:2"}));
    simhost::CommandCounts counts = simhost::Counts("sim/lights/landing_lights_on");
    EXPECT_EQ(counts.once, 1);
    EXPECT_EQ(counts.simActions, 1);
    EXPECT_FALSE(counts.held);
}

TEST_F(CommandTest, BeforeHandlerReturningZeroStopsTheSimulatorAndTheRest) {
    Probe stopper{"stopper", 0}, older{"older"}, after{"after"};
    Register(older, true);
    Register(stopper, true);
    Register(after, false);
    simhost::CommandOnce("sim/lights/landing_lights_on");
    EXPECT_EQ(log, (std::vector<std::string>{"stopper:0", "stopper:2"}));
    EXPECT_EQ(simhost::Counts("sim/lights/landing_lights_on").simActions, 0);

    XPLMUnregisterCommandHandler(command, Record, 1, &stopper);
    log.clear();
    XPLMCommandOnce(command);
    EXPECT_EQ(log.front(), "older:0");
    EXPECT_EQ(simhost::Counts("sim/lights/landing_lights_on").simActions, 1);
    EXPECT_EQ(simhost::HandlerCount("sim/lights/landing_lights_on"), 2);
}

TEST_F(CommandTest, HeldCommandGetsAContinuePhaseEveryFrameUntilEnded) {
    Probe handler{"h"};
    Register(handler, true);
    XPLMCommandBegin(command);
    EXPECT_TRUE(simhost::Counts("sim/lights/landing_lights_on").held);
    simhost::RunFrames(3);
    XPLMCommandEnd(command);
    simhost::RunFrame();
    EXPECT_EQ(log, (std::vector<std::string>{"h:0", "h:1", "h:1", "h:1", "h:2"}));
    simhost::CommandCounts counts = simhost::Counts("sim/lights/landing_lights_on");
    EXPECT_EQ(counts.begin, 1);
    EXPECT_EQ(counts.end, 1);
    EXPECT_EQ(counts.simActions, 1);
    EXPECT_FALSE(counts.held);

    // A release that was never pressed is counted but reaches no handler.
    log.clear();
    XPLMCommandEnd(command);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(simhost::Counts("sim/lights/landing_lights_on").end, 2);
}

// A handler that unregisters the next one must not have it called.
Probe* gVictim = nullptr;
int UnregisterVictim(XPLMCommandRef command, XPLMCommandPhase, void*) {
    XPLMUnregisterCommandHandler(command, Record, 1, gVictim);
    return 1;
}

TEST_F(CommandTest, HandlerUnregisteredDuringACommandIsNotCalled) {
    Probe victim{"victim"};
    gVictim = &victim;
    Register(victim, true);
    XPLMRegisterCommandHandler(command, UnregisterVictim, 1, nullptr);
    XPLMCommandOnce(command);
    EXPECT_TRUE(log.empty());
    XPLMCommandOnce(nullptr);  // harmless
}

}  // namespace
