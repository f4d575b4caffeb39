// Every function the simulator calls into (entry points, flight loops, menu,
// widget and command handlers, dataref accessors) runs its body through
// Guarded, so that no exception ever crosses into the simulator: a fault is
// logged and the call returns its fallback value.
#pragma once

#include <exception>
#include <utility>

void LogGuardedFault(const char* where, const char* what) noexcept;

template <typename Result, typename Body>
Result Guarded(const char* where, Result fallback, Body&& body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (const std::exception& e) {
        LogGuardedFault(where, e.what());
    } catch (...) {
        LogGuardedFault(where, "unknown exception");
    }
    return fallback;
}

template <typename Body>
void Guarded(const char* where, Body&& body) noexcept {
    try {
        std::forward<Body>(body)();
    } catch (const std::exception& e) {
        LogGuardedFault(where, e.what());
    } catch (...) {
        LogGuardedFault(where, "unknown exception");
    }
}
