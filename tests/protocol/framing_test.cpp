// Cutting messages out of a serial port's stream.
#include <gtest/gtest.h>

#include <cstdint>

#include "base/settings.h"
#include "config/board_tables.h"
#include "protocol/framing.h"
#include "protocol/receive.h"
#include "transport/serial.h"

namespace {

const uint8_t* Raw(const std::string& bytes) {
    return reinterpret_cast<const uint8_t*>(bytes.data());
}

// Every message the buffer yields, turn by turn, as the receive loop takes them.
std::vector<std::string> Drain(std::string& buffer) {
    std::vector<std::string> messages;
    std::string message;
    while (CutSerialMessage(buffer, &message)) messages.push_back(message);
    DropSerialNoise(buffer);
    return messages;
}

}  // namespace

TEST(Framing, BracedMessagesComeOutOneATurnAndNoiseIsDropped) {
    std::string buffer = "xx{12}{34}";
    std::string message;
    ASSERT_TRUE(CutSerialMessage(buffer, &message));
    EXPECT_EQ(message, "12");
    EXPECT_EQ(buffer, "{34}");
    ASSERT_TRUE(CutSerialMessage(buffer, &message));
    EXPECT_EQ(message, "34");
    EXPECT_TRUE(buffer.empty());

    buffer = "{ab{cd}";
    EXPECT_EQ(Drain(buffer), std::vector<std::string>{"cd"});

    // A closing brace without an opening one costs a turn and drops the front.
    buffer = "cd}{ef}";
    ASSERT_TRUE(CutSerialMessage(buffer, &message));
    EXPECT_EQ(message, "");
    EXPECT_EQ(buffer, "{ef}");

    buffer = "{}";
    ASSERT_TRUE(CutSerialMessage(buffer, &message));
    EXPECT_EQ(message, "");
    EXPECT_TRUE(buffer.empty());
}

TEST(Framing, AnOpenMessageWaitsForItsClosingBrace) {
    std::string buffer = "{ab";
    std::string message;
    EXPECT_FALSE(CutSerialMessage(buffer, &message));
    DropSerialNoise(buffer);
    EXPECT_EQ(buffer, "{ab");
    buffer += "c}";
    ASSERT_TRUE(CutSerialMessage(buffer, &message));
    EXPECT_EQ(message, "abc");
}

// Trimming a buffer that holds no "}" must never change what it yields.
TEST(Framing, NoiseTrimmingYieldsTheSameMessages) {
    const std::vector<std::string> chunks = {"garbage{par", "tial", "}{x", "}}{{y", "z}tail"};
    std::string plain, trimmed;
    std::vector<std::string> fromPlain, fromTrimmed;
    std::string message;
    for (const std::string& chunk : chunks) {
        plain += chunk;
        trimmed += chunk;
        while (CutSerialMessage(plain, &message)) fromPlain.push_back(message);
        while (CutSerialMessage(trimmed, &message)) fromTrimmed.push_back(message);
        DropSerialNoise(trimmed);
    }
    EXPECT_EQ(fromTrimmed, fromPlain);
    EXPECT_EQ(fromPlain, (std::vector<std::string>{"partial", "x", "", "yz"}));
}

TEST(Framing, APortThatNeverClosesABraceCannotGrowWithoutBound) {
    std::string buffer;
    std::string message;
    for (int read = 0; read < 5000; ++read) {
        buffer += std::string(64, 'n');  // noise, no brace at all
        EXPECT_FALSE(CutSerialMessage(buffer, &message));
        DropSerialNoise(buffer);
    }
    EXPECT_TRUE(buffer.empty());

    buffer = "{";
    for (int read = 0; read < 2000; ++read) {
        buffer += std::string(64, 'm');  // a message that never ends
        DropSerialNoise(buffer);
        ASSERT_LE(buffer.size(), kMaxSerialMessage);
    }
    // A long but legal message still gets through whole.
    std::string text(kMaxSerialMessage - 1, 'c');
    buffer = "{" + text;
    DropSerialNoise(buffer);
    buffer += "}";
    ASSERT_TRUE(CutSerialMessage(buffer, &message));
    EXPECT_EQ(message, text);
}

// The seam the receive loop and the fuzz targets use: a zero byte ends what
// a datagram or a read contributes; no socket or terminal is needed.
TEST(ReceiveSeam, AZeroByteEndsWhatADatagramOrAReadContributes) {
    const std::string datagram("ab\0cd", 5);
    HandleLanDatagram(Raw(datagram), datagram.size(), sockaddr_in{});
    EXPECT_EQ(msg.st, "ab");
    HandleLanDatagram(nullptr, 0, sockaddr_in{});
    EXPECT_EQ(msg.recsize, 0);

    serial.ports.emplace_back();  // a port without a descriptor
    const std::string first("{ab\0cd", 6), second("c}{x}", 5);
    SerialTurn turn = HandleSerialTurn(0, Raw(first), first.size());
    EXPECT_FALSE(turn.framed);
    EXPECT_EQ(serial.ports[0].SerialBuffer, "{ab");
    turn = HandleSerialTurn(0, Raw(second), second.size());
    EXPECT_TRUE(turn.framed);
    EXPECT_EQ(turn.port, 0);
    EXPECT_EQ(msg.st, "abc");
    EXPECT_TRUE(HandleSerialTurn(0, nullptr, 0).framed) << "the next message, with no new bytes";
    EXPECT_EQ(msg.st, "x");
    EXPECT_FALSE(HandleSerialTurn(7, Raw(second), second.size()).framed) << "no such port";
}

// An identification that completes the expected USB boards closes the other
// ports; its source, and the receive loop with it, follow its port to its
// new position, and so does the board.
TEST(ReceiveSeam, TheSourceFollowsItsPortWhenPortsBeforeItClose) {
    settings.USBcountVar = 1;
    serial.onPortClosed = RenumberBoardsAfterPort;
    for (const char* name : {"/dev/tty.usbA", "/dev/tty.usbB", "/dev/tty.usbC"}) {
        serial.ports.emplace_back();
        serial.ports.back().ComPortName = name;
    }
    const std::string identity =
        "{|A\x84"
        "1}";
    SerialTurn turn = HandleSerialTurn(1, Raw(identity), identity.size());
    EXPECT_TRUE(turn.framed);
    EXPECT_EQ(turn.port, 0);
    ASSERT_EQ(serial.ports.size(), 1u);
    EXPECT_EQ(serial.ports[0].ComPortName, "/dev/tty.usbB");
    ASSERT_EQ(Boards.size(), 1u);
    EXPECT_EQ(Boards[0].SerialIndex, 0);
    EXPECT_EQ(serial.ports[0].SerialIndices, 0);
}
