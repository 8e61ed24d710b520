// The hunt: every puzzle it hands out obeys the rules of a puzzle from the
// plain loop, no puzzle comes twice, a solution grid gives at most --per-grid
// puzzles, and a seed gives the same hunt.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>

#include "generator/hunt.h"
#include "test_util.h"

namespace gw {
namespace {

struct HuntRun {
    std::vector<HuntPuzzle> found;
    HuntCounts counts;
};

HuntRun Hunt(const HuntOptions& o, std::uint64_t seed, int turns) {
    HuntPool pool(o);
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
        // neighbours were wanted, and replaced after a short trial (levels 4
        // to 6 keep the case quick).
        {[] {
             HuntOptions o = SmallHunt(D::FromSolutions, 0, 2, 0x70u);
             o.trialVisits = 4;
             return o;
         }(),
         14, 150},
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
    const std::vector<Step> chains = {{1, "", {}, {}}, {33, "", {}, {}}, {1, "", {}, {}}, {36, "", {}, {}}};
    const std::vector<Step> trial = {{1, "", {}, {}}, {42, "", {}, {}}};
    const HuntScore a = ScoreGrading(7, chains), b = ScoreGrading(8, trial);
    EXPECT_EQ(a.topRung, 36);
    EXPECT_EQ(a.topSteps, 2);
    EXPECT_EQ(b.topRung, 42);
    for (auto kind : {HuntOptions::Score::Level, HuntOptions::Score::TopRung, HuntOptions::Score::Effort})
        EXPECT_LT(a.Value(kind), b.Value(kind));
    EXPECT_LT(ScoreGrading(7, {{33, "", {}, {}}}).Value(HuntOptions::Score::Effort), a.Value(HuntOptions::Score::Effort));
}

}  // namespace
}  // namespace gw
