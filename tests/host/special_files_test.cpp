// Files that are not files: a FIFO or a link to a device where config.ini,
// data.cfg or a value memory file should be, and files far larger than any
// real one. Each reader must return at once, read nothing, write nothing
// through, and say so once.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
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

// Runs call on a thread; false when it has not returned within five
// seconds. A call stuck on a FIFO at path is then let go (its other end
// opened and closed until it returns), so that a failing test still ends;
// one that cannot be let go (reading /dev/zero for ever) ends the program.
bool ReturnsPromptly(const std::function<void()>& call, const std::string& path) {
    std::packaged_task<void()> task(call);
    std::future<void> done = task.get_future();
    std::thread runner(std::move(task));
    const bool prompt = done.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    for (int k = 0; done.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready;
         ++k) {
        if (k == 100) {
            std::fprintf(stderr, "stuck on %s\n", path.c_str());
            std::_Exit(1);
        }
        const int other = open(path.c_str(), O_RDWR | O_NONBLOCK);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (other >= 0) close(other);
    }
    runner.join();
    return prompt;
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
    // A regular file of size bytes beginning with text, sparse: nothing of
    // it but text reaches the disk.
    void WriteLargeFile(const std::string& path, const std::string& text, off_t size) {
        testenv::WriteFile(path, text);
        ASSERT_EQ(truncate(path.c_str(), size), 0);
    }
    testenv::TempDir dir;
};

}  // namespace

TEST_F(SpecialFiles, NeitherAFifoNorADeviceIsWaitedForReadOrWrittenThrough) {
    const std::string config = plugin() + "/config.ini", memory = MemoryPath(0);
    const std::function<void(const std::string&)> fifo = [](const std::string& path) {
        ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
    };
    const std::function<void(const std::string&)> zero = [](const std::string& path) {
        ASSERT_EQ(symlink("/dev/zero", path.c_str()), 0);
    };
    const struct {
        const char* what;
        std::string path;
        std::function<void(const std::string&)> make;
        std::function<void()> call;
    } rows[] = {
        {"config.ini at a start or reconnect", config, fifo,
         [&] { EXPECT_FALSE(ReadSettingsFile(config)); }},
        {"config.ini linked to /dev/zero", config, zero,
         [&] { EXPECT_FALSE(ReadSettingsFile(config)); }},
        {"config.ini under the check box", config, fifo, [] { RewriteWindowOnConnect(false); }},
        {"a memory file saved to", memory, fifo, [&] { Save(); }},
        {"a memory file linked to /dev/zero", memory, zero, [&] { Save(); }},
        {"a memory file restored from", memory, fifo, [&] { Restore(); }},
    };
    for (const auto& row : rows) {
        row.make(row.path);
        const mode_t kind = KindAt(row.path);
        ForgetLoggedCauses();  // as a reconnect does
        testing::internal::CaptureStderr();
        EXPECT_TRUE(ReturnsPromptly(row.call, row.path)) << row.what;
        EXPECT_TRUE(ReturnsPromptly(row.call, row.path)) << row.what;
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(testenv::Occurrences(log, row.path + " cannot be read: it is not a regular file"),
                  1)
            << row.what << ", logged once:" << log;
        EXPECT_EQ(KindAt(row.path), kind) << row.what << ": it must stay as it was";
        unlink(row.path.c_str());
    }
    EXPECT_EQ(settings.WINDOW_ON_CONNECT, false) << "the check box still takes effect";

    // The temporary file of a save is the plugin's own: a FIFO under its
    // name is replaced, never written through.
    ASSERT_EQ(mkfifo((memory + ".tmp").c_str(), 0644), 0);
    simhost::SetValue(kAltitude, 1500);
    EXPECT_TRUE(ReturnsPromptly([&] { Save(); }, memory + ".tmp"));
    ASSERT_EQ(KindAt(memory), S_IFREG) << "the FIFO was written through and renamed";
    EXPECT_EQ(testenv::ReadFile(memory), "12+ 1500\r\n");
}

// No real config.ini, data.cfg or memory file comes near these sizes; one
// beyond them is a mistake (a disk image in the wrong place) and is not read.
TEST_F(SpecialFiles, FilesBeyondTheSizeLimitAreNotRead) {
    WriteLargeFile(plugin() + "/config.ini", "PORT = 6000\n", 2 << 20);
    EXPECT_FALSE(ReadSettingsFile(plugin() + "/config.ini"));
    EXPECT_EQ(settings.UDP_PORT, 5080);

    WriteLargeFile(aircraft() + "/data.cfg", "*1\n[I]\nD5 sim/a\n", 64 << 20);
    testenv::WriteFile(plugin() + "/data.cfg", "*2\n[I]\nD6 sim/b\n");
    testing::internal::CaptureStderr();
    LoadConfig();
    EXPECT_THAT(testing::internal::GetCapturedStderr(),
                testing::HasSubstr("data.cfg cannot be read: it is larger than 16777216 bytes"));
    EXPECT_EQ(ArduinoID, std::vector<unsigned>{2u}) << "the plugin folder's file instead";

    WriteLargeFile(MemoryPath(0), "12+ 700\r\n", 2 << 20);
    Restore();
    Save();
    EXPECT_EQ(simhost::GetValue(kAltitude), 0.0) << "nothing restored from it";
    EXPECT_EQ(std::filesystem::file_size(MemoryPath(0)), 2u << 20) << "nor replaced";
}
