#include "picture/parallel_rows.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// Runs of up to this many rows, and at least four for each thread, keep
// every thread busy to the end and the progress steps coming while still
// costing nothing to hand out.
constexpr int32_t LongestRun = 8;

// What the threads of one piece of work share.
struct RowRuns {
    int32_t rows;
    int32_t rowsPerRun;
    int32_t runCount;
    std::atomic<int32_t> next{0};
    std::atomic<bool> stop{false};
    std::unique_ptr<std::atomic<bool>[]> done;
    std::mutex lock;
    std::condition_variable finished;
    // The caller's own: how many runs from the first are done, and the
    // rows whose steps are reported.
    int32_t doneRuns = 0;
    int32_t reportedRows = 0;
};

int32_t beginOf(const RowRuns& runs, int32_t run) {
    return run * runs.rowsPerRun;
}

// Takes runs and does them until none is left or the work is to stop.
void takeRuns(RowRuns& runs, int32_t thread,
              const std::function<void(int32_t, int32_t, int32_t)>& work) {
    for (int32_t run = runs.next++; run < runs.runCount && !runs.stop; run = runs.next++) {
        work(beginOf(runs, run), std::min(runs.rows, beginOf(runs, run + 1)), thread);
        runs.done[run] = true;
        std::lock_guard<std::mutex> hold(runs.lock);
        runs.finished.notify_all();
    }
}

// Reports the steps of every row up to the first run not yet done.
void reportDoneRows(RowRuns& runs, const Progress& progress) {
    while (runs.doneRuns < runs.runCount && runs.done[runs.doneRuns]) ++runs.doneRuns;
    const int32_t doneRows = std::min(runs.rows, beginOf(runs, runs.doneRuns));
    for (; runs.reportedRows < doneRows; ++runs.reportedRows)
        if (runs.reportedRows % RowsPerProgressStep == 0) reportStep(progress);
}

// Threads that help with the rows wait in the runtime's pool between
// pieces of work rather than being started for each: starting and ending a
// thread takes about 0.05 ms on Linux but 6 ms under Wine, as long as
// generating a whole 1920 x 1080 stereogram. One piece of work uses them at
// a time; another that comes meanwhile (from a second thread of the
// caller's) does its rows alone.
void waitForTasks(HelperPool& pool, int32_t helper) {
    uint64_t seen = 0;
    std::unique_lock<std::mutex> hold(pool.lock);
    while (true) {
        pool.wake.wait(hold, [&pool, seen] { return pool.round != seen || pool.ending; });
        if (pool.ending) return;
        seen = pool.round;
        if (helper > pool.wanted) continue;
        hold.unlock();
        pool.task(helper);
        hold.lock();
        if (--pool.busy == 0) pool.allDone.notify_all();
    }
}

// Runs task(1) .. task(helpers) on the pool's threads, starting those it
// does not have yet, while the caller does its own share; waitForHelpers
// then waits until every helper has finished.
void startHelpers(HelperPool& pool, int32_t helpers, std::function<void(int32_t)> task) {
    std::lock_guard<std::mutex> hold(pool.lock);
    while (static_cast<int32_t>(pool.helpers.size()) < helpers) {
        const int32_t helper = static_cast<int32_t>(pool.helpers.size()) + 1;
        pool.helpers.emplace_back([&pool, helper] { waitForTasks(pool, helper); });
    }
    pool.task = std::move(task);
    pool.wanted = helpers;
    pool.busy = helpers;
    ++pool.round;
    pool.wake.notify_all();
}

void waitForHelpers(HelperPool& pool) {
    std::unique_lock<std::mutex> hold(pool.lock);
    pool.allDone.wait(hold, [&pool] { return pool.busy == 0; });
    pool.task = nullptr;
}

// The runs of rowsPerRun rows on `threads` threads, the caller's among
// them: the caller asks whether to stop before each run it takes and
// reports the steps of the rows done so far after each; once none is left
// it waits for the others, still reporting.
bool shareRuns(Runtime& runtime, int32_t rows, int32_t rowsPerRun, int32_t threads, const Progress& progress,
               const std::function<void(int32_t begin, int32_t end, int32_t thread)>& work) {
    if (stopRequested(progress)) return false;
    RowRuns runs;
    runs.rows = rows;
    runs.rowsPerRun = rowsPerRun;
    runs.runCount = (rows + runs.rowsPerRun - 1) / runs.rowsPerRun;
    runs.done.reset(new std::atomic<bool>[static_cast<size_t>(runs.runCount)]());
    HelperPool& pool = runtime.helpers;
    std::unique_lock<std::mutex> usingPool(pool.inUse, std::defer_lock);
    const bool helped = threads > 1 && usingPool.try_lock();
    if (helped) startHelpers(pool, threads - 1, [&runs, &work](int32_t helper) { takeRuns(runs, helper, work); });
    while (true) {
        if (stopRequested(progress)) {
            runs.stop = true;
            break;
        }
        const int32_t run = runs.next++;
        if (run >= runs.runCount) break;
        work(beginOf(runs, run), std::min(rows, beginOf(runs, run + 1)), 0);
        runs.done[run] = true;
        reportDoneRows(runs, progress);
    }
    while (!runs.stop && runs.doneRuns < runs.runCount) {
        {
            std::unique_lock<std::mutex> hold(runs.lock);
            runs.finished.wait(hold, [&runs] { return runs.done[runs.doneRuns].load(); });
        }
        reportDoneRows(runs, progress);
    }
    if (helped) waitForHelpers(pool);
    return !runs.stop;
}

}  // namespace

void endHelpers(HelperPool& pool) {
    {
        std::lock_guard<std::mutex> hold(pool.lock);
        pool.ending = true;
        pool.wake.notify_all();
    }
    for (std::thread& helper : pool.helpers) helper.join();
    pool.helpers.clear();
}

int32_t threadsFor(const Runtime& runtime, const Progress& progress, int32_t rows) {
    int32_t threads = progress.threads > 0 ? progress.threads : runtime.threads.load();
    if (threads <= 0) threads = static_cast<int32_t>(std::max(1u, std::thread::hardware_concurrency()));
    return std::max(1, std::min(threads, rows));
}

bool forEachRowRun(Runtime& runtime, int32_t rows, int32_t threads, const Progress& progress,
                   const std::function<void(int32_t begin, int32_t end, int32_t thread)>& work) {
    if (threads <= 1) {
        for (int32_t row = 0; row < rows; ++row) {
            if (stopRequested(progress)) return false;
            work(row, row + 1, 0);
            if (row % RowsPerProgressStep == 0) reportStep(progress);
        }
        return true;
    }
    return shareRuns(runtime, rows, std::max(1, std::min(LongestRun, rows / (4 * threads))), threads, progress, work);
}

bool forEachRowBand(Runtime& runtime, int32_t rows, int32_t bandRows, int32_t threads, const Progress& progress,
                    const std::function<void(int32_t begin, int32_t end, int32_t thread)>& work) {
    if (rows <= 0) return true;
    return shareRuns(runtime, rows, std::max(1, bandRows), std::max(1, threads), progress, work);
}

void forEachRowRunOnEveryCore(Runtime& runtime, int32_t rows,
                              const std::function<void(int32_t begin, int32_t end)>& work) {
    const Progress none{};
    forEachRowRun(runtime, rows, threadsFor(runtime, none, rows), none,
                  [&work](int32_t begin, int32_t end, int32_t) { work(begin, end); });
}

OwnedBytes allocateWorkingRows(Runtime& runtime, size_t rowSize, int32_t& threads) {
    OwnedBytes rows = allocateBytes(runtime, rowSize * static_cast<size_t>(threads));
    if (rows == nullptr && threads > 1) {
        threads = 1;
        rows = allocateBytes(runtime, rowSize);
    }
    return rows;
}
