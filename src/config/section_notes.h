// A board's section of data.cfg read into its rows, and what the user has to
// hear about the section's lines: each line the parser skipped or could not
// resolve, by its line number in the file, in the wording kestrix-check
// uses. Said once per section and read of data.cfg, however often the board
// identifies itself.
#pragma once

#include <cstddef>

#include "base/message_source.h"

// Reads section k of the data.cfg read last (ArduinoConfigFile[k]) as board
// b with board number id.
void ReadConfigSection(std::size_t k, std::size_t b, unsigned id, const MessageSource& source);
