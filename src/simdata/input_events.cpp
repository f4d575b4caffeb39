#include "simdata/input_events.h"

#include <string_view>

#include "XPLMUtilities.h"
#include "config/board_tables.h"
#include "simdata/held_inputs.h"
#include "simdata/input_arithmetic.h"
#include "simdata/input_event.h"
#include "simdata/input_monitor.h"
#include "simdata/local_directives.h"
#include "simdata/refused_events.h"
#include "simdata/write_to_xplane.h"

namespace {

constexpr unsigned kNoGroup = ~0u;

// What one message acts with: its board, its tokens, the token as rewritten
// by a switch group, and the group found.
struct EventContext {
    unsigned b = 0;
    InputEvent event;
    const MessageSource* source = nullptr;
    unsigned group = kNoGroup;
};

// The rewritten token's storage, kept between messages so that it is not
// allocated again.
std::string rewritten;

bool IsGroupKind(char kind) {
    return kind == 'D' || kind == 'B';
}

unsigned StepCount(const InputEvent& event) {
    if (KindOf(event) != 'E' || !event.hasValue) return 1;
    return EncoderStepCount(event.value[0]);
}

void OneShot(EventContext& ctx, unsigned i) {
    BoardInput& in = Boards[ctx.b].Inputs[i];
    const int an = in.InputArrayNum;
    if (an < 0) {
        MonitorNoteDirective(in);
        RunLocalDirective(ctx.b, i, *ctx.source);
        return;
    }
    unsigned count = StepCount(ctx.event);
    if (in.InputSkip.size() >= 2 && !ApplySkip(in.InputSkip[0], in.InputSkip[1], count)) return;
    WriteToXPlane(ctx.b, i, an, count, ctx.event);
    if (ctx.group != kNoGroup && IsGroupKind(KindOf(ctx.event))) {
        int& mode = Boards[ctx.b].Inputs[ctx.group].Mode;
        mode = AdvanceGroup(mode);
    }
}

// The key that releases a hold pressed with token: an analog token itself
// (unless it ends in "+"), otherwise the token with "-" as its state.
std::string_view ReleaseKeyOf(std::string_view token) {
    if (token[0] == 'A' && token.back() != '+') return token;
    static std::string key;
    key.assign(token.data(), token.size() - 1);
    key += '-';
    return key;
}

void PressToHold(EventContext& ctx, unsigned i) {
    const std::string_view key = ReleaseKeyOf(ctx.event.token);
    if (IsHeld(key)) {
        OneShot(ctx, i);
        return;
    }
    HoldInput(ctx.b, i, key);
    BoardInput& in = Boards[ctx.b].Inputs[i];
    if (in.InputArrayNum == 0) {
        MonitorNoteCommand(in, "begun", 1);
        XPLMCommandBegin(static_cast<XPLMCommandRef>(in.InputDataPointer));
    } else if (in.InputArrayNum > 0) {
        OneShot(ctx, i);
    } else {
        if (in.InputIncrementDir >= 0) MarkLinkedOutputs(Boards[ctx.b], in, "!");
        MonitorNoteDirective(in);
        RunLocalDirective(ctx.b, i, *ctx.source);
    }
}

void Act(EventContext& ctx, unsigned i) {
    if (i >= Boards[ctx.b].Inputs.size()) return;
    MonitorNoteMatch();
    const std::string_view token = ctx.event.token;
    const bool press = token.back() == '+' || token[0] == 'A';
    if (Boards[ctx.b].Inputs[i].Contval >= 0 && press) {
        PressToHold(ctx, i);
    } else {
        OneShot(ctx, i);
    }
}

// The group head's position goes into the token before its state
// character: "D30+" at position 2 becomes "D30/2+".
void RewriteForGroup(EventContext& ctx, int mode) {
    const std::string_view token = ctx.event.token;
    // A head's Mode is 1 or more, so the position is never negative.
    unsigned position = static_cast<unsigned>(IsGroupKind(token[0]) ? mode % 10 : mode);
    char digits[16];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + position % 10);
        position /= 10;
    } while (position > 0);
    rewritten.assign(token.data(), token.size() - 1);
    rewritten += '/';
    while (n > 0) rewritten += digits[--n];
    rewritten += token.back();
    ctx.event.token = rewritten;
}

// Every input whose key equals the token acts, in input order. The first
// input on the way that heads a switch group of the token's key rewrites
// the token with the group's position; inputs after it are compared with
// the rewritten token.
void MatchAndAct(EventContext& ctx) {
    const Board& board = Boards[ctx.b];
    const std::string_view token = ctx.event.token;
    const InputIndexSpan keyed = InputsWithKey(board.inputLookup, token);
    const InputIndexSpan heads =
        GroupHeadCandidates(board.inputLookup, token.substr(0, token.size() - 1));
    const uint32_t* k = keyed.begin();
    const uint32_t* h = heads.begin();
    while (k != keyed.end() || h != heads.end()) {
        if (h != heads.end() && (k == keyed.end() || *h < *k)) {
            const uint32_t head = *h++;
            if (head >= board.Inputs.size() || board.Inputs[head].Mode < 1) continue;
            ctx.group = head;
            RewriteForGroup(ctx, board.Inputs[head].Mode);
            for (uint32_t i : InputsWithKey(board.inputLookup, ctx.event.token)) {
                if (i >= head) Act(ctx, i);
            }
            return;
        }
        Act(ctx, *k++);
    }
}

}  // namespace

void HandleInputEvent(const std::string& message, const MessageSource& source, int ownBoard) {
    if (message.empty()) return;
    const int c = static_cast<signed char>(message[0]);
    if (ownBoard < 0 || c != ownBoard + 1 || static_cast<std::size_t>(ownBoard) >= Boards.size()) {
        CountRefusedInputEvent();
        MonitorRefusedEvent();
        return;
    }
    EventContext ctx;
    ctx.b = static_cast<unsigned>(ownBoard);
    ctx.source = &source;
    if (!SplitInputEvent(std::string_view(message).substr(1), &ctx.event)) return;
    MonitorEventBegin(Boards[ctx.b], ctx.event);
    if (!ctx.event.hasValue) ReleaseHeldInput(ctx.b, ctx.event.token);
    MatchAndAct(ctx);
    MonitorEventEnd();
}
