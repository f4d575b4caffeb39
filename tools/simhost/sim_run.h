// One kestrix-sim run: a simulator folder, one plugin, a number of frames.
#pragma once

#include <csignal>

#include "sim_options.h"

namespace kestrix_sim {

// Loads, starts and enables the plugin, runs the frames with the scheduled
// menu choices and messages, then disables, stops and unloads it. Ends early
// and cleanly once *stopRequested is set. Returns the process exit code.
int RunSimulation(const SimOptions& options, const volatile std::sig_atomic_t* stopRequested);

}  // namespace kestrix_sim
