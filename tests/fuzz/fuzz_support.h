// What the fuzz targets share: the simulator stand-in with its tables of
// real datarefs and commands, and the plugin's process-wide state put back
// before every input, so that an input does the same whenever it runs and a
// crash input found in a long run reproduces on its own.
#pragma once

#include <string>

namespace fuzz {

// Forgets everything the stand-in holds (dataref values, command counts,
// widgets, the lines given to XPLMDebugString) and loads its tables again.
void FreshSimulator();

// FreshSimulator, then the plugin as a reconnect leaves it, but with nothing
// opened: no socket (LAN replies fail), no serial descriptor. The status
// window is built again and the parser's board lines go to it.
void FreshPlugin();

// The whole content of a file, or an empty text when it cannot be read.
std::string ReadWholeFile(const std::string& path);

}  // namespace fuzz
