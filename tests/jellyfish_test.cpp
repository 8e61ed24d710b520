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

using test::Picture;

std::vector<Change> Fish(GradeState& s, bool expectProgress) {
    return test::ChangesExpecting(s, TryJellyfish, expectProgress);
}

using test::Removed;

// Rows 1, 3, 5, 7 hold 5 only in columns 2, 4, 6, 8 (each row in two of them);
// rows 2, 4 and 9 also hold 5, partly outside those columns.
GradeState RowFish() {
    return Picture(5, {{1, 2},
                           {1, 4},
                           {3, 4},
                           {3, 6},
                           {5, 6},
                           {5, 8},
                           {7, 2},
                           {7, 8},
                           {2, 2},
                           {2, 3},
                           {4, 1},
                           {4, 3},
                           {9, 8},
                           {9, 9}});
}

TEST(Jellyfish, RowsAsBaseClearTheCrossColumns) {
    GradeState s = RowFish();
    const auto log = Fish(s, true);
    EXPECT_EQ(log, (std::vector<Change>{Removed(2, 2, 5), Removed(9, 8, 5)}));
    EXPECT_TRUE(s.CandFlags(test::Cell(4, 1), 5));  // outside the cross columns
}

TEST(Jellyfish, ColumnsAsBaseClearTheCrossRows) {
    GradeState s = Transposed(RowFish());
    const auto log = Fish(s, true);
    // Column 2 row 2, then column 9 row 8.
    EXPECT_EQ(log, (std::vector<Change>{Removed(2, 2, 5), Removed(8, 9, 5)}));
}

TEST(Jellyfish, FishThatRemovesNothingIsPassedOver) {
    GradeState s = Picture(5, {{1, 2}, {1, 4}, {3, 4}, {3, 6}, {5, 6}, {5, 8}, {7, 2}, {7, 8}});
    Fish(s, false);
}

// A row where the digit is already placed has an empty mask, which lies inside
// every cover set; it must not count as a base row.
TEST(Jellyfish, RowWithThePlacedDigitIsNoBaseRow) {
    GradeState s = Picture(5, {{1, 2},
                                   {1, 4},
                                   {3, 4},
                                   {3, 6},
                                   {5, 6},
                                   {5, 8},  // three rows inside 2,4,6,8
                                   {2, 2},
                                   {2, 3},
                                   {4, 3},
                                   {4, 5},
                                   {6, 5},
                                   {6, 7},
                                   {8, 7},
                                   {8, 9},
                                   {9, 8},
                                   {9, 9}});
    s.SolveGrid[test::Cell(7, 1)] = 5;  // row 7 is solved for 5
    s.CandMask[test::Cell(7, 1)] = 0;
    const auto before = s.CandMask;
    Fish(s, false);
    EXPECT_EQ(s.CandMask, before);
}

// Five rows inside four columns have no solution; nothing is removed.
TEST(Jellyfish, FiveRowsInFourColumnsRemoveNothing) {
    GradeState s = Picture(
        5, {{1, 2}, {1, 4}, {3, 4}, {3, 6}, {5, 6}, {5, 8}, {7, 2}, {7, 8}, {9, 2}, {9, 6}, {2, 1}, {2, 2}, {2, 3}});
    Fish(s, false);
    EXPECT_TRUE(s.CandFlags(test::Cell(2, 2), 5));
}

// With 5 placed at r9c9, rows 1, 3, 5, 7 inside columns 2, 4, 6, 8 and
// columns 1, 3, 5, 7 inside rows 2, 4, 6, 8 are the same fish seen both ways. The rows are searched first, so the
// removals come row by row.
TEST(Jellyfish, FishInBothOrientationsIsTakenThroughTheRows) {
    GradeState s = Picture(5, {{1, 2},
                                   {1, 4},
                                   {3, 4},
                                   {3, 6},
                                   {5, 6},
                                   {5, 8},
                                   {7, 2},
                                   {7, 8},
                                   {2, 1},
                                   {2, 8},
                                   {4, 2},
                                   {4, 3},
                                   {6, 5},
                                   {6, 6},
                                   {8, 4},
                                   {8, 7}});
    s.SolveGrid[test::Cell(9, 9)] = 5;
    s.CandMask[test::Cell(9, 9)] = 0;
    const auto log = Fish(s, true);
    EXPECT_EQ(log, (std::vector<Change>{Removed(2, 8, 5), Removed(4, 2, 5), Removed(6, 6, 5), Removed(8, 4, 5)}));
}

// Digits are tried in ascending order: the fish of the lower digit wins.
TEST(Jellyfish, LowerDigitFirst) {
    GradeState s = RowFish();
    // The same fish for digit 2 on rows shifted down by one.
    test::OnlyAt(s, 2, {{2, 2}, {2, 4}, {4, 4}, {4, 6}, {6, 6}, {6, 8}, {8, 2}, {8, 8}, {1, 6}, {1, 9}});
    const auto log = Fish(s, true);
    EXPECT_EQ(log, (std::vector<Change>{Removed(1, 6, 2)}));
}

// A position met in a real grading (rungs above the subsets switched off):
// a jellyfish on 9 with columns as base lines clears five cells of columns 1
// and 3.
TEST(Jellyfish, RealPosition) {
    test::ExpectRealPosition(R"(
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
    )",
                             "879134562462758913315962874987321645231645798654897321543276189728519436196483257",
                             TryJellyfish,
                             {test::Removed(3, 1, 9), test::Removed(8, 1, 9), test::Removed(9, 1, 9),
                              test::Removed(7, 3, 9), test::Removed(9, 3, 9)});
}

// Everything above the elementary rungs switched off but this one, so the rung
// meets many real positions; every change must agree with the solution.
TEST(Jellyfish, SoundOnSharedPuzzles) {
    const auto puzzles = test::LoadSharedPuzzles();
    ASSERT_GE(puzzles.size(), 1000u);
    test::ExpectSoundProgress(puzzles, kRung, test::RungsOffFrom(test::RungNo("X-Wing"), kRung));
}

TEST(Jellyfish, SoundOnGeneratedPuzzles) {
    test::ExpectSoundProgress(GeneratedPuzzles(150, 2026120720), kRung,
                              test::RungsOffFrom(test::RungNo("X-Wing"), kRung));
}

}  // namespace
}  // namespace gw
