// kestrix-sim's own lines. They go to standard error in the plugin's own
// convention (each text begins with a newline and does not end with one), so
// the plugin's diagnostics and the program's lines never run into each other.
#pragma once

namespace kestrix_sim {

// printf-style; a trailing newline in the format is dropped.
void Say(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Ends the last line at exit.
void EndOutput();

}  // namespace kestrix_sim
