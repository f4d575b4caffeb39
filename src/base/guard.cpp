#include "base/guard.h"

#include <cstdio>
#include <cstring>

#include "base/log.h"

void LogGuardedFault(const char* where, const char* what) noexcept {
    // Fixed buffers and plain stdio: this must work even when memory has run
    // out.
    char line[512];
    std::snprintf(line, sizeof line, "%s abandoned: %s", where ? where : "?", what ? what : "?");
    std::fprintf(stderr, "\nKestrix: %s", line);
    std::fflush(stderr);
    WriteSimulatorLog(line, std::strlen(line));
}
