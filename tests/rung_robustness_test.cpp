// Every rung must survive any candidate state, including the contradictory
// ones that trial solving produces (cells with no candidate left, a digit
// placed twice in a unit): no crash, no out-of-bounds access, no endless loop,
// and a reported progress always comes with a change. Run under the sanitizers
// in CI.
#include <gtest/gtest.h>

#include "test_util.h"

namespace gw {
namespace {

// Random states of three kinds: sparse random masks, puzzles part-way through
// grading with random candidates struck out (often the solution digit), and
// grids with clashing placed digits.
GradeState RandomState(Rng& rng, int kind, const std::vector<std::pair<Grid, Grid>>& puzzles) {
    GradeState s;
    switch (kind) {
        case 0:
            for (int c = 0; c < 81; ++c) {
                if (rng.Below(5) == 0) {
                    s.SolveGrid[c] = static_cast<std::uint8_t>(1 + rng.Below(9));
                    s.CandMask[c] = 0;
                } else {
                    s.CandMask[c] = static_cast<std::uint16_t>(rng.Next() & rng.Next() & kAllDigits);
                }
            }
            break;
        case 1: {
            const auto& [puzzle, solution] = puzzles[static_cast<std::size_t>(rng.Below(static_cast<int>(puzzles.size())))];
            ResetGradeState(s, puzzle);
            // A few singles, as the grader would make them.
            for (int i = rng.Below(20); i > 0 && (RunRung(s, test::RungNo("Hidden Single")) || RunRung(s, test::RungNo("Naked Single")));) --i;
            for (int i = rng.Below(12); i > 0; --i) RemoveCandidate(s, 1 + rng.Below(9), rng.Below(81));
            break;
        }
        default:
            ResetGradeState(s, Grid{});
            for (int i = 0; i < 25; ++i) {
                const int c = rng.Below(81);
                s.SolveGrid[c] = static_cast<std::uint8_t>(1 + rng.Below(9));
                s.CandMask[c] = 0;
            }
            for (int i = 0; i < 200; ++i) RemoveCandidate(s, 1 + rng.Below(9), rng.Below(81));
            break;
    }
    s.Givens = s.SolveGrid;
    return s;
}

TEST(RungRobustness, RandomCandidateStates) {
    const auto puzzles = test::LoadSharedPuzzles();
    ASSERT_FALSE(puzzles.empty());
    Rng rng(1234);
    constexpr int kStates = 60;
    for (int rung = 1; rung < kRungCount; ++rung) {
        for (int i = 0; i < kStates; ++i) {
            GradeState s = RandomState(rng, i % 3, puzzles);
            const GradeState before = s;
            const bool progress = RunRung(s, rung);
            if (!progress) continue;
            EXPECT_TRUE(s.CandMask != before.CandMask || s.SolveGrid != before.SolveGrid)
                << "rung " << rung << " reported progress without a change";
            for (int c = 0; c < 81; ++c) {
                // Candidates are only ever taken away; a digit placed stays.
                EXPECT_EQ(s.CandMask[c] & ~before.CandMask[c], 0) << "rung " << rung << " added a candidate";
                if (before.SolveGrid[c] != 0) {
                    EXPECT_EQ(s.SolveGrid[c], before.SolveGrid[c]) << "rung " << rung;
                }
            }
        }
    }
}

TEST(RungRobustness, TrialSolvingOnContradictoryStates) {
    const auto puzzles = test::LoadSharedPuzzles();
    Rng rng(99);
    for (int i = 0; i < 6; ++i) {
        GradeState s = RandomState(rng, 1, puzzles);
        const GradeState before = s;
        if (!RunRung(s, test::RungNo("Bivalue Trial"))) {
            EXPECT_EQ(s.CandMask, before.CandMask) << "a failed trial must leave the state as it was";
            EXPECT_EQ(s.SolveGrid, before.SolveGrid);
        }
    }
}

}  // namespace
}  // namespace gw
