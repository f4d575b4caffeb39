// Problems the user has to hear about, but only once: a board that asks for
// its configuration every second, or a device the scan meets again and
// again, must not fill Log.txt. Each problem is logged under a cause (for
// example the device path, or the board number); the same cause stays quiet
// until it is forgotten, by a reset or by a new read of data.cfg.
#pragma once

#include <string>

// True the first time cause is met since it was last forgotten; it is
// remembered from then on. The number of causes remembered is bounded: past
// the bound every new cause counts as met.
bool FirstTimeFor(const std::string& cause);

// Writes text (Log) unless cause has been logged since it was last
// forgotten; true when it wrote. The number of causes remembered is
// bounded: past the bound nothing new is written.
bool LogOnce(const std::string& cause, const std::string& text);

// Forgets every cause that begins with prefix (all of them for "").
void ForgetLoggedCauses(const std::string& prefix = "");
