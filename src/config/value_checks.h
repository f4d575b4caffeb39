// Warnings about numbers a board cannot use as written: pins beyond the
// pin-mode table a numbered board is sent, and values cut to the byte or the
// 16 bits they are stored in. The values themselves are kept as the board
// text has them; only the report (kestrix-check) hears about them.
#pragma once

#include <string>

#include "config/parse_context.h"

// Warns when value does not fit a byte; returns whether it does.
bool CheckByte(const TextLine& line, const std::string& what, long long value);

// Warns when value does not fit 16 bits; returns whether it does.
bool CheckWord(const TextLine& line, const std::string& what, long long value);

// On a numbered board, warns when value is a pin beyond the pin-mode table
// (above 53). A self-configuring board is never sent the table.
void CheckPin(const ParseContext& parse, const TextLine& line, const std::string& what,
              long long value);

// A pin that is stored in a byte: one warning, for the byte or for the pin.
void CheckPinByte(const ParseContext& parse, const TextLine& line, const std::string& what,
                  long long value);

// The pin an input's key (after rewriting) gives the pin-mode table, as the
// upload reads it: D and E keys only. Warns about a key that gives no pin or
// a pin beyond the table.
void CheckInputPin(const ParseContext& parse, const TextLine& line, const std::string& key);
