// Files that are not files: a FIFO or a link to a device where config.ini,
// data.cfg or a value memory file should be, and files far larger than any
// real one. Each reader must return at once, read nothing, write nothing
// through, and say so once.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <thread>

#include "base/log_once.h"
#include "base/message_source.h"
#include "base/paths.h"
#include "base/settings.h"
#include "base/settings_file.h"
#include "config/board_tables.h"
#include "config/load_config.h"
#include "config/parser.h"
#include "simdata/value_memory.h"
#include "simhost.h"
#include "test_env.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

const std::string kAltitude = "sim/cockpit2/autopilot/altitude_dial_ft";

// Runs call on a thread and waits five seconds for it. One stuck (on a
// FIFO, or reading /dev/zero for ever) cannot be stopped: the program ends.
void RunPromptly(const std::function<void()>& call, const char* what) {
    std::packaged_task<void()> task(call);
    std::future<void> done = task.get_future();
    std::thread runner(std::move(task));
    if (done.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        std::fprintf(stderr, "%s: stuck\n", what);
        std::_Exit(1);
    }
    runner.join();
}

// The kind of entry at path, links not followed.
mode_t KindAt(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 ? info.st_mode & S_IFMT : 0;
}

class SpecialFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        testenv::MakeDirs(plugin());
        testenv::MakeDirs(aircraft());
        paths.foldername = plugin();
        simhost::Reset();
        simhost::SetAircraftPath(aircraft() + "/C172.acf");
        simhost::AddDataRef(kAltitude, xplmType_Float, true);
        ReadConfigFile("[I]\nM12+ " + kAltitude + " 3\nP12+ " + kAltitude + " 1\n", 0, 1,
                       MessageSource{});
    }
    std::string plugin() const { return dir.path() + "/Kestrix"; }
    std::string aircraft() const { return dir.path() + "/C172"; }
    void Save() { SaveDataref(0, 0, Boards.at(0).Inputs.at(0).InputArrayNum); }
    void Restore() { RestoreDataref(0, 1, Boards.at(0).Inputs.at(1).InputArrayNum); }
    testenv::TempDir dir;
};

}  // namespace

TEST_F(SpecialFiles, NeitherAFifoNorADeviceIsWaitedForReadOrWrittenThrough) {
    const std::string config = plugin() + "/config.ini", memory = MemoryPath(0);
    const struct {
        const char* what;
        std::string path;
        bool fifo;  // else a link to /dev/zero
        std::function<void()> call;
    } rows[] = {
        {"config.ini at a start", config, true, [&] { EXPECT_FALSE(ReadSettingsFile(config)); }},
        {"config.ini to /dev/zero", config, false, [&] { EXPECT_FALSE(ReadSettingsFile(config)); }},
        {"config.ini under the check box", config, true, [] { RewriteWindowOnConnect(false); }},
        {"a memory file saved to", memory, true, [&] { Save(); }},
        {"a memory file to /dev/zero", memory, false, [&] { Save(); }},
        {"a memory file restored from", memory, true, [&] { Restore(); }},
    };
    for (const auto& row : rows) {
        ASSERT_EQ(
            row.fifo ? mkfifo(row.path.c_str(), 0644) : symlink("/dev/zero", row.path.c_str()), 0);
        const mode_t kind = KindAt(row.path);
        ForgetLoggedCauses();  // as a reconnect does
        testing::internal::CaptureStderr();
        RunPromptly(row.call, row.what);
        RunPromptly(row.call, row.what);
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(testenv::Occurrences(log, row.path + " cannot be read: it is not a regular file"),
                  1)
            << row.what << ", logged once:" << log;
        EXPECT_EQ(KindAt(row.path), kind) << row.what << ": it must stay as it was";
        unlink(row.path.c_str());
    }
    EXPECT_EQ(settings.WINDOW_ON_CONNECT, false) << "the check box still takes effect";
}

// No real config.ini or data.cfg comes near these sizes; one beyond them
// (a disk image in the wrong place) is not read. The files are sparse.
TEST_F(SpecialFiles, FilesBeyondTheSizeLimitAreNotRead) {
    const std::string config = plugin() + "/config.ini", cfg = aircraft() + "/data.cfg";
    testenv::WriteFile(config, "PORT = 6000\n");
    testenv::WriteFile(cfg, "*1\n[I]\nD5 sim/a\n");
    testenv::WriteFile(plugin() + "/data.cfg", "*2\n[I]\nD6 sim/b\n");
    ASSERT_TRUE(truncate(config.c_str(), 2 << 20) == 0 && truncate(cfg.c_str(), 64 << 20) == 0);
    EXPECT_FALSE(ReadSettingsFile(config));
    EXPECT_EQ(settings.UDP_PORT, 5080);
    testing::internal::CaptureStderr();
    LoadConfig();
    EXPECT_THAT(testing::internal::GetCapturedStderr(),
                testing::HasSubstr("data.cfg cannot be read: it is larger than 16777216 bytes"));
    EXPECT_EQ(ArduinoID, std::vector<unsigned>{2u}) << "the plugin folder's file instead";
}
