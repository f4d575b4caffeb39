// The UDP socket against fake boards on their own loopback addresses.
#include <arpa/inet.h>

#include "peers.h"
#include "plugin_fixture.h"
#include "transport/lan.h"
#include "transport/reply.h"

namespace {

std::string HostOf(const sockaddr_in& address) {
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return text;
}

class LanTest : public PluginTest {
  protected:
    void SetUp() override {
        folder.WriteSafeConfig("SCANNING_TIMEOUT = 0\n");
        StartAndInitialize();
    }
    // Receives until a datagram arrives (delivery on loopback is immediate,
    // the loop only guards against a slow machine); returns its bytes.
    std::string ReceiveOne(sockaddr_in* from) {
        ssize_t got = -1;
        for (int turn = 0; turn < 1000 && got < 0; ++turn) got = ReceiveLanDatagram(from);
        return got < 0 ? "<nothing>" : std::string(reinterpret_cast<const char*>(recs), got);
    }
};

}  // namespace

TEST_F(LanTest, BindsTheConfiguredPortAndTakesDatagramsWhole) {
    testenv::UdpPeer board("127.0.0.5", folder.port());
    board.SendToPlugin(
        "|A\x83"
        "1",
        folder.port());
    sockaddr_in from{};
    EXPECT_EQ(ReceiveOne(&from),
              "|A\x83"
              "1");
    EXPECT_EQ(HostOf(from), "127.0.0.5");
    EXPECT_EQ(ntohs(from.sin_port), folder.port());
    EXPECT_EQ(HostOf(lan.sender), "127.0.0.5");
    EXPECT_EQ(ntohs(lan.bound.sin_port), folder.port());

    // Nothing waiting: one failed non-blocking read.
    EXPECT_EQ(ReceiveLanDatagram(&from), -1);
}

// Empty datagrams and datagrams that hold zero bytes are datagrams all the
// same: only "nothing waiting" reads as -1.
TEST_F(LanTest, EveryDatagramIsTakenWholeAndOnlyNothingWaitingReadsAsNothing) {
    testenv::UdpPeer board("127.0.0.7", folder.port());
    board.SendToPlugin(std::string("ab\0cd", 5), folder.port());
    sockaddr_in from{};
    EXPECT_EQ(ReceiveOne(&from), std::string("ab\0cd", 5));

    // Loopback delivery is immediate: all three wait in order.
    board.SendToPlugin(std::string("\0xyz", 4), folder.port());
    board.SendToPlugin("", folder.port());
    board.SendToPlugin("~w", folder.port());
    EXPECT_EQ(ReceiveLanDatagram(&from), 4);
    EXPECT_EQ(ReceiveLanDatagram(&from), 0);
    EXPECT_EQ(ReceiveLanDatagram(&from), 2);
    EXPECT_EQ(ReceiveLanDatagram(&from), -1);
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
    sockaddr_in from{};
    EXPECT_EQ(ReceiveOne(&from), big);
}
