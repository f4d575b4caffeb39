// The plugin's heartbeat, called by the simulator every 0.025 seconds.
#pragma once

inline constexpr float kCycleInterval = 0.025f;

// Messages one source may deliver in one cycle before the next source's turn;
// the rest wait in the driver for the next cycle. Far above what any board
// sends in 0.025 seconds.
inline constexpr int kMaxMessagesPerSource = 256;

float MyFlightLoopCallback(float elapsedSinceLastCall, float elapsedTimeSinceLastFlightLoop,
                           int counter, void* refcon);
