#include "simdata/output_mapping.h"

#include <algorithm>
#include <cmath>

namespace {

// A turn of zero leaves the value as it is rather than dividing by zero.
float MapTurn(float v, float t, float stepsPerTurn) {
    if (t == 0) return v;
    if (v >= t) v = std::fmod(v, t);
    v = v * stepsPerTurn / t;
    if (v < 0) v -= stepsPerTurn;
    return v;
}

float MapWindow(float v, float t, float u) {
    if (t > u) return 1;
    return (t <= v && v <= u) ? 1.0f : 0.0f;
}

// Points beyond the shorter list are not used. A segment of zero width
// gives its first target instead of dividing by zero.
float MapTable(float v, const std::vector<float>& r1, const std::vector<float>& r2) {
    const std::size_t points = std::min(r1.size(), r2.size());
    if (points == 0) return v;
    for (std::size_t k = 0; k + 1 < points; ++k) {
        if (!(r1[k] <= v && v <= r1[k + 1])) continue;
        const float width = r1[k + 1] - r1[k];
        if (width == 0) return r2[k];
        return r2[k] + (v - r1[k]) / width * (r2[k + 1] - r2[k]);
    }
    return v >= r1[0] ? r2[points - 1] : r2[0];
}

}  // namespace

float MapOutputValue(float v, const std::vector<float>& r1, const std::vector<float>& r2,
                     char kind) {
    if (r1.empty()) return v;
    if (r1.size() >= 2) return MapTable(v, r1, r2);
    if (r2.empty()) return v;
    if (kind == 'G' || kind == 'g') return r2.size() >= 2 ? MapTurn(v, r1[0], r2[1]) : v;
    return MapWindow(v, r1[0], r2[0]);
}
