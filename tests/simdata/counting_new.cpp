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

// Every form is replaced, so that memory from any form of new (stable_sort's
// temporary buffer uses the nothrow one) is released by the matching delete.
void* operator new(std::size_t size) {
    if (void* p = operator new(size, std::nothrow)) return p;
    throw std::bad_alloc();
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    ++gAllocations;
    return std::malloc(size == 0 ? 1 : size);
}

void* operator new[](std::size_t size) {
    return operator new(size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return operator new(size, std::nothrow);
}

void operator delete(void* p) noexcept {
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

void operator delete[](void* p) noexcept {
    std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
