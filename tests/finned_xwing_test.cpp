// Finned X-wing: hand-made candidate grids for the pattern's edge
// cases, and real gradings checked against the known solutions.
#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

#include "test_util.h"
#include "techniques/techniques.h"

namespace gw {
namespace {

constexpr int kRung = test::RungNo("Finned X-Wing");
using Cells = std::initializer_list<std::pair<int, int>>;
using test::Picture;
using test::OnlyAt;

std::vector<Change> Finned(GradeState& s, bool expectProgress) {
    return test::ChangesExpecting(s, TryFinnedXWing, expectProgress);
}

using test::Removed;

// Base row r1: 3 in c2 and c8 only. Second row r5: c2, c8 and a fin at c3, in
// the box of r5c2. Column 2 inside that box loses the 3 (off row 5).
// r9c8 keeps column 8 from being a base line of its own.
constexpr Cells kOneFin = {{1, 2}, {1, 8}, {5, 2}, {5, 8}, {5, 3}, {4, 2}, {6, 2}, {9, 8}};

TEST(FinnedXWing, OneFinRowsAsBase) {
    GradeState s = Picture(3, kOneFin);
    EXPECT_EQ(Finned(s, true), (std::vector<Change>{Removed(4, 2, 3), Removed(6, 2, 3)}));
}

TEST(FinnedXWing, TwoFinsInOneBox) {
    GradeState s = Picture(3, {{1, 2}, {1, 8}, {5, 1}, {5, 2}, {5, 3}, {5, 8}, {4, 2}, {6, 2}});
    EXPECT_EQ(Finned(s, true), (std::vector<Change>{Removed(4, 2, 3), Removed(6, 2, 3)}));
}

TEST(FinnedXWing, FinInTheBoxOfTheSecondCrossCell) {
    GradeState s = Picture(3, {{1, 2}, {1, 8}, {5, 2}, {5, 8}, {5, 9}, {4, 8}, {6, 8}, {4, 2}});
    EXPECT_EQ(Finned(s, true), (std::vector<Change>{Removed(4, 8, 3), Removed(6, 8, 3)}));
}

// The same pattern mirrored: base column c1, second column c5, fin in r3.
TEST(FinnedXWing, OneFinColumnsAsBase) {
    GradeState s = Picture(3, kOneFin, true);
    EXPECT_EQ(Finned(s, true), (std::vector<Change>{Removed(2, 4, 3), Removed(2, 6, 3)}));
}

// A column pattern on digit 2 and a row pattern on digit 3: all rows come
// first, whatever the digit.
TEST(FinnedXWing, RowsBeforeColumns) {
    GradeState s = Picture(3, kOneFin);
    OnlyAt(s, 2, kOneFin, true);
    EXPECT_EQ(Finned(s, true), (std::vector<Change>{Removed(4, 2, 3), Removed(6, 2, 3)}));
}

TEST(FinnedXWing, BaseCellsInOneBoxAreNotUsed) {
    GradeState s = Picture(3, {{1, 2}, {1, 3}, {5, 1}, {5, 2}, {5, 3}, {4, 2}, {6, 2}});
    Finned(s, false);
}

TEST(FinnedXWing, SecondRowInTheSameBandIsNotUsed) {
    GradeState s = Picture(3, {{1, 2}, {1, 8}, {2, 2}, {2, 8}, {2, 3}, {3, 2}});
    Finned(s, false);
}

// Five candidates in the second row: two fins in box 4 and one in box 6.
TEST(FinnedXWing, SecondRowWithFiveCandidatesIsNotUsed) {
    GradeState s = Picture(3, {{1, 2}, {1, 8}, {5, 1}, {5, 2}, {5, 3}, {5, 8}, {5, 9}, {4, 2}, {9, 8}});
    Finned(s, false);
}

// Sashimi: the second row lacks the digit at c8.
TEST(FinnedXWing, SecondRowMissingACrossCellIsNotUsed) {
    GradeState s = Picture(3, {{1, 2}, {1, 8}, {5, 1}, {5, 2}, {5, 3}, {4, 2}});
    Finned(s, false);
}

TEST(FinnedXWing, FinsInBothBoxesDoNothing) {
    GradeState s = Picture(3, {{1, 2}, {1, 8}, {5, 2}, {5, 8}, {5, 3}, {5, 9}, {4, 2}, {4, 8}});
    Finned(s, false);
}

// Second row r5 gives a pattern with nothing to remove; the search goes on to
// second row r8, whose fin at c9 clears r9c8.
TEST(FinnedXWing, PatternWithoutTargetsIsPassedOver) {
    GradeState s = Picture(3, {{1, 2}, {1, 8}, {5, 2}, {5, 8}, {5, 3}, {8, 2}, {8, 8}, {8, 9}, {9, 8}});
    EXPECT_EQ(Finned(s, true), (std::vector<Change>{Removed(9, 8, 3)}));
}

// A position met in a real grading (rungs above the subsets switched off).
TEST(FinnedXWing, RealPosition) {
    test::ExpectRealPosition(test::kPositionAfterSubsets, test::kPositionAfterSubsetsSolution, TryFinnedXWing,
                             {test::Removed(9, 9, 5)});
}

TEST(FinnedXWing, SoundOnSharedPuzzles) {
    const auto puzzles = test::LoadSharedPuzzles();
    ASSERT_GE(puzzles.size(), 1000u);
    test::ExpectSoundProgress(puzzles, kRung, test::RungsOffFrom(test::RungNo("X-Wing"), kRung));
}

TEST(FinnedXWing, SoundOnGeneratedPuzzles) {
    test::ExpectSoundProgress(GeneratedPuzzles(150, 2026120723), kRung,
                              test::RungsOffFrom(test::RungNo("X-Wing"), kRung));
}

}  // namespace
}  // namespace gw
