// How the SDK functions reach the observers of simhost.h.
#pragma once

#include <string>

#include "simhost.h"

namespace simhost::detail {

// Whether a write observer is set: the SDK functions build a report only then.
bool WatchingWrites();
void NotifyDataRefWrite(const DataRefWrite& write);
void NotifyCommandCall(const std::string& name, CommandCall call);
// Both observers off (simhost::Reset).
void ResetObservers();

}  // namespace simhost::detail
