// The command line of kestrix-board.
#include <gtest/gtest.h>

#include "board_options.h"

using namespace vboard;

namespace {

std::string ErrorOf(const std::vector<std::string>& args) {
    BoardOptions options;
    std::string error;
    return ParseBoardOptions(args, &options, &error) ? "" : error;
}

}  // namespace

TEST(boardOptions, AcceptedCommandLines) {
    BoardOptions udp;
    std::string error;
    ASSERT_TRUE(ParseBoardOptions({"--udp", "127.0.0.2", "--number", "1"}, &udp, &error)) << error;
    EXPECT_FALSE(udp.serial);
    EXPECT_EQ(udp.port, 5080);
    EXPECT_EQ(udp.versionByte, 132);
    EXPECT_FALSE(udp.runMilliseconds.has_value());
    EXPECT_EQ(BoardLabel(udp), "[board #1 udp 127.0.0.2]");

    BoardOptions serial;
    ASSERT_TRUE(ParseBoardOptions({"--serial", "/tmp/d", "--name", "tty.usbmodem2101", "--panel",
                                   "p.cfg", "--seconds", "2.5", "--label", "left"},
                                  &serial, &error))
        << error;
    EXPECT_TRUE(serial.serial);
    EXPECT_TRUE(serial.selfConfiguring);
    EXPECT_EQ(*serial.runMilliseconds, 2500);
    EXPECT_EQ(BoardLabel(serial), "[left]");
    serial.label.clear();
    EXPECT_EQ(BoardLabel(serial), "[panel serial tty.usbmodem2101]");

    BoardOptions versioned;
    ASSERT_TRUE(ParseBoardOptions(
        {"--udp", "127.0.0.3", "--port", "6000", "--number", "9", "--version", "1.3"}, &versioned,
        &error));
    EXPECT_EQ(versioned.port, 6000);
    EXPECT_EQ(versioned.versionByte, 130);
}

TEST(boardOptions, BadCommandLinesAreRefusedWithAReason) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"--number", "1"},
        {"--udp", "127.0.0.2"},
        {"--udp", "127.0.0.2", "--serial", "/tmp", "--name", "tty.usb1", "--number", "1"},
        {"--udp", "127.0.0.2", "--number", "1", "--panel", "p.cfg"},
        {"--udp", "127.0.0.1", "--number", "1"},
        {"--udp", "192.168.1.20", "--number", "1"},
        {"--udp", "localhost", "--number", "1"},
        {"--udp", "127.0.0.2", "--number", "0"},
        {"--udp", "127.0.0.2", "--number", "12"},
        {"--udp", "127.0.0.2", "--number", "1", "--version", "3"},
        {"--udp", "127.0.0.2", "--number", "1", "--version", "1.234"},
        {"--udp", "127.0.0.2", "--number", "1", "--version", "0"},
        {"--udp", "127.0.0.2", "--number", "1", "--port", "0"},
        {"--udp", "127.0.0.2", "--number", "1", "--port", "70000"},
        {"--udp", "127.0.0.2", "--number", "1", "--seconds", "soon"},
        {"--udp", "127.0.0.2", "--number", "1", "--seconds"},
        {"--udp", "127.0.0.2", "--number", "1", "--number", "2"},
        {"--udp", "127.0.0.2", "--number", "1", "--verbose", "1"},
        {"--udp", "127.0.0.2", "--panel", "p.cfg", "--version", "1.32"},
        {"--serial", "/tmp", "--number", "1"},
        {"--serial", "/tmp", "--name", "ttyS0", "--number", "1"},
        {"--serial", "/tmp", "--name", "tty.usb1", "--port", "5080", "--number", "1"},
        // 1.23 and 1.25 are the brace bytes, which cannot travel in a serial frame.
        {"--serial", "/tmp", "--name", "tty.usb1", "--number", "1", "--version", "1.23"},
    };
    for (const auto& args : bad) {
        std::string joined;
        for (const auto& a : args) joined += a + " ";
        EXPECT_NE(ErrorOf(args), "") << joined;
    }
    EXPECT_EQ(ErrorOf({"--udp", "127.0.0.2", "--number", "1", "--version", "1.23"}), "");
}
