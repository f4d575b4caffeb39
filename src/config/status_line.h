// A board's line in the status window, for example
// "2. USB Kestrix Board #3,   14 inputs,   9 outputs".
#pragma once

#include <string>

#include "config/board_tables.h"

// The line's start (number and address) while the board is read, and the
// scanning line after the last board's line while scanning goes on.
void StartBoardStatusLine(int n, const std::string& address);

// The whole line once the board is read.
void FinishBoardStatusLine(int n, const std::string& address, const Board& board);

std::string BoardStatusText(int n, const std::string& address, const Board& board);
