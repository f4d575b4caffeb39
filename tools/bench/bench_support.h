// What every benchmark file shares: the simulator stand-in's name tables and
// builders for the texts a board may send.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace bench {

// The largest text one board can send in one piece: the size of the LAN
// receive buffer and of a serial message.
inline constexpr std::size_t kLargestBoardText = 81920;

// Loads the project's copies of the simulator's DataRefs.txt and
// Commands.txt, so names resolve as they would in the simulator.
void LoadSimulatorTables();

// Appends piece(0), piece(1), ... to text, each followed by end, while the
// text stays within size bytes.
std::string FillTo(std::string text, std::size_t size,
                   const std::function<std::string(std::size_t)>& piece,
                   const std::string& end = "\n");

// The text of board section `board` of the shipped examples/data.cfg.
std::string ExampleBoardText(unsigned board);

}  // namespace bench
