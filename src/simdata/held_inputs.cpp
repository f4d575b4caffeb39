#include "simdata/held_inputs.h"

#include "XPLMUtilities.h"
#include "config/board_tables.h"
#include "simdata/input_monitor.h"
#include "simdata/local_directives.h"
#include "simdata/write_to_xplane.h"

std::vector<HeldInput> heldInputs;

namespace {

// Cycles a repeating (R) input waits before it repeats.
constexpr int kRepeatDelayCycles = 15;

bool IsAnalogWithoutRelease(std::string_view key) {
    return !key.empty() && key[0] == 'A' && key.back() != '-';
}

// Analog keys are compared without their state character.
std::string_view Comparable(std::string_view key) {
    return IsAnalogWithoutRelease(key) ? key.substr(0, key.size() - 1) : key;
}

BoardInput* InputOf(const HeldInput& held) {
    if (held.board >= Boards.size() || held.input >= Boards[held.board].Inputs.size()) {
        return nullptr;
    }
    return &Boards[held.board].Inputs[held.input];
}

void EndHold(const HeldInput& held) {
    BoardInput* in = InputOf(held);
    if (in == nullptr) return;
    if (in->InputArrayNum == 0) {
        MonitorNoteCommand(*in, "ended", 1);
        XPLMCommandEnd(static_cast<XPLMCommandRef>(in->InputDataPointer));
    } else if (in->InputArrayNum < 0 && in->InputIncrementDir >= 0) {
        MarkLinkedOutputs(Boards[held.board], *in, "?");
    }
}

}  // namespace

bool IsHeld(std::string_view releaseKey) {
    for (const HeldInput& held : heldInputs) {
        if (held.releaseKey == releaseKey) return true;
    }
    return false;
}

void HoldInput(unsigned b, unsigned i, std::string_view releaseKey) {
    HeldInput held;
    held.board = b;
    held.input = i;
    held.releaseKey.assign(releaseKey.data(), releaseKey.size());
    heldInputs.push_back(std::move(held));
}

void ReleaseHeldInput(unsigned b, std::string_view token) {
    const bool analog = IsAnalogWithoutRelease(token);
    const std::string_view t = Comparable(token);
    for (std::size_t k = 0; k < heldInputs.size(); ++k) {
        const HeldInput& held = heldInputs[k];
        if (held.board != b || Comparable(held.releaseKey) != t) continue;
        // An analog input is released by a message whose last character
        // differs from the one that pressed it.
        if (analog && held.releaseKey.back() == token.back()) continue;
        EndHold(held);
        heldInputs.erase(heldInputs.begin() + static_cast<std::ptrdiff_t>(k));
        return;
    }
}

void ReleaseHeldInputsOf(unsigned b) {
    for (std::size_t k = heldInputs.size(); k-- > 0;) {
        if (heldInputs[k].board != b) continue;
        EndHold(heldInputs[k]);
        heldInputs.erase(heldInputs.begin() + static_cast<std::ptrdiff_t>(k));
    }
}

void ServeHeldInputs() {
    for (std::size_t k = 0; k < heldInputs.size(); ++k) {
        HeldInput& held = heldInputs[k];
        const BoardInput* in = InputOf(held);
        if (in == nullptr || in->InputArrayNum <= 0) continue;
        if (in->Contval == 1 || held.counter > kRepeatDelayCycles) {
            WriteToXPlane(held.board, held.input, in->InputArrayNum, 1, KeyOnlyEvent(in->Datatags));
        } else {
            ++held.counter;
        }
    }
}

void ReleaseAllHeldInputs() {
    for (const HeldInput& held : heldInputs) {
        const BoardInput* in = InputOf(held);
        if (in != nullptr && in->InputArrayNum == 0) {
            XPLMCommandEnd(static_cast<XPLMCommandRef>(in->InputDataPointer));
        }
    }
    heldInputs.clear();
}
