// What the program's work runs on: the threads that help with the rows of
// a picture, the blocks kept for the next picture of their size, and how
// many threads may work. Each program makes one at its start and passes it
// to every call that allocates or shares rows out; nothing of it is a
// process global. It outlives every block it handed out.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// Released blocks of a picture's size, kept for the next block of about
// that size (see bytes.cpp).
constexpr int32_t MostBlocksKept = 4;

struct KeptBlocks {
    std::mutex lock;
    uint8_t* bytes[MostBlocksKept] = {};
    size_t sizes[MostBlocksKept] = {};
    size_t total = 0;
};

// Threads that help with the rows wait here between pieces of work (see
// parallel_rows.cpp). One piece of work uses them at a time.
struct HelperPool {
    std::mutex inUse;
    std::mutex lock;
    std::condition_variable wake;
    std::condition_variable allDone;
    std::vector<std::thread> helpers;
    // The current task, for helpers 1 .. wanted, and how many are still in it.
    std::function<void(int32_t helper)> task;
    int32_t wanted = 0;
    int32_t busy = 0;
    uint64_t round = 0;
    bool ending = false;
};

struct Runtime {
    // `threads` 0 gives one per core.
    explicit Runtime(int32_t threads = 0);
    // Ends the helper threads and frees the kept blocks.
    ~Runtime();
    Runtime(const Runtime&) = delete;
    Runtime& operator=(const Runtime&) = delete;

    // How many threads share the rows of a piece of work that leaves it to
    // the runtime; 0 for one per core.
    std::atomic<int32_t> threads;
    // Lets tests reach the out-of-memory paths: after this many more
    // successful allocations the next ones fail; negative for never.
    std::atomic<int32_t> allocationsBeforeFailure{-1};
    KeptBlocks kept;
    HelperPool helpers;
};

// The number of threads the variable TAVRELIC_THREADS names (the tests run
// the programs on 1, 2 and 8); 0 when it names none.
int32_t threadsNamedByEnvironment();

// After `count` more successful allocations the next ones fail; a negative
// count turns this off.
void failAllocationsAfter(Runtime& runtime, int32_t count);

// The Runtime's own end: its helpers leave, its kept blocks are freed.
void endHelpers(HelperPool& pool);
void freeKeptBlocks(KeptBlocks& kept);
