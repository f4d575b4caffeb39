// Inputs held down: a command begun on the press and ended on the release,
// a dataref written again every cycle while its button is held (at once for
// hold inputs, after a pause for the R directive's repeating ones), and
// outputs overridden while a link to them is held. Entries name their board
// and input by index, in the order they were pressed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct HeldInput {
    unsigned board = 0;
    unsigned input = 0;
    int counter = 0;         // cycles held, for the repeat delay
    std::string releaseKey;  // the token that releases it ("D25-")
};

extern std::vector<HeldInput> heldInputs;

// Whether any board holds an input with this release key.
bool IsHeld(std::string_view releaseKey);
void HoldInput(unsigned b, unsigned i, std::string_view releaseKey);

// A one-token message of board b: releases the first held input it matches.
void ReleaseHeldInput(unsigned b, std::string_view token);

// Board b has gone away: every input it holds is let go, as if released,
// so that no command stays begun and no value keeps repeating.
void ReleaseHeldInputsOf(unsigned b);

// The repeat step, once per cycle after the cycle's messages.
void ServeHeldInputs();

// The reset: every begun command is ended, and the list emptied (the board
// indices it names are about to be given out again).
void ReleaseAllHeldInputs();
