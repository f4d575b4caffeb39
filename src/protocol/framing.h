// Cutting one message out of a serial port's stream. Each message arrives
// as "{" text "}"; bytes outside a pair of braces are noise.
#pragma once

#include <cstddef>
#include <string>

// The longest message a port may build up: as long as the largest datagram
// the LAN accepts, which holds any configuration text a board can send.
inline constexpr std::size_t kMaxSerialMessage = 81920;

// Takes the next complete message out of buffer into *message (left empty
// for an empty pair or a closing brace with no opening one) and returns true;
// returns false when the buffer holds no "}" yet. The text after the last
// "{" before the first "}" is the message; everything up to and including
// that "}" leaves the buffer.
bool CutSerialMessage(std::string& buffer, std::string* message);

// Drops what can never become part of a message from a buffer that holds no
// "}" (all before its last "{", or all of it without one), and a partial
// message longer than kMaxSerialMessage.
void DropSerialNoise(std::string& buffer);
