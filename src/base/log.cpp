#include "base/log.h"

#include <cstdio>

void Log(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

std::string Decimal(long long value) {
    return std::to_string(value);
}
