// The board's DHCP client against the test host's DHCP server, on a clock
// the test advances: the exchange, its repeats when no answer comes, the
// lease kept and given up, a refusing server, the cable, a spoilt reply.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chip_on_host.h"

using testing::ElementsAre;

namespace {

const avrboard::Address kOffered{192, 168, 1, 30};

class DhcpTest : public ::testing::Test {
  protected:
    void SetUp() override {
        avrboard::DhcpOffer offer;
        offer.address = kOffered;
        offer.router = {192, 168, 1, 1};
        offer.server = {192, 168, 1, 1};
        server = std::make_unique<avrboard::FakeDhcpServer>(offer);
        host.network.server = server.get();
    }
    void Start() {
        kxnet::NetworkSettings settings;  // DHCP, port 5080
        settings.mac[0] = 0x02;
        settings.mac[5] = 3;
        ASSERT_TRUE(host.board.Start(settings, 3, host.nowMs));
    }
    // The seconds at which each DISCOVER or REQUEST went out.
    std::vector<double> Times(const std::string& kind) const {
        std::vector<double> times;
        for (std::size_t i = 0; i < server->transactions.size(); ++i) {
            if (server->transactions[i].rfind(kind, 0) == 0) times.push_back(when[i]);
        }
        return times;
    }
    // Runs second by second, noting when each transaction came.
    void RunSeconds(int seconds, uint32_t passMs = 5) {
        for (int s = 0; s < seconds * 10; ++s) {
            host.Run(100, passMs);
            while (when.size() < server->transactions.size()) when.push_back(host.nowMs / 1000.0);
        }
    }
    bool PluginSocketOpen() const { return host.chip.SocketStatus(0) == 0x22; }

    ChipOnHost host;
    std::unique_ptr<avrboard::FakeDhcpServer> server;
    std::vector<double> when;
};

}  // namespace

TEST_F(DhcpTest, AnOfferIsTakenAndThePluginsSocketOpened) {
    Start();
    RunSeconds(1);
    EXPECT_THAT(server->transactions, ElementsAre("DISCOVER", "REQUEST 192.168.1.30 from 0.0.0.0"));
    EXPECT_EQ(server->hostName, "kestrix-3");
    EXPECT_EQ(host.SourceAddress(), "192.168.1.30");
    EXPECT_TRUE(PluginSocketOpen());
    EXPECT_EQ(host.chip.SocketPort(0), 5080);
    // Once bound the client's socket is closed: no other client's traffic
    // reaches the board.
    EXPECT_EQ(host.chip.SocketStatus(1), 0x00);
    // Every message is broadcast to the servers' port, at least 300 bytes.
    for (const auto& datagram : host.network.sent) {
        EXPECT_EQ(datagram.to, (avrboard::Address{255, 255, 255, 255}));
        EXPECT_EQ(datagram.toPort, 67);
        EXPECT_GE(datagram.data.size(), 300u);
    }
}

TEST_F(DhcpTest, UnansweredRequestsAreSentAgainAfterFourThenEightSeconds) {
    server->ignore = 2;
    Start();
    RunSeconds(20);
    const std::vector<double> discovers = Times("DISCOVER");
    ASSERT_EQ(discovers.size(), 3u);
    EXPECT_NEAR(discovers[1] - discovers[0], 4, 1.05);
    EXPECT_NEAR(discovers[2] - discovers[1], 8, 1.05);
    EXPECT_EQ(host.SourceAddress(), "192.168.1.30");
}

// Without a server the board goes on asking, once a minute or so, for as
// long as it runs.
TEST_F(DhcpTest, WithoutAServerTheBoardAsksAboutOnceAMinute) {
    server->ignore = 1000000;
    Start();
    RunSeconds(45 * 60, 50);
    const std::vector<double> discovers = Times("DISCOVER");
    ASSERT_GE(discovers.size(), 40u);
    for (std::size_t i = 5; i < discovers.size(); ++i)
        EXPECT_NEAR(discovers[i] - discovers[i - 1], 64, 1.15) << i;
}

TEST_F(DhcpTest, TheLeaseIsRenewedAtHalfItsTimeFromTheAddressItHolds) {
    server->SetLease(20);
    Start();
    RunSeconds(25);
    EXPECT_THAT(server->transactions, ElementsAre("DISCOVER", "REQUEST 192.168.1.30 from 0.0.0.0",
                                                  "REQUEST 192.168.1.30 from 192.168.1.30",
                                                  "REQUEST 192.168.1.30 from 192.168.1.30"));
    const std::vector<double> requests = Times("REQUEST");
    EXPECT_NEAR(requests[1] - requests[0], 10, 1.05);
    EXPECT_NEAR(requests[2] - requests[1], 10, 1.05);
    // The renewal goes to the lease's server, not to everyone.
    const auto& renewal = host.network.sent.at(2);
    EXPECT_EQ(renewal.to, (avrboard::Address{192, 168, 1, 1}));
    EXPECT_TRUE(PluginSocketOpen());
}

TEST_F(DhcpTest, ALeaseNoServerRenewsIsGivenUpWhenItEnds) {
    server->SetLease(40);
    Start();
    RunSeconds(1);
    ASSERT_EQ(host.SourceAddress(), "192.168.1.30");
    server->ignore = 1000;
    RunSeconds(38);
    EXPECT_TRUE(PluginSocketOpen());
    RunSeconds(2);
    EXPECT_EQ(host.SourceAddress(), "0.0.0.0");
    EXPECT_FALSE(PluginSocketOpen());
    // Renewing from T1 (20 s) to the server, every minute at most; rebinding
    // from T2 (35 s) to everyone; then asking anew.
    const std::vector<double> requests = Times("REQUEST");
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_NEAR(requests[1], 20, 1.05);
    EXPECT_NEAR(requests[2], 35, 1.05);
    EXPECT_EQ(host.network.sent.at(3).to, (avrboard::Address{255, 255, 255, 255}));
    EXPECT_EQ(Times("DISCOVER").size(), 2u);
}

TEST_F(DhcpTest, ARefusingServerIsAskedAgainAfterAPauseNotAtTheLoopsRate) {
    server->refuse = true;
    Start();
    RunSeconds(30);
    EXPECT_EQ(host.SourceAddress(), "0.0.0.0");
    EXPECT_GE(server->naks, 3);
    EXPECT_LE(server->naks, 8);
}

TEST_F(DhcpTest, NothingIsAskedWhileTheCableIsOut) {
    host.chip.SetLink(false);
    Start();
    RunSeconds(5);
    EXPECT_TRUE(server->transactions.empty());
    host.chip.SetLink(true);
    RunSeconds(2);
    EXPECT_EQ(host.SourceAddress(), "192.168.1.30");
}

// A reply whose last option runs past the datagram's end is not taken.
TEST_F(DhcpTest, AReplyCutShortIsNotTaken) {
    host.network.mangle = [](std::vector<uint8_t>* reply) {
        reply->pop_back();                  // the end option
        (*reply)[reply->size() - 5] = 200;  // the router option's length
    };
    Start();
    RunSeconds(3);
    EXPECT_THAT(server->transactions, ElementsAre("DISCOVER"));
    EXPECT_EQ(host.SourceAddress(), "0.0.0.0");
}
