// The grading driver, its level bookkeeping, trial solving and the primitives.
#include <gtest/gtest.h>

#include "grader/signature.h"
#include "test_util.h"

namespace gw {
namespace {

RungSet Without(std::string_view list) {
    RungSet out;
    std::string error;
    EXPECT_TRUE(ParseRungList(list, out, error)) << error;
    return out;
}

TEST(Primitives, PlaceDigitClearsTheCellAndItsPeers) {
    GradeState s;
    ResetGradeState(s, Grid{});
    PlaceDigit(s, 5, 40);
    EXPECT_EQ(s.SolveGrid[40], 5);
    EXPECT_EQ(s.CandMask[40], 0);
    for (int d = 1; d <= 9; ++d) EXPECT_FALSE(s.CandFlags(40, d));
    for (int x = 0; x < 81; ++x) {
        if (x == 40) continue;
        EXPECT_EQ(s.CandFlags(x, 5), !Sees(x, 40)) << x;
        EXPECT_EQ(BitCount[s.CandMask[x]], Sees(x, 40) ? 8 : 9) << x;
    }
}

TEST(Primitives, RemoveCandidateReportsWhetherItWasThere) {
    GradeState s;
    ResetGradeState(s, Grid{});
    EXPECT_TRUE(RemoveCandidate(s, 3, 10));
    EXPECT_FALSE(RemoveCandidate(s, 3, 10));
    EXPECT_EQ(s.CandMask[10], kAllDigits & ~DigitBit(3));
}

TEST(Primitives, RemoveFromCommonPeersTouchesOnlyCellsSeeingBothEnds) {
    GradeState s;
    ResetGradeState(s, Grid{});
    EXPECT_TRUE(RemoveFromCommonPeers(s, 0, 8, 4));
    for (int x = 0; x < 81; ++x) EXPECT_EQ(s.CandFlags(x, 4), !(x >= 1 && x <= 7)) << x;
    ResetGradeState(s, Grid{});
    EXPECT_TRUE(RemoveFromCommonPeers(s, 0, 80, 6));
    for (int x = 0; x < 81; ++x) EXPECT_EQ(s.CandFlags(x, 6), x != 8 && x != 72) << x;
    EXPECT_FALSE(RemoveFromCommonPeers(s, 0, 80, 6)) << "nothing left to remove";
    ResetGradeState(s, Grid{});
    RemoveFromCommonPeers(s, 0, 1, 2);  // same row and box
    EXPECT_TRUE(s.CandFlags(0, 2));
    EXPECT_TRUE(s.CandFlags(1, 2));
    EXPECT_FALSE(s.CandFlags(2, 2));
    EXPECT_FALSE(s.CandFlags(20, 2));
    EXPECT_FALSE(s.CandFlags(8, 2));
    EXPECT_TRUE(s.CandFlags(9 * 3, 2));
}

TEST(GradePuzzle, FullGridIsEasyWithoutAnyStep) {
    const auto puzzles = test::LoadSharedPuzzles();
    ASSERT_FALSE(puzzles.empty());
    GradeState s;
    std::vector<Step> steps;
    EXPECT_EQ(GradePuzzle(s, puzzles[0].second, &steps), 1);
    EXPECT_TRUE(steps.empty());
}

TEST(GradePuzzle, SinglesPuzzleIsEasyAndEveryStepIsOnePlacement) {
    for (const auto& [puzzle, solution] : test::LoadSharedPuzzles()) {
        const auto rep = test::GradeAndCheck(puzzle, solution);
        if (rep.level != 1) continue;
        for (const Step& st : rep.steps) {
            EXPECT_TRUE(st.rung == 1 || st.rung == 2);
            ASSERT_EQ(st.changes.size(), 1u);
            EXPECT_EQ(st.changes[0].kind, 'P');
        }
        return;
    }
    FAIL() << "no singles puzzle in the shared set";
}

// With every rung from 3 to 41 switched off, the level still rises before
// each of them, so a puzzle that singles cannot finish ends as 8 (the trial
// solved it) or 9 (stuck).
TEST(GradePuzzle, TrialSolvingGivesMayhemOrOutlaw) {
    const auto off = Without("3-41");
    int mayhem = 0, outlaw = 0;
    for (const auto& [puzzle, solution] : test::LoadSharedPuzzles()) {
        const auto rep = test::GradeAndCheck(puzzle, solution, off);
        ASSERT_TRUE(rep.level == 1 || rep.level == 8 || rep.level == 9);
        if (rep.level == 8) {
            ++mayhem;
            const Step& last = rep.steps.back();
            ASSERT_EQ(last.rung, 42);
            ASSERT_EQ(last.changes.front().kind, 'T');
            int filled = 0;
            for (std::size_t i = 1; i < last.changes.size(); ++i) {
                EXPECT_EQ(last.changes[i].kind, 'P');
                if (i > 1) {
                    EXPECT_LT(last.changes[i - 1].cell, last.changes[i].cell);
                }
                ++filled;
            }
            // The trial's own cell is among the cells it filled.
            bool hasTrialCell = false;
            for (std::size_t i = 1; i < last.changes.size(); ++i)
                hasTrialCell |= last.changes[i].cell == last.changes[0].cell;
            EXPECT_TRUE(hasTrialCell);
            EXPECT_GT(filled, 0);
        }
        if (rep.level == 9) ++outlaw;
        if (mayhem > 20 && outlaw > 3) break;
    }
    EXPECT_GT(mayhem, 0);
    EXPECT_GT(outlaw, 0);
}

TEST(BivalueTrial, NoBivalueCellMeansNoTrial) {
    GradeState s;
    ResetGradeState(s, Grid{});
    const auto before = s.CandMask;
    EXPECT_FALSE(BivalueTrial(s));
    EXPECT_EQ(s.CandMask, before);
}

TEST(TrialSolve, AFailedTrialRestoresTheStateExactly) {
    // Find a stuck state with singles only, then try every bivalue candidate.
    GradeState s;
    GradeRun run{.disabledRungs = Without("3-42")};
    s.run = &run;
    int failed = 0;
    for (const auto& [puzzle, solution] : test::LoadSharedPuzzles()) {
        if (GradePuzzle(s, puzzle) != 9) continue;
        for (int c = 0; c < 81 && failed < 5; ++c) {
            if (BitCount[s.CandMask[c]] != 2) continue;
            for (int d = 1; d <= 9; ++d) {
                if (!s.CandFlags(c, d) || solution[c] == d) continue;
                const auto grid = s.SolveGrid;
                const auto masks = s.CandMask;
                if (!TrialSolve(s, d, c)) {
                    ++failed;
                    EXPECT_EQ(s.SolveGrid, grid);
                    EXPECT_EQ(s.CandMask, masks);
                }
            }
        }
        if (failed >= 5) break;
    }
    EXPECT_GE(failed, 5);
}

TEST(GradePuzzle, HaltReturnsZero) {
    RunControl rc;
    rc.halt = true;
    int seen = 0;
    rc.haltSeenHook = [&] { ++seen; };
    Yielder y(&rc);
    GradeState s;
    GradeRun run{.yield = &y};
    s.run = &run;
    const auto puzzles = test::LoadSharedPuzzles();
    EXPECT_EQ(GradePuzzle(s, puzzles[0].first), 0);
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(GradePuzzle(s, puzzles[0].second), 1) << "a full grid is graded before any halt test";
}

// What the rest of the program takes from the ladder's order, checked where
// the table is compiled: the levels rise before rungs 3, 5, 11, 15, 20, 33 and
// 40 and never fall, the trial comes last, and the rungs that share a
// technique pass it the parameters their names promise.
constexpr bool LevelsRiseAt(std::initializer_list<int> raises) {
    std::size_t next = 0;
    for (std::size_t i = 1; i + 1 < kLadder.size(); ++i) {
        if (kLadder[i].level < kLadder[i - 1].level) return false;
        if (kLadder[i].level == kLadder[i - 1].level) continue;
        if (next == raises.size() || raises.begin()[next] != kLadder[i].number) return false;
        ++next;
    }
    return next == raises.size();
}
static_assert(LevelsRiseAt({3, 5, 11, 15, 20, 33, 40}));
static_assert(kLadder.back().run == RungNamed("Bivalue Trial").run && kLadder.back().level == 8);
static_assert(RungNamed("Naked Pair").params.naked && RungNamed("Naked Pair").params.size == 2);
static_assert(RungNamed("Naked Quint").params.naked && RungNamed("Naked Quint").params.size == 5);
static_assert(!RungNamed("Hidden Triple").params.naked && RungNamed("Hidden Triple").params.size == 3);
static_assert(RungNamed("X-Cycle (any length)").params.anyLength && !RungNamed("X-Cycle (up to 11 cells)").params.anyLength);
static_assert(RungNamed("Alternating Inference Chain (length 10)").params.chainLimit == 10);
static_assert(RungNamed("Alternating Inference Chain (length 20)").params.chainLimit == 20);
static_assert(RungNamed("Alternating Inference Chain (length 30)").params.chainLimit == 30);

TEST(Ladder, NamesAreUnique) {
    // Player's names are unique, so tests and benchmarks can name rungs by them.
    for (const Rung& r : kLadder) EXPECT_EQ(&RungNamed(r.player), &r) << r.player;
    EXPECT_THROW(RungNamed("X-Wings"), std::invalid_argument);
}

TEST(Ladder, ParseRungList) {
    EXPECT_EQ(Without("24,25"), (RungSet().set(24).set(25)));
    EXPECT_TRUE(Without("X-Wing").test(11));
    EXPECT_TRUE(Without("x wing").test(11));
    EXPECT_TRUE(Without("tryxwing").test(11));
    EXPECT_EQ(Without("TrySubset").count(), 6u);
    EXPECT_EQ(Without("TryAlternatingChains"), (RungSet().set(32).set(36).set(41)));
    EXPECT_EQ(Without("20-22, naked pair").count(), 4u);
    // Every name the ladder lists is accepted, whatever its case.
    EXPECT_EQ(Without("medusa"), (RungSet().set(24)));
    EXPECT_EQ(Without("FORCING CHAINS"), (RungSet().set(39)));
    EXPECT_EQ(Without("x-cycle"), (RungSet().set(31).set(35)));
    EXPECT_EQ(Without("X-Cycle (any length)"), (RungSet().set(35)));
    EXPECT_EQ(Without("TryIntersectionSets, sue de coq"), (RungSet().set(25)));
    for (const Rung& r : kLadder) {
        EXPECT_TRUE(Without(r.player).test(static_cast<std::size_t>(r.number))) << r.player;
        EXPECT_TRUE(Without(r.technique).test(static_cast<std::size_t>(r.number))) << r.technique;
    }
    RungSet out;
    std::string error;
    EXPECT_FALSE(ParseRungList("43", out, error));
    EXPECT_FALSE(ParseRungList("Quantum Entanglement", out, error));
    EXPECT_NE(error.find("Quantum"), std::string::npos);
}

// The signature tells apart gradings that differ in any rung, change or level.
TEST(GradingSignature, ChangesWithEveryPartOfAGrading) {
    const std::vector<Step> steps = {{1, "Hidden Single", {{'P', 3, 4}}, {}}, {11, "X-Wing", {{'R', 5, 6}, {'R', 7, 6}}, {}}};
    const auto sign = [](int level, const std::vector<Step>& st) {
        GradingSignature g;
        g.Add(level, st);
        return g.Value();
    };
    const std::uint64_t base = sign(4, steps);
    EXPECT_EQ(sign(4, steps), base);
    EXPECT_NE(sign(5, steps), base);
    auto other = steps;
    other[1].rung = 12;
    EXPECT_NE(sign(4, other), base);
    other = steps;
    other[1].changes[1].cell = 8;
    EXPECT_NE(sign(4, other), base);
    other = steps;
    std::swap(other[1].changes[0], other[1].changes[1]);
    EXPECT_NE(sign(4, other), base) << "the order of the changes counts";
    other = steps;
    other[0].changes[0].kind = 'T';
    EXPECT_NE(sign(4, other), base);
}

}  // namespace
}  // namespace gw
