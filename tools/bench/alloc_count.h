// Heap allocations made by this program, counted by its own global
// operator new: a benchmark reads the count before and after its loop.
#pragma once

#include <cstdint>

namespace bench {

uint64_t Allocations();

}  // namespace bench
