// gridwick generate: workers build, reduce and grade puzzles; one writer saves
// them in sequence order, so numbering stays exact and a seeded run is
// reproducible whatever the number of workers.
#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <bit>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cerrno>
#include <cstring>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <vector>

#include "cli/commands.h"
#include "cli/options.h"
#include "generator/generator.h"
#include "generator/hunt.h"
#include "generator/near_copies.h"
#include "grader/grader.h"
#include "output/reader.h"
#include "output/stored.h"
#include "output/targets.h"
#include "runs/generation.h"

namespace gw::cli {

namespace {

// A failing level is dropped from the run; when nothing was saved for this
// many puzzles after a failure, the levels still open are taken to fail too
// (a full disk, a read-only folder): the run stops instead of spinning.
constexpr long long kPuzzlesWithoutSave = 1000;

struct Made {
    Grid puzzle{};
    Grid solution{};
    int level = 0;
};

class Run {
public:
    explicit Run(const GenerateOptions& o, int target, unsigned levels, std::uint64_t seed, const SharedLimit& limit)
        : o_(o), target_(target), levels_(levels), seed_(seed), base_(o.out), toStdout_(o.out == "-"),
          guard_(limit, o.unique || o.method == "hunt"), huntCounts_(static_cast<std::size_t>(o.jobs)) {}

    // The exit status of the run.
    int Execute();

private:
    void Prepare();
    void Announce() const;
    void MakeAndSave();
    void WriteReady(std::unique_lock<std::mutex>& lock);
    std::string LimitReached() const;
    int Summarize() const;
    void Worker();
    void HuntWorker(int index);
    void Save(const Made& m);
    void LoadStored();
    void AddStarts(unsigned levels);
    void ShowProgress(bool final);
    bool LevelDone(std::size_t level) const {
        return full_[level] || (o_.perLevel > 0 && savedPerLevel_[level] >= o_.perLevel);
    }
    bool AllSelectedDone() const;
    bool AllSelectedClosed() const;
    void WarnWhenOnlyRareLeft();
    // Puzzles made, saved or not: for the hunt, every puzzle it graded.
    long long MadeCount() const { return hunt_ ? hunt_->Graded() : made_; }
    double Elapsed() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }

    const GenerateOptions& o_;
    const int target_;
    const unsigned levels_;
    const std::uint64_t seed_;
    const fs::path base_;
    const bool toStdout_;  // puzzles go to stdout as lines

    RunControl control_;
    // Near-copies of saved and stored puzzles are turned away: by the hunt's
    // pool before they are handed out, by the writer for the plain loop. The
    // hunt also turns away puzzles in disguise, which its moves could make.
    NearCopyGuard guard_;
    std::unique_ptr<HuntPool> hunt_;  // set for --method hunt
    std::mutex mutex_;
    std::condition_variable writerCv_, workersCv_;
    std::map<std::uint64_t, Made> ready_;
    std::uint64_t nextSeq_ = 0;
    std::uint64_t nextToWrite_ = 0;

    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    long long made_ = 0;
    long long saved_ = 0;
    long long failures_ = 0;
    std::array<long long, 10> savedPerLevel_{};
    std::array<bool, 10> full_{};
    std::array<bool, 10> failing_{};
    long long madeAtLastSave_ = 0;
    std::set<std::string> reported_;
    std::string stopMessage_;
    bool live_ = false;
    bool rareWarned_ = false;  // the warning that only rare levels are left was given
    std::vector<HuntCounts> huntCounts_;  // --method hunt: each worker's work, once it has stopped
};

// Measured share of each level among generated puzzles (1,047,908 puzzles; the
// first seven from 100,000), to tell what a run of rare levels may expect.
constexpr std::array<double, 10> kLevelRate = {0,       0.67181, 0.06961, 0.02974,     0.05776,
                                               0.04547, 0.11485, 0.01071, 41.0 / 1047908, 0};

// A number with thousands separators: 25,000.
std::string Grouped(long long n) {
    const std::string digits = std::to_string(n);
    std::string s;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) s.push_back(',');
        s.push_back(digits[i]);
    }
    return s;
}

// A warning when every selected level is rare: how often each turns up, and
// that the run may take hours or never end.
std::string RareLevelWarning(unsigned levels, long long count) {
    double rate = 0;
    std::string parts;
    for (int l = 1; l <= 9; ++l) {
        if (!(levels & (1u << l))) continue;
        const double r = kLevelRate[static_cast<std::size_t>(l)];
        if (r >= 0.001) return {};
        rate += r;
        if (!parts.empty()) parts += "; ";
        parts += kLevelNames[static_cast<std::size_t>(l)];
        parts += r > 0 ? ": about 1 in " + Grouped(static_cast<long long>(1 / r / 1000 + 0.5) * 1000) +
                             " generated puzzles"
                       : ": none in 1,047,908 generated puzzles";
    }
    std::string msg = "gridwick: rare levels. " + parts;
    if (rate == 0) return msg + "; this run may never end. --max-time or --max-made stop it.\n";
    // About 2,300 puzzles are made per second and core.
    const long long n = count > 0 ? count : 1;
    const double minutes = static_cast<double>(n) / rate / 2300 / 60;
    char buf[160];
    const double shown = minutes < 120 ? std::max(1.0, std::round(minutes)) : std::round(minutes / 60);
    std::snprintf(buf, sizeof buf, "; %s puzzle%s take%s about %.0f %s%s per core. --max-time or --max-made stop it.\n",
                  Grouped(n).c_str(), n == 1 ? "" : "s", n == 1 ? "s" : "", shown, minutes < 120 ? "minute" : "hour",
                  shown == 1 ? "" : "s");
    return msg + buf;
}

// Width of the terminal on stderr, 80 when it cannot be told.
int TerminalWidth() {
    winsize ws{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col >= 20) return ws.ws_col;
    return 80;
}

// A rate per second with the digits that matter: "2300/s", "41.5/s", "0.21/s".
std::string RateText(double n, double seconds) {
    const double r = seconds > 0 ? n / seconds : 0.0;
    char buf[32];
    std::snprintf(buf, sizeof buf, r >= 100 || r == 0 ? "%.0f/s" : r >= 10 ? "%.1f/s" : r >= 1 ? "%.2f/s" : "%.2g/s", r);
    return buf;
}

void Run::Worker() {
    GenState g;
    GradeState s;
    Yielder y(&control_);
    GradeRun run{.yield = &y};
    s.run = &run;
    const std::uint64_t window = 64 * static_cast<std::uint64_t>(o_.jobs);
    for (;;) {
        std::uint64_t seq = 0;
        {
            std::unique_lock lock(mutex_);
            workersCv_.wait(lock, [&] { return control_.halt.load() || nextSeq_ - nextToWrite_ < window; });
            if (control_.halt.load()) return;
            seq = nextSeq_++;
        }
        g.rng.Seed(PuzzleSeed(seed_, seq));
        // A halt at any step discards the puzzle in progress.
        if (!BuildSolutionGrid(g, y) || y.Halted()) return;
        if (!RemoveClues(g, y) || y.Halted()) return;
        const int level = GradePuzzle(s, g.Puzzle);
        if (y.Halted() || level == 0) return;
        {
            std::lock_guard lock(mutex_);
            ready_[seq] = Made{g.Puzzle, g.Solution, level};
        }
        writerCv_.notify_one();
    }
}

// --method hunt: the workers share one pool of parents and hand each puzzle
// they find to the writer in the order found, so a seeded run is reproducible
// with one worker.
void Run::HuntWorker(int index) {
    Yielder y(&control_);
    Hunter hunter(*hunt_, PuzzleSeed(seed_, static_cast<std::uint64_t>(index)), y);
    const std::uint64_t window = 64 * static_cast<std::uint64_t>(o_.jobs);
    std::optional<HuntPuzzle> found;
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            workersCv_.wait(lock, [&] { return control_.halt.load() || nextSeq_ - nextToWrite_ < window; });
            if (control_.halt.load()) break;
            // The hunt makes many puzzles per saved one: its limit is checked
            // before every turn, so that a seeded run stops at the same puzzle.
            if (o_.maxMade > 0 && hunt_->Graded() >= o_.maxMade) {
                if (stopMessage_.empty())
                    stopMessage_ = "Made " + std::to_string(hunt_->Graded()) + " puzzles (--max-made): stopping.";
                control_.halt.store(true);
                break;
            }
        }
        // A halt at any step discards the puzzle in progress.
        if (!hunter.Turn(found) || y.Halted()) break;
        if (!found) continue;
        {
            std::lock_guard lock(mutex_);
            ready_[nextSeq_++] = Made{found->puzzle, found->solution, found->level};
        }
        writerCv_.notify_one();
    }
    huntCounts_[static_cast<std::size_t>(index)] = hunter.counts();
}

// Once the common levels are full, a run of the plain loop may go on for hours
// looking for the rare ones: it says so once, as it does at the start when
// only rare levels are asked for.
void Run::WarnWhenOnlyRareLeft() {
    // The hunt is meant for the rare levels; a run of rare levels alone was
    // warned at its start.
    if (o_.method == "hunt" || rareWarned_ || !RareLevelWarning(levels_, 1).empty()) return;
    unsigned open = 0;
    for (int l = 1; l <= 9; ++l)
        if ((levels_ & (1u << l)) && !LevelDone(static_cast<std::size_t>(l)) && !failing_[static_cast<std::size_t>(l)])
            open |= 1u << l;
    const long long left = o_.count > 0 ? o_.count - saved_ : 0;
    std::string rare = open != 0 ? RareLevelWarning(open, left) : std::string();
    if (rare.empty()) return;
    rareWarned_ = true;
    rare.replace(0, std::string("gridwick: rare levels. ").size(),
                 "gridwick: the other selected levels are full; only rare levels are left. ");
    if (live_) std::fputs("\r\033[K", stderr);
    std::fputs(rare.c_str(), stderr);
}

// Every selected level is full, or holds the puzzles --per-level asked for.
bool Run::AllSelectedDone() const {
    for (int l = 1; l <= 9; ++l)
        if ((levels_ & (1u << l)) && !LevelDone(static_cast<std::size_t>(l))) return false;
    return true;
}

// No selected level can take a puzzle: each is full or failed to save.
bool Run::AllSelectedClosed() const {
    for (int l = 1; l <= 9; ++l) {
        const auto i = static_cast<std::size_t>(l);
        if ((levels_ & (1u << l)) && !LevelDone(i) && !failing_[i]) return false;
    }
    return true;
}

void Run::Save(const Made& m) {
    ++made_;
    const auto level = static_cast<std::size_t>(m.level);
    if (!(levels_ & (1u << m.level)) || LevelDone(level) || failing_[level]) return;
    if (!hunt_ && !guard_.Admit(m.puzzle, m.level)) return;
    if (toStdout_) {
        // One line per puzzle: the cells ('.' empty), the level number and name.
        std::string line(81, '.');
        for (int c = 0; c < 81; ++c)
            if (m.puzzle[c] != 0) line[static_cast<std::size_t>(c)] = static_cast<char>('0' + m.puzzle[c]);
        char tail[32];
        std::snprintf(tail, sizeof tail, " %d %s\n", m.level, kLevelNames[level]);
        line += tail;
        if (std::fwrite(line.data(), 1, line.size(), stdout) != line.size() || std::fflush(stdout) != 0) {
            ++failures_;
            stopMessage_ = std::string("gridwick: cannot write to standard output: ") + std::strerror(errno) + ": stopping.";
            control_.halt.store(true);
            return;
        }
        ++saved_;
        if (++savedPerLevel_[level] >= kMaxPerLevel) {
            full_[level] = true;
            WarnWhenOnlyRareLeft();
        }
        return;
    }
    const SaveResult res = SaveSudoku(base_, target_, m.level, m.puzzle, m.solution);
    switch (res.kind) {
        case SaveResult::Kind::Written:
            ++saved_;
            ++savedPerLevel_[level];
            madeAtLastSave_ = made_;
            break;
        case SaveResult::Kind::Full:
            full_[level] = true;
            WarnWhenOnlyRareLeft();
            break;
        case SaveResult::Kind::Failed: {
            ++failures_;
            failing_[level] = true;
            // Each failing file is named once, with its reason.
            const std::string key = res.path.string() + "\n" + res.error;
            if (reported_.insert(key).second) {
                if (live_) std::fputs("\r\033[K", stderr);
                std::fprintf(stderr, "gridwick: cannot write %s: %s\n", res.path.string().c_str(), res.error.c_str());
            }
            break;
        }
        case SaveResult::Kind::NoTarget: break;
    }
}

// The puzzles already stored in the selected levels, for the guard.
void Run::LoadStored() {
    if (toStdout_ || !guard_.Active()) return;
    ForEachStoredPuzzle(base_, target_, levels_,
                        [&](const Grid& puzzle, int level) { guard_.AddStored(puzzle, level); });
}

// --from: the puzzles of the given folders and files that the hunt starts
// from, before its plain-loop seeds: those of a stored level at least the
// lowest one hunted for, and every puzzle of a plain file (the symmetric ones
// with one solution). They are not saved again.
void Run::AddStarts(unsigned levels) {
    if (o_.from.empty() || levels == 0) return;
    std::vector<std::string> missing;
    const int lowest = std::countr_zero(levels);
    for (const StoredFile& f : ListPuzzleFiles(o_.from, missing)) {
        if (f.level != 0 && f.level < lowest) continue;
        std::string error;
        ForEachPuzzleIn(
            f.path,
            [&](InputPuzzle& p) {
                if (p.error.empty()) hunt_->AddStart(p.grid);
                return true;
            },
            error);
    }
}

void Run::ShowProgress(bool final) {
    if (!live_) return;
    // The line never wraps: full level names when they fit the terminal,
    // three letters when not, and cut at the edge as a last resort.
    const auto width = static_cast<std::size_t>(TerminalWidth() - 1);
    const double t = Elapsed();
    char buf[96];
    std::snprintf(buf, sizeof buf, " | %d:%02d", static_cast<int>(t) / 60, static_cast<int>(t) % 60);
    std::string tail = "| " + RateText(static_cast<double>(MadeCount()), t) + buf;
    if (o_.count > 0 && saved_ > 0 && saved_ < o_.count) {
        std::snprintf(buf, sizeof buf, " | %lld of %lld", saved_, o_.count);
        tail += buf;
        const int eta = static_cast<int>(t / static_cast<double>(saved_) * static_cast<double>(o_.count - saved_));
        std::snprintf(buf, sizeof buf, " | ETA %d:%02d:%02d", eta / 3600, eta / 60 % 60, eta % 60);
        tail += buf;
    }
    std::string levels[2];
    for (int l = 1; l <= 9; ++l) {
        if (!(levels_ & (1u << l))) continue;
        const std::string name = kLevelNames[static_cast<std::size_t>(l)];
        const std::string n = std::to_string(savedPerLevel_[static_cast<std::size_t>(l)]);
        levels[0] += name + " " + n + "  ";
        levels[1] += name.substr(0, 3) + " " + n + " ";
    }
    std::string line = levels[0] + tail;
    if (line.size() > width) line = levels[1] + tail;
    if (line.size() > width) line = tail.substr(2) + " | " + levels[1];  // rate, time and ETA before all else
    if (line.size() > width) line.resize(width);
    line = "\r\033[K" + line;
    if (final) line += "\n";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

int Run::Execute() {
    // Step 1. The target folder, and which chosen levels are full already.
    Prepare();
    // Step 2. Where the puzzles go, and a warning when the levels are rare.
    Announce();
    // Step 3. Make and save until a limit, a full target or a stop signal.
    if (AllSelectedDone())
        stopMessage_ = "Every selected level already holds " + std::to_string(kMaxPerLevel) + " puzzles: nothing to do.";
    else {
        WarnWhenOnlyRareLeft();
        MakeAndSave();
    }
    // Step 4. The summary, on standard error: standard output holds only data.
    return Summarize();
}

void Run::Prepare() {
    live_ = !o_.quiet && isatty(STDERR_FILENO);
    if (toStdout_) return;
    // Only the folder this run writes; a failure shows when the first save fails.
    std::error_code ec;
    fs::create_directories(TargetFolder(base_, target_), ec);
    for (int l = 1; l <= 9; ++l)
        if (levels_ & (1u << l)) full_[static_cast<std::size_t>(l)] = LevelFull(base_, target_, l);
}

void Run::Announce() const {
    if (toStdout_) {
        std::fprintf(stderr, "Generating to standard output\n");
    } else {
        std::error_code ec;
        fs::path shown = fs::absolute(TargetFolder(base_, target_), ec);
        if (ec) shown = TargetFolder(base_, target_);
        std::fprintf(stderr, "Generating for \"%s\" into %s\n", kTargets[static_cast<std::size_t>(target_)].listText,
                     shown.lexically_normal().string().c_str());
    }
    // The estimate holds for the plain loop; the hunt finds rare levels far faster.
    const std::string rare = o_.method == "hunt" ? std::string() : RareLevelWarning(levels_, o_.count);
    if (!rare.empty()) std::fputs(rare.c_str(), stderr);
}

void Run::MakeAndSave() {
    const StopSignals signals(true, &control_.halt);
    LoadStored();
    if (o_.method == "hunt") {
        HuntOptions ho;
        ho.levels = levels_;
        // Levels already full are not handed out, so they use up no grid's share.
        for (int l = 1; l <= 9; ++l)
            if (full_[static_cast<std::size_t>(l)]) ho.levels &= ~(1u << l);
        ho.perGrid = o_.perGrid;
        hunt_ = std::make_unique<HuntPool>(ho, &guard_);
        AddStarts(ho.levels);
    }
    std::vector<std::thread> workers;
    for (int i = 0; i < o_.jobs; ++i) workers.emplace_back([this, i] { hunt_ ? HuntWorker(i) : Worker(); });

    // The writer: saves the puzzles in sequence order and shows the progress.
    auto lastShown = std::chrono::steady_clock::now();
    std::unique_lock lock(mutex_);
    while (!control_.halt.load()) {
        writerCv_.wait_for(lock, std::chrono::milliseconds(200),
                           [&] { return control_.halt.load() || ready_.count(nextToWrite_) != 0; });
        WriteReady(lock);
        if (o_.maxTime > 0 && Elapsed() >= o_.maxTime && !control_.halt.load()) {
            stopMessage_ = "Time is up (--max-time): stopping.";
            control_.halt.store(true);
        }
        if (std::chrono::steady_clock::now() - lastShown >= std::chrono::milliseconds(200)) {
            lock.unlock();
            ShowProgress(false);
            lock.lock();
            lastShown = std::chrono::steady_clock::now();
        }
    }
    lock.unlock();
    workersCv_.notify_all();
    for (auto& w : workers) w.join();
    ShowProgress(true);
}

// Saves the puzzles that are next in sequence, stopping the run at a limit.
void Run::WriteReady(std::unique_lock<std::mutex>& lock) {
    while (!control_.halt.load()) {
        auto it = ready_.find(nextToWrite_);
        if (it == ready_.end()) return;
        const Made m = it->second;
        ready_.erase(it);
        ++nextToWrite_;
        workersCv_.notify_all();
        lock.unlock();
        Save(m);
        lock.lock();
        if (o_.count > 0 && saved_ >= o_.count) {
            control_.halt.store(true);
        } else if (std::string why = LimitReached(); !why.empty()) {
            stopMessage_ = std::move(why);
            control_.halt.store(true);
        }
    }
}

// Why the run must stop after the last save ("" while it goes on).
std::string Run::LimitReached() const {
    if (o_.maxMade > 0 && MadeCount() >= o_.maxMade)
        return "Made " + std::to_string(MadeCount()) + " puzzles (--max-made): stopping.";
    if (AllSelectedDone())
        return o_.perLevel > 0 ? "Every selected level got its " + std::to_string(o_.perLevel) +
                                     " puzzles (--per-level) or is full: stopping."
                               : "Every selected level now holds " + std::to_string(kMaxPerLevel) + " puzzles: stopping.";
    if (AllSelectedClosed())
        return "No selected level can take a puzzle (full, or saving failed as shown above): stopping.";
    if (failures_ > 0 && made_ - madeAtLastSave_ >= kPuzzlesWithoutSave)
        return "Nothing could be saved for " + std::to_string(kPuzzlesWithoutSave) +
               " puzzles after the failures shown above: stopping.";
    return {};
}

int Run::Summarize() const {
    const double t = Elapsed();
    std::FILE* const f = stderr;
    const int signal = StopSignals::Caught();
    if (signal != 0) std::fprintf(f, "Interrupted: the puzzle in progress was discarded.\n");
    if (!stopMessage_.empty()) std::fprintf(f, "%s\n", stopMessage_.c_str());
    const auto counts = toStdout_ ? std::array<std::string, 9>{} : CountSudokus(base_, target_);
    std::fprintf(f, "\n%-10s %8s %10s\n", "Level", "Saved", toStdout_ ? "" : "On disk");
    for (int l = 1; l <= 9; ++l) {
        const auto i = static_cast<std::size_t>(l);
        const bool selected = (levels_ & (1u << l)) != 0;
        std::fprintf(f, "%-10s %8lld %10s%s\n", kLevelNames[i], savedPerLevel_[i], counts[i - 1].c_str(),
                     selected && full_[i] ? "  (full)" : selected && failing_[i] ? "  (cannot save)" : "");
    }
    std::fprintf(f, "\nMade %lld puzzles in %.1f s (%s), saved %lld (%s), write failures %lld.\n", MadeCount(), t,
                 RateText(static_cast<double>(MadeCount()), t).c_str(), saved_,
                 RateText(static_cast<double>(saved_), t).c_str(), failures_);
    if (guard_.limit().On())
        std::fprintf(f, "Near-copies not saved (sharing more than %s with a saved or stored puzzle%s): %lld.\n",
                     guard_.limit().Text().c_str(), o_.unique || hunt_ ? ", or one in disguise" : "",
                     guard_.turnedAway());
    else if (guard_.Active())
        std::fprintf(f, "Saved or stored puzzles in disguise, not saved: %lld.\n", guard_.turnedAway());
    if (hunt_) {
        // The hunt's work: most of what it makes are neighbours that are never saved.
        HuntCounts all;
        for (const HuntCounts& c : huntCounts_) {
            all.plain += c.plain;
            all.neighbours += c.neighbours;
            all.unique += c.unique;
            all.graded += c.graded;
        }
        std::fprintf(f, "Hunt: %lld plain puzzles graded; %lld neighbours made, %lld of them with one solution, "
                        "%lld new ones graded.\n", all.plain, all.neighbours, all.unique, all.graded);
    }
    if (signal != 0) return 128 + signal;
    return failures_ > 0 ? 1 : 0;
}

}  // namespace

int RunGenerate(const GenerateOptions& o) {
    int target = 0;
    if (!TargetOption(o.target, target)) return 2;
    unsigned levels = kAllLevels;
    if (!LevelsOption(o.levels, levels)) return 2;
    constexpr unsigned kHuntedLevels = LevelBit(7) | LevelBit(8) | LevelBit(9);  // Extreme, Mayhem, Outlaw
    if (o.method == "random" && (levels & kAllLevels & ~kHuntedLevels) == 0)
        std::fprintf(stderr, "gridwick: hint: --method hunt finds Extreme, Mayhem and Outlaw puzzles far faster\n");
    if (!o.from.empty()) {
        if (o.method != "hunt") {
            std::fprintf(stderr, "gridwick: --from gives the hunt its starts: use it with --method hunt\n");
            return 2;
        }
        std::vector<std::string> missing;
        ListPuzzleFiles(o.from, missing);
        for (const std::string& m : missing) std::fprintf(stderr, "gridwick: no such file or folder: %s\n", m.c_str());
        if (!missing.empty()) return 2;
    }
    if (const std::string why = o.out == "-" ? std::string() : UnusableFolder(o.out, true); !why.empty()) {
        std::fprintf(stderr, "gridwick: cannot use output folder %s: %s\n", o.out.c_str(), why.c_str());
        return 2;
    }
    // The hunt makes near-copies of its parents; the plain loop hardly ever does.
    SharedLimit limit;
    std::string error;
    if (!ParseSharedLimit(o.maxShared.empty() ? (o.method == "hunt" ? "0.5" : "off") : o.maxShared, limit, error)) {
        std::fprintf(stderr, "gridwick: --max-shared: %s\n", error.c_str());
        return 2;
    }
    Run run(o, target, levels, o.seed ? *o.seed : ClockSeed(), limit);
    return run.Execute();
}

Runner DefineGenerate(CLI::App& cmd) {
    auto o = std::make_shared<GenerateOptions>();
    cmd.add_option("--target,-t", o->target, "Output target: its number or name; see the list below")
        ->option_text("TARGET")->capture_default_str();
    cmd.add_option("--count,-n", o->count, "Stop after this many saved puzzles (default: until Ctrl-C)")
        ->option_text("N")->check(Whole("a whole number of puzzles", 1));
    cmd.add_option("--per-level", o->perLevel, "Save this many puzzles of each chosen level, then stop")
        ->option_text("N")->check(Whole("a whole number of puzzles", 1));
    cmd.add_option("--levels,-l", o->levels, "Save only these levels: names or numbers, e.g. Extreme,Mayhem or 6-9")
        ->option_text("LEVELS")->check(NotEmpty("levels"));
    cmd.add_option("--jobs,-j", o->jobs, "Generating and grading workers, 1 to 256")
        ->option_text("N")->check(CLI::Range(1, 256))->capture_default_str();
    cmd.add_option("--seed", o->seed, "Seed of the random source (0 to 2^64-1); makes the whole run reproducible")
        ->option_text("N")->check(Whole("a whole number from 0 to 18446744073709551615"));
    cmd.add_option("--out,-o", o->out,
                   "Folder that holds the target folders, or - for one line per saved puzzle on standard output "
                   "(81 cells, level number, level name)")->option_text("FOLDER")->check(NotEmpty("a folder"))
        ->capture_default_str();
    cmd.add_option("--max-time", o->maxTime, "Stop after this many seconds")
        ->option_text("SECONDS")->check(Seconds());
    cmd.add_option("--max-made", o->maxMade, "Stop after making this many puzzles, saved or not")
        ->option_text("N")->check(Whole("a whole number of puzzles", 1));
    cmd.add_flag("--quiet,-q", o->quiet, "No live progress line");
    cmd.add_option("--method,-m", o->method,
                   "random: a new random grid per puzzle; hunt: neighbours of the hardest puzzles found (far faster "
                   "for Mayhem and Outlaw)")
        ->option_text("METHOD")->transform(OneOf({"random", "hunt"}))->capture_default_str();
    cmd.add_option("--per-grid", o->perGrid, "Hunt: at most this many saved puzzles per solution grid")
        ->option_text("N")->check(Whole("a whole number of puzzles", 1))->capture_default_str();
    cmd.add_option("--max-shared", o->maxShared,
                   "No two saved puzzles of a level share more givens (same cell, same digit) than this: a share of the "
                   "smaller puzzle's givens (0.5 or 50%), a count (12), or off. Puzzles saved in the run and those "
                   "already in the level count. Default: 0.5 for the hunt (measured: it then saves about a third as "
                   "many Extreme and 0.4 times as many Mayhem puzzles per CPU-second), off for the plain loop (which "
                   "hardly ever makes a near-copy)")->option_text("SHARE");
    cmd.add_option("--from", o->from,
                   "Hunt: start from the puzzles of these folders and files too (stored levels from the lowest one "
                   "hunted for up, and plain puzzle files), e.g. the Mayhem and Outlaw puzzles of an earlier run")
        ->option_text("PATH...");
    cmd.add_flag("--unique,-u", o->unique,
                 "Also save no puzzle that is a saved or stored one in disguise (digits relabelled, rows, columns, "
                 "bands or stacks permuted, transposed)");
    return [o] { return RunGenerate(*o); };
}

}  // namespace gw::cli
