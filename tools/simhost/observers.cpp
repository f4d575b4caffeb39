// The observers of dataref writes and command calls made through the SDK.
#include "observers.h"

#include <utility>

namespace simhost {
namespace detail {
namespace {

struct Observers {
    std::function<void(const DataRefWrite&)> writes;
    std::function<void(const std::string&, CommandCall)> commands;
};

Observers& State() {
    static Observers observers;
    return observers;
}

}  // namespace

bool WatchingWrites() {
    return static_cast<bool>(State().writes);
}

void NotifyDataRefWrite(const DataRefWrite& write) {
    // A copy: the observer may replace itself.
    auto observer = State().writes;
    if (observer) observer(write);
}

void NotifyCommandCall(const std::string& name, CommandCall call) {
    auto observer = State().commands;
    if (observer) observer(name, call);
}

void ResetObservers() {
    State() = Observers();
}

}  // namespace detail

void SetDataRefWriteObserver(std::function<void(const DataRefWrite&)> observer) {
    detail::State().writes = std::move(observer);
}

void SetCommandObserver(std::function<void(const std::string& name, CommandCall call)> observer) {
    detail::State().commands = std::move(observer);
}

}  // namespace simhost
