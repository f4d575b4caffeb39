// Cutting the plugin's unframed serial stream, byte by byte, as the board does.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin_framing.h"

namespace {

std::string Upload() {
    std::string upload(61, '\0');
    upload[0] = '~';
    upload[3] = 'X';  // table bytes that look like message starts stay inside it
    upload[4] = '{';
    upload[60] = 1;
    return upload;
}

// Messages as they come out, noise bytes as "!" and the byte.
std::vector<std::string> Cut(const std::string& stream, uint8_t tildeLength) {
    kxfw::PluginFramer framer(tildeLength);
    std::vector<std::string> pieces;
    for (char c : stream) {
        kxfw::Framing framing = framer.Push(static_cast<uint8_t>(c));
        for (;;) {
            if (framing == kxfw::Framing::Noise) {
                pieces.push_back("!" + std::string(1, static_cast<char>(framer.noiseByte())));
            } else if (framing == kxfw::Framing::Complete) {
                pieces.emplace_back(reinterpret_cast<const char*>(framer.message()),
                                    framer.length());
            } else {
                break;
            }
            framing = framer.Continue();
        }
    }
    return pieces;
}

}  // namespace

TEST(firmwareFraming, StreamsAreCutByFirstByteAndLength) {
    const std::string text("T\x05hello", 7);
    const std::string output("{\x04\x0d)\x0c(", 6);
    const std::string longest = "T" + std::string(1, '\xff') + std::string(255, 'x');
    struct Row {
        std::string stream;
        uint8_t tilde;
        std::vector<std::string> pieces;
    } rows[] = {
        {"XPXXXR", 61, {"XP", "XX", "XR"}},
        {Upload() + "XP", 61, {Upload(), "XP"}},
        {std::string("~\0\0\0\0\0\x03", 7), 7, {std::string("~\0\0\0\0\0\x03", 7)}},
        {"XQP" + text + output, 61, {"!X", "!Q", "!P", text, output}},
        {"zXXN\x01\x04", 61, {"!z", "XX", std::string("N\x01\x04", 3)}},
        {longest + "XR", 61, {longest, "XR"}},
        {"A" + std::string(48, '\x65'), 61, {"A" + std::string(48, '\x65')}},
        {std::string("{\x00", 2) + "XX", 61, {std::string("{\x00", 2), "XX"}},
    };
    for (const Row& row : rows) EXPECT_EQ(Cut(row.stream, row.tilde), row.pieces);
}

TEST(firmwareFraming, AnUnfinishedMessageWaitsForItsLastByte) {
    EXPECT_TRUE(Cut(Upload().substr(0, 60), 61).empty());
    EXPECT_TRUE(Cut("N\x03\x01\x02", 61).empty());
}
