// The rows of one piece of work shared out among threads: each row depends
// on nothing another thread writes, so any order gives the same result.
// The caller's thread works too, and it alone reports progress, in row
// order, and asks whether to stop.
#pragma once

#include <cstdint>
#include <functional>

#include "picture/bytes.h"
#include "picture/outcome.h"
#include "picture/runtime.h"

// The threads a piece of work on `rows` rows uses: at least 1, at most one
// per row.
int32_t threadsFor(const Runtime& runtime, const Progress& progress, int32_t rows);

// Calls work(begin, end, thread) for consecutive runs of rows, together
// covering 0 .. rows - 1, on `threads` threads numbered 0 .. threads - 1
// (0 is the caller's). A progress step is reported for every row r with
// r % RowsPerProgressStep == 0, once every row before it is done. False
// when the caller asked to stop; the rows not yet begun are then left.
bool forEachRowRun(Runtime& runtime, int32_t rows, int32_t threads, const Progress& progress,
                   const std::function<void(int32_t begin, int32_t end, int32_t thread)>& work);

// The same for work whose rows go in fixed bands: work(begin, end, thread)
// for the bands of bandRows rows from row 0 (the last one shorter), on any
// number of threads, one alone too; the bands do not depend on how many
// threads there are, so neither does a result computed band by band. The
// stop request is asked before each band the caller begins, and progress
// steps come for rows as forEachRowRun reports them, once their band is done.
bool forEachRowBand(Runtime& runtime, int32_t rows, int32_t bandRows, int32_t threads, const Progress& progress,
                    const std::function<void(int32_t begin, int32_t end, int32_t thread)>& work);

// Work that reports no progress and cannot be stopped (the conversion of a
// picture), on the runtime's number of threads: work(begin, end) for runs
// of rows together covering 0 .. rows - 1.
void forEachRowRunOnEveryCore(Runtime& runtime, int32_t rows, const std::function<void(int32_t begin, int32_t end)>& work);

// One working row of rowSize bytes for each thread, in one block; when
// there is no room for them all, `threads` becomes 1 and one row is made.
// Null when not even that fits.
OwnedBytes allocateWorkingRows(Runtime& runtime, size_t rowSize, int32_t& threads);
