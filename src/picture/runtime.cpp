#include "picture/runtime.h"

#include <algorithm>
#include <cstdlib>

Runtime::Runtime(int32_t threadCount) : threads(std::max(threadCount, 0)) {}

Runtime::~Runtime() {
    endHelpers(helpers);
    freeKeptBlocks(kept);
}

int32_t threadsNamedByEnvironment() {
    const char* named = std::getenv("TAVRELIC_THREADS");
    return named != nullptr ? std::max(0, std::atoi(named)) : 0;
}
