// A generation run on worker threads, off the window's thread: each worker has
// its own generator and grading state (or its own hunter sharing one pool),
// and saves through the locked stored writer, so several runs and programs may
// write into one folder at once. The window polls a snapshot of its progress.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "generator/hunt.h"
#include "generator/near_copies.h"
#include "model/control.h"
#include "model/state.h"

namespace gw {


struct RunSpec {
    std::filesystem::path base;
    int target = 0;
    unsigned levels = 0;   // bit L: keep puzzles of level L
    bool hunt = false;     // false: the plain loop
    int workers = 1;
    long long count = 0;   // stop after this many saved puzzles (0: no limit)
    double seconds = 0;    // stop after this long (0: no limit)
};

struct RunSnapshot {
    bool running = false;
    long long made = 0;   // puzzles graded
    long long saved = 0;
    // Why the others were not saved: of a level not ticked, of a level that
    // holds its 1000 puzzles already; and the hunt's near-copies, turned away
    // before they count as made.
    long long notTicked = 0, levelFull = 0, nearCopies = 0;
    std::array<long long, 10> savedPerLevel{};
    std::array<bool, 10> full{};  // selected levels that hold their 1000 puzzles
    double elapsed = 0;           // seconds
    std::string stopReason;       // why the run stopped by itself (empty: halted or running)
};

class GenerationRun {
public:
    GenerationRun() = default;
    ~GenerationRun();
    GenerationRun(const GenerationRun&) = delete;
    GenerationRun& operator=(const GenerationRun&) = delete;

    // Starts the workers. False, with the reason, when nothing can be made:
    // no level chosen, or every chosen level full.
    bool Start(const RunSpec& spec, std::string& why);

    // Asks every worker to stop; each drops the puzzle in progress.
    void Halt() { control_.halt.store(true); }

    RunSnapshot Snapshot();

    // Waits for the workers to end (after a halt or a stop of their own).
    void Join();

    // Called on the last worker's thread when every worker has ended.
    std::function<void()> onFinished;

    // When the last worker ended.
    std::chrono::steady_clock::time_point endedAt() const { return ended_; }

private:
    void Worker(int index);
    // Saves a puzzle made by a worker; false when the run must stop.
    bool Keep(int level, const Grid& puzzle, const Grid& solution);
    bool AllSelectedFull() const;

    RunSpec spec_;
    RunControl control_;
    std::unique_ptr<NearCopyGuard> guard_;  // the hunt saves no near-copies
    std::unique_ptr<HuntPool> pool_;
    std::vector<std::thread> threads_;
    std::atomic<int> active_{0};
    std::uint64_t seed_ = 0;
    std::mutex mutex_;
    std::chrono::steady_clock::time_point start_{}, ended_{};
    long long made_ = 0, saved_ = 0, notTicked_ = 0, levelFull_ = 0;
    std::array<long long, 10> savedPerLevel_{};
    std::array<bool, 10> full_{};
    std::string stopReason_;
};

}  // namespace gw
