// A board that stops reading: its port's output buffer fills, and every
// message must still reach it whole or not at all, in order, without the
// plugin waiting.
#include <unistd.h>

#include "peers.h"
#include "plugin_fixture.h"
#include "transport/serial.h"

namespace {

// 61 bytes, numbered, as long as a configuration upload.
std::string Message(int number) {
    std::string bytes(61, static_cast<char>('a' + number % 26));
    bytes[0] = '~';
    for (int k = 0; k < 4; ++k) bytes[1 + k] = static_cast<char>(number >> (8 * k));
    return bytes;
}

class SerialQueueTest : public PluginTest {
  protected:
    void SetUp() override {
        board.LinkAs(folder.deviceDir() + "tty.usbmodem1");
        folder.WriteSafeConfig("SCANNING_TIMEOUT = 0\n");
        StartAndInitialize();
        ASSERT_EQ(serial.ports.size(), 1u);
    }
    int Port() const { return serial.ports.at(0).comport; }

    // Sends numbered messages until the port has refused `refusals` of
    // them; returns what it accepted, in order.
    std::string FillPort(int refusals, int* refused) {
        std::string accepted;
        *refused = 0;
        for (int k = 0; k < 100000 && *refused < refusals; ++k) {
            const std::string message = Message(k);
            const int n = Send_USB(Port(), message.data(), message.size());
            if (n == 61) {
                accepted += message;
            } else {
                EXPECT_EQ(n, -1) << "message " << k << " neither taken whole nor refused";
                ++*refused;
            }
        }
        return accepted;
    }

    // The board reads again while the main cycle runs.
    std::string ReadWhileCycling(std::size_t expected) {
        std::string got;
        for (int frame = 0; frame < 1000 && got.size() < expected; ++frame) {
            got += board.Read(0);
            simhost::RunFrame();
        }
        return got + board.Read(0);
    }

    testenv::PseudoTerminal board;
};

}  // namespace

TEST_F(SerialQueueTest, AFullPortTakesWholeMessagesOrNoneAndTheCycleFinishesThem) {
    int refused = 0;
    testing::internal::CaptureStderr();
    const std::string accepted = FillPort(5, &refused);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(refused, 5);
    EXPECT_EQ(testenv::Occurrences(log, "whole messages are dropped"), 1) << log;

    const std::string got = ReadWhileCycling(accepted.size());
    ASSERT_EQ(got.size(), accepted.size());
    EXPECT_TRUE(got == accepted) << "the board reads every message whole and in order";

    // With room again, a message goes out at once.
    EXPECT_EQ(Send_USB(Port(), "XP", 2), 2);
    EXPECT_EQ(board.ReadExactly(2), "XP");
}

// A message the port took only part of is finished whatever its length (a
// panel's long text); a port that is lost drops what waits.
TEST_F(SerialQueueTest, AMessageBegunIsFinishedEvenBeyondTheQueuesBound) {
    const std::string filler(4096, 'f');
    std::string written;
    for (ssize_t n; (n = write(Port(), filler.data(), filler.size())) > 0;)
        written.append(filler, 0, static_cast<std::size_t>(n));
    EXPECT_EQ(board.ReadExactly(4096), written.substr(0, 4096)) << "room for part of it";
    written.erase(0, 4096);
    std::string text(128 * kSerialQueueBytes, 'x');
    text.front() = '>';
    EXPECT_EQ(Send_USB(Port(), text.data(), text.size()), static_cast<int>(text.size()));
    EXPECT_GT(serial.ports[0].queue.size(), kSerialQueueBytes);
    EXPECT_TRUE(ReadWhileCycling(written.size() + text.size()) == written + text);

    EXPECT_EQ(Send_USB(Port(), filler.data(), filler.size()), 4096);
    for (int k = 0; k < 100 && serial.ports[0].queue.empty(); ++k) {
        Send_USB(Port(), filler.data(), filler.size());
    }
    ASSERT_FALSE(serial.ports[0].queue.empty());
    LoseSerialPort(0, "device removed");
    EXPECT_TRUE(serial.ports[0].queue.empty());
    EXPECT_EQ(Send_USB(-1, "XP", 2), -1);
}
