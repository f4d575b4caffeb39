// A board that stops reading: its port's output buffer fills, and every
// message must still reach it whole or not at all, in order, without the
// plugin waiting.
#include "peers.h"
#include "plugin_fixture.h"
#include "transport/serial.h"

namespace {

class SerialQueueTest : public PluginTest {
  protected:
    void SetUp() override {
        board.LinkAs(folder.deviceDir() + "tty.usbmodem1");
        folder.WriteSafeConfig("SCANNING_TIMEOUT = 0\n");
        StartAndInitialize();
        ASSERT_EQ(serial.ports.size(), 1u);
    }
    int Port() const { return serial.ports.at(0).comport; }

    // Sends numbered 61-byte messages (as long as an upload) until the port
    // has refused five of them; returns what it accepted, in order.
    std::string FillPort() {
        std::string accepted;
        for (int k = 0, refused = 0; k < 100000 && refused < 5; ++k) {
            std::string message(61, static_cast<char>('a' + k % 26));
            for (int b = 0; b < 4; ++b) message[1 + b] = static_cast<char>(k >> (8 * b));
            const int n = Send_USB(Port(), message.data(), message.size());
            if (n == 61) accepted += message;
            if (n != 61) ++refused;
            EXPECT_TRUE(n == 61 || n == -1) << "message " << k << ": " << n << " bytes taken";
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
    testing::internal::CaptureStderr();
    const std::string accepted = FillPort();
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(testenv::Occurrences(log, "whole messages are dropped"), 1) << log;
    const std::string got = ReadWhileCycling(accepted.size());
    ASSERT_EQ(got.size(), accepted.size());
    EXPECT_TRUE(got == accepted) << "the board reads every message whole and in order";
    EXPECT_EQ(Send_USB(Port(), "XP", 2), 2) << "with room again, at once";
    EXPECT_EQ(board.ReadExactly(2), "XP");

    FillPort();
    LoseSerialPort(0, "device removed");
    EXPECT_TRUE(serial.ports[0].queue.empty()) << "a lost port drops what waits";
}
