// The tests share the engine's rows among as many threads as
// TAVRELIC_THREADS names, as the programs do, so that a test preset can run
// them all on 1, 2 or 8 threads.
#include "workspace/parallel_rows.h"

namespace {

const bool threadsTaken = (setDefaultEngineThreads(threadsNamedByEnvironment()), true);

}  // namespace
