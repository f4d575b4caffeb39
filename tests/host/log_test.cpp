// The two logs: standard error as the plugin always wrote it, and the
// simulator's Log.txt through XPLMDebugString, one prefixed line each.
#include <cerrno>
#include <new>
#include <stdexcept>

#include "base/guard.h"
#include "base/log.h"
#include "peers.h"
#include "plugin_fixture.h"

namespace {

// What the simulator's log received since `from`.
std::vector<std::string> DebugLinesSince(std::size_t from) {
    std::vector<std::string> all = simhost::DebugStrings();
    return std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(from), all.end());
}

}  // namespace

TEST(SimulatorLog, EveryLineGoesToLogTxtPrefixedWhileStderrKeepsTheText) {
    const std::string longLine(1200, 'x');
    const struct {
        std::string text;
        std::vector<std::string> lines;
    } cases[] = {
        {"\nKestrix Plugin initialized", {"Kestrix: Kestrix Plugin initialized\n"}},
        {"\n\nKestrix reconnecting...", {"Kestrix: Kestrix reconnecting...\n"}},
        {"\nSending request to USB /dev/cu.usb1: 2 bytes\n",
         {"Kestrix: Sending request to USB /dev/cu.usb1: 2 bytes\n"}},
        {"\nfirst\r\nsecond", {"Kestrix: first\n", "Kestrix: second\n"}},
        {"\n", {}},
        {longLine,
         {"Kestrix: " + longLine.substr(0, 501) + "\n",
          "Kestrix: " + longLine.substr(501, 501) + "\n",
          "Kestrix: " + longLine.substr(1002) + "\n"}},
    };
    for (const auto& c : cases) {
        const std::size_t before = simhost::DebugStrings().size();
        testing::internal::CaptureStderr();
        Log(c.text);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.text);
        EXPECT_EQ(DebugLinesSince(before), c.lines) << c.text;
    }
}

// A text that belongs together (a section's notes) is one write to each log,
// with the same lines Log would have written one by one.
TEST(SimulatorLog, ATextWrittenTogetherIsOneStringOfPrefixedLines) {
    const std::string longLine(600, 'y');
    const struct {
        std::string text;
        std::vector<std::string> strings;
    } cases[] = {
        {"\ndata.cfg line 4: skipped: a line needs more than two characters\n      D3"
         "\ndata.cfg line 9: warning: a second [O] section\r\n",
         {"Kestrix: data.cfg line 4: skipped: a line needs more than two characters\n"
          "Kestrix:       D3\nKestrix: data.cfg line 9: warning: a second [O] section\n"}},
        {"\n" + longLine,
         {"Kestrix: " + longLine.substr(0, 501) + "\nKestrix: " + longLine.substr(501) + "\n"}},
        {"\n\n", {}},
        // A zero byte would cut the one string short: line by line instead.
        {std::string("\nfirst\nsec\0ond", 14), {"Kestrix: first\n", "Kestrix: sec"}},
    };
    for (const auto& c : cases) {
        const std::size_t before = simhost::DebugStrings().size();
        testing::internal::CaptureStderr();
        LogTogether(c.text);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.text);
        EXPECT_EQ(DebugLinesSince(before), c.strings) << c.text;
    }
}

TEST(SimulatorLog, FaultsAndFailedOpensReachBothLogs) {
    const std::size_t before = simhost::DebugStrings().size();
    testing::internal::CaptureStderr();
    Guarded("menu", [] { throw std::runtime_error("boom"); });
    Guarded("main cycle", [] { throw std::bad_alloc(); });
    errno = ENOENT;
    LogSystemError("open_port: Unable to open serial port - ");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err,
              "\nKestrix: menu abandoned: boom\nKestrix: main cycle abandoned: std::bad_alloc"
              "open_port: Unable to open serial port - : No such file or directory\n");
    EXPECT_EQ(
        DebugLinesSince(before),
        (std::vector<std::string>{
            "Kestrix: menu abandoned: boom\n", "Kestrix: main cycle abandoned: std::bad_alloc\n",
            "Kestrix: open_port: Unable to open serial port - : No such file or directory\n"}));
}

TEST_F(PluginTest, AStartedPluginWritesWholePrefixedLinesToLogTxt) {
    testenv::PseudoTerminal board;
    board.LinkAs(folder.deviceDir() + "tty.usbmodem1");
    folder.WriteSafeConfig("SCANNING_TIMEOUT = 0\n");
    StartAndInitialize();
    std::vector<std::string> lines = simhost::DebugStrings();
    EXPECT_THAT(lines, testing::Contains("Kestrix: Kestrix Plugin initialized\n"));
    EXPECT_THAT(lines, testing::Contains("Kestrix: Serial port " + folder.deviceDir() +
                                         "tty.usbmodem1 opened\n"));
    for (const std::string& line : lines) {
        EXPECT_EQ(line.rfind("Kestrix: ", 0), 0u) << line;
        EXPECT_EQ(line.find('\n'), line.size() - 1) << line;
        EXPECT_GT(line.size(), std::string("Kestrix: \n").size()) << "no blank lines";
    }
}
