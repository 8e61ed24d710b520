// Multi-colouring: hand-made candidate grids for the cluster rules
// and their edge cases, and real gradings checked against the known solutions.
//
// The grids hold digit 1 only in the listed cells (every cell keeps 2..9), so
// the conjugate pairs of digit 1 are exactly the units with two listed cells.
#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

#include "test_util.h"
#include "techniques/techniques.h"

namespace gw {
namespace {

constexpr int kRung = test::RungNo("Multi-Colouring");

GradeState OnesAt(std::initializer_list<std::pair<int, int>> cells) { return test::Picture(1, cells); }

std::vector<Change> Colour(GradeState& s, bool expectProgress) {
    return test::ChangesExpecting(s, TryMultiColouring, expectProgress);
}

Change Removed(int r, int c) { return test::Removed(r, c, 1); }
Change Placed(int r, int c) { return {'P', test::Cell(r, c), 1}; }

// Cluster 1: r1c1 (odd) = r1c5 (even) by row 1, r1c5 = r9c5 (odd) by column 5.
// Cluster 2: r8c1 (odd) = r8c4 (even) by row 8. r6c1 and r7c6 keep column 1
// and box 8 from being conjugate pairs.
// Odd(1) sees odd(2) (r1c1-r8c1) and even(2) (r9c5-r8c4): odd(1) is false.
TEST(MultiColouring, ColourSeeingBothColoursOfAnotherClusterIsFalse) {
    GradeState s = OnesAt({{1, 1}, {1, 5}, {9, 5}, {8, 1}, {8, 4}, {6, 1}, {7, 6}});
    const auto log = Colour(s, true);
    // r9c5 loses the digit to the placement at r1c5 before its own turn.
    EXPECT_EQ(log, (std::vector<Change>{Removed(1, 1), Placed(1, 5)}));
    EXPECT_FALSE(s.CandFlags(test::Cell(9, 5), 1));
}

// The same grid upside down: cluster 1 is now the short one and odd(2) sees
// both colours of cluster 1, so the rule acts on cluster 2.
TEST(MultiColouring, RuleOnTheSecondCluster) {
    GradeState s = OnesAt({{9, 1}, {9, 5}, {1, 5}, {2, 1}, {2, 4}, {4, 1}, {3, 6}});
    const auto log = Colour(s, true);
    EXPECT_EQ(log, (std::vector<Change>{Removed(9, 1), Placed(9, 5)}));
}

// Three flags: odd(1) sees both colours of cluster 2 and even(1) sees odd(2).
// Both clusters are settled; the result counts the three cells placed.
TEST(MultiColouring, ThreeFlagsSettleBothClusters) {
    GradeState s = OnesAt({{1, 1}, {1, 5}, {9, 5}, {8, 1}, {8, 4}, {6, 1}, {7, 6}, {9, 2}, {7, 3}, {7, 8}});
    const auto log = Colour(s, true);
    EXPECT_EQ(log, (std::vector<Change>{Removed(1, 1), Placed(1, 5), Removed(8, 1), Placed(8, 4), Placed(9, 2)}));
}

// One flag: r1c1 (odd 1) sees r2c2 (odd 2) in box 1, so r1c5 (even 1) or
// r7c2 (even 2) holds the digit, and r7c5, which sees both, cannot.
TEST(MultiColouring, OppositeColoursTrapACell) {
    GradeState s = OnesAt({{1, 1}, {1, 5}, {2, 2}, {7, 2}, {7, 5}, {3, 3}, {4, 5}, {7, 9}});
    const auto log = Colour(s, true);
    EXPECT_EQ(log, (std::vector<Change>{Removed(7, 5)}));
}

// r1c1 (odd 1) sees r2c2 (odd 2) and r5c1 (even 2), but an entry records only
// the first entry of the other cluster that it sees. With the one flag the
// pair is handled as a trap: r1c1 itself sees r1c5 (even 1) and r5c1 (even 2)
// and loses the digit; nothing is placed.
TEST(MultiColouring, EachEntryRecordsOnlyTheFirstEntryItSees) {
    GradeState s = OnesAt({{1, 1}, {1, 5}, {2, 2}, {2, 7}, {5, 1}, {5, 7}, {3, 3}, {8, 1}});
    const auto log = Colour(s, true);
    EXPECT_EQ(log, (std::vector<Change>{Removed(1, 1)}));
}

// One cluster (r1c1 r1c5 r7c5 r7c2): r2c2 sees both of its colours, which
// simple colouring would use; multi-colouring compares clusters only.
TEST(MultiColouring, SingleClusterIsNotCompared) {
    GradeState s = OnesAt({{1, 1}, {1, 5}, {7, 5}, {7, 2}, {2, 2}, {4, 2}, {3, 3}});
    const auto before = s.CandMask;
    Colour(s, false);
    EXPECT_EQ(s.CandMask, before);
}

// Every colour of cluster 1 sees every colour of cluster 2: no solution, and
// the pair is left alone.
TEST(MultiColouring, AllFourFlagsAreNotActedOn) {
    GradeState s = OnesAt({{1, 1}, {1, 9}, {2, 7}, {8, 7}, {9, 9}, {9, 1}, {5, 1}, {5, 9}});
    const auto before = s.CandMask;
    Colour(s, false);
    EXPECT_EQ(s.CandMask, before);
}

// A contradictory grid, as trial solving meets them. The rule (odd-odd,
// odd-even, even-odd) places the digit in even(1) = r7c6, r1c4 and even(2) =
// r9c6, but r7c6 and r9c6 share column 6 and box 8. Once r7c6 is placed, r9c6
// no longer holds the digit and is not placed: no unit may get it twice.
TEST(MultiColouring, NeverPlacesADigitThatIsNoLongerACandidate) {
    GradeState s = OnesAt({{9, 5}, {7, 4}, {5, 3}, {1, 4}, {2, 6}, {9, 6}, {7, 6}});
    const auto log = Colour(s, true);
    EXPECT_EQ(log, (std::vector<Change>{Removed(7, 4), Placed(7, 6), Placed(1, 4)}));
    for (int u = 0; u < 27; ++u) {
        int ones = 0;
        for (int k = 0; k < 9; ++k) ones += s.SolveGrid[UnitCell(u, k)] == 1;
        EXPECT_LE(ones, 1) << "unit " << u;
    }
}

TEST(MultiColouring, NoConjugatePairsFindsNothing) {
    GradeState s = test::MakeState("123456789");
    Colour(s, false);
}

// A position met in a real grading (rungs above the subsets switched off).
TEST(MultiColouring, RealPosition) {
    test::ExpectRealPosition(test::kPositionAfterSubsets, test::kPositionAfterSubsetsSolution, TryMultiColouring,
                             {test::Removed(9, 9, 5)});
}

TEST(MultiColouring, SoundOnSharedPuzzles) {
    const auto puzzles = test::LoadSharedPuzzles();
    ASSERT_GE(puzzles.size(), 1000u);
    test::ExpectSoundProgress(puzzles, kRung, test::RungsOffFrom(test::RungNo("X-Wing"), kRung));
}

TEST(MultiColouring, SoundOnGeneratedPuzzles) {
    test::ExpectSoundProgress(GeneratedPuzzles(150, 2026120722), kRung,
                              test::RungsOffFrom(test::RungNo("X-Wing"), kRung));
}

}  // namespace
}  // namespace gw
