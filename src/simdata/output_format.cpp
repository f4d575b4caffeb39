#include "simdata/output_format.h"

#include <charconv>
#include <cstring>

namespace {

std::size_t Put(char* out, const char* text) {
    const std::size_t length = std::strlen(text);
    std::memcpy(out, text, length + 1);
    return length;
}

// "-0", "-0.", "-0.00": a minus sign in front of nothing but zeros.
bool IsNegativeZero(const char* text, std::size_t length) {
    if (length < 2 || text[0] != '-') return false;
    for (std::size_t i = 1; i < length; ++i) {
        if (text[i] != '0' && text[i] != '.') return false;
    }
    return true;
}

// Length kept of the %g text when cut to p digits after the point, or -1
// when nothing of it is kept. q is where the point is (the length without
// one). 64-bit, so that any precision the file gives is safe.
long long KeptLength(long long q, int p) {
    const long long n = q + 1 + static_cast<long long>(p);
    return n < 1 ? -1 : n;
}

}  // namespace

std::size_t FormatOutputValue(double v, int p, char* out) {
    char cut[kFormattedSize];
    // std::to_chars writes as printf would in the "C" locale, whatever the
    // process's locale says about the decimal point.
    const std::to_chars_result result =
        std::to_chars(cut, cut + sizeof cut - 1, v, std::chars_format::general, 6);
    std::size_t length = static_cast<std::size_t>(result.ptr - cut);
    // Tiny and huge values (exponent form) count as "0.0", which the
    // precision then cuts like any other text.
    if (result.ec != std::errc() || length == 0 ||
        std::memchr(cut + 1, 'e', length - 1) != nullptr) {
        length = Put(cut, "0.0");
    }

    const char* point = static_cast<const char*>(std::memchr(cut, '.', length));
    const std::size_t q = (point == nullptr || point == cut) ? length : point - cut;
    const long long n = KeptLength(static_cast<long long>(q), p);
    if (n < 0) return Put(out, "0");
    if (static_cast<std::size_t>(n) < length) {
        length = static_cast<std::size_t>(n);
        // The zeros stand for the whole digits cut off; never more than q.
        if (p < -1) {
            const std::size_t zeros = static_cast<std::size_t>(-(static_cast<long long>(p) + 1));
            for (std::size_t i = 0; i < zeros && length < sizeof cut - 1; ++i) cut[length++] = '0';
        }
    }
    const std::size_t skip = IsNegativeZero(cut, length) ? 1 : 0;
    std::memcpy(out, cut + skip, length - skip);
    out[length - skip] = '\0';
    return length - skip;
}
