#include "base/text.h"

#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdlib>
#if defined(__APPLE__)
#include <xlocale.h>
#endif

namespace {

bool IsSeparator(char c, char sep) {
    return c == sep || (sep == ' ' && c == '\t');
}

bool IsTrimmed(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

locale_t ClassicCLocale() {
    static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return c;
}

}  // namespace

std::vector<std::string> SplitBy(const std::string& s, char sep) {
    std::vector<std::string> tokens;
    std::size_t i = 0;
    const std::size_t n = s.size();
    while (i < n) {
        while (i < n && IsSeparator(s[i], sep)) ++i;
        std::size_t start = i;
        while (i < n && !IsSeparator(s[i], sep)) ++i;
        if (i > start) tokens.emplace_back(s, start, i - start);
    }
    return tokens;
}

std::string Trim(const std::string& s) {
    std::size_t begin = 0, end = s.size();
    while (begin < end && IsTrimmed(s[begin])) ++begin;
    while (end > begin && IsTrimmed(s[end - 1])) --end;
    return s.substr(begin, end - begin);
}

double Atof(const std::string& text) {
    return strtod_l(text.c_str(), nullptr, ClassicCLocale());
}

int Atoi(const std::string& text) {
    errno = 0;
    long value = std::strtol(text.c_str(), nullptr, 10);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}
