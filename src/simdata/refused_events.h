// Input events from a sender that may not drive the board they name: a host
// that never identified itself as a board, a source without tables, or a
// board naming another board's index (a board still sending after a
// Reconnect gave its old index to another). They are dropped and counted;
// the count reaches the log at most once a second, so a flood cannot flood
// the log as well.
#pragma once

#include <cstdint>

struct RefusedEvents {
    uint64_t count = 0;          // dropped since the last report
    double lastReport = -1e300;  // simulator time of the last report, seconds
};

extern RefusedEvents refusedEvents;

void CountRefusedInputEvent();

// Once per cycle: reports the count when there is one and a second has
// passed since the last report; now is the simulator's elapsed time.
void ReportRefusedInputEvents(double now);
