#include "simdata/mode_message.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "config/board_tables.h"
#include "simdata/output_engine.h"
#include "simdata/output_records.h"
#include "transport/reply.h"

namespace {

void AppendFloat(uint8_t* out, float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(bits >> (8 * i));
}

}  // namespace

void SendMode(const MessageSource& source, unsigned b, unsigned m, unsigned value, unsigned mode) {
    Board& board = Boards.at(b);
    const std::vector<std::string>& line = board.OutputModeLed.at(m);
    if (line.empty() || line[0].size() < 2) return;
    // The key is the pin byte and, as its last character, the letter; the
    // upload reads the letter there too.
    const uint8_t pin = static_cast<uint8_t>(line[0][0]);
    const char letter = line[0].back();
    uint8_t* omsg = output.omsg;
    if (letter == 'l') {
        board.LedPortSend = true;
        // The same LED numbering as the outputs': both share the port bytes.
        SetLedPortLed(board, static_cast<signed char>(pin), value == mode);
        return;
    }
    omsg[0] = '{';
    omsg[2] = pin;
    if (letter == 'L') {
        omsg[1] = 2;
        omsg[3] = value == mode ? ')' : '(';
        output.oln = 4;
    } else {
        omsg[1] = 6;
        omsg[3] = static_cast<uint8_t>(letter);
        AppendFloat(omsg + 4, static_cast<float>(value));
        output.oln = 8;
    }
    ReplyToSource(source, omsg, static_cast<std::size_t>(output.oln));
}
