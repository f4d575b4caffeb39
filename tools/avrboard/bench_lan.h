// kestrix-firmware-bench's figures for a LAN board: the firmware with its
// Ethernet shield (the W5500 model, address fixed in EEPROM), the bench
// playing the plugin straight into the chip's socket and reading what the
// chip sends, so no socket of this machine is used.
#pragma once

#include <string>
#include <vector>

namespace avrboard {

class EmulatedBoard;

// The configuration upload of the largest board, on USB or on the LAN.
std::string BenchUpload(bool lan);

// The plugin's messages that configure the largest board the shield leaves:
// the upload and the analog, 7-segment and stepper settings.
std::vector<std::string> LanBenchConfiguration();
// The emulated cycles of one pass of the main loop, over this long.
double CyclesPerPass(EmulatedBoard& board, double seconds);

// Prints the figures; usbIdlePass is CyclesPerPass of a USB board with the
// same configuration, idle. False when the board would not run.
bool RunLanBench(const std::string& firmware, double usbIdlePass);

}  // namespace avrboard
