// The hunt: a neighbourhood search for hard puzzles. Hard puzzles cluster: a
// puzzle one clue pair away from a hard puzzle is far more often hard than a
// random one. The hunt keeps a pool of the hardest puzzles found so far (seeded
// by the plain loop), makes neighbours of them - one symmetric clue pair out,
// another in - keeps those with a unique solution, reduces them to pair-minimal
// puzzles as clue removal leaves them, grades them, and feeds the hardest back
// into the pool.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "generator/generator.h"
#include "generator/near_copies.h"
#include "grader/grader.h"

namespace gw {

// How the hunt searches. The defaults are the measured best; the other
// settings stay for the benchmark that compares them.
struct HuntOptions {
    unsigned levels = kAllLevels;  // bit L: puzzles of level L are handed out
    int perGrid = 3;           // at most this many handed-out puzzles per solution grid
    int poolSize = 64;         // puzzles kept as parents
    int poolPerGrid = 2;       // parents that may share one solution grid
    int seedPuzzles = 500;     // plain-loop puzzles made before the first neighbour
    int freshPercent = 5;      // share of later turns given to plain-loop puzzles
    int keepGridPercent = 0;   // share of neighbours that keep the parent's solution digits
    int tournament = 2;        // parents drawn per pick; the best of them is used
    int wantedTournament = 8;  // the same under Pick::Wanted
    int trialVisits = 2;       // under Pick::Wanted: neighbours a parent makes before it may be replaced
    int maxVisits = 0;         // neighbours made of one parent before it leaves the pool (0: no limit)
    // Solutions of the reduced puzzle listed per neighbour: when it has fewer,
    // the list is complete and a pair that singles one solution out of it
    // needs no further uniqueness test.
    int listLimit = 32;
    // How parents are ranked: Fine is the difficulty score of the grading
    // (grader/score.h: the level, then the hardest step and the number of
    // steps at the level); the others are rougher counts of the rungs used.
    enum class Score { Level, TopRung, Effort, Fine } score = Score::Effort;
    // Which parent of a tournament wins, and which parents the pool keeps.
    //  Score: the higher score; the pool keeps the highest scores.
    //  Yield: the parent whose neighbours were hard most often; the pool
    //         keeps the highest scores.
    //  Wanted: the parent whose neighbours were of a wanted level most often
    //         for the work they cost (or per neighbour, without `perWork`);
    //         the pool keeps parents of the lowest wanted level or harder and,
    //         once full, a newcomer replaces the parent whose neighbours were
    //         wanted least often among those that had their trial.
    //  Auto: Wanted when no level above Extreme is wanted (a hunt for Extreme
    //         puzzles), otherwise Score (a hunt for Mayhem and Outlaw puzzles,
    //         which are too rare to count per parent).
    enum class Pick { Auto, Score, Yield, Wanted } pick = Pick::Auto;
    enum class Digits { Random, FromSolutions } digits = Digits::FromSolutions;
    // Under Pick::Wanted, a parent's rate counts wanted neighbours per unit of
    // work (making them and grading them) rather than per neighbour. Puzzles of
    // one level differ tenfold in grading work, and the cheap ones run in
    // families: a parent whose neighbours are cheap to grade and often wanted
    // is worth many that are not.
    bool perWork = true;
    int makeWork = 200;  // work of making and reducing one neighbour, in the units of GradingWork
    // With a guard that keeps near-copies from being saved, parents are kept
    // only while they are far from every saved puzzle: a newcomer near one is
    // not taken, and a save drops the parents near it. Within a family of
    // hard puzzles, most neighbours are near-copies of one another; without
    // this the hunt keeps making copies of what it saved.
    bool farParents = true;
    // With far parents, a hunt that climbs keeps a parent while it can still
    // give a puzzle to save at some wanted level, so that a family can climb
    // through near-copies of saved Mayhem puzzles to Outlaw ones; otherwise a
    // parent near a saved puzzle of any wanted level goes. Auto: climb when
    // Outlaw is wanted.
    enum class Climb { Auto, Yes, No } climb = Climb::Auto;
    // A move takes out 1 to `pairsOut` clue pairs (each count as likely) and
    // puts in as many as it takes to single out one solution again. Bigger
    // moves leave a family faster.
    int pairsOut = 1;
    // Families: a puzzle of the plain loop or a given start founds one, and
    // its neighbours belong to it. At most `familyCap` parents of one family
    // stay in the pool (0: no limit), so that one family cannot crowd out the
    // others; a family whose neighbours have not beaten its best for
    // `familyPatience` neighbours has given its share and leaves the pool
    // (0: never).
    int familyCap = 0;
    int familyPatience = 0;
};

// An estimate of the work of a grading, from the rung of every pass: the
// typical time of the calls of each pass's climb, in microseconds. Stopped
// gradings count the climb to the rung where they stopped. Deterministic, so
// that a seeded hunt stays reproducible.
long long GradingWork(const GradeTrace& trace);

// Difficulty finer than the level: the level first, then the highest rung that
// made progress, then how much work the top levels took.
struct HuntScore {
    int level = 0;
    int topRung = 0;   // highest rung that made progress (0 for an Outlaw's stuck end)
    int topSteps = 0;  // steps made by rungs of level 7 and above
    int effort = 0;    // steps weighted by the level of their rung
    long long Value(HuntOptions::Score kind) const;
};

// From the level and the rung of every step of a grading.
HuntScore ScoreGrading(int level, const std::vector<int>& rungs);

// A graded puzzle.
struct HuntPuzzle {
    Grid puzzle{};
    Grid solution{};
    // A puzzle handed out has its exact level. A parent of a hunt for the
    // lower levels may hold only a lower bound above every wanted level, where
    // its grading stopped.
    int level = 0;
    long long score = 0;
    long long work = 0;  // GradingWork of its grading
    std::uint32_t family = 0;
};

// What the workers of one hunt share: the pool of parents, the puzzles already
// graded, the puzzles handed out and the count of those per solution grid.
// Every member function is safe to call from several workers.
class HuntPool {
public:
    // With a guard, only puzzles far enough from those saved are handed out.
    explicit HuntPool(const HuntOptions& o, NearCopyGuard* guard = nullptr);

    // The options, with Pick::Auto resolved.
    const HuntOptions& options() const { return o_; }

    // Counts one plain-loop turn; true while the pool still wants seeds.
    bool TakeSeedTurn();

    // Puzzles to start from (a user's stored hard puzzles): each is graded by
    // a worker before the plain-loop seeds and founds a family that may walk
    // away from the saved puzzles near it. False, and not taken, for a puzzle
    // that is not half-turn symmetric.
    bool AddStart(const Grid& puzzle);
    bool TakeStart(Grid& puzzle);

    // A number for a new family.
    std::uint32_t NewFamily(bool start = false);

    // A parent for the next neighbour: the best of `tournament` random draws.
    // False while the pool is empty.
    bool Pick(Rng& rng, HuntPuzzle& parent);

    // True the first time a puzzle is seen by the hunt: a puzzle is graded once.
    bool FirstSight(const Grid& puzzle);

    // Tells the pool what a neighbour of `parent` turned out to be (level 0:
    // none was made or it was seen before), its score and the work it cost.
    void Report(const HuntPuzzle& parent, int level, long long score, long long work);

    // Offers a graded puzzle as a parent.
    void Offer(const HuntPuzzle& p);

    // True when the puzzle may be handed out: its level is wanted, it was not
    // handed out before, its solution grid holds fewer than `perGrid` and the
    // guard admits it. A true answer counts it.
    bool Claim(const HuntPuzzle& p);

    std::size_t PoolSize();

    // Puzzles graded so far by every worker (plain and neighbours): what the
    // hunt has made, saved or not.
    long long Graded() const { return graded_.load(std::memory_order_relaxed); }

private:
    struct Entry {
        HuntPuzzle p;
        int visits = 0;
        int yield = 0;   // what its neighbours were worth: 1 per Extreme, 4 per Mayhem or Outlaw
        int wanted = 0;  // neighbours of a wanted level
        long long work = 0;   // work spent on its neighbours
        long long prior = 0;  // per-work rating: the work of its two imagined neighbours (0: rated per neighbour)
        // Priority of a parent under Pick::Yield: the worth of its neighbours
        // so far, with one imagined success in two tries for a new parent.
        double Rate() const { return (yield + 1.0) / (visits + 2.0); }
        // The same for Pick::Wanted: how often its neighbours were wanted, per
        // neighbour or per unit of work. Rated per work, a new parent is
        // credited with one wanted neighbour in two, each costing what its own
        // grading and making cost: cheap parents get tried first.
        double WantedRate() const {
            if (prior > 0) return (wanted + 1.0) / static_cast<double>(work + prior);
            return (wanted + 1.0) / (visits + 2.0);
        }
    };

    struct Family {
        long long best = 0;    // best score of its puzzles
        long long waiting = 0; // neighbours made since that best was found
        bool start = false;    // founded by a given start
        bool dropped = false;  // it has given its share
    };

    void OfferByScore(const HuntPuzzle& p);
    void OfferByWanted(const HuntPuzzle& p);
    bool Spent(const Grid& puzzle);

    HuntOptions o_;
    NearCopyGuard* const guard_;
    std::mutex mutex_;
    std::vector<Entry> pool_;
    long long seedTurns_ = 0;
    std::vector<Grid> starts_;
    std::unordered_map<std::uint32_t, Family> families_;
    std::uint32_t nextFamily_ = 1;
    std::atomic<long long> graded_{0};
    std::unordered_set<std::uint64_t> seen_;
    std::set<std::string> handedOut_;
    std::unordered_map<std::string, int> perGrid_;
};

// What a worker has done so far.
struct HuntCounts {
    long long plain = 0;       // plain-loop puzzles graded
    long long neighbours = 0;  // neighbours tried
    long long unique = 0;      // of them with a unique solution
    long long graded = 0;      // of them new to the hunt, made pair-minimal and graded
    // Puzzles graded (plain and neighbours) per level. A hunt that picks
    // parents by how often their neighbours were wanted needs no more of a
    // grading than that it went above the highest wanted level: such puzzles
    // count at the level where their grading stopped.
    std::array<long long, 10> levels{};
    std::array<std::array<long long, 10>, 10> byParent{};  // neighbours graded: [parent level][level]
    // Thread CPU seconds spent making plain puzzles, making neighbours (tried
    // ones included), reducing them, and grading (plain and neighbours) per level.
    double plainSeconds = 0, makeSeconds = 0, reduceSeconds = 0;
    std::array<double, 10> gradeSeconds{};
};

// One worker of a hunt, with its own random stream and grading state.
class Hunter {
public:
    Hunter(HuntPool& pool, std::uint64_t seed, Yielder& y);

    // One more turn: a plain-loop puzzle or a neighbour. Returns false when
    // halted; otherwise `found` holds a puzzle to hand out, if the turn made one.
    bool Turn(std::optional<HuntPuzzle>& found);

    const HuntCounts& counts() const { return counts_; }

private:
    bool PlainTurn(std::optional<HuntPuzzle>& found);
    bool NeighbourTurn(std::optional<HuntPuzzle>& found);
    bool StartTurn(const Grid& start, std::optional<HuntPuzzle>& found);
    bool MakeNeighbour(const HuntPuzzle& parent, Grid& puzzle, Grid& solution, int& added);
    bool MakeBigNeighbour(const HuntPuzzle& parent, int pairsOut, Grid& puzzle, Grid& solution, int& added);
    bool Reduce(Grid& puzzle, int keep);
    bool Finish(const Grid& puzzle, const Grid& solution, std::uint32_t family, bool neighbour,
                std::optional<HuntPuzzle>& found, bool handOut = true);

    HuntPool& pool_;
    Yielder& y_;
    GenState g_;
    GradeRun run_;  // the grader's hooks: the worker's yielder
    GradeState s_;
    GradeTrace trace_;
    std::vector<Grid> solutions_;
    // The solutions listed for the puzzles left when pairs are taken out of a
    // parent: a parent is drawn many times, and the same pair taken out of it
    // leaves the same puzzle. Cleared when it grows large.
    struct Listed {
        Grid puzzle;
        int count;
        std::vector<Grid> solutions;
    };
    std::unordered_map<std::uint64_t, Listed> listed_;
    int ListLeft(const Grid& reduced, int limit);
    HuntCounts counts_;
    int lastLevel_ = 0;       // level of the puzzle the last turn graded (0: none)
    long long lastWork_ = 0;  // and the work of its grading
    long long lastScore_ = 0; // and its score
};

}  // namespace gw
