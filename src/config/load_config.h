// Finds the aircraft's data.cfg and cuts it into one text per board section.
#pragma once

#include <cstddef>
#include <istream>
#include <vector>

// Where the stored lines of one board section came from in data.cfg.
struct SectionLines {
    std::size_t header = 0;           // line number of its "*" line
    std::vector<std::size_t> stored;  // line number of each non-empty stored line
    // Non-empty lines of the section that were not stored: before its first
    // section header, or in a section numbered 0 (info blocks excluded).
    std::vector<std::size_t> outside;
};

// Reads data.cfg beside the user's aircraft, or the plugin folder's when
// there is none, into ArduinoConfigFile / ArduinoID, and says in the log
// which file it read, or that it fell back, or that there is none.
void LoadConfig();

// Where the lines of each section of the file LoadConfig read came from,
// parallel to ArduinoConfigFile.
const std::vector<SectionLines>& LoadedSectionLines();

// The causes (base/log_once.h) of what is logged about the data.cfg read
// last begin with this; each read forgets them.
inline constexpr const char* kDataCfgCause = "data.cfg ";

// Cuts an open data.cfg into ArduinoConfigFile / ArduinoID. When lines is
// given it receives, per section, where its lines came from (line numbers
// from 1), so that a report can name them.
void CutConfigSections(std::istream& file, std::vector<SectionLines>* lines = nullptr);
