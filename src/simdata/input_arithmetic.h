// The arithmetic of input events, apart from the tables and the simulator:
// analog scaling, steps with a limit or a wrap-around range, encoder step
// counts and skips, switch-group positions.
#pragma once

#include <string_view>
#include <vector>

// The most steps one encoder message counts: boards send 1 to 127 in one
// byte; a byte of 128 or more (no board sends one) counts as 127.
inline constexpr unsigned kMaxEncoderSteps = 127;
unsigned EncoderStepCount(char byte);

// A board's analog reading (0 to 1000 and a little beyond) mapped onto the
// input's range [lo, hi]; squared first when the input's default is 2 (the
// Q directive). An input without two range values maps onto [0, 1].
float AnalogValue(float reading, float inputDefault, const std::vector<float>& range);

// One step of a step input from cur: dir +1 or -1 times stepSize. With one
// range value that is a limit, tested before stepping: false (no write) when
// cur already stands at or beyond it. With two it is a wrap-around range.
bool StepValue(float cur, int dir, float stepSize, const std::vector<float>& range, float* out);

// An encoder skip pair (n, counter): a message of count steps. Returns false
// when the input does nothing for this message; otherwise count is the
// number of steps to make.
bool ApplySkip(int n, int& counter, unsigned& count);

// The next position of a switch group whose head holds 10 * members +
// position: 1, 2 ... members, then 1 again.
int AdvanceGroup(int mode);

// Mode arithmetic of the mode-change directives, kept within int.
int ClampToInt(long long value);

// A finite number at the start of text, read in the "C" locale; false when
// text begins with no number.
bool ReadEventNumber(std::string_view text, float* value);
