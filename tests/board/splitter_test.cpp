// Cutting the plugin's unframed serial stream into messages.
#include <gtest/gtest.h>

#include "stream_splitter.h"

using vboard::PluginStreamSplitter;
using vboard::StreamPiece;

namespace {

// Everything the splitter yields now, noise runs marked with a leading "!".
std::vector<std::string> Drain(PluginStreamSplitter& splitter) {
    std::vector<std::string> pieces;
    StreamPiece piece;
    while (splitter.Next(&piece)) pieces.push_back((piece.isNoise ? "!" : "") + piece.bytes);
    return pieces;
}

void Feed(PluginStreamSplitter& splitter, const std::string& bytes) {
    splitter.Feed(bytes.data(), bytes.size());
}

std::string Upload() {
    std::string upload(61, '\0');
    upload[0] = '~';
    upload[3] = 'X';  // table bytes that look like message starts must not split it
    upload[4] = 'P';
    upload[60] = 1;
    return upload;
}

}  // namespace

TEST(boardSplitter, SeveralMessagesInOneReadComeOutInOrder) {
    PluginStreamSplitter splitter(61);
    const std::string seven("N\x02\x14\x15", 4);
    const std::string stepper("S\x03\x08\x90\x01", 5);
    const std::string emptyOutput("{\x00", 2);
    const std::string mode("{\x02\x0c)", 4);
    Feed(splitter, "XX" + seven + stepper + emptyOutput + mode + "XR" + std::string("N\x00", 2));
    EXPECT_EQ(Drain(splitter), (std::vector<std::string>{"XX", seven, stepper, emptyOutput, mode,
                                                         "XR", std::string("N\x00", 2)}));
    EXPECT_EQ(splitter.pending(), 0u);
}

TEST(boardSplitter, AMessageSplitAcrossReadsWaitsForItsLastByte) {
    PluginStreamSplitter splitter(61);
    const std::string upload = Upload();
    for (std::size_t i = 0; i + 1 < upload.size(); ++i) {
        Feed(splitter, upload.substr(i, 1));
        ASSERT_TRUE(Drain(splitter).empty()) << "after byte " << i;
    }
    Feed(splitter, upload.substr(60) + "X");
    EXPECT_EQ(Drain(splitter), std::vector<std::string>{upload});
    Feed(splitter, "P");
    EXPECT_EQ(Drain(splitter), std::vector<std::string>{"XP"});

    // The analog reply (49 bytes) and a counted message cut inside the count.
    Feed(splitter, "A" + std::string(30, '\x01'));
    EXPECT_TRUE(Drain(splitter).empty());
    Feed(splitter, std::string(18, '\x02') + "N");
    EXPECT_EQ(Drain(splitter).size(), 1u);
    Feed(splitter, "\x01");
    EXPECT_TRUE(Drain(splitter).empty());
    Feed(splitter, "\x07");
    EXPECT_EQ(Drain(splitter), std::vector<std::string>{"N\x01\x07"});
}

TEST(boardSplitter, NoiseIsSkippedOneByteAtATimeAndReported) {
    PluginStreamSplitter splitter(61);
    // "X" with an unknown letter is noise, and the stream resynchronises on
    // the very next byte.
    Feed(splitter, "zzXqXP!");
    EXPECT_EQ(Drain(splitter), (std::vector<std::string>{"!zzXq", "XP", "!!"}));
    // Noise before an incomplete message is handed out at once.
    Feed(splitter, "ab~");
    EXPECT_EQ(Drain(splitter), std::vector<std::string>{"!ab"});
    EXPECT_EQ(splitter.pending(), 1u);
}

TEST(boardSplitter, TheTildeLengthFollowsTheKindOfBoard) {
    const std::string idReply("~\0\0\0\0\0\x03", 7);
    PluginStreamSplitter panel(7);
    Feed(panel, idReply + "XX");
    EXPECT_EQ(Drain(panel), (std::vector<std::string>{idReply, "XX"}));

    PluginStreamSplitter numbered(61);
    Feed(numbered, idReply + "XX");
    EXPECT_TRUE(Drain(numbered).empty()) << "a numbered board waits for all 61 bytes";
}
