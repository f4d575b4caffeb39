// Files that are not files: a FIFO or a device where config.ini, data.cfg or
// a value memory file should be, and files far larger than any real one.
// Each reader must return at once, read nothing and change nothing there.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <thread>

#include "base/log_once.h"
#include "base/message_source.h"
#include "base/paths.h"
#include "base/regular_file.h"
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

using ::testing::HasSubstr;

namespace {

const std::string kAltitude = "sim/cockpit2/autopilot/altitude_dial_ft";

// Runs call on a thread; false when it has not returned within five
// seconds. A call stuck on a FIFO is then let go (its other end opened and
// closed until it returns), so that a failing test still ends.
bool ReturnsPromptly(const std::function<void()>& call, const std::string& fifo) {
    std::packaged_task<void()> task(call);
    std::future<void> done = task.get_future();
    std::thread runner(std::move(task));
    const bool prompt = done.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    while (done.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
        const int other = open(fifo.c_str(), O_RDWR | O_NONBLOCK);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (other >= 0) close(other);
    }
    runner.join();
    return prompt;
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

bool IsFifo(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISFIFO(info.st_mode);
}

// A regular file of size bytes that holds "text" at its start and no data
// after it (a sparse file: nothing is written to the disk).
void WriteLargeFile(const std::string& path, const std::string& text, off_t size) {
    testenv::WriteFile(path, text);
    ASSERT_EQ(truncate(path.c_str(), size), 0);
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

TEST_F(SpecialFiles, AFifoInPlaceOfAFileIsNeitherWaitedForNorWrittenThrough) {
    struct Row {
        const char* what;
        std::string path;
        std::function<void()> call;
    };
    const std::string config = plugin() + "/config.ini", memory = MemoryPath(0);
    const Row rows[] = {
        {"config.ini at a start or reconnect", config,
         [&] { EXPECT_FALSE(ReadSettingsFile(config)); }},
        {"config.ini under the check box", config, [] { RewriteWindowOnConnect(false); }},
        {"a memory file saved to", memory, [&] { Save(); }},
        {"a memory file restored from", memory, [&] { Restore(); }},
    };
    for (const Row& row : rows) {
        ASSERT_EQ(mkfifo(row.path.c_str(), 0644), 0) << row.what;
        ForgetLoggedCauses();  // as a reconnect does
        testing::internal::CaptureStderr();
        EXPECT_TRUE(ReturnsPromptly(row.call, row.path)) << row.what;
        EXPECT_TRUE(ReturnsPromptly(row.call, row.path)) << row.what;
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(Count(log, row.path + " cannot be read: it is not a regular file"), 1u)
            << row.what << ", logged once:" << log;
        EXPECT_TRUE(IsFifo(row.path)) << row.what << ": the FIFO must stay as it was";
        unlink(row.path.c_str());
    }
    EXPECT_EQ(settings.WINDOW_ON_CONNECT, false) << "the check box still takes effect";
}

// The temporary file a save writes before it replaces the memory file is
// the plugin's own: whatever stands under its name is replaced, never
// written through.
TEST_F(SpecialFiles, ASaveReplacesAFifoUnderItsTemporaryName) {
    const std::string temp = MemoryPath(0) + ".tmp";
    ASSERT_EQ(mkfifo(temp.c_str(), 0644), 0);
    simhost::SetValue(kAltitude, 1500);
    EXPECT_TRUE(ReturnsPromptly([&] { Save(); }, temp));
    ASSERT_FALSE(IsFifo(MemoryPath(0))) << "written through and renamed over the file";
    EXPECT_EQ(testenv::ReadFile(MemoryPath(0)), "12+ 1500\r\n");
    EXPECT_FALSE(testenv::FileExists(temp));
}

// No real config.ini, data.cfg or memory file comes near these sizes; one
// beyond them is a mistake (or a disk image put in the wrong place) and is
// not read at all.
TEST_F(SpecialFiles, FilesBeyondTheSizeLimitAreNotRead) {
    WriteLargeFile(plugin() + "/config.ini", "PORT = 6000\n", 2 << 20);
    EXPECT_FALSE(ReadSettingsFile(plugin() + "/config.ini"));
    EXPECT_EQ(settings.UDP_PORT, 5080);

    WriteLargeFile(aircraft() + "/data.cfg", "*1\n[I]\nD5 sim/a\n", 64 << 20);
    testenv::WriteFile(plugin() + "/data.cfg", "*2\n[I]\nD6 sim/b\n");
    testing::internal::CaptureStderr();
    LoadConfig();
    EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("is larger than"));
    EXPECT_EQ(ArduinoID, std::vector<unsigned>{2u}) << "the plugin folder's file instead";

    WriteLargeFile(MemoryPath(0), "12+ 700\r\n", 2 << 20);
    simhost::SetValue(kAltitude, 0);
    Restore();
    EXPECT_EQ(simhost::GetValue(kAltitude), 0.0) << "nothing restored from it";
    Save();
    EXPECT_EQ(std::filesystem::file_size(MemoryPath(0)), 2u << 20) << "nor replaced";
}

TEST(RegularFile, OnlyARegularFileWithinTheLimitIsRead) {
    testenv::TempDir dir;
    const std::string at = dir.path() + "/";
    testenv::WriteFile(at + "eight", "PORT=600");
    testenv::WriteFile(at + "nine", "PORT=6000");
    testenv::MakeDirs(at + "folder");
    ASSERT_EQ(mkfifo((at + "fifo").c_str(), 0644), 0);
    ASSERT_EQ(symlink((at + "fifo").c_str(), (at + "to_fifo").c_str()), 0);
    ASSERT_EQ(symlink("/dev/zero", (at + "to_zero").c_str()), 0);
    struct Row {
        const char* name;
        FileRead result;
        const char* reason;
    } rows[] = {
        {"eight", FileRead::Done, ""},
        {"nine", FileRead::Refused, "it is larger than 8 bytes"},
        {"missing", FileRead::Missing, "No such file"},
        {"folder", FileRead::Refused, "it is a directory, not a file"},
        {"fifo", FileRead::Refused, "it is not a regular file"},
        {"to_fifo", FileRead::Refused, "it is not a regular file"},
        {"to_zero", FileRead::Refused, "it is not a regular file"},
    };
    for (const Row& row : rows) {
        std::string text = "old", reason;
        EXPECT_EQ(ReadRegularFile(at + row.name, 8, &text, &reason), row.result) << row.name;
        EXPECT_THAT(reason, HasSubstr(row.reason)) << row.name;
        EXPECT_EQ(text, row.result == FileRead::Done ? "PORT=600" : "") << row.name;
    }
    EXPECT_FALSE(RewriteRegularFile(at + "fifo", "x")) << "never written through";
    EXPECT_FALSE(ReplaceRegularFile(at + "to_zero", "x")) << "nor replaced";
    EXPECT_TRUE(std::filesystem::is_symlink(at + "to_zero"));
}
