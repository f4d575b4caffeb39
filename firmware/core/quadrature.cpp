#include "quadrature.h"

namespace kxfw {

namespace {

// Change from the last phases (row) to the new ones (column): +1 forward,
// -1 backward, 0 none or a skipped state (both phases changed at once).
const int8_t kChange[4][4] = {
    {0, 1, -1, 0},  // from 00
    {-1, 0, 0, 1},  // from 01
    {1, 0, 0, -1},  // from 10
    {0, -1, 1, 0},  // from 11
};

}  // namespace

int8_t QuadratureDecoder::Sample(uint8_t phases) {
    phases &= 3;
    if (phases == last_) return 0;
    moved_ = static_cast<int8_t>(moved_ + kChange[last_][phases]);
    last_ = phases;
    if (type_ == 2) {
        const int8_t step = moved_;
        moved_ = 0;
        return step;
    }
    const bool atRest = type_ == 3   ? phases == 0
                        : type_ == 1 ? (phases == 0 || phases == 3)
                                     : phases == 3;
    if (!atRest) return 0;
    // At a rest position: a detent's worth of movement one way is a step;
    // anything less was bounce.
    const int8_t needed = type_ == 1 ? 2 : 3;
    int8_t step = 0;
    if (moved_ >= needed) step = 1;
    if (moved_ <= -needed) step = -1;
    moved_ = 0;
    return step;
}

}  // namespace kxfw
