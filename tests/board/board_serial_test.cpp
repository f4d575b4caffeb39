// A virtual board behind a pseudo-terminal linked under a USB serial name;
// the test opens the link itself, raw, as the plugin does.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sstream>

#include "fake_plugin.h"
#include "serial_transport.h"
#include "test_env.h"

using namespace vboard;
using boardtest::ExchangeSerial;
using boardtest::FakeSerialPlugin;
using boardtest::TempDir;
using boardtest::Upload;

namespace {

using testenv::Bytes;

std::unique_ptr<VirtualBoard> SerialBoard(const BoardIdentity& identity, const TempDir& dir,
                                          const std::string& name, std::ostream& log) {
    std::string error;
    auto transport = SerialTransport::Open(dir.path(), name, identity.tildeLength(), &error);
    if (!transport) throw std::runtime_error(error);
    return std::make_unique<VirtualBoard>(identity, std::move(transport), log);
}

bool Exists(const std::string& path) {
    struct stat entry {};
    return lstat(path.c_str(), &entry) == 0;
}

}  // namespace

TEST(boardSerial, NumberedBoardAnswersInBracesThroughTheWholeRoad) {
    TempDir dir;
    std::ostringstream log;
    auto vb = SerialBoard(BoardIdentity::Numbered(4, 132), dir, "tty.usbmodem2101", log);
    const std::string link = dir.path() + "/tty.usbmodem2101";
    FakeSerialPlugin plugin(link);

    EXPECT_EQ(ExchangeSerial(*vb, plugin, "XP", 6), std::string("{|A\x84") + "4}");

    // The upload in two pieces with a frame between them, after noise.
    const std::string upload = Upload({{2, 1}, {9, 12}}, 2);
    plugin.Write("zz" + upload.substr(0, 30));
    ASSERT_TRUE(boardtest::StepWhenReadable(*vb));
    EXPECT_FALSE(vb->configured());
    EXPECT_EQ(vb->noiseBytes(), 2u);
    EXPECT_EQ(ExchangeSerial(*vb, plugin, upload.substr(30), 4), "{~a}");
    EXPECT_EQ(vb->boardIndex(), 1);
    EXPECT_EQ((*vb->pinTable())[9], 12);

    std::string analog = "A";
    for (int c = 0; c < 16; ++c) analog += Bytes({0, 0, 100});
    EXPECT_EQ(ExchangeSerial(*vb, plugin, analog, 4), "{~n}");
    EXPECT_EQ(ExchangeSerial(*vb, plugin, Bytes({'N', 0}), 4), "{~s}");
    // A ping, the stepper reply and a mode message arriving in one write.
    EXPECT_EQ(ExchangeSerial(*vb, plugin,
                             "XX" + Bytes({'S', 3, 7, 0x10, 0x27}) + Bytes({'{', 2, 13, '('}), 4),
              "{~w}");
    EXPECT_EQ((*vb->steppers())[0].steps, 10000);
    EXPECT_TRUE(vb->outputsOn());
    while (vb->modeRecords().empty() && boardtest::StepWhenReadable(*vb, 200)) {
    }
    ASSERT_EQ(vb->modeRecords().size(), 1u);
    EXPECT_FALSE(vb->modeRecords()[0].ledOn);
    EXPECT_NE(log.str().find("pin 9: servo output (code 12)"), std::string::npos);

    vb.reset();
    EXPECT_FALSE(Exists(link)) << "the link goes with the board";
}

TEST(boardSerial, SelfConfiguringBoardTakesTheSevenByteIdReply) {
    TempDir dir;
    std::ostringstream log;
    const std::string config = "[O]\n13L 0 sim/cockpit2/switches/beacon_on\n";
    auto vb = SerialBoard(BoardIdentity::SelfConfiguring(config), dir, "cu.usbserial-10", log);
    FakeSerialPlugin plugin(dir.path() + "/cu.usbserial-10");

    EXPECT_EQ(ExchangeSerial(*vb, plugin, "XP", config.size() + 3), "{|" + config + "}");
    EXPECT_EQ(ExchangeSerial(*vb, plugin, Bytes({'~', 0, 0, 0, 0, 0, 1}) + "XX", 4), "{~a}");
    EXPECT_EQ(vb->boardIndex(), 0);
}

TEST(boardSerial, LinksAreOnlyReplacedWhenStale) {
    TempDir dir;
    std::string error;
    const std::string stale = dir.path() + "/tty.usbserial-1";
    ASSERT_EQ(symlink("/dev/pts/no-such-terminal", stale.c_str()), 0);
    auto replaced = SerialTransport::Open(dir.path(), "tty.usbserial-1", 61, &error);
    ASSERT_NE(replaced, nullptr) << error;

    // A live board's link, or any other file, is left alone.
    EXPECT_EQ(SerialTransport::Open(dir.path(), "tty.usbserial-1", 61, &error), nullptr);
    EXPECT_NE(error.find("already exists"), std::string::npos);
    EXPECT_EQ(SerialTransport::Open(dir.path(), "ttyS0", 61, &error), nullptr);
    EXPECT_EQ(SerialTransport::Open(dir.path(), "tty.usb/x", 61, &error), nullptr);
}
