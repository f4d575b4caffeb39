// What a simulator name in data.cfg means beyond the handle it resolves to.
#pragma once

#include <string>

// Commands held for as long as their input is held (pressed on one edge,
// released on the other) instead of fired once: starters, ignition and the
// annunciator tests.
bool CommandIsHold(const std::string& name);

// Marks the plugin-owned dataref of this exact name as shown by some output,
// so that its value is computed; names the plugin does not own do nothing.
void AddCustomRef(const std::string& name);
