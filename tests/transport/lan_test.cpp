// The UDP socket against fake boards on their own loopback addresses.
#include <arpa/inet.h>

#include "peers.h"
#include "plugin_fixture.h"
#include "transport/lan.h"
#include "transport/message.h"

namespace {

std::string SenderHost() {
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &lan.serv_addr.sin_addr, text, sizeof text);
    return text;
}

class LanTest : public PluginTest {
  protected:
    void SetUp() override {
        folder.WriteSafeConfig("SCANNING_TIMEOUT = 0\n");
        StartAndInitialize();
    }
    // Receives until a datagram arrives (delivery on loopback is immediate,
    // the loop only guards against a slow machine).
    void ReceiveOne() {
        for (int turn = 0; turn < 1000 && msg.recsize == 0; ++turn) ReceiveLanDatagram();
    }
};

}  // namespace

TEST_F(LanTest, BindsTheConfiguredPortAndTakesDatagramsWhole) {
    testenv::UdpPeer board("127.0.0.5", folder.port());
    board.SendToPlugin(
        "|A\x83"
        "1",
        folder.port());
    ReceiveOne();
    EXPECT_EQ(msg.st,
              "|A\x83"
              "1");
    EXPECT_EQ(msg.recsize, 4);
    EXPECT_EQ(msg.MessageIsSerial, 0);
    EXPECT_EQ(SenderHost(), "127.0.0.5");
    EXPECT_EQ(ntohs(lan.serv_addr.sin_port), folder.port());

    // Nothing waiting: one failed non-blocking read and an empty message.
    ReceiveLanDatagram();
    EXPECT_EQ(msg.recsize, 0);
    EXPECT_TRUE(msg.st.empty());
}

TEST_F(LanTest, ADatagramIsCutAtItsFirstZeroByteAndEmptyOnesAreNothing) {
    testenv::UdpPeer board("127.0.0.7", folder.port());
    board.SendToPlugin(std::string("ab\0cd", 5), folder.port());
    ReceiveOne();
    EXPECT_EQ(msg.st, "ab");
    EXPECT_EQ(msg.recsize, 2);

    // Loopback delivery is immediate: all three wait in order.
    board.SendToPlugin(std::string("\0xyz", 4), folder.port());
    board.SendToPlugin("", folder.port());
    board.SendToPlugin("~w", folder.port());
    ReceiveLanDatagram();
    EXPECT_EQ(msg.recsize, 0);
    ReceiveLanDatagram();
    EXPECT_EQ(msg.recsize, 0);
    ReceiveLanDatagram();
    EXPECT_EQ(msg.st, "~w");
}

TEST_F(LanTest, SendReachesTheBoardAndReportsTheCount) {
    testenv::UdpPeer board("127.0.0.9", folder.port());
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(folder.port()));
    inet_pton(AF_INET, "127.0.0.9", &to.sin_addr);
    const std::string bytes("{\x02\x0c)", 4);
    EXPECT_EQ(Send_LAN(bytes.data(), bytes.size(), to), 4);
    EXPECT_EQ(bytes_sent, 4);
    std::string got;
    ASSERT_TRUE(board.Receive(&got));
    EXPECT_EQ(got, bytes);
}

TEST_F(LanTest, ALongDatagramFillsTheBufferWithoutOverrun) {
    testenv::UdpPeer board("127.0.0.11", folder.port());
    std::string big(60000, 'x');
    board.SendToPlugin(big, folder.port());
    ReceiveOne();
    EXPECT_EQ(msg.st, big);
}
