#include "protocol/dispatch.h"

#include "protocol/discovery.h"
#include "protocol/identification.h"
#include "protocol/protocol_state.h"
#include "protocol/upload.h"
#include "simdata/input_events.h"

namespace {

// "~" and one letter from a board that identified itself and was configured
// from this very source.
void HandleControlRequest(char request, MessageSource& source) {
    int b = ConnectionExists(source, false);
    if (!SourceOwnsBoard(b, source)) return;
    const unsigned board = static_cast<unsigned>(b);
    switch (request) {
        case 'w':
            OutputsOn(board, source);
            break;
        case 'x':
            OutputsOff(board);
            break;
        case 'a':
            SendAnalogSettings(board, source);
            break;
        case 'n':
            SendSevenSegmentSettings(board, source);
            break;
        case 's':
            SendStepperSettings(board, source);
            break;
        default:
            break;
    }
}

// The board this source identified itself as and was configured from, or
// -1: a source that never identified itself, or one that holds an index
// whose rows another source's board filled (it registered with a message
// that configured nothing).
int BoardOwnedBy(MessageSource& source) {
    int b = ConnectionExists(source, false);
    return SourceOwnsBoard(b, source) ? b : -1;
}

}  // namespace

void DispatchMessage(const std::string& message, MessageSource& source) {
    discovery.splitpair.clear();
    if (message.empty()) return;
    if (message[0] == '|') {
        if (message.size() > 3) HandleIdentification(message, source);
        return;
    }
    if (message.size() < 3) {
        if (message.size() == 2 && message[0] == '~') HandleControlRequest(message[1], source);
        return;
    }
    HandleInputEvent(message, source, BoardOwnedBy(source));
}
