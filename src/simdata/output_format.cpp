#include "simdata/output_format.h"

#include <charconv>
#include <cmath>
#include <cstdint>
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

constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6, 1e7,
                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14};
constexpr uint64_t kPowersOfFive[] = {1, 5, 25, 125, 625, 3125, 15625, 78125, 390625, 1953125};

// The six significant digits of a = m * 2^q (m below 2^24, a from 1e-4 to
// below 1e6) as an integer from 100000 to 1000000 (the last when rounding
// carries), and the decimal exponent of the first digit. Exact: a * 10^k is
// m * 5^k * 2^(q + k), an integer of at most 45 bits shifted, rounded half
// to even as printf rounds.
uint64_t SixDigits(double a, uint64_t m, int q, int* exponent) {
    // a * 10^9 is exact (24 + 21 bits), so comparing it with powers of ten
    // finds the exponent without rounding.
    const double scaled = a * 1e9;
    int e = 5;
    while (e > -4 && scaled < kPowersOfTen[e + 9]) --e;
    *exponent = e;
    const int k = 5 - e;
    const uint64_t n = m * kPowersOfFive[k];
    const int shift = q + k;
    if (shift >= 0) return n << shift;
    const int t = -shift;  // at most 29: the result is at least 10^5
    const uint64_t whole = n >> t;
    const uint64_t rest = n & ((uint64_t{1} << t) - 1);
    const uint64_t half = uint64_t{1} << (t - 1);
    return whole + ((rest > half || (rest == half && (whole & 1))) ? 1 : 0);
}

// printf's %g of six significant digits for a value that is a float from
// 1e-4 to below 1e6, which is what a mapped output value almost always is;
// several times faster than the general conversion. False for any other
// value (a double with more bits, too small, too large), and for one that
// rounds up to 1e6.
bool WriteFloatSixDigits(double v, char* out, std::size_t* length) {
    const double a = std::fabs(v);
    if (!(a >= 1e-4 && a < 1e6)) return false;
    // a float's 24 bits: a = m * 2^q. Found with exact operations only, so
    // that no excess precision of the x87 unit can pass off another double.
    int q = 0;
    const double mantissa = std::ldexp(std::frexp(a, &q), 24);
    const uint64_t m = static_cast<uint64_t>(mantissa);  // below 2^24
    if (static_cast<double>(m) != mantissa) return false;
    int e = 0;
    uint64_t digits = SixDigits(a, m, q - 24, &e);
    if (digits >= 1000000) {
        if (++e > 5) return false;  // exponent form
        digits /= 10;
    }
    char d[6];
    for (int i = 5; i >= 0; --i, digits /= 10) d[i] = static_cast<char>('0' + digits % 10);
    std::size_t n = 0;
    if (v < 0) out[n++] = '-';
    char fraction[10];
    std::size_t f = 0;
    if (e >= 0) {
        for (int i = 0; i <= e; ++i) out[n++] = d[i];
        for (int i = e + 1; i < 6; ++i) fraction[f++] = d[i];
    } else {
        out[n++] = '0';
        for (int i = 0; i < -e - 1; ++i) fraction[f++] = '0';
        for (int i = 0; i < 6; ++i) fraction[f++] = d[i];
    }
    while (f > 0 && fraction[f - 1] == '0') --f;  // %g drops trailing zeros, and a bare point
    if (f > 0) {
        out[n++] = '.';
        std::memcpy(out + n, fraction, f);
        n += f;
    }
    out[n] = '\0';
    *length = n;
    return true;
}

}  // namespace

std::size_t WriteSixDigits(double v, char* out) {
    std::size_t length = 0;
    if (WriteFloatSixDigits(v, out, &length)) return length;
    // std::to_chars writes as printf would in the "C" locale, whatever the
    // process's locale says about the decimal point.
    const std::to_chars_result result =
        std::to_chars(out, out + kFormattedSize - 1, v, std::chars_format::general, 6);
    if (result.ec != std::errc()) return Put(out, "0.0");
    *result.ptr = '\0';
    return static_cast<std::size_t>(result.ptr - out);
}

std::size_t FormatOutputValue(double v, int p, char* out) {
    char cut[kFormattedSize];
    std::size_t length = WriteSixDigits(v, cut);
    // Tiny and huge values (exponent form) count as "0.0", which the
    // precision then cuts like any other text.
    if (length == 0 || std::memchr(cut + 1, 'e', length - 1) != nullptr) {
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
