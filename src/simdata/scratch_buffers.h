// Scratch buffers shared by everything in the plugin that reads or writes
// datarefs: typed dataref access keeps its last value in element 0, and the
// output engine reads whole arrays (for the panel) and byte data into them.
// Process-wide, never freed; a value is valid only until the next use of
// the same buffer.
#pragma once

#include <cstddef>
#include <cstdint>

// Elements each buffer holds; more array elements than this are not read.
inline constexpr std::size_t kScratchElements = 1024;

extern int ReadI[kScratchElements];
extern float ReadF[kScratchElements];
extern double ReadD[kScratchElements];
extern char ReadC[kScratchElements];
