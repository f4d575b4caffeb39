// The configuration text a self-configuring board carries, read from a file
// written like a board section of data.cfg ("[A]", "[I]", "[O]" and their
// lines).
#pragma once

#include <string>

namespace vboard {

// Lines trimmed of spaces, tabs and carriage returns (the plugin skips a line
// that begins with a blank and keeps a carriage return inside the last
// token), blank lines and "#" comment lines dropped, joined by "\n".
std::string PreparePanelText(const std::string& fileText);

// Why the plugin could not take this text as a self-configuring board's
// identification, or empty when it can.
std::string PanelTextProblem(const std::string& text);

// PreparePanelText of the file, checked with PanelTextProblem.
bool LoadPanelText(const std::string& path, std::string* text, std::string* error);

}  // namespace vboard
