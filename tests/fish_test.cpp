// X-Wing and swordfish on hand-made single-digit layouts,
// and in real gradings.
#include <gtest/gtest.h>

#include <vector>

#include "techniques/techniques.h"
#include "test_util.h"

namespace gw {
namespace {

using test::Apply;
using test::OpenGrid;
using test::RungWhereLowerRungsAreStuck;
using test::SetLayer;

Change Removal(int digit, int row, int col) {
    return {'R', static_cast<std::uint8_t>(9 * row + col), static_cast<std::uint8_t>(digit)};
}

// Removals of `digit` from the listed columns of every row not in `skipRows`,
// row by row: the order in which a row-based fish clears its cover columns.
std::vector<Change> ClearColumns(int digit, std::initializer_list<int> cols, std::initializer_list<int> skipRows) {
    std::vector<Change> out;
    for (int r = 0; r < 9; ++r) {
        if (std::find(skipRows.begin(), skipRows.end(), r) != skipRows.end()) continue;
        for (int c : cols) out.push_back(Removal(digit, r, c));
    }
    return out;
}

// --- X-Wing ----------------------------------------------------------------

TEST(XWing, TwoRowsWithTheSameTwoColumnsClearThoseColumns) {
    GradeState s = OpenGrid();
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
    for (int r : {0, 2, 3, 4, 6, 7, 8})
        for (int c : {2, 6})
            if (!((r == 2 && c == 2) || (r == 7 && c == 6))) want.push_back(Removal(3, r, c));
    EXPECT_EQ(o.changes, want);
}

TEST(XWing, OnlyExactTwoPositionRowsCount) {
    GradeState s = OpenGrid();
    // Row 1 {2, 6} with row 5 {2, 6, 7} or row 7 {2}: no X-Wing.
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
    // The same rows make a swordfish over columns 2, 6 and 7: a row with one
    // or two positions inside the triple counts.
    EXPECT_EQ(Apply(s, TrySwordfish).changes, ClearColumns(3, {2, 6, 7}, {1, 5, 7}));
}

TEST(XWing, ThreeRowsWithTheSamePairAreSkipped) {
    GradeState s = OpenGrid();
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
    GradeState s = OpenGrid();
    // Digit 3: rows 1 and 5 on columns 2 and 6, which hold 3 nowhere else.
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
    EXPECT_EQ(Apply(s, TryXWing).changes, ClearColumns(5, {0, 8}, {2, 7}));
}

TEST(XWing, RowBasedPatternsOfEveryDigitComeFirst) {
    GradeState s = OpenGrid();
    // Digit 1: columns 0 and 4 hold it only in rows 2 and 7.
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
    // Digit 9: rows 3 and 6 hold it only in columns 1 and 5.
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
    EXPECT_EQ(Apply(s, TryXWing).changes, ClearColumns(9, {1, 5}, {3, 6}));
    // Then the column-based one: base columns other than 0 and 4 lose 1 in
    // rows 2 and 7, column by column.
    std::vector<Change> want;
    for (int c : {1, 2, 3, 5, 6, 7, 8}) {
        want.push_back(Removal(1, 2, c));
        want.push_back(Removal(1, 7, c));
    }
    EXPECT_EQ(Apply(s, TryXWing).changes, want);
    EXPECT_FALSE(Apply(s, TryXWing).progress);
}

// --- Swordfish -------------------------------------------------------------

TEST(Swordfish, RowWithoutTheDigitDoesNotCount) {
    GradeState s = OpenGrid();
    // Rows 1, 4, 6 on columns 0, 3, 7; row 8 has no 7 left at all (mask 0).
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
    EXPECT_EQ(Apply(s, TrySwordfish).changes, ClearColumns(7, {0, 3, 7}, {1, 4, 6, 8}));
}

TEST(Swordfish, FourQualifyingRowsAreSkipped) {
    GradeState s = OpenGrid();
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
    GradeState s = OpenGrid();
    // Rows 1, 4, 6 on columns 0, 3, 7, which hold 7 nowhere else.
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
    GradeState s = OpenGrid();
    // Columns 2, 5, 8 hold 4 only in rows 0, 4 and 8.
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
    for (int c : {0, 1, 3, 4, 6, 7})
        for (int r : {0, 4, 8}) want.push_back(Removal(4, r, c));
    EXPECT_EQ(Apply(s, TrySwordfish).changes, want);
}

// --- Real gradings ---------------------------------------------------------

TEST(XWing, MakesTheProgressInARealGrading) {
    const std::vector<Change> want = {Removal(8, 1, 2), Removal(8, 8, 2), Removal(8, 8, 4)};
    EXPECT_EQ(RungWhereLowerRungsAreStuck(
                  ".1.....2.....32.1.6..7....93.16.....98.3.5.64.....18.32....9..7.3.54.....9.....5.", test::RungNo("X-Wing")),
              want);
}

TEST(Swordfish, MakesTheProgressInARealGrading) {
    const std::vector<Change> want = {Removal(5, 2, 4), Removal(5, 3, 8), Removal(5, 8, 4)};
    EXPECT_EQ(RungWhereLowerRungsAreStuck(
                  ".6.2..9..5....4....83.....4..8..2.4.42.9.5.83.3.8..2..3.....15....7....8..6..3.2.", test::RungNo("Swordfish")),
              want);
}

}  // namespace
}  // namespace gw
