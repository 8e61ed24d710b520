// Jellyfish: hand-made candidate grids for the pattern's edge cases,
// and real gradings checked against the known solutions.
#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

#include "test_util.h"
#include "techniques/techniques.h"

namespace gw {
namespace {

constexpr int kRung = test::RungNo("Jellyfish");

// Mirrors a grid on its main diagonal (rows become columns).
GradeState Transposed(const GradeState& in) {
    GradeState s;
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c) {
            s.CandMask[CellAt[c][r]] = in.CandMask[CellAt[r][c]];
            s.SolveGrid[CellAt[c][r]] = in.SolveGrid[CellAt[r][c]];
        }
    return s;
}

using test::DigitOnlyAt;

std::vector<Change> Fish(GradeState& s, bool expectProgress) {
    return test::ChangesExpecting(s, TryJellyfish, expectProgress);
}

Change Removed(int r, int c, int d) {
    return {'R', static_cast<std::uint8_t>(CellAt[r][c]), static_cast<std::uint8_t>(d)};
}

// Rows 0, 2, 4, 6 hold 5 only in columns 1, 3, 5, 7 (each row in two of them);
// rows 1, 3 and 8 also hold 5, partly outside those columns.
GradeState RowFish() {
    return DigitOnlyAt(5, {{0, 1}, {0, 3}, {2, 3}, {2, 5}, {4, 5}, {4, 7}, {6, 1}, {6, 7},
                           {1, 1}, {1, 2}, {3, 0}, {3, 2}, {8, 7}, {8, 8}});
}

TEST(Jellyfish, RowsAsBaseClearTheCrossColumns) {
    GradeState s = RowFish();
    const auto log = Fish(s, true);
    EXPECT_EQ(log, (std::vector<Change>{Removed(1, 1, 5), Removed(8, 7, 5)}));
    EXPECT_TRUE(s.CandFlags(CellAt[3][0], 5));  // outside the cross columns
}

TEST(Jellyfish, ColumnsAsBaseClearTheCrossRows) {
    GradeState s = Transposed(RowFish());
    const auto log = Fish(s, true);
    // Column 1 row 1, then column 8 row 7.
    EXPECT_EQ(log, (std::vector<Change>{Removed(1, 1, 5), Removed(7, 8, 5)}));
}

TEST(Jellyfish, FishThatRemovesNothingIsPassedOver) {
    GradeState s = DigitOnlyAt(5, {{0, 1}, {0, 3}, {2, 3}, {2, 5}, {4, 5}, {4, 7}, {6, 1}, {6, 7}});
    Fish(s, false);
}

// A row where the digit is already placed has an empty mask, which lies inside
// every cover set; it must not count as a base row.
TEST(Jellyfish, RowWithThePlacedDigitIsNoBaseRow) {
    GradeState s = DigitOnlyAt(5, {{0, 1}, {0, 3}, {2, 3}, {2, 5}, {4, 5}, {4, 7},  // three rows inside 1,3,5,7
                                   {1, 1}, {1, 2}, {3, 2}, {3, 4}, {5, 4}, {5, 6}, {7, 6}, {7, 8}, {8, 7}, {8, 8}});
    s.SolveGrid[CellAt[6][0]] = 5;  // row 6 is solved for 5
    s.CandMask[CellAt[6][0]] = 0;
    const auto before = s.CandMask;
    Fish(s, false);
    EXPECT_EQ(s.CandMask, before);
}

// Five rows inside four columns have no solution; nothing is removed.
TEST(Jellyfish, FiveRowsInFourColumnsRemoveNothing) {
    GradeState s = DigitOnlyAt(5, {{0, 1}, {0, 3}, {2, 3}, {2, 5}, {4, 5}, {4, 7}, {6, 1}, {6, 7}, {8, 1}, {8, 5},
                                   {1, 0}, {1, 1}, {1, 2}});
    Fish(s, false);
    EXPECT_TRUE(s.CandFlags(CellAt[1][1], 5));
}

// With 5 placed at r9c9, rows 1,3,5,7 (0-based 0,2,4,6) inside columns
// 1,3,5,7 and columns 0,2,4,6 inside rows 1,3,5,7 are the same fish seen both
// ways. The rows are searched first, so the removals come row by row.
TEST(Jellyfish, FishInBothOrientationsIsTakenThroughTheRows) {
    GradeState s = DigitOnlyAt(5, {{0, 1}, {0, 3}, {2, 3}, {2, 5}, {4, 5}, {4, 7}, {6, 1}, {6, 7},
                                   {1, 0}, {1, 7}, {3, 1}, {3, 2}, {5, 4}, {5, 5}, {7, 3}, {7, 6}});
    s.SolveGrid[80] = 5;
    s.CandMask[80] = 0;
    const auto log = Fish(s, true);
    EXPECT_EQ(log, (std::vector<Change>{Removed(1, 7, 5), Removed(3, 1, 5), Removed(5, 5, 5), Removed(7, 3, 5)}));
}

// Digits are tried in ascending order: the fish of the lower digit wins.
TEST(Jellyfish, LowerDigitFirst) {
    GradeState s = RowFish();
    // The same fish for digit 2 on rows shifted down by one.
    test::OnlyAt(s, 2, {{1, 1}, {1, 3}, {3, 3}, {3, 5}, {5, 5}, {5, 7}, {7, 1}, {7, 7}, {0, 5}, {0, 8}});
    const auto log = Fish(s, true);
    EXPECT_EQ(log, (std::vector<Change>{Removed(0, 5, 2)}));
}

// A position met in a real grading (rungs above the subsets switched off):
// a jellyfish on 9 with columns as base lines clears five cells of columns 1
// and 3.
TEST(Jellyfish, RealPosition) {
    const Grid solution = test::ParseGrid("879134562462758913315962874987321645231645798654897321543276189728519436196483257");
    GradeState s = test::FromCandidates(R"(
        389   =7    2369  | =1    356   =4    | 2568  368   235
        =4    26    236   | 27    3567  =8    | =9    =1    235
        1389  1269  =5    | 29    36    269   | 2468  =7    234
        ---------------------+-------------------+------------------
        79    =8    79    | =3    =2    =1    | 456   46    45
        =2    =3    =1    | =6    =4    =5    | =7    =9    =8
        =6    =5    =4    | =8    =9    =7    | =3    =2    =1
        ---------------------+-------------------+------------------
        =5    =4    23679 | 279   678   269   | =1    38    79
        1379  129   =8    | =5    17    29    | 24    34    =6
        179   1269  2679  | =4    1678  =3    | 28    =5    79
    )");
    const auto o = test::Apply(s, TryJellyfish);
    EXPECT_TRUE(o.progress);
    EXPECT_EQ(o.changes, (std::vector<Change>{{'R', 18, 9}, {'R', 63, 9}, {'R', 72, 9}, {'R', 56, 9}, {'R', 74, 9}}));
    for (const Change& ch : o.changes) EXPECT_NE(solution[ch.cell], ch.digit) << int(ch.cell);
}

// Everything above the elementary rungs switched off but this one, so the rung
// meets many real positions; every change must agree with the solution.
TEST(Jellyfish, SoundOnSharedPuzzles) {
    const auto puzzles = test::LoadSharedPuzzles();
    ASSERT_GE(puzzles.size(), 1000u);
    const auto use = test::CountRungSteps(puzzles, kRung, test::RungsOffFrom(test::RungNo("X-Wing"), kRung));
    EXPECT_EQ(use.unsound, 0);
    EXPECT_GT(use.steps, 0) << "the rung never made progress";
}

TEST(Jellyfish, SoundOnGeneratedPuzzles) {
    const auto use = test::CountRungSteps(test::GeneratePuzzles(150, 2026120720), kRung, test::RungsOffFrom(test::RungNo("X-Wing"), kRung));
    EXPECT_EQ(use.unsound, 0);
    EXPECT_GT(use.steps, 0);
}

}  // namespace
}  // namespace gw
