// What the plugin does when a board identifies itself, and when a board
// switches its outputs on or off.
#pragma once

#include <string>

// An identification message ("|" and more than 3 characters in all).
void HandleIdentification(const std::string& message);

// The control requests "w" and "x" of board b.
void OutputsOn(unsigned b);
void OutputsOff(unsigned b);

// A firmware library version byte as text: 131 gives "1.31".
std::string VersionText(unsigned version);
