// kestrix-sim's lines for what the plugin does to the simulator: every
// dataref write and every command it runs, with the virtual time. A line
// repeated frame after frame (a held button) is printed once, then counted.
#pragma once

#include <cstddef>
#include <string>

#include "simhost.h"

namespace kestrix_sim {

// "dataref sim/a/b = 5", "dataref sim/a/c[2] = 0.25", "command sim/x begin".
std::string DescribeWrite(const simhost::DataRefWrite& write);
std::string DescribeCommand(const std::string& name, simhost::CommandCall call);

class ActionPrinter {
  public:
    ActionPrinter();   // starts watching
    ~ActionPrinter();  // stops watching and prints the last count
    ActionPrinter(const ActionPrinter&) = delete;
    ActionPrinter& operator=(const ActionPrinter&) = delete;

  private:
    void Print(const std::string& text);
    void FlushRepeats();

    std::string last_;
    std::size_t repeats_ = 0;
};

}  // namespace kestrix_sim
