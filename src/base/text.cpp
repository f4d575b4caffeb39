#include "base/text.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <type_traits>
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

// Numbers are read in the "C" locale whatever locale the simulator has set;
// Windows' C runtime names the same calls with a leading underscore and has
// no float variant (a float is read as a double and rounded).
#ifdef _WIN32
using CLocale = _locale_t;
CLocale ClassicCLocale() {
    static CLocale c = _create_locale(LC_ALL, "C");
    return c;
}
double strtod_l(const char* text, char** stop, CLocale locale) {
    return _strtod_l(text, stop, locale);
}
float strtof_l(const char* text, char** stop, CLocale locale) {
    return static_cast<float>(_strtod_l(text, stop, locale));
}
#else
locale_t ClassicCLocale() {
    static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return c;
}
#endif

// White space as the "C" locale's stream skips it.
bool IsStreamSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view WithoutLeadingSpace(std::string_view text) {
    std::size_t k = 0;
    while (k < text.size() && IsStreamSpace(text[k])) ++k;
    return text.substr(k);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

template <typename T>
bool ReadInteger(std::string_view text, T& target) {
    using Unsigned = std::make_unsigned_t<T>;
    text = WithoutLeadingSpace(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    Unsigned magnitude = 0;
    // Fails for no digit at all and for more than the unsigned type holds.
    if (std::from_chars(text.data(), text.data() + text.size(), magnitude).ec != std::errc()) {
        return false;
    }
    if constexpr (std::is_signed_v<T>) {
        const Unsigned largest = static_cast<Unsigned>(std::numeric_limits<T>::max());
        if (magnitude > largest + (negative ? 1 : 0)) return false;
        // Negated in steps, so that the type's most negative value does not overflow.
        target = negative && magnitude > 0 ? static_cast<T>(-static_cast<T>(magnitude - 1) - 1)
                                           : static_cast<T>(magnitude);
    } else {
        target = negative ? static_cast<T>(0 - magnitude) : magnitude;
    }
    return true;
}

// The characters the stream takes as a floating-point number: a sign, digits
// with at most one point, and an exponent (with its sign) after a digit. No
// "inf", "nan" or hexadecimal form, unlike strtod.
std::string_view FloatField(std::string_view text) {
    std::size_t k = 0;
    if (k < text.size() && (text[k] == '+' || text[k] == '-')) ++k;
    bool digits = false, point = false, exponent = false;
    for (; k < text.size(); ++k) {
        const char c = text[k];
        if (IsDigit(c)) {
            digits = true;
        } else if (c == '.' && !point && !exponent) {
            point = true;
        } else if ((c == 'e' || c == 'E') && digits && !exponent) {
            exponent = true;
            if (k + 1 < text.size() && (text[k + 1] == '+' || text[k + 1] == '-')) ++k;
        } else {
            break;
        }
    }
    return text.substr(0, k);
}

double ToFloating(const char* text, char** stop, double) {
    return strtod_l(text, stop, ClassicCLocale());
}

float ToFloating(const char* text, char** stop, float) {
    return strtof_l(text, stop, ClassicCLocale());
}

// The field must convert whole ("1e" does not), and to a finite value.
template <typename T>
bool ConvertFloatField(const char* field, T& target) {
    char* stop = nullptr;
    const T value = ToFloating(field, &stop, T{});
    if (stop == field || *stop != '\0' || std::isinf(value)) return false;
    target = value;
    return true;
}

template <typename T>
bool ReadFloating(std::string_view text, T& target) {
    const std::string_view field = FloatField(WithoutLeadingSpace(text));
    char copy[128];  // strtod needs a terminated string; any ordinary number fits
    if (field.size() < sizeof copy) {
        std::memcpy(copy, field.data(), field.size());
        copy[field.size()] = '\0';
        return ConvertFloatField(copy, target);
    }
    return ConvertFloatField(std::string(field).c_str(), target);
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

bool ReadNumber(std::string_view text, int& target) {
    return ReadInteger(text, target);
}
bool ReadNumber(std::string_view text, unsigned& target) {
    return ReadInteger(text, target);
}
bool ReadNumber(std::string_view text, long& target) {
    return ReadInteger(text, target);
}
bool ReadNumber(std::string_view text, unsigned long& target) {
    return ReadInteger(text, target);
}
bool ReadNumber(std::string_view text, long long& target) {
    return ReadInteger(text, target);
}
bool ReadNumber(std::string_view text, unsigned long long& target) {
    return ReadInteger(text, target);
}
bool ReadNumber(std::string_view text, float& target) {
    return ReadFloating(text, target);
}
bool ReadNumber(std::string_view text, double& target) {
    return ReadFloating(text, target);
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

std::string PrintableText(const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (c >= 32 && c < 127) {
            out += static_cast<char>(c);
        } else {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

double StrtodC(const char* text, char** stop) {
    return strtod_l(text, stop, ClassicCLocale());
}
