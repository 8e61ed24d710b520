// Bivalue conjugate loop on hand-made candidate grids, and in a real
// grading.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "techniques/techniques.h"
#include "test_util.h"

namespace gw {
namespace {

using test::MakeState;
using test::Open;

using test::Box;
using test::Cell;
using test::Col;
using test::Row;

// Removes `digit` from every cell of the unit except `keep`.
void StripFromUnit(GradeState& s, int unit, int digit, std::initializer_list<int> keep) {
    for (int k = 0; k < 9; ++k) {
        const int cell = UnitCell(unit, k);
        if (std::find(keep.begin(), keep.end(), cell) == keep.end())
            s.CandMask[cell] &= static_cast<std::uint16_t>(~DigitBit(digit));
    }
}

// Gives cells a and b their candidates and leaves `digit` nowhere else in the
// unit, so that a and b form a conjugate pair of it.
void ConjugatePair(GradeState& s, int unit, int digit, std::pair<int, const char*> a, std::pair<int, const char*> b) {
    s.CandMask[a.first] = test::Mask(a.second);
    s.CandMask[b.first] = test::Mask(b.second);
    StripFromUnit(s, unit, digit, {a.first, b.first});
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

// Rows 2 and 6: digit 1 only in r2c3 {1,4} and r2c7 {1,5}; digit 2 only in
// r6c3 {2,4} and r6c7 {2,5}. Column 3 links the 4s, column 7 the 5s.
GradeState RowLoop() {
    GradeState s = MakeState("123456789");
    ConjugatePair(s, Row(2), 1, {Cell(2, 3), "14"}, {Cell(2, 7), "15"});
    ConjugatePair(s, Row(6), 2, {Cell(6, 3), "24"}, {Cell(6, 7), "25"});
    return s;
}

TEST(ConjugateLoop, RowsLinkedByColumns) {
    GradeState s = RowLoop();
    std::vector<Change> want;
    ExpectClear(s, Col(3), 4, {Cell(2, 3), Cell(6, 3)}, want);
    ExpectClear(s, Col(7), 5, {Cell(2, 7), Cell(6, 7)}, want);
    ASSERT_EQ(want.size(), 14u);
    const auto o = Apply(s);
    EXPECT_TRUE(o.progress);
    EXPECT_EQ(o.changes, want);
    EXPECT_FALSE(Apply(s).progress);
}

TEST(ConjugateLoop, CrossedCandidateSetsAreNotALoop) {
    GradeState s = RowLoop();
    Open(s, 6, 3, "25");
    Open(s, 6, 7, "24");
    EXPECT_FALSE(Apply(s).progress);
}

TEST(ConjugateLoop, EqualOuterDigitsArePassedOver) {
    GradeState s = RowLoop();
    Open(s, 2, 7, "14");
    Open(s, 6, 7, "24");
    EXPECT_FALSE(Apply(s).progress);
}

TEST(ConjugateLoop, LoopWithNothingToRemoveIsPassedOverForALaterOne) {
    GradeState s = RowLoop();
    StripFromUnit(s, Col(3), 4, {Cell(2, 3), Cell(6, 3)});
    StripFromUnit(s, Col(7), 5, {Cell(2, 7), Cell(6, 7)});
    GradeState dead = s;
    EXPECT_FALSE(Apply(dead).progress);

    // A second loop on rows 4 and 8, linked by columns 1 and 5.
    ConjugatePair(s, Row(4), 6, {Cell(4, 1), "68"}, {Cell(4, 5), "69"});
    ConjugatePair(s, Row(8), 7, {Cell(8, 1), "78"}, {Cell(8, 5), "79"});
    std::vector<Change> want;
    ExpectClear(s, Col(1), 8, {Cell(4, 1), Cell(8, 1)}, want);
    ExpectClear(s, Col(5), 9, {Cell(4, 5), Cell(8, 5)}, want);
    EXPECT_EQ(Apply(s).changes, want);
}

TEST(ConjugateLoop, RowsInOneBandTryColumnLinksBeforeBoxLinks) {
    GradeState s = MakeState("123456789");
    ConjugatePair(s, Row(2), 1, {Cell(2, 2), "14"}, {Cell(2, 5), "15"});
    ConjugatePair(s, Row(3), 2, {Cell(3, 2), "24"}, {Cell(3, 5), "25"});
    GradeState columns = s;
    std::vector<Change> want;
    ExpectClear(columns, Col(2), 4, {Cell(2, 2), Cell(3, 2)}, want);
    ExpectClear(columns, Col(5), 5, {Cell(2, 5), Cell(3, 5)}, want);
    EXPECT_EQ(Apply(columns).changes, want);

    // With nothing to remove along the columns, the boxes take the removals.
    StripFromUnit(s, Col(2), 4, {Cell(2, 2), Cell(3, 2)});
    StripFromUnit(s, Col(5), 5, {Cell(2, 5), Cell(3, 5)});
    want.clear();
    ExpectClear(s, Box(1), 4, {Cell(2, 2), Cell(3, 2)}, want);
    ExpectClear(s, Box(2), 5, {Cell(2, 5), Cell(3, 5)}, want);
    ASSERT_EQ(want.size(), 12u);
    EXPECT_EQ(Apply(s).changes, want);
}

TEST(ConjugateLoop, ColumnsLinkedByRows) {
    GradeState s = MakeState("123456789");
    ConjugatePair(s, Col(3), 1, {Cell(2, 3), "14"}, {Cell(6, 3), "15"});
    ConjugatePair(s, Col(7), 2, {Cell(2, 7), "24"}, {Cell(6, 7), "25"});
    std::vector<Change> want;
    ExpectClear(s, Row(2), 4, {Cell(2, 3), Cell(2, 7)}, want);
    ExpectClear(s, Row(6), 5, {Cell(6, 3), Cell(6, 7)}, want);
    EXPECT_EQ(Apply(s).changes, want);
}

TEST(ConjugateLoop, BoxesLinkedByRows) {
    GradeState s = MakeState("123456789");
    ConjugatePair(s, Box(4), 1, {Cell(4, 2), "14"}, {Cell(6, 1), "15"});
    ConjugatePair(s, Box(6), 2, {Cell(4, 8), "24"}, {Cell(6, 9), "25"});
    std::vector<Change> want;
    ExpectClear(s, Row(4), 4, {Cell(4, 2), Cell(4, 8)}, want);
    ExpectClear(s, Row(6), 5, {Cell(6, 1), Cell(6, 9)}, want);
    EXPECT_EQ(Apply(s).changes, want);
}

TEST(ConjugateLoop, BoxesLinkedByColumnsTakeEachPairLeftToRight) {
    GradeState s = MakeState("123456789");
    // In box 1 the 1s lie at r1c3 {1,5}, first in box order, and r2c1
    // {1,4}; taken left to right, r2c1 pairs with r5c1 in column 1.
    ConjugatePair(s, Box(1), 1, {Cell(1, 3), "15"}, {Cell(2, 1), "14"});
    ConjugatePair(s, Box(4), 2, {Cell(5, 1), "24"}, {Cell(6, 3), "25"});
    std::vector<Change> want;
    ExpectClear(s, Col(1), 4, {Cell(2, 1), Cell(5, 1)}, want);
    ExpectClear(s, Col(3), 5, {Cell(1, 3), Cell(6, 3)}, want);
    EXPECT_EQ(Apply(s).changes, want);
}

TEST(ConjugateLoop, MakesTheProgressInARealGrading) {
    // Columns 4 and 6 hold 8 and 2 as conjugate pairs in rows 3 and 8:
    // r3c4 {3,8}, r8c4 {1,8}, r3c6 {2,3}, r8c6 {1,2}. Row 8 loses 1 at r8c5.
    const std::vector<Change> want = {{'R', Cell(8, 5), 1}};
    EXPECT_EQ(test::RungWhereLowerRungsAreStuck(
                  "3..5...9..45...8......6..14.....6..79..748..57..2.....63..7......9...34..8...5..1", test::RungNo("Bivalue Conjugate Loop")),
              want);
}

}  // namespace
}  // namespace gw
