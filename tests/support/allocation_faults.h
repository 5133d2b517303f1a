#pragma once

// Allocations that fail on purpose, to see what a shortage of memory leaves
// behind. Replaces the global operator new and delete of the executable, so it
// is included by exactly one file of a test executable, and only of those that
// use it.

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace tarn::test {

namespace allocation_faults {
inline std::atomic<std::size_t> minBytes{0}; // fail allocations this large; 0: none
inline std::atomic<long> failAt{0};          // fail the allocation of this number; 0: none
inline std::atomic<long> counted{0};         // allocations since armed
inline std::atomic<long> failures{0};

inline void* allocate(std::size_t size) {
    const std::size_t min = minBytes.load(std::memory_order_relaxed);
    const long at = failAt.load(std::memory_order_relaxed);
    const bool fail = (min != 0 && size >= min) || (at != 0 && ++counted == at);
    if (fail)
        ++failures;
    void* p = fail ? nullptr : std::malloc(size != 0 ? size : 1);
    if (p == nullptr)
        throw std::bad_alloc();
    return p;
}
} // namespace allocation_faults

// Which allocations fail: those of at least `minBytes` (picture buffers; Qt's
// own small allocations are left alone, since Qt cannot survive them), or only
// the `nth` one from the moment of arming.
struct Fault {
    std::size_t minBytes = 0;
    long nth = 0;
};

// While it lives, allocations fail as the fault says.
class FailingAllocations {
  public:
    explicit FailingAllocations(Fault fault) {
        allocation_faults::counted = 0;
        allocation_faults::failures = 0;
        allocation_faults::minBytes = fault.minBytes;
        allocation_faults::failAt = fault.nth;
    }
    ~FailingAllocations() {
        allocation_faults::minBytes = 0;
        allocation_faults::failAt = 0;
    }
    long failures() const { return allocation_faults::failures; }
};

// Picture-sized: a part or the canvas, never a Qt bookkeeping block.
inline constexpr std::size_t kPictureSized = 64 * 1024;

} // namespace tarn::test

void* operator new(std::size_t size) {
    return tarn::test::allocation_faults::allocate(size);
}
void* operator new[](std::size_t size) {
    return tarn::test::allocation_faults::allocate(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
