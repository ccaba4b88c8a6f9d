#include "workspace/buffers.h"

#include <atomic>
#include <cstdlib>

namespace {

// Read by every allocation, on whichever thread it runs; written by tests.
std::atomic<int32_t> allocationsBeforeFailure{-1};

bool allocationAllowed() {
    int32_t left = allocationsBeforeFailure.load();
    while (left > 0 && !allocationsBeforeFailure.compare_exchange_weak(left, left - 1)) {
    }
    return left != 0;
}

}  // namespace

void ReleaseBytes::operator()(uint8_t* bytes) const {
    std::free(bytes);
}

OwnedBytes allocateBytes(size_t size) {
    if (!allocationAllowed()) return nullptr;
    // malloc(0) may return null; a zero-sized buffer is still a buffer.
    return OwnedBytes(static_cast<uint8_t*>(std::malloc(size == 0 ? 1 : size)));
}

void failAllocationsAfter(int32_t count) {
    allocationsBeforeFailure.store(count);
}
