#include "protocol/dispatch.h"

#include "protocol/discovery.h"
#include "protocol/identification.h"
#include "protocol/protocol_state.h"
#include "protocol/upload.h"
#include "simdata/input_events.h"

namespace {

// "~" and one letter from a board that identified itself and was configured
// from this very source.
void HandleControlRequest(char request) {
    int b = ConnectionExists(false);
    if (!SourceOwnsBoard(b)) return;
    const unsigned board = static_cast<unsigned>(b);
    switch (request) {
        case 'w':
            OutputsOn(board);
            break;
        case 'x':
            OutputsOff(board);
            break;
        case 'a':
            SendAnalogSettings(board);
            break;
        case 'n':
            SendSevenSegmentSettings(board);
            break;
        case 's':
            SendStepperSettings(board);
            break;
        default:
            break;
    }
}

// A source that holds an index without owning that board registered with a
// message that configured nothing; its events must not reach the tables.
bool FromUnconfiguredSource() {
    int b = ConnectionExists(false);
    return b >= 0 && !SourceOwnsBoard(b);
}

}  // namespace

void DispatchMessage(const std::string& message) {
    discovery.splitpair.clear();
    if (message.empty()) return;
    if (message[0] == '|') {
        if (message.size() > 3) HandleIdentification(message);
        return;
    }
    if (message.size() < 3) {
        if (message.size() == 2 && message[0] == '~') HandleControlRequest(message[1]);
        return;
    }
    if (FromUnconfiguredSource()) return;
    HandleInputEvent(message);
}
