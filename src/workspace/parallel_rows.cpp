#include "workspace/parallel_rows.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

std::atomic<int32_t> defaultThreads{0};

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

}  // namespace

void setDefaultEngineThreads(int32_t threads) {
    defaultThreads = std::max(threads, 0);
}

int32_t threadsNamedByEnvironment() {
    const char* named = std::getenv("TAVRELIC_THREADS");
    return named != nullptr ? std::max(0, std::atoi(named)) : 0;
}

int32_t threadsFor(const Progress& progress, int32_t rows) {
    int32_t threads = progress.threads > 0 ? progress.threads : defaultThreads.load();
    if (threads <= 0) threads = static_cast<int32_t>(std::max(1u, std::thread::hardware_concurrency()));
    return std::max(1, std::min(threads, rows));
}

bool forEachRowRun(int32_t rows, int32_t threads, const Progress& progress,
                   const std::function<void(int32_t begin, int32_t end, int32_t thread)>& work) {
    if (threads <= 1) {
        for (int32_t row = 0; row < rows; ++row) {
            if (stopRequested(progress)) return false;
            work(row, row + 1, 0);
            if (row % RowsPerProgressStep == 0) reportStep(progress);
        }
        return true;
    }
    if (stopRequested(progress)) return false;
    RowRuns runs;
    runs.rows = rows;
    runs.rowsPerRun = std::max(1, std::min(LongestRun, rows / (4 * threads)));
    runs.runCount = (rows + runs.rowsPerRun - 1) / runs.rowsPerRun;
    runs.done.reset(new std::atomic<bool>[static_cast<size_t>(runs.runCount)]());
    std::vector<std::thread> helpers;
    for (int32_t thread = 1; thread < threads; ++thread)
        helpers.emplace_back([&runs, thread, &work] { takeRuns(runs, thread, work); });
    // The caller does a run at a time, and between runs reports what is
    // done and asks whether to go on; once none is left it waits for the
    // others, still reporting.
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
    for (std::thread& helper : helpers) helper.join();
    return !runs.stop;
}

void forEachRowRunOnEveryCore(int32_t rows, const std::function<void(int32_t begin, int32_t end)>& work) {
    const Progress none{};
    forEachRowRun(rows, threadsFor(none, rows), none,
                  [&work](int32_t begin, int32_t end, int32_t) { work(begin, end); });
}

OwnedBytes allocateWorkingRows(size_t rowSize, int32_t& threads) {
    OwnedBytes rows = allocateBytes(rowSize * static_cast<size_t>(threads));
    if (rows == nullptr && threads > 1) {
        threads = 1;
        rows = allocateBytes(rowSize);
    }
    return rows;
}
