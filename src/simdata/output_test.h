// The output test: for a few seconds every LED output, every LED of the LED
// port and every 7-segment display of every board shows lit (all segments
// and points: 8s), through the ordinary output messages; then every board
// gets all its outputs again and shows the simulator's values. Steppers,
// servos, PWM and the other outputs go on showing the simulator's values
// throughout, so nothing moves.
#pragma once

#include <cstddef>

struct BoardOutput;

struct OutputTestState {
    bool running = false;  // as of the last UpdateOutputTest
};

extern OutputTestState outputTest;

// Once per cycle, before the output pass: the test runs while now (the
// simulator's elapsed time) is below the time the command set. When it
// stops, every board is sent everything again.
void UpdateOutputTest(double now);

// What the panel shows for such an output during the test: "1" for an LED,
// as many 8s as the display has digits for a display.
struct PanelTestText {
    const char* text = nullptr;
    std::size_t length = 0;
};
PanelTestText PanelTestTextOf(const BoardOutput& out);
