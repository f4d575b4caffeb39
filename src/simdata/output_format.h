// The text of an output value: what the change test compares and what a
// 7-segment display or the panel shows. Independent of the process locale,
// and without allocating.
#pragma once

#include <cstddef>

// Room for every text FormatOutputValue writes, terminator included.
inline constexpr std::size_t kFormattedSize = 32;

// Writes v with six significant digits in the shorter of fixed and exponent
// form (as printf's %g), then cut to precision p digits after the point: a
// negative p also drops whole digits and writes zeros in their place
// (1234.5 with -2 gives 1230), and p = 0 keeps the point ("12."). The digits
// are cut, not rounded. Exponent forms (tiny or huge values) become "0.0", a
// negative zero loses its sign. Returns the length; out is terminated.
std::size_t FormatOutputValue(double v, int p, char* out);

// The first step of it: v as printf's %g writes it with six significant
// digits, in no locale (kFormattedSize bytes at most, terminated). A value
// that is a float from 1e-4 to below 1e6 takes a quick exact path.
std::size_t WriteSixDigits(double v, char* out);
