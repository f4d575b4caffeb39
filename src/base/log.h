// Diagnostics go to two places. The standard error stream gets short texts
// that begin with a newline and do not end with one, unbuffered, as they
// are. The simulator's Log.txt, which is what users read and send when they
// ask for help, gets the same through XPLMDebugString the way plugin logs
// look there: one line per line of text, prefixed "Kestrix: " and ending in
// a newline, without the blank lines the leading newlines would make.
#pragma once

#include <cstddef>
#include <string>

void Log(const std::string& text);

// As Log, for a text of many lines that belong together (what is wrong in a
// board's section of data.cfg): standard error gets it in one write and
// Log.txt in one XPLMDebugString call, which the simulator writes out at
// once, rather than one write per line.
void LogTogether(const std::string& text);

// Only the simulator's log: each non-empty line of text as one prefixed
// line. Fixed buffers, no allocation, so it works when memory has run out;
// a line longer than a buffer continues on further prefixed lines.
void WriteSimulatorLog(const char* text, std::size_t length) noexcept;

// perror(prefix), and the same line in the simulator's log.
void LogSystemError(const char* prefix) noexcept;

// Decimal text of a number, independent of the process locale.
std::string Decimal(long long value);
