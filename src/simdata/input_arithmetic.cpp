#include "simdata/input_arithmetic.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "base/text.h"

namespace {

// Wrap-around on [lo, hi]: above hi goes down by the range's width, below lo
// comes back from hi. The latter is exact for ranges that start at 0 (0 to
// 360) and gives 12 for 0 on clock-like ranges (1 to 12); where it would
// leave the range (a range starting above 1, such as 10 to 20), the width
// is added instead.
float Wrap(float value, float lo, float hi) {
    if (value > hi) value -= hi - lo;
    if (value < lo) {
        const float fromTop = hi + value;
        value = (fromTop >= lo && fromTop <= hi) ? fromTop : value + (hi - lo);
    }
    return value;
}

}  // namespace

unsigned EncoderStepCount(char byte) {
    const unsigned count = static_cast<unsigned char>(byte);
    return count > kMaxEncoderSteps ? kMaxEncoderSteps : count;
}

float AnalogValue(float reading, float inputDefault, const std::vector<float>& range) {
    float v = reading / 1000.0f;
    if (inputDefault == 2.0f) v = v * v;
    const float lo = range.size() >= 2 ? range[0] : 0.0f;
    const float hi = range.size() >= 2 ? range[1] : 1.0f;
    return lo + (hi - lo) * v;
}

bool StepValue(float cur, int dir, float stepSize, const std::vector<float>& range, float* out) {
    if (range.size() == 1) {
        if (dir > 0 && cur >= range[0]) return false;
        if (dir < 0 && cur <= range[0]) return false;
    }
    float value = cur + static_cast<float>(dir) * stepSize;
    if (range.size() == 2) value = Wrap(value, range[0], range[1]);
    *out = value;
    return true;
}

bool ApplySkip(int n, int& counter, unsigned& count) {
    if (static_cast<long long>(count) < n) {
        counter += static_cast<int>(count);
        if (counter < n) return false;
        counter = 0;
        count = 1;
        return true;
    }
    if (n == 0) {
        count = 1;
    } else if (n >= 1 && count < 10) {
        count /= static_cast<unsigned>(n);
    }
    return true;
}

int AdvanceGroup(int mode) {
    // Position 9 goes back to 1 directly: one more would carry into the
    // member count, and a group of nine would never come round again.
    if (mode % 10 == 9) return mode - 8;
    if (mode == INT_MAX) return mode;
    const int next = mode + 1;
    const int tens = next / 10;
    const int units = next % 10;
    return tens < units ? next - tens : next;
}

int ClampToInt(long long value) {
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

bool ReadEventNumber(std::string_view text, float* value) {
    // strtod needs a terminated text; no number is longer than this.
    char buffer[64];
    if (text.empty() || text.size() >= sizeof buffer) return false;
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    char* end = nullptr;
    const double parsed = StrtodC(buffer, &end);
    if (end == buffer || !std::isfinite(parsed)) return false;
    const float narrowed = static_cast<float>(parsed);
    if (!std::isfinite(narrowed)) return false;
    *value = narrowed;
    return true;
}
