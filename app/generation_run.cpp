#include "generation_run.h"

#include <optional>

#include "generator/generator.h"
#include "generator/hunt.h"
#include "grader/grader.h"
#include "output/stored.h"
#include "output/targets.h"
#include "runs/generation.h"

namespace gw {

namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

GenerationRun::~GenerationRun() {
    Halt();
    Join();
}

bool GenerationRun::Start(const RunSpec& spec, std::string& why) {
    Join();
    spec_ = spec;
    if (spec_.workers < 1) spec_.workers = 1;
    if ((spec_.levels & kAllLevels) == 0) {
        why = "Choose at least one level.";
        return false;
    }
    made_ = saved_ = notTicked_ = levelFull_ = 0;
    savedPerLevel_ = {};
    full_ = {};
    stopReason_.clear();
    std::error_code ec;
    std::filesystem::create_directories(spec_.base, ec);
    CreateOutputFolders(spec_.base);
    for (int l = 1; l <= 9; ++l)
        if (spec_.levels & LevelBit(l)) full_[static_cast<std::size_t>(l)] = LevelFull(spec_.base, spec_.target, l);
    if (AllSelectedFull()) {
        why = "Every chosen level already holds " + std::to_string(kMaxPerLevel) + " puzzles.";
        return false;
    }
    pool_.reset();
    if (spec_.hunt) {
        HuntOptions ho;
        ho.levels = spec_.levels;
        // Full levels are not handed out, so they use up no grid's share.
        for (int l = 1; l <= 9; ++l)
            if (full_[static_cast<std::size_t>(l)]) ho.levels &= ~LevelBit(l);
        // As `generate --method hunt` does by default: no saved puzzle shares
        // more than half of its givens with another of its level, or is one
        // in disguise.
        guard_ = std::make_unique<NearCopyGuard>(SharedLimit{}, true);
        ForEachStoredPuzzle(spec_.base, spec_.target, ho.levels,
                            [&](const Grid& puzzle, int level) { guard_->AddStored(puzzle, level); });
        pool_ = std::make_unique<HuntPool>(ho, guard_.get());
    }
    control_.halt.store(false);
    start_ = ended_ = Clock::now();
    active_.store(spec_.workers);
    seed_ = ClockSeed();
    for (int i = 0; i < spec_.workers; ++i) threads_.emplace_back([this, i] { Worker(i); });
    return true;
}

void GenerationRun::Join() {
    for (std::thread& t : threads_)
        if (t.joinable()) t.join();
    threads_.clear();
}

bool GenerationRun::AllSelectedFull() const {
    for (int l = 1; l <= 9; ++l)
        if ((spec_.levels & LevelBit(l)) && !full_[static_cast<std::size_t>(l)]) return false;
    return true;
}

void GenerationRun::Worker(int index) {
    Yielder y(&control_);
    const std::uint64_t seed = PuzzleSeed(seed_, static_cast<std::uint64_t>(index));
    if (pool_) {
        Hunter hunter(*pool_, seed, y);
        std::optional<HuntPuzzle> found;
        // A halt at any step drops the puzzle in progress.
        while (!y.Halted() && hunter.Turn(found) && !y.Halted()) {
            if (found && !Keep(found->level, found->puzzle, found->solution)) break;
            if (!found) Keep(0, {}, {});  // the clock and the time limit
        }
    } else {
        GenState g;
        g.rng.Seed(seed);
        GradeState s;
        GradeRun run{.yield = &y};
        s.run = &run;
        while (!y.Halted()) {
            if (!BuildSolutionGrid(g, y) || y.Halted()) break;
            if (!RemoveClues(g, y) || y.Halted()) break;
            const int level = GradePuzzle(s, g.Puzzle);
            if (y.Halted() || level == 0) break;
            if (!Keep(level, g.Puzzle, g.Solution)) break;
        }
    }
    if (active_.fetch_sub(1) == 1) {
        {
            std::lock_guard lock(mutex_);
            ended_ = Clock::now();
        }
        if (onFinished) onFinished();
    }
}

bool GenerationRun::Keep(int level, const Grid& puzzle, const Grid& solution) {
    std::lock_guard lock(mutex_);
    auto stop = [&](std::string reason) {
        if (stopReason_.empty()) stopReason_ = std::move(reason);
        control_.halt.store(true);
        return false;
    };
    if (control_.halt.load()) return false;
    if (spec_.seconds > 0 && std::chrono::duration<double>(Clock::now() - start_).count() >= spec_.seconds)
        return stop("Time is up.");
    if (level < 1 || level > 9) return true;
    ++made_;
    const auto l = static_cast<std::size_t>(level);
    if (!(spec_.levels & LevelBit(level))) {
        ++notTicked_;
        return true;
    }
    if (full_[l]) {
        ++levelFull_;
        return true;
    }
    const SaveResult r = SaveSudoku(spec_.base, spec_.target, level, puzzle, solution);
    switch (r.kind) {
        case SaveResult::Kind::Written:
            ++saved_;
            ++savedPerLevel_[l];
            break;
        case SaveResult::Kind::Full:
            full_[l] = true;
            ++levelFull_;
            break;
        case SaveResult::Kind::Failed: return stop("Cannot save to " + r.path.string() + ": " + r.error);
        case SaveResult::Kind::NoTarget: return stop("No target chosen.");
    }
    if (spec_.count > 0 && saved_ >= spec_.count)
        return stop("Made the " + std::to_string(spec_.count) + " puzzles asked for.");
    if (AllSelectedFull())
        return stop("Every chosen level now holds " + std::to_string(kMaxPerLevel) + " puzzles.");
    return true;
}

RunSnapshot GenerationRun::Snapshot() {
    std::lock_guard lock(mutex_);
    RunSnapshot s;
    s.running = active_.load() > 0;
    s.made = made_;
    s.saved = saved_;
    s.notTicked = notTicked_;
    s.levelFull = levelFull_;
    s.nearCopies = guard_ ? guard_->turnedAway() : 0;
    s.savedPerLevel = savedPerLevel_;
    s.full = full_;
    s.stopReason = stopReason_;
    const Clock::time_point end = s.running ? Clock::now() : ended_;
    s.elapsed = std::chrono::duration<double>(end - start_).count();
    if (s.running && spec_.seconds > 0 && s.elapsed >= spec_.seconds && !control_.halt.load()) {
        stopReason_ = s.stopReason = "Time is up.";
        control_.halt.store(true);
    }
    return s;
}

}  // namespace gw
