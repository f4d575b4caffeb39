// What the plugin does when a board identifies itself, and when a board
// switches its outputs on or off.
#pragma once

#include <string>

#include "base/message_source.h"

// An identification message ("|" and more than 3 characters in all) from
// source; source.port follows its port when the registration closes others.
void HandleIdentification(const std::string& message, MessageSource& source);

// The control requests "w" and "x" of board b; "w" may send the board's mode
// messages back to source.
void OutputsOn(unsigned b, const MessageSource& source);
void OutputsOff(unsigned b);

// A firmware library version byte as text: 131 gives "1.31".
std::string VersionText(unsigned version);
