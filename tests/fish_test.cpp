// X-Wing and swordfish on hand-made single-digit layouts,
// and in real gradings.
#include <gtest/gtest.h>

#include <vector>

#include "techniques/techniques.h"
#include "test_util.h"

namespace gw {
namespace {

using test::Apply;
using test::MakeState;
using test::RungWhereLowerRungsAreStuck;
using test::SetLayer;

// The removal of `digit` from the cell at row `row`, column `col`.
Change Removal(int digit, int row, int col) { return test::Removed(row, col, digit); }

// Removals of `digit` from the listed columns of every row not in `skipRows`,
// row by row: the order in which a row-based fish clears its cover columns.
std::vector<Change> ClearColumns(int digit, std::initializer_list<int> cols, std::initializer_list<int> skipRows) {
    std::vector<Change> out;
    for (int r = 1; r <= 9; ++r) {
        if (std::find(skipRows.begin(), skipRows.end(), r) != skipRows.end()) continue;
        for (int c : cols) out.push_back(Removal(digit, r, c));
    }
    return out;
}

// --- X-Wing ----------------------------------------------------------------

TEST(XWing, TwoRowsWithTheSameTwoColumnsClearThoseColumns) {
    GradeState s = MakeState("123456789");
    SetLayer(s, 3,
             "xxxxxxxxx"
             "..x...x.."
             "xx.xxxxxx"
             "xxxxxxxxx"
             "xxxxxxxxx"
             "..x...x.."
             "xxxxxxxxx"
             "xxxxxx.xx"
             "xxxxxxxxx");
    const auto o = Apply(s, TryXWing);
    EXPECT_TRUE(o.progress);
    std::vector<Change> want;
    for (int r : {1, 3, 4, 5, 7, 8, 9})
        for (int c : {3, 7})
            if (!((r == 3 && c == 3) || (r == 8 && c == 7))) want.push_back(Removal(3, r, c));
    EXPECT_EQ(o.changes, want);
}

TEST(XWing, OnlyExactTwoPositionRowsCount) {
    GradeState s = MakeState("123456789");
    // Row 2 {3, 7} with row 6 {3, 7, 8} or row 8 {3}: no X-Wing.
    SetLayer(s, 3,
             "xxxxxxxxx"
             "..x...x.."
             "xxxxxxxxx"
             "xxxxxxxxx"
             "xxxxxxxxx"
             "..x...xx."
             "xxxxxxxxx"
             "..x......"
             "xxxxxxxxx");
    EXPECT_FALSE(Apply(s, TryXWing).progress);
    // The same rows make a swordfish over columns 3, 7 and 8: a row with one
    // or two positions inside the triple counts.
    EXPECT_EQ(Apply(s, TrySwordfish).changes, ClearColumns(3, {3, 7, 8}, {2, 6, 8}));
}

TEST(XWing, ThreeRowsWithTheSamePairAreSkipped) {
    GradeState s = MakeState("123456789");
    SetLayer(s, 8,
             "xxxxxxxxx"
             "x.......x"
             "xxxxxxxxx"
             "x.......x"
             "xxxxxxxxx"
             "x.......x"
             "xxxxxxxxx"
             "xxxxxxxxx"
             "xxxxxxxxx");
    EXPECT_FALSE(Apply(s, TryXWing).progress);
}

TEST(XWing, PatternWithNothingToRemoveIsPassedOver) {
    GradeState s = MakeState("123456789");
    // Digit 3: rows 2 and 6 on columns 3 and 7, which hold 3 nowhere else.
    SetLayer(s, 3,
             "xx.xxx.xx"
             "..x...x.."
             "xx.xxx.xx"
             "xx.xxx.xx"
             "xx.xxx.xx"
             "..x...x.."
             "xx.xxx.xx"
             "xx.xxx.xx"
             "xx.xxx.xx");
    GradeState dead = s;
    const auto none = Apply(dead, TryXWing);
    EXPECT_FALSE(none.progress);
    EXPECT_TRUE(none.changes.empty());

    // A live X-Wing of digit 5 further on is acted on.
    SetLayer(s, 5,
             "xxxxxxxxx"
             "xxxxxxxxx"
             "x.......x"
             "xxxxxxxxx"
             "xxxxxxxxx"
             "xxxxxxxxx"
             "xxxxxxxxx"
             "x.......x"
             "xxxxxxxxx");
    EXPECT_EQ(Apply(s, TryXWing).changes, ClearColumns(5, {1, 9}, {3, 8}));
}

TEST(XWing, RowBasedPatternsOfEveryDigitComeFirst) {
    GradeState s = MakeState("123456789");
    // Digit 1: columns 1 and 5 hold it only in rows 3 and 8.
    SetLayer(s, 1,
             ".xxx.xxxx"
             ".xxx.xxxx"
             "xxxxxxxxx"
             ".xxx.xxxx"
             ".xxx.xxxx"
             ".xxx.xxxx"
             ".xxx.xxxx"
             "xxxxxxxxx"
             ".xxx.xxxx");
    // Digit 9: rows 4 and 7 hold it only in columns 2 and 6.
    SetLayer(s, 9,
             "xxxxxxxxx"
             "xxxxxxxxx"
             "xxxxxxxxx"
             ".x...x..."
             "xxxxxxxxx"
             "xxxxxxxxx"
             ".x...x..."
             "xxxxxxxxx"
             "xxxxxxxxx");
    EXPECT_EQ(Apply(s, TryXWing).changes, ClearColumns(9, {2, 6}, {4, 7}));
    // Then the column-based one: columns other than 1 and 5 lose 1 in
    // rows 3 and 8, column by column.
    std::vector<Change> want;
    for (int c : {2, 3, 4, 6, 7, 8, 9}) {
        want.push_back(Removal(1, 3, c));
        want.push_back(Removal(1, 8, c));
    }
    EXPECT_EQ(Apply(s, TryXWing).changes, want);
    EXPECT_FALSE(Apply(s, TryXWing).progress);
}

// --- Swordfish -------------------------------------------------------------

TEST(Swordfish, RowWithoutTheDigitDoesNotCount) {
    GradeState s = MakeState("123456789");
    // Rows 2, 5, 7 on columns 1, 4, 8; row 9 has no 7 left at all (mask 0).
    SetLayer(s, 7,
             "xxxxxxxxx"
             "x..x....."
             "xxxxxxxxx"
             "xxxxxxxxx"
             "...x...x."
             "xxxxxxxxx"
             "x......x."
             "xxxxxxxxx"
             ".........");
    EXPECT_FALSE(Apply(s, TryXWing).progress);
    EXPECT_EQ(Apply(s, TrySwordfish).changes, ClearColumns(7, {1, 4, 8}, {2, 5, 7, 9}));
}

TEST(Swordfish, FourQualifyingRowsAreSkipped) {
    GradeState s = MakeState("123456789");
    SetLayer(s, 7,
             "xxxxxxxxx"
             "x..x....."
             "xxxxxxxxx"
             "xxxxxxxxx"
             "...x...x."
             "xxxxxxxxx"
             "x......x."
             "xxxxxxxxx"
             "x........");
    EXPECT_FALSE(Apply(s, TrySwordfish).progress);
}

TEST(Swordfish, PatternWithNothingToRemoveIsPassedOver) {
    GradeState s = MakeState("123456789");
    // Rows 2, 5, 7 on columns 1, 4, 8, which hold 7 nowhere else.
    SetLayer(s, 7,
             ".xx.xxx.x"
             "x..x....."
             ".xx.xxx.x"
             ".xx.xxx.x"
             "...x...x."
             ".xx.xxx.x"
             "x......x."
             ".xx.xxx.x"
             ".xx.xxx.x");
    EXPECT_FALSE(Apply(s, TrySwordfish).progress);
}

TEST(Swordfish, ColumnBasedPatternClearsRows) {
    GradeState s = MakeState("123456789");
    // Columns 3, 6, 9 hold 4 only in rows 1, 5 and 9.
    SetLayer(s, 4,
             "xxxxxxxxx"
             "xx.xx.xx."
             "xx.xx.xx."
             "xx.xx.xx."
             "xxxxx.xxx"
             "xx.xx.xx."
             "xx.xx.xx."
             "xx.xx.xx."
             "xx.xxxxxx");
    std::vector<Change> want;
    for (int c : {1, 2, 4, 5, 7, 8})
        for (int r : {1, 5, 9}) want.push_back(Removal(4, r, c));
    EXPECT_EQ(Apply(s, TrySwordfish).changes, want);
}

// --- Real gradings ---------------------------------------------------------

TEST(XWing, MakesTheProgressInARealGrading) {
    const std::vector<Change> want = {Removal(8, 2, 3), Removal(8, 9, 3), Removal(8, 9, 5)};
    EXPECT_EQ(RungWhereLowerRungsAreStuck(
                  ".1.....2.....32.1.6..7....93.16.....98.3.5.64.....18.32....9..7.3.54.....9.....5.", test::RungNo("X-Wing")),
              want);
}

TEST(Swordfish, MakesTheProgressInARealGrading) {
    const std::vector<Change> want = {Removal(5, 3, 5), Removal(5, 4, 9), Removal(5, 9, 5)};
    EXPECT_EQ(RungWhereLowerRungsAreStuck(
                  ".6.2..9..5....4....83.....4..8..2.4.42.9.5.83.3.8..2..3.....15....7....8..6..3.2.", test::RungNo("Swordfish")),
              want);
}

}  // namespace
}  // namespace gw
