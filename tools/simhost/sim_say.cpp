#include "sim_say.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace kestrix_sim {

void Say(const char* format, ...) {
    char buffer[4096];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    std::string text = buffer;
    if (!text.empty() && text.back() == '\n') text.pop_back();
    std::fprintf(stderr, "\n%s", text.c_str());
    std::fflush(stderr);
}

void EndOutput() {
    std::fputs("\n", stderr);
    std::fflush(stderr);
}

}  // namespace kestrix_sim
