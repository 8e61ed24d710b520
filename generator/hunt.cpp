#include "generator/hunt.h"

#include <time.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <utility>

#include "generator/solution_count.h"
#include "grader/score.h"

namespace gw {

namespace {

double ThreadSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

std::uint64_t HashGrid(const Grid& g) {
    std::uint64_t h = 0x84222325cbf29ce4ULL;
    for (int c = 0; c < 81; c += 8) {
        std::uint64_t word = 0;
        for (int k = 0; k < 8 && c + k < 81; ++k) word |= static_cast<std::uint64_t>(g[c + k]) << (8 * k);
        h ^= word;
        h *= 0x9e3779b97f4a7c15ULL;
        h ^= h >> 29;
    }
    return h;
}

std::string GridKey(const Grid& g) { return std::string(g.begin(), g.end()); }

// A pair is named by its cell in 0..40; 40 is the centre, a pair of one cell.
void SetPair(Grid& g, int c, int dc, int dm) {
    g[c] = static_cast<std::uint8_t>(dc);
    g[80 - c] = static_cast<std::uint8_t>(dm);
}

template <typename T>
void Shuffle(std::vector<T>& v, Rng& rng) {
    for (int i = static_cast<int>(v.size()) - 1; i > 0; --i) std::swap(v[i], v[rng.Below(i + 1)]);
}

// Digits free at the cell given the clues of the grid (bit d-1 for digit d).
unsigned FreeDigits(const Grid& g, int cell) {
    unsigned used = 0;
    for (int u = 0; u < 81; ++u)
        if (g[u] != 0 && u != cell && (RowOf[u] == RowOf[cell] || ColOf[u] == ColOf[cell] || BoxOf[u] == BoxOf[cell]))
            used |= DigitBit(g[u]);
    return ~used & 0x1FFu;
}

int RandomDigit(unsigned mask, Rng& rng) {
    const int n = BitCount[mask];
    if (n == 0) return 0;
    int k = rng.Below(n);
    for (int d = 1; d <= 9; ++d)
        if ((mask & DigitBit(d)) && k-- == 0) return d;
    return 0;
}

}  // namespace

long long HuntScore::Value(HuntOptions::Score kind) const {
    const long long top = static_cast<long long>(level) << 40;
    switch (kind) {
        case HuntOptions::Score::Level: return top;
        case HuntOptions::Score::TopRung:
            return top | static_cast<long long>(topRung) << 24 | static_cast<long long>(std::min(topSteps, 65535)) << 8;
        case HuntOptions::Score::Effort:
        case HuntOptions::Score::Fine: break;
    }
    return top | std::min<long long>(effort, (1LL << 40) - 1);
}

namespace {

// Work of a pass that made progress with rung r: the calls of rungs 1..r, at
// the typical cost the ladder gives each.
constexpr auto kClimbMicros = [] {
    std::array<long long, kRungCount + 1> climb{};
    for (const Rung& r : kLadder) {
        const auto at = static_cast<std::size_t>(r.number);
        climb[at] = climb[at - 1] + r.micros;
    }
    return climb;
}();

}  // namespace

long long GradingWork(const GradeTrace& trace) {
    long long work = 0;
    for (const int r : trace.rungs) work += kClimbMicros[static_cast<std::size_t>(r)];
    // A stopped grading climbed to the first rung above its bound.
    if (trace.stopped) {
        int r = 1;
        while (r < kRungCount && kLadder[static_cast<std::size_t>(r - 1)].level <= trace.stopAbove) ++r;
        work += kClimbMicros[static_cast<std::size_t>(r - 1)];
    }
    return work;
}

HuntScore ScoreGrading(int level, const std::vector<int>& rungs) {
    HuntScore sc;
    sc.level = level;
    for (const int rung : rungs) {
        const int rungLevel = kLadder[static_cast<std::size_t>(rung - 1)].level;
        sc.topRung = std::max(sc.topRung, rung);
        if (rungLevel >= 7) ++sc.topSteps;
        // Each level up weighs four times as much: a step of level 8 outweighs
        // three of level 7.
        sc.effort += 1 << (2 * (rungLevel - 1));
    }
    return sc;
}

namespace {

HuntOptions Resolved(HuntOptions o) {
    if (o.pick == HuntOptions::Pick::Auto)
        o.pick = (o.levels >> 8) != 0 ? HuntOptions::Pick::Score : HuntOptions::Pick::Wanted;
    if (o.climb == HuntOptions::Climb::Auto)
        o.climb = (o.levels & LevelBit(9)) != 0 ? HuntOptions::Climb::Yes : HuntOptions::Climb::No;
    return o;
}

}  // namespace

HuntPool::HuntPool(const HuntOptions& o, NearCopyGuard* guard) : o_(Resolved(o)), guard_(guard) {}

// A parent that can no longer give a puzzle to save: near a saved or stored
// one at every wanted level when climbing, at any wanted level otherwise.
bool HuntPool::Spent(const Grid& puzzle) {
    if (o_.climb == HuntOptions::Climb::Yes) return guard_->Near(puzzle, o_.levels);
    for (int l = 1; l <= 9; ++l)
        if ((o_.levels & LevelBit(l)) && guard_->Near(puzzle, LevelBit(l))) return true;
    return false;
}

bool HuntPool::TakeSeedTurn() {
    std::lock_guard lock(mutex_);
    if (seedTurns_ >= o_.seedPuzzles) return false;
    ++seedTurns_;
    return true;
}

bool HuntPool::AddStart(const Grid& puzzle) {
    // The moves keep a puzzle half-turn symmetric, so only such a puzzle can
    // start them (its worker checks that the solution is unique).
    for (int c = 0; c < 81; ++c)
        if ((puzzle[c] == 0) != (puzzle[80 - c] == 0)) return false;
    std::lock_guard lock(mutex_);
    starts_.push_back(puzzle);
    return true;
}

bool HuntPool::TakeStart(Grid& puzzle) {
    std::lock_guard lock(mutex_);
    if (starts_.empty()) return false;
    puzzle = starts_.back();
    starts_.pop_back();
    return true;
}

std::uint32_t HuntPool::NewFamily(bool start) {
    std::lock_guard lock(mutex_);
    const std::uint32_t id = nextFamily_++;
    if (start) families_[id].start = true;
    return id;
}

bool HuntPool::Pick(Rng& rng, HuntPuzzle& parent) {
    std::lock_guard lock(mutex_);
    if (pool_.empty()) return false;
    const int n = static_cast<int>(pool_.size());
    int best = rng.Below(n);
    const int draws = o_.pick == HuntOptions::Pick::Wanted ? o_.wantedTournament : o_.tournament;
    for (int k = 1; k < draws; ++k) {
        const int i = rng.Below(n);
        const Entry& a = pool_[static_cast<std::size_t>(i)];
        const Entry& b = pool_[static_cast<std::size_t>(best)];
        bool better = a.p.score > b.p.score;
        if (o_.pick == HuntOptions::Pick::Yield) better = a.Rate() > b.Rate();
        if (o_.pick == HuntOptions::Pick::Wanted) better = a.WantedRate() > b.WantedRate();
        if (better) best = i;
    }
    Entry& e = pool_[static_cast<std::size_t>(best)];
    parent = e.p;
    if (++e.visits >= o_.maxVisits && o_.maxVisits > 0) pool_.erase(pool_.begin() + best);
    return true;
}

bool HuntPool::FirstSight(const Grid& puzzle) {
    std::lock_guard lock(mutex_);
    // A hash set of every graded puzzle; cleared when very large, which only
    // means that a puzzle may be graded twice (handing out is checked exactly).
    if (seen_.size() >= (1u << 22)) seen_.clear();
    return seen_.insert(HashGrid(puzzle)).second;
}

void HuntPool::Report(const HuntPuzzle& parent, int level, long long score, long long work) {
    std::lock_guard lock(mutex_);
    if (o_.familyPatience > 0) {
        auto f = families_.find(parent.family);
        if (f != families_.end() && !f->second.dropped) {
            Family& family = f->second;
            if (level > 0 && score > family.best) {
                family.best = score;
                family.waiting = 0;
            } else if (++family.waiting >= o_.familyPatience) {
                // The family has stopped climbing: it gives way to others.
                family.dropped = true;
                std::erase_if(pool_, [&](const Entry& e) { return e.p.family == parent.family; });
                return;
            }
        }
    }
    for (Entry& e : pool_) {
        if (e.p.puzzle != parent.puzzle) continue;
        e.work += work;
        e.yield += level >= 8 ? 4 : level == 7 ? 1 : 0;
        if (level > 0 && (o_.levels & (1u << level)) != 0) ++e.wanted;
        return;
    }
}

void HuntPool::Offer(const HuntPuzzle& p) {
    graded_.fetch_add(1, std::memory_order_relaxed);
    std::lock_guard lock(mutex_);
    bool start = false;
    if (o_.familyPatience > 0 || o_.familyCap > 0) {
        Family& family = families_[p.family];
        if (family.dropped) return;
        family.best = std::max(family.best, p.score);
        start = family.start;
    }
    // A family from a given start may walk through near-copies of the stored
    // puzzles on its way out of their neighbourhood.
    if (o_.farParents && !start && guard_ != nullptr && Spent(p.puzzle)) return;
    if (o_.pick == HuntOptions::Pick::Wanted) OfferByWanted(p);
    else OfferByScore(p);
}

void HuntPool::OfferByScore(const HuntPuzzle& p) {
    int sameGrid = 0, sameFamily = 0;
    std::size_t worstSame = 0, worstKin = 0, worst = 0;
    for (std::size_t i = 0; i < pool_.size(); ++i) {
        const HuntPuzzle& q = pool_[i].p;
        if (q.puzzle == p.puzzle) return;
        if (q.solution == p.solution) {
            if (sameGrid++ == 0 || q.score < pool_[worstSame].p.score) worstSame = i;
        }
        if (q.family == p.family) {
            if (sameFamily++ == 0 || q.score < pool_[worstKin].p.score) worstKin = i;
        }
        if (q.score < pool_[worst].p.score) worst = i;
    }
    // A few parents per family at most: a newcomer takes the place of its
    // weakest kin.
    if (o_.familyCap > 0 && sameFamily >= o_.familyCap) {
        if (p.score > pool_[worstKin].p.score && (sameGrid < o_.poolPerGrid || pool_[worstKin].p.solution == p.solution))
            pool_[worstKin] = Entry{p, 0};
        return;
    }
    // A few parents per solution grid at most, so that the pool stays varied.
    if (sameGrid >= o_.poolPerGrid) {
        if (p.score > pool_[worstSame].p.score) pool_[worstSame] = Entry{p, 0};
        return;
    }
    if (static_cast<int>(pool_.size()) < o_.poolSize) {
        pool_.push_back(Entry{p, 0});
    } else if (p.score > pool_[worst].p.score) {
        pool_[worst] = Entry{p, 0};
    }
}

// The pool of a hunt for the easier rare levels: the puzzles of the lowest
// wanted level and harder are the parents (the plain loop's puzzles fill it at
// first). A parent is judged by its neighbours alone: once the pool is full, a
// newcomer replaces the parent whose neighbours were of a wanted level least
// often, among those that have made `trialVisits` neighbours; while none has,
// the newcomer is dropped.
void HuntPool::OfferByWanted(const HuntPuzzle& p) {
    const bool full = static_cast<int>(pool_.size()) >= o_.poolSize;
    if (full && p.level < std::countr_zero(o_.levels)) return;
    int sameGrid = 0;
    int worst = -1;
    for (std::size_t i = 0; i < pool_.size(); ++i) {
        const Entry& e = pool_[i];
        if (e.p.puzzle == p.puzzle) return;
        if (e.p.solution == p.solution) ++sameGrid;
        if (e.visits >= o_.trialVisits &&
            (worst < 0 || e.WantedRate() < pool_[static_cast<std::size_t>(worst)].WantedRate()))
            worst = static_cast<int>(i);
    }
    // A few parents per solution grid at most, so that the pool stays varied.
    if (sameGrid >= o_.poolPerGrid) return;
    Entry e{p, 0};
    if (o_.perWork) e.prior = 2 * (o_.makeWork + p.work);
    if (!full) pool_.push_back(e);
    else if (worst >= 0) pool_[static_cast<std::size_t>(worst)] = e;
}

bool HuntPool::Claim(const HuntPuzzle& p) {
    if (!(o_.levels & (1u << p.level))) return false;
    std::lock_guard lock(mutex_);
    const std::string grid = GridKey(p.solution);
    auto it = perGrid_.find(grid);
    if (it != perGrid_.end() && it->second >= o_.perGrid) return false;
    std::string key = GridKey(p.puzzle);
    if (handedOut_.count(key) != 0) return false;
    if (guard_ != nullptr && !guard_->Admit(p.puzzle, p.level)) return false;
    handedOut_.insert(std::move(key));
    ++perGrid_[grid];
    if (o_.farParents && guard_ != nullptr && guard_->limit().On()) {
        // The parents near the saved puzzle would give near-copies of it, and
        // of the others saved at the wanted levels.
        const int n = GivenCount(p.puzzle);
        std::erase_if(pool_, [&](const Entry& e) {
            return SharedGivens(e.p.puzzle, p.puzzle) > guard_->limit().Most(n, GivenCount(e.p.puzzle)) &&
                   Spent(e.p.puzzle);
        });
    }
    return true;
}

std::size_t HuntPool::PoolSize() {
    std::lock_guard lock(mutex_);
    return pool_.size();
}

Hunter::Hunter(HuntPool& pool, std::uint64_t seed, Yielder& y) : pool_(pool), y_(y) {
    g_.rng.Seed(seed);
    run_.yield = &y_;
    s_.run = &run_;
    // Picking parents by their neighbours uses no score: a grading may stop as
    // soon as the puzzle is known to be above every wanted level.
    const HuntOptions& o = pool_.options();
    if (o.pick == HuntOptions::Pick::Wanted && o.levels != 0) trace_.stopAbove = std::bit_width(o.levels) - 1;
}

bool Hunter::Turn(std::optional<HuntPuzzle>& found) {
    found.reset();
    if (Grid start{}; pool_.TakeStart(start)) return StartTurn(start, found);
    if (pool_.TakeSeedTurn() || g_.rng.Below(100) < pool_.options().freshPercent) return PlainTurn(found);
    return NeighbourTurn(found);
}

bool Hunter::PlainTurn(std::optional<HuntPuzzle>& found) {
    const double start = ThreadSeconds();
    if (!BuildSolutionGrid(g_, y_) || !RemoveClues(g_, y_)) return false;
    counts_.plainSeconds += ThreadSeconds() - start;
    ++counts_.plain;
    return Finish(g_.Puzzle, g_.Solution, pool_.NewFamily(), false, found);
}

// A given start is graded and offered as a parent; it is not handed out, as it
// was not made by the hunt.
bool Hunter::StartTurn(const Grid& start, std::optional<HuntPuzzle>& found) {
    Grid solution{};
    if (CountSolutions(start, 2, &solution, &y_) != 1) return !y_.Halted();
    return Finish(start, solution, pool_.NewFamily(true), false, found, false);
}

bool Hunter::NeighbourTurn(std::optional<HuntPuzzle>& found) {
    HuntPuzzle parent;
    if (!pool_.Pick(g_.rng, parent)) return PlainTurn(found);
    ++counts_.neighbours;
    Grid puzzle{}, solution{};
    int added = -1;
    const HuntOptions& o = pool_.options();
    const double start = ThreadSeconds();
    const int pairsOut = o.pairsOut > 1 ? 1 + g_.rng.Below(o.pairsOut) : 1;
    const bool made = pairsOut > 1 ? MakeBigNeighbour(parent, pairsOut, puzzle, solution, added)
                                   : MakeNeighbour(parent, puzzle, solution, added);
    const double madeAt = ThreadSeconds();
    counts_.makeSeconds += madeAt - start;
    if (!made) {
        pool_.Report(parent, 0, 0, o.makeWork);
        return !y_.Halted();
    }
    ++counts_.unique;
    if (!Reduce(puzzle, added)) return false;
    counts_.reduceSeconds += ThreadSeconds() - madeAt;
    if (!Finish(puzzle, solution, parent.family, true, found)) return false;
    if (lastLevel_ > 0) ++counts_.byParent[static_cast<std::size_t>(parent.level)][static_cast<std::size_t>(lastLevel_)];
    pool_.Report(parent, lastLevel_, lastScore_, o.makeWork + lastWork_);
    return true;
}

// Takes a random clue pair out of the parent and puts another in, with digits
// that fit the clues left, so that the solution is unique again.
bool Hunter::MakeNeighbour(const HuntPuzzle& parent, Grid& puzzle, Grid& solution, int& added) {
    const HuntOptions& o = pool_.options();
    Rng& rng = g_.rng;
    std::vector<int> present, absent;
    for (int c = 0; c <= 40; ++c) (parent.puzzle[c] != 0 ? present : absent).push_back(c);
    if (present.empty()) return false;
    const int out = present[static_cast<std::size_t>(rng.Below(static_cast<int>(present.size())))];
    Grid reduced = parent.puzzle;
    SetPair(reduced, out, 0, 0);
    absent.push_back(out);
    const bool keepGrid = rng.Below(100) < o.keepGridPercent;

    if (o.digits == HuntOptions::Digits::Random) {
        const int in = absent[static_cast<std::size_t>(rng.Below(static_cast<int>(absent.size())))];
        puzzle = reduced;
        if (keepGrid) {
            SetPair(puzzle, in, parent.solution[in], parent.solution[80 - in]);
        } else {
            puzzle[in] = static_cast<std::uint8_t>(RandomDigit(FreeDigits(puzzle, in), rng));
            if (in != 40) puzzle[80 - in] = static_cast<std::uint8_t>(RandomDigit(FreeDigits(puzzle, 80 - in), rng));
            if (puzzle[in] == 0 || puzzle[80 - in] == 0) return false;
        }
        if (puzzle == parent.puzzle) return false;
        if (CountSolutionsBounded(puzzle, 2, std::numeric_limits<long>::max(), &solution, &y_).solutions != 1 ||
            y_.Halted())
            return false;
        added = in;
        return true;
    }

    // Digits from one solution of the reduced puzzle: the neighbour has at
    // least that solution, and exactly that one when the new pair rules out
    // every other solution.
    const int n = ListLeft(reduced, o.listLimit);
    if (y_.Halted() || n == 0) return false;
    Shuffle(absent, rng);
    int tests = 0;
    for (int tries = 0; tries < (keepGrid ? 1 : 4); ++tries) {
        solution = keepGrid ? parent.solution : solutions_[static_cast<std::size_t>(rng.Below(n))];
        for (const int in : absent) {
            if (in == out && solution[in] == parent.puzzle[in] && solution[80 - in] == parent.puzzle[80 - in]) continue;
            bool alone = true;
            for (const Grid& other : solutions_) {
                if (other != solution && other[in] == solution[in] && other[80 - in] == solution[80 - in]) {
                    alone = false;
                    break;
                }
            }
            if (!alone) continue;
            puzzle = reduced;
            SetPair(puzzle, in, solution[in], solution[80 - in]);
            // A complete list proves uniqueness; a cut one needs the test.
            if (n >= o.listLimit) {
                if (!HasUniqueSolution(puzzle, &y_)) {
                    if (y_.Halted() || ++tests == 4) return false;
                    continue;
                }
            }
            added = in;
            return true;
        }
    }
    return false;
}

// Takes `pairsOut` random clue pairs out of the parent and puts pairs in, with
// the digits of one solution of the puzzle left, until that solution is the
// only one. `added` is the last pair put in: without it the puzzle has other
// solutions, so the reduction keeps it; the others put in may go again.
bool Hunter::MakeBigNeighbour(const HuntPuzzle& parent, int pairsOut, Grid& puzzle, Grid& solution, int& added) {
    const HuntOptions& o = pool_.options();
    Rng& rng = g_.rng;
    std::vector<int> present, absent;
    for (int c = 0; c <= 40; ++c) (parent.puzzle[c] != 0 ? present : absent).push_back(c);
    if (static_cast<int>(present.size()) < pairsOut) return false;
    Shuffle(present, rng);
    Grid reduced = parent.puzzle;
    for (int k = 0; k < pairsOut; ++k) {
        SetPair(reduced, present[static_cast<std::size_t>(k)], 0, 0);
        absent.push_back(present[static_cast<std::size_t>(k)]);
    }
    const int n = ListLeft(reduced, o.listLimit);
    if (y_.Halted() || n == 0) return false;
    solution = solutions_[static_cast<std::size_t>(rng.Below(n))];
    // The listed solutions that the pairs put in so far still allow.
    std::vector<const Grid*> others;
    for (const Grid& other : solutions_)
        if (other != solution) others.push_back(&other);
    Shuffle(absent, rng);
    puzzle = reduced;
    added = -1;
    bool unique = false;
    for (const int in : absent) {
        const auto keeps = [&](const Grid* other) {
            return (*other)[in] == solution[in] && (*other)[80 - in] == solution[80 - in];
        };
        // Only pairs that rule out a listed solution go in; once the list is
        // empty and was cut, pairs go in until the solution is unique.
        if (!others.empty() && std::all_of(others.begin(), others.end(), keeps)) continue;
        if (GivenCount(puzzle) >= GivenCount(parent.puzzle) + 4) return false;
        SetPair(puzzle, in, solution[in], solution[80 - in]);
        added = in;
        std::erase_if(others, [&](const Grid* other) { return !keeps(other); });
        if (!others.empty()) continue;
        // The last pair ruled out the last other solution of the list: without
        // it the puzzle has several. A cut list needs the test.
        unique = n < o.listLimit || HasUniqueSolution(puzzle, &y_);
        if (y_.Halted()) return false;
        if (unique) break;
    }
    return unique && puzzle != parent.puzzle;
}

// The solutions of the puzzle left (at most `limit`) in `solutions_`, listed
// once per puzzle: the list is the same each time, so the hunt is too.
int Hunter::ListLeft(const Grid& reduced, int limit) {
    const std::uint64_t key = HashGrid(reduced);
    if (auto it = listed_.find(key); it != listed_.end() && it->second.puzzle == reduced) {
        solutions_ = it->second.solutions;
        return it->second.count;
    }
    const int n = ListSolutions(reduced, limit, solutions_, &y_);
    if (y_.Halted()) return n;
    if (listed_.size() >= 4096) listed_.clear();
    listed_[key] = {reduced, n, solutions_};
    return n;
}

// Removes symmetric pairs in random order while the solution stays unique, as
// clue removal does. The pair just added stays: without it the puzzle is the
// reduced one, which has several solutions.
bool Hunter::Reduce(Grid& puzzle, int keep) {
    std::vector<int> pairs;
    for (int c = 0; c <= 40; ++c)
        if (puzzle[c] != 0 && c != keep) pairs.push_back(c);
    Shuffle(pairs, g_.rng);
    for (const int c : pairs) {
        const int dc = puzzle[c], dm = puzzle[80 - c];
        SetPair(puzzle, c, 0, 0);
        if (!HasUniqueSolution(puzzle, &y_)) SetPair(puzzle, c, dc, dm);
        if (y_.Halted()) return false;
    }
    return true;
}

bool Hunter::Finish(const Grid& puzzle, const Grid& solution, std::uint32_t family, bool neighbour,
                    std::optional<HuntPuzzle>& found, bool handOut) {
    lastLevel_ = 0;
    lastWork_ = 0;
    lastScore_ = 0;
    if (!pool_.FirstSight(puzzle)) return true;
    const double start = ThreadSeconds();
    const int level = GradePuzzle(s_, puzzle, trace_);
    if (y_.Halted() || level == 0) return false;
    counts_.gradeSeconds[static_cast<std::size_t>(level)] += ThreadSeconds() - start;
    if (neighbour) ++counts_.graded;
    lastLevel_ = level;
    lastWork_ = GradingWork(trace_);
    ++counts_.levels[static_cast<std::size_t>(level)];
    const HuntOptions::Score kind = pool_.options().score;
    const long long score = kind == HuntOptions::Score::Fine
                                ? std::llround(Score(level, trace_) * 10000)
                                : ScoreGrading(level, trace_.rungs).Value(kind);
    HuntPuzzle p{puzzle, solution, level, score, lastWork_, family};
    lastScore_ = p.score;
    pool_.Offer(p);
    if (handOut && pool_.Claim(p)) found = p;
    return true;
}

}  // namespace gw
