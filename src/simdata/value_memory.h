// Memory buttons: an "M" event keeps the current value of a dataref, with a
// short history, in a text file of the plugin folder; a "P" event writes the
// kept values back, newest first, one per press. The M and P inputs of one
// key remainder (M12+ and P12+ share "12+") share one line of the file.
#pragma once

#include <string>
#include <vector>

// "<plugin folder>/memory<board>.txt".
std::string MemoryPath(unsigned board);

// A value as the file holds it: the default double format (six significant
// digits), whatever the process locale.
std::string FormatMemoryValue(float value);

// The file's text after saving valueText under key, keeping at most keep
// values on that line (at least the new one). Every line ends in "\r\n".
std::string TextAfterSave(const std::string& text, const std::string& key,
                          const std::string& valueText, float keep);

// The values kept under key, newest first; false when no line has the key.
bool ValuesUnder(const std::string& text, const std::string& key, std::vector<std::string>* values);

// Both act on input `input` of board `board` and its dataref element.
void SaveDataref(unsigned board, unsigned input, unsigned element);
void RestoreDataref(unsigned board, unsigned input, unsigned element);
