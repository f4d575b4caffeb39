// Counts every allocation of the test program, so that a test can show that
// handling a message allocates nothing.
#include <cstdlib>
#include <new>

#include "counting_new.h"

namespace {
long gAllocations = 0;
}

long AllocationCount() {
    return gAllocations;
}

void* operator new(std::size_t size) {
    ++gAllocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept {
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
