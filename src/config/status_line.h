// A board's line in the status window, for example
// "2. USB Kestrix Board #3,   14 inputs,   9 outputs", shown through the
// status-line sink (config/status_sink.h).
#pragma once

#include <string>

#include "config/board_tables.h"

// Index of the status line last given to a board; the line after it is the
// scanning line. Every new board and every firmware-version warning takes
// the next line; 0 after a reset.
extern int message_line_number;

// The line's start (number and address) while the board is read, and the
// scanning line after the last board's line while scanning goes on.
void StartBoardStatusLine(int n, const std::string& address);

// The whole line once the board is read.
void FinishBoardStatusLine(int n, const std::string& address, const Board& board);

std::string BoardStatusText(int n, const std::string& address, const Board& board);

// The board's line up to its counts, as the log names the board:
// "2. USB Kestrix Board #3".
std::string BoardLineHead(const Board& board);

// Asks for the status window once a board has been read (WINDOW_ON_CONNECT).
void ShowStatusWindowOnConnect();
