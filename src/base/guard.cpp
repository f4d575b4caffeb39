#include "base/guard.h"

#include <cstdio>

void LogGuardedFault(const char* where, const char* what) noexcept {
    // Plain stdio: this must work even when memory has run out.
    std::fprintf(stderr, "\nKestrix: %s abandoned: %s", where, what);
    std::fflush(stderr);
}
