// Turns the two phases of a rotary encoder into steps. The phases run
// through the Gray code 00 01 11 10 one way and backwards the other way;
// the encoder type says how many of these changes make one step:
//   type 0  4 changes, one step per full cycle, resting with both phases
//           open (11 with the pull-ups): most detented panel encoders
//   type 1  2 changes, one step at each rest (11 and 00): half-cycle encoders
//   type 2  1 change: every edge is a step (encoders without detents)
//   type 3  4 changes, resting with both phases closed (00)
// Contact bounce moves back and forth and cancels out.
#pragma once

#include <stdint.h>

namespace kxfw {

class QuadratureDecoder {
  public:
    void Reset(uint8_t type, uint8_t phases) {
        type_ = type;
        last_ = phases & 3;
        moved_ = 0;
    }
    // The phases now (bit 1: A, bit 0: B); returns +1, -1 or 0 steps.
    int8_t Sample(uint8_t phases);

  private:
    uint8_t type_ = 0;
    uint8_t last_ = 3;
    int8_t moved_ = 0;
};

}  // namespace kxfw
