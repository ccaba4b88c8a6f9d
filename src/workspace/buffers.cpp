#include "workspace/buffers.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace {

// Read by every allocation, on whichever thread it runs; written by tests.
std::atomic<int32_t> allocationsBeforeFailure{-1};

bool allocationAllowed() {
    int32_t left = allocationsBeforeFailure.load();
    while (left > 0 && !allocationsBeforeFailure.compare_exchange_weak(left, left - 1)) {
    }
    return left != 0;
}

// A picture's block is written from end to end as soon as it is made, and
// fresh memory costs the system a page fault for every page first touched:
// with 4 KiB pages, a 3840 x 2160 load spends more time there than in its
// own work. On Linux such a block asks for huge pages, one fault per 2 MiB;
// elsewhere, and where the system keeps them off, nothing changes.
void preferHugePages(uint8_t* bytes, size_t size) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr uintptr_t HugePage = uintptr_t{2} << 20;
    if (bytes == nullptr || size < 2 * HugePage) return;
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(bytes) + HugePage - 1) & ~(HugePage - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(bytes) + size) & ~(HugePage - 1);
    if (begin < end) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)bytes;
    (void)size;
#endif
}

}  // namespace

void ReleaseBytes::operator()(uint8_t* bytes) const {
    std::free(bytes);
}

OwnedBytes allocateBytes(size_t size) {
    if (!allocationAllowed()) return nullptr;
    // malloc(0) may return null; a zero-sized buffer is still a buffer.
    uint8_t* bytes = static_cast<uint8_t*>(std::malloc(size == 0 ? 1 : size));
    preferHugePages(bytes, size);
    return OwnedBytes(bytes);
}

void failAllocationsAfter(int32_t count) {
    allocationsBeforeFailure.store(count);
}
