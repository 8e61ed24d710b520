// The hunt: every puzzle it hands out obeys the rules of a puzzle from the
// plain loop, no puzzle comes twice, a solution grid gives at most --per-grid
// puzzles, and a seed gives the same hunt.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <set>

#include "generator/hunt.h"
#include "model/canonical.h"
#include "test_util.h"

namespace gw {
namespace {

struct HuntRun {
    std::vector<HuntPuzzle> found;
    HuntCounts counts;
};

HuntRun Hunt(const HuntOptions& o, std::uint64_t seed, int turns, NearCopyGuard* guard = nullptr,
             const std::vector<HuntPuzzle>& starts = {}) {
    HuntPool pool(o, guard);
    for (const HuntPuzzle& p : starts) EXPECT_EQ(pool.AddStart(p.puzzle), test::IsSymmetric(p.puzzle));
    Yielder y;
    Hunter hunter(pool, seed, y);
    HuntRun run;
    std::optional<HuntPuzzle> found;
    for (int i = 0; i < turns; ++i) {
        EXPECT_TRUE(hunter.Turn(found));
        if (found) run.found.push_back(*found);
    }
    run.counts = hunter.counts();
    return run;
}

HuntOptions SmallHunt(HuntOptions::Digits digits, int keepGridPercent, int perGrid, unsigned levels = 0x3FEu) {
    HuntOptions o;
    o.levels = levels;
    o.seedPuzzles = 20;
    o.poolSize = 8;
    o.digits = digits;
    o.keepGridPercent = keepGridPercent;
    o.perGrid = perGrid;
    return o;
}

TEST(Hunt, HandsOutOnlyDistinctPairMinimalPuzzlesGradedToTheirLevel) {
    using D = HuntOptions::Digits;
    const struct {
        HuntOptions o;
        std::uint64_t seed;
        int turns;
    } cases[] = {
        {SmallHunt(D::FromSolutions, 0, 1), 11, 90},    // any fitting digits, one puzzle per grid
        {SmallHunt(D::FromSolutions, 100, 2), 12, 90},  // the parent's grid kept: the per-grid bound bites
        {SmallHunt(D::Random, 50, 3), 13, 400},         // random fitting digits: most are not unique
        // No level above Extreme wanted: parents kept by how often their
        // neighbours were wanted for the work they cost, and replaced after a
        // short trial (levels 4 to 6 keep the case quick).
        {SmallHunt(D::FromSolutions, 0, 2, 0x70u), 14, 200},
    };
    for (const auto& c : cases) {
        const bool byWanted = (c.o.levels >> 8) == 0;
        EXPECT_EQ(HuntPool(c.o).options().pick, byWanted ? HuntOptions::Pick::Wanted : HuntOptions::Pick::Score);
        const HuntRun run = Hunt(c.o, c.seed, c.turns);
        EXPECT_GT(run.counts.graded, 10) << "the hunt must grade neighbours, not only seeds";
        std::set<Grid> puzzles;
        std::map<Grid, int> perGrid;
        GradeState s;
        for (const HuntPuzzle& p : run.found) {
            test::ExpectSymmetricUniquePairMinimal(p.puzzle, p.solution);
            EXPECT_TRUE(puzzles.insert(p.puzzle).second) << "handed out twice: " << test::GridText(p.puzzle);
            EXPECT_LE(++perGrid[p.solution], c.o.perGrid);
            EXPECT_EQ(GradePuzzle(s, p.puzzle), p.level) << test::GridText(p.puzzle);
            EXPECT_TRUE((c.o.levels >> p.level) & 1u) << "level " << p.level << " was not asked for";
        }
        EXPECT_GT(run.found.size(), 20u);
        if (c.o.keepGridPercent == 100) {
            // Every neighbour shares its parent's grid, so most are held back.
            EXPECT_LT(static_cast<long long>(run.found.size()), run.counts.plain + run.counts.graded);
        }
    }
}

// What a hunt with the default guard hands out may be saved: symmetric, unique,
// pair-minimal, graded back to its level, and no two puzzles of a level (the
// stored ones included) share more than half of the smaller one's givens or
// are one puzzle in disguise.
void ExpectSaveable(const std::vector<HuntPuzzle>& found, const std::vector<HuntPuzzle>& stored) {
    std::map<int, std::vector<Grid>> perLevel;
    std::map<int, std::set<Grid>> forms;
    for (const HuntPuzzle& q : stored) {
        perLevel[q.level].push_back(q.puzzle);
        forms[q.level].insert(CanonicalForm(q.puzzle));
    }
    GradeState s;
    for (const HuntPuzzle& p : found) {
        test::ExpectSymmetricUniquePairMinimal(p.puzzle, p.solution);
        EXPECT_EQ(GradePuzzle(s, p.puzzle), p.level) << test::GridText(p.puzzle);
        for (const Grid& q : perLevel[p.level])
            EXPECT_LE(2 * SharedGivens(p.puzzle, q), std::min(GivenCount(p.puzzle), GivenCount(q)))
                << test::GridText(p.puzzle) << " and " << test::GridText(q);
        EXPECT_TRUE(forms[p.level].insert(CanonicalForm(p.puzzle)).second) << "a disguise: " << test::GridText(p.puzzle);
        perLevel[p.level].push_back(p.puzzle);
    }
}

// Near-copies still serve as parents; with far parents, a save drops the
// parents near it, and a family from a given start walks out of the
// neighbourhood of the stored puzzles.
TEST(Hunt, HandsOutNoNearCopyOrDisguiseOfAPuzzleOfItsLevel) {
    std::vector<HuntPuzzle> mayhem;
    for (const auto& [puzzle, solution] : test::LoadSharedPuzzles("mayhem.txt")) mayhem.push_back({puzzle, solution, 8});
    ASSERT_EQ(mayhem.size(), 4u);
    enum class Stored { None, LastRun };
    const struct {
        const char* name;
        unsigned levels;
        bool farParents;
        Stored stored;
        bool fromMayhem;  // starts from Mayhem puzzles
        int pairsOut, familyCap, familyPatience, turns;
        std::uint64_t seed;
        std::size_t atLeast;
    } cases[] = {
        {"near parents", 0x3F0u, false, Stored::None, false, 1, 0, 0, 300, 32, 5},
        // Another seed: with its own, a hunt retraces the stored run's path.
        {"far parents, the last run stored", 0x3F0u, true, Stored::LastRun, false, 1, 0, 0, 300, 33, 5},
        // Mayhem and Outlaw from Mayhem starts, by moves of up to two pairs,
        // in families of at most 4 parents that give way after 300
        // neighbours without a better one.
        {"from Mayhem starts", LevelBit(8) | LevelBit(9), true, Stored::None, true, 2, 4, 300, 300, 34, 1},
    };
    std::vector<HuntPuzzle> last;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<HuntPuzzle> stored = c.stored == Stored::LastRun ? last : std::vector<HuntPuzzle>{};
        NearCopyGuard guard(SharedLimit{}, true);
        for (const HuntPuzzle& p : stored) guard.AddStored(p.puzzle, p.level);
        HuntOptions o = SmallHunt(HuntOptions::Digits::FromSolutions, 0, 3, c.levels);
        o.farParents = c.farParents;
        o.pairsOut = c.pairsOut;
        o.familyCap = c.familyCap;
        o.familyPatience = c.familyPatience;
        const HuntRun run = Hunt(o, c.seed, c.turns, &guard, c.fromMayhem ? mayhem : std::vector<HuntPuzzle>{});
        EXPECT_GT(run.counts.graded, 10);
        if (!c.fromMayhem) {
            EXPECT_GT(guard.turnedAway(), 0) << "neighbours are near-copies of one another and of the stored puzzles";
        }
        EXPECT_GE(run.found.size(), c.atLeast);
        if (c.fromMayhem) {
            // The starts are graded but not handed out; their hard neighbours are.
            EXPECT_GE(run.counts.levels[8], 4);
            for (const HuntPuzzle& p : run.found) {
                EXPECT_GE(p.level, 8);
                for (const HuntPuzzle& m : mayhem) EXPECT_NE(p.puzzle, m.puzzle);
            }
        }
        ExpectSaveable(run.found, stored);
        last = run.found;
    }
}

TEST(Hunt, WantedLevelsOnlyAndTheSameSeedGivesTheSameHunt) {
    HuntOptions o = SmallHunt(HuntOptions::Digits::FromSolutions, 0, 3);
    o.levels = (1u << 5) | (1u << 6) | (1u << 7) | (1u << 8) | (1u << 9);
    const HuntRun a = Hunt(o, 99, 60), b = Hunt(o, 99, 60);
    ASSERT_EQ(a.found.size(), b.found.size());
    for (std::size_t i = 0; i < a.found.size(); ++i) {
        EXPECT_EQ(a.found[i].puzzle, b.found[i].puzzle);
        EXPECT_GE(a.found[i].level, 5);
    }
    EXPECT_EQ(a.counts.graded, b.counts.graded);
}

TEST(Hunt, ScoreRanksLevelThenTopRungThenEffort) {
    const std::vector<int> chains = {1, 33, 1, 36}, trial = {1, 42};
    const HuntScore a = ScoreGrading(7, chains), b = ScoreGrading(8, trial);
    EXPECT_EQ(a.topRung, 36);
    EXPECT_EQ(a.topSteps, 2);
    EXPECT_EQ(b.topRung, 42);
    for (auto kind : {HuntOptions::Score::Level, HuntOptions::Score::TopRung, HuntOptions::Score::Effort})
        EXPECT_LT(a.Value(kind), b.Value(kind));
    EXPECT_LT(ScoreGrading(7, {33}).Value(HuntOptions::Score::Effort), a.Value(HuntOptions::Score::Effort));
}

TEST(Hunt, GradingWorkGrowsWithEveryClimb) {
    const auto work = [](std::vector<int> rungs, bool stopped = false) {
        GradeTrace t;
        t.rungs = std::move(rungs);
        t.stopped = stopped;
        t.stopAbove = 7;
        return GradingWork(t);
    };
    EXPECT_GT(work({1}), 0);
    EXPECT_LT(work({1}), work({1, 1}));
    EXPECT_LT(work({1, 2}), work({1, 20}));
    EXPECT_LT(work({1, 20}), work({1, 36}));
    EXPECT_LT(work({1, 36}), work({1, 36}, true));
}

// Rated per unit of work, the cheaper of two new parents is drawn first, and a
// parent whose neighbours turn out wanted and cheap overtakes it.
TEST(Hunt, ParentsAreRatedByWantedNeighboursPerWork) {
    HuntOptions o;
    o.levels = LevelBit(7);
    o.poolSize = 2;
    ASSERT_TRUE(o.perWork);
    HuntPool pool(o);
    HuntPuzzle cheap, dear;
    cheap.puzzle[0] = 1;
    dear.puzzle[0] = 2;
    cheap.level = dear.level = 7;
    cheap.work = 1'000;
    dear.work = 20'000;
    pool.Offer(cheap);
    pool.Offer(dear);
    ASSERT_EQ(pool.PoolSize(), 2u);
    const auto picks = [&pool](const HuntPuzzle& p) {
        Rng rng;
        rng.Seed(5);
        int n = 0;
        HuntPuzzle got;
        for (int i = 0; i < 100; ++i) n += pool.Pick(rng, got) && got.puzzle == p.puzzle;
        return n;
    };
    EXPECT_GT(picks(cheap), 90);
    for (int i = 0; i < 50; ++i) pool.Report(dear, 7, 0, 100);
    EXPECT_GT(picks(dear), 90);
}

// The hunt grades through a trace: the same level and the same rungs as the
// recorded steps, and an early stop only for puzzles above the level asked about.
TEST(Hunt, TraceGradesAsStepsDoAndStopsOnlyAboveTheLevelAskedAbout) {
    auto puzzles = test::LoadSharedPuzzles("trial.txt");
    const auto random = test::LoadSharedPuzzles();
    puzzles.insert(puzzles.end(), random.begin(), random.begin() + 150);
    GradeState s;
    std::array<int, 10> perLevel{};
    for (const auto& [puzzle, solution] : puzzles) {
        std::vector<Step> steps;
        const int level = GradePuzzle(s, puzzle, &steps);
        ++perLevel[static_cast<std::size_t>(level)];
        std::vector<int> rungs;
        for (const Step& st : steps) rungs.push_back(st.rung);
        for (const int stopAbove : {9, 6, 3}) {
            GradeTrace trace;
            trace.stopAbove = stopAbove;
            const int got = GradePuzzle(s, puzzle, trace);
            EXPECT_EQ(trace.stopped, level > stopAbove) << test::GridText(puzzle);
            if (level > stopAbove) {
                EXPECT_GT(got, stopAbove);
                EXPECT_LE(got, level);
                ASSERT_LE(trace.rungs.size(), rungs.size());
                EXPECT_TRUE(std::equal(trace.rungs.begin(), trace.rungs.end(), rungs.begin()));
            } else {
                EXPECT_EQ(got, level) << test::GridText(puzzle);
                EXPECT_EQ(trace.rungs, rungs) << test::GridText(puzzle);
            }
        }
    }
    // Both sides of each stop are met.
    EXPECT_GT(perLevel[1] + perLevel[2] + perLevel[3], 0);
    EXPECT_GT(perLevel[4] + perLevel[5] + perLevel[6], 0);
    EXPECT_GT(perLevel[7] + perLevel[8] + perLevel[9], 0);
}

}  // namespace
}  // namespace gw
