// Bivalue conjugate loop on hand-made candidate grids, and in a real
// grading.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "techniques/techniques.h"
#include "test_util.h"

namespace gw {
namespace {

using test::OpenGrid;
using test::SetCell;

int At(int row, int col) { return 9 * row + col; }
int Row(int r) { return r; }
int Col(int c) { return 9 + c; }
int Box(int b) { return 18 + b; }

// Removes `digit` from every cell of the unit except `keep`.
void StripFromUnit(GradeState& s, int unit, int digit, std::initializer_list<int> keep) {
    for (int k = 0; k < 9; ++k) {
        const int cell = UnitCell(unit, k);
        if (std::find(keep.begin(), keep.end(), cell) == keep.end())
            s.CandMask[cell] &= static_cast<std::uint16_t>(~DigitBit(digit));
    }
}

// The removals that clearing `digit` from the unit (in unit order) except
// `keep` makes on state s, appended to `out`.
void ExpectClear(const GradeState& s, int unit, int digit, std::initializer_list<int> keep, std::vector<Change>& out) {
    for (int k = 0; k < 9; ++k) {
        const int cell = UnitCell(unit, k);
        if (std::find(keep.begin(), keep.end(), cell) == keep.end() && s.CandFlags(cell, digit))
            out.push_back({'R', static_cast<std::uint8_t>(cell), static_cast<std::uint8_t>(digit)});
    }
}

test::Outcome<> Apply(GradeState& s) { return test::Apply(s, TryBivalueConjugateLoop); }

// Rows 1 and 5: digit 1 only in (1,2) {1,4} and (1,6) {1,5}; digit 2 only in
// (5,2) {2,4} and (5,6) {2,5}. Column 2 links the 4s, column 6 the 5s.
GradeState RowLoop() {
    GradeState s = OpenGrid();
    SetCell(s, At(1, 2), "14");
    SetCell(s, At(1, 6), "15");
    SetCell(s, At(5, 2), "24");
    SetCell(s, At(5, 6), "25");
    StripFromUnit(s, Row(1), 1, {At(1, 2), At(1, 6)});
    StripFromUnit(s, Row(5), 2, {At(5, 2), At(5, 6)});
    return s;
}

TEST(ConjugateLoop, RowsLinkedByColumns) {
    GradeState s = RowLoop();
    std::vector<Change> want;
    ExpectClear(s, Col(2), 4, {At(1, 2), At(5, 2)}, want);
    ExpectClear(s, Col(6), 5, {At(1, 6), At(5, 6)}, want);
    ASSERT_EQ(want.size(), 14u);
    const auto o = Apply(s);
    EXPECT_TRUE(o.progress);
    EXPECT_EQ(o.changes, want);
    EXPECT_FALSE(Apply(s).progress);
}

TEST(ConjugateLoop, CrossedCandidateSetsAreNotALoop) {
    GradeState s = RowLoop();
    SetCell(s, At(5, 2), "25");
    SetCell(s, At(5, 6), "24");
    EXPECT_FALSE(Apply(s).progress);
}

TEST(ConjugateLoop, EqualOuterDigitsArePassedOver) {
    GradeState s = RowLoop();
    SetCell(s, At(1, 6), "14");
    SetCell(s, At(5, 6), "24");
    EXPECT_FALSE(Apply(s).progress);
}

TEST(ConjugateLoop, LoopWithNothingToRemoveIsPassedOverForALaterOne) {
    GradeState s = RowLoop();
    StripFromUnit(s, Col(2), 4, {At(1, 2), At(5, 2)});
    StripFromUnit(s, Col(6), 5, {At(1, 6), At(5, 6)});
    GradeState dead = s;
    EXPECT_FALSE(Apply(dead).progress);

    // A second loop on rows 3 and 7, linked by columns 0 and 4.
    SetCell(s, At(3, 0), "68");
    SetCell(s, At(3, 4), "69");
    SetCell(s, At(7, 0), "78");
    SetCell(s, At(7, 4), "79");
    StripFromUnit(s, Row(3), 6, {At(3, 0), At(3, 4)});
    StripFromUnit(s, Row(7), 7, {At(7, 0), At(7, 4)});
    std::vector<Change> want;
    ExpectClear(s, Col(0), 8, {At(3, 0), At(7, 0)}, want);
    ExpectClear(s, Col(4), 9, {At(3, 4), At(7, 4)}, want);
    EXPECT_EQ(Apply(s).changes, want);
}

TEST(ConjugateLoop, RowsInOneBandTryColumnLinksBeforeBoxLinks) {
    GradeState s = OpenGrid();
    SetCell(s, At(1, 1), "14");
    SetCell(s, At(1, 4), "15");
    SetCell(s, At(2, 1), "24");
    SetCell(s, At(2, 4), "25");
    StripFromUnit(s, Row(1), 1, {At(1, 1), At(1, 4)});
    StripFromUnit(s, Row(2), 2, {At(2, 1), At(2, 4)});
    GradeState columns = s;
    std::vector<Change> want;
    ExpectClear(columns, Col(1), 4, {At(1, 1), At(2, 1)}, want);
    ExpectClear(columns, Col(4), 5, {At(1, 4), At(2, 4)}, want);
    EXPECT_EQ(Apply(columns).changes, want);

    // With nothing to remove along the columns, the boxes take the removals.
    StripFromUnit(s, Col(1), 4, {At(1, 1), At(2, 1)});
    StripFromUnit(s, Col(4), 5, {At(1, 4), At(2, 4)});
    want.clear();
    ExpectClear(s, Box(0), 4, {At(1, 1), At(2, 1)}, want);
    ExpectClear(s, Box(1), 5, {At(1, 4), At(2, 4)}, want);
    ASSERT_EQ(want.size(), 12u);
    EXPECT_EQ(Apply(s).changes, want);
}

TEST(ConjugateLoop, ColumnsLinkedByRows) {
    GradeState s = OpenGrid();
    SetCell(s, At(1, 2), "14");
    SetCell(s, At(5, 2), "15");
    SetCell(s, At(1, 6), "24");
    SetCell(s, At(5, 6), "25");
    StripFromUnit(s, Col(2), 1, {At(1, 2), At(5, 2)});
    StripFromUnit(s, Col(6), 2, {At(1, 6), At(5, 6)});
    std::vector<Change> want;
    ExpectClear(s, Row(1), 4, {At(1, 2), At(1, 6)}, want);
    ExpectClear(s, Row(5), 5, {At(5, 2), At(5, 6)}, want);
    EXPECT_EQ(Apply(s).changes, want);
}

TEST(ConjugateLoop, BoxesLinkedByRows) {
    GradeState s = OpenGrid();
    SetCell(s, At(3, 1), "14");
    SetCell(s, At(5, 0), "15");
    SetCell(s, At(3, 7), "24");
    SetCell(s, At(5, 8), "25");
    StripFromUnit(s, Box(3), 1, {At(3, 1), At(5, 0)});
    StripFromUnit(s, Box(5), 2, {At(3, 7), At(5, 8)});
    std::vector<Change> want;
    ExpectClear(s, Row(3), 4, {At(3, 1), At(3, 7)}, want);
    ExpectClear(s, Row(5), 5, {At(5, 0), At(5, 8)}, want);
    EXPECT_EQ(Apply(s).changes, want);
}

TEST(ConjugateLoop, BoxesLinkedByColumnsTakeEachPairLeftToRight) {
    GradeState s = OpenGrid();
    // In box 0 the 1s lie at (0,2) {1,5}, first in box order, and (1,0)
    // {1,4}; taken left to right, (1,0) pairs with (4,0) in column 0.
    SetCell(s, At(0, 2), "15");
    SetCell(s, At(1, 0), "14");
    SetCell(s, At(4, 0), "24");
    SetCell(s, At(5, 2), "25");
    StripFromUnit(s, Box(0), 1, {At(0, 2), At(1, 0)});
    StripFromUnit(s, Box(3), 2, {At(4, 0), At(5, 2)});
    std::vector<Change> want;
    ExpectClear(s, Col(0), 4, {At(1, 0), At(4, 0)}, want);
    ExpectClear(s, Col(2), 5, {At(0, 2), At(5, 2)}, want);
    EXPECT_EQ(Apply(s).changes, want);
}

TEST(ConjugateLoop, MakesTheProgressInARealGrading) {
    // Columns 3 and 5 hold 8 and 2 as conjugate pairs in rows 2 and 7:
    // (2,3) {3,8}, (7,3) {1,8}, (2,5) {2,3}, (7,5) {1,2}. Row 7 loses 1 at (7,4).
    const std::vector<Change> want = {{'R', static_cast<std::uint8_t>(At(7, 4)), 1}};
    EXPECT_EQ(test::RungWhereLowerRungsAreStuck(
                  "3..5...9..45...8......6..14.....6..79..748..57..2.....63..7......9...34..8...5..1", test::RungNo("Bivalue Conjugate Loop")),
              want);
}

}  // namespace
}  // namespace gw
