#include "picture/bytes.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <mutex>

#include "picture/runtime.h"

#if defined(__APPLE__)
#include <malloc/malloc.h>
#else
#include <malloc.h>
#endif
#if defined(__linux__)
#include <sys/mman.h>
#endif

#if defined(__SANITIZE_ADDRESS__)
#define TAVRELIC_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TAVRELIC_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(TAVRELIC_ADDRESS_SANITIZER)
#include <sanitizer/asan_interface.h>
#endif

namespace {

// Read by every allocation, on whichever thread it runs; written by tests.
bool allocationAllowed(Runtime& runtime) {
    std::atomic<int32_t>& before = runtime.allocationsBeforeFailure;
    int32_t left = before.load();
    while (left > 0 && !before.compare_exchange_weak(left, left - 1)) {
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

// Released blocks of a picture's size are kept for the next block of about
// that size: a command replaces a raster with one of the same size, and a
// load the picture on show with one as large as it, and a kept block's pages
// are already in place. Without them, the page faults cost more than the
// work (under Wine, reading a 3840 x 2160 file into fresh memory took about
// ten times as long as reading it into pages already touched).
constexpr size_t SmallestKeptBlock = size_t{1} << 20;
constexpr size_t MostBytesKept = size_t{256} << 20;

size_t usableSize(uint8_t* bytes) {
#if defined(_WIN32)
    return _msize(bytes);
#elif defined(__APPLE__)
    return malloc_size(bytes);
#else
    return malloc_usable_size(bytes);
#endif
}

// A kept block may not be used until it is handed out again; the address
// sanitizer is told so, and reports any use of it as it would after free().
void markKept(uint8_t* bytes, size_t size, bool kept) {
#if defined(TAVRELIC_ADDRESS_SANITIZER)
    if (kept)
        ASAN_POISON_MEMORY_REGION(bytes, size);
    else
        ASAN_UNPOISON_MEMORY_REGION(bytes, size);
#else
    (void)bytes;
    (void)size;
    (void)kept;
#endif
}

bool keepBlock(KeptBlocks& kept, uint8_t* bytes, size_t size) {
    std::lock_guard<std::mutex> hold(kept.lock);
    if (kept.total + size > MostBytesKept) return false;
    for (int32_t i = 0; i < MostBlocksKept; ++i) {
        if (kept.bytes[i] != nullptr) continue;
        markKept(bytes, size, true);
        kept.bytes[i] = bytes;
        kept.sizes[i] = size;
        kept.total += size;
        return true;
    }
    return false;
}

// Frees every kept block; the caller holds the lock.
void giveBackKeptBlocks(KeptBlocks& kept) {
    for (int32_t i = 0; i < MostBlocksKept; ++i) {
        if (kept.bytes[i] == nullptr) continue;
        markKept(kept.bytes[i], kept.sizes[i], false);
        std::free(kept.bytes[i]);
        kept.bytes[i] = nullptr;
    }
    kept.total = 0;
}

// The smallest kept block that holds `size` bytes and is less than twice
// as large; when none is, every kept block is given back, since the work
// has moved on to pictures of another size. Null then.
uint8_t* takeKeptBlock(KeptBlocks& kept, size_t size) {
    std::lock_guard<std::mutex> hold(kept.lock);
    int32_t best = -1;
    for (int32_t i = 0; i < MostBlocksKept; ++i)
        if (kept.bytes[i] != nullptr && kept.sizes[i] >= size && kept.sizes[i] / 2 < size &&
            (best < 0 || kept.sizes[i] < kept.sizes[best]))
            best = i;
    if (best < 0) {
        giveBackKeptBlocks(kept);
        return nullptr;
    }
    uint8_t* bytes = kept.bytes[best];
    markKept(bytes, kept.sizes[best], false);
    kept.total -= kept.sizes[best];
    kept.bytes[best] = nullptr;
    return bytes;
}

}  // namespace

void ReleaseBytes::operator()(uint8_t* bytes) const {
    if (bytes == nullptr) return;
    const size_t size = usableSize(bytes);
    if (runtime != nullptr && size >= SmallestKeptBlock && keepBlock(runtime->kept, bytes, size)) return;
    std::free(bytes);
}

OwnedBytes allocateBytes(Runtime& runtime, size_t size) {
    if (!allocationAllowed(runtime)) return OwnedBytes(nullptr, ReleaseBytes{&runtime});
    if (size >= SmallestKeptBlock) {
        if (uint8_t* kept = takeKeptBlock(runtime.kept, size)) return OwnedBytes(kept, ReleaseBytes{&runtime});
    }
    // malloc(0) may return null; a zero-sized buffer is still a buffer.
    uint8_t* bytes = static_cast<uint8_t*>(std::malloc(size == 0 ? 1 : size));
    preferHugePages(bytes, size);
    return OwnedBytes(bytes, ReleaseBytes{&runtime});
}

void failAllocationsAfter(Runtime& runtime, int32_t count) {
    runtime.allocationsBeforeFailure.store(count);
}

void freeKeptBlocks(KeptBlocks& kept) {
    std::lock_guard<std::mutex> hold(kept.lock);
    giveBackKeptBlocks(kept);
}
