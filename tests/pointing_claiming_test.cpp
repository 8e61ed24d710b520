// Pointing and claiming on hand-made candidate grids, and
// in real gradings.
#include <gtest/gtest.h>

#include <vector>

#include "techniques/techniques.h"
#include "test_util.h"

namespace gw {
namespace {

// The grids start open (test::OpenGrid): no digit is confined to a line or a
// box until a test says so.
using test::Apply;
using test::OpenGrid;
using test::RungWhereLowerRungsAreStuck;
using test::SetLayer;

std::vector<Change> Removals(int digit, std::initializer_list<int> cells) {
    std::vector<Change> out;
    for (int c : cells) out.push_back({'R', static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(digit)});
    return out;
}

// --- Pointing -------------------------------------------------------------

TEST(Pointing, PairOnARowClearsTheRestOfTheRow) {
    GradeState s = OpenGrid();
    SetLayer(s, 4,
             "x.x xxx xxx"
             "... xxx xxx"
             "... xxx xxx"
             "xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx");
    s.CandMask[5] &= static_cast<std::uint16_t>(~DigitBit(4));  // "where present"
    const auto o = Apply(s, TryPointing);
    EXPECT_TRUE(o.progress);
    EXPECT_EQ(o.changes, Removals(4, {3, 4, 6, 7, 8}));
}

TEST(Pointing, PatternWithNothingLeftToRemoveIsPassedOver) {
    GradeState s = OpenGrid();
    // Digit 4 in box 0 only on row 0, and nowhere else on row 0.
    SetLayer(s, 4,
             "x.x ... ..."
             "... xxx xxx"
             "... xxx xxx"
             "xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx");
    GradeState dead = s;
    const auto none = Apply(dead, TryPointing);
    EXPECT_FALSE(none.progress);
    EXPECT_TRUE(none.changes.empty());

    // A later box (4) of the same digit points down column 4 and is acted on.
    for (int c : {30, 32, 39, 41, 48, 50}) s.CandMask[c] &= static_cast<std::uint16_t>(~DigitBit(4));
    const auto o = Apply(s, TryPointing);
    EXPECT_TRUE(o.progress);
    EXPECT_EQ(o.changes, Removals(4, {13, 22, 58, 67, 76}));
}

TEST(Pointing, SingleCellPointsAlongItsRowFirstThenItsColumn) {
    GradeState s = OpenGrid();
    // Digit 7 has one cell left in box 8 (cell 80): a hidden single the
    // ladder has not placed yet.
    for (int c : {60, 61, 62, 69, 70, 71, 78, 79}) s.CandMask[c] &= static_cast<std::uint16_t>(~DigitBit(7));
    GradeState rowFirst = s;
    EXPECT_EQ(Apply(rowFirst, TryPointing).changes, Removals(7, {72, 73, 74, 75, 76, 77}));

    // With row 8 already clear, the column takes the removal.
    for (int c = 72; c <= 77; ++c) s.CandMask[c] &= static_cast<std::uint16_t>(~DigitBit(7));
    EXPECT_EQ(Apply(s, TryPointing).changes, Removals(7, {8, 17, 26, 35, 44, 53}));
}

TEST(Pointing, ScanIsDigitMajor) {
    GradeState s = OpenGrid();
    // Digit 2 points along row 0 in box 0; digit 1 along row 8 in box 8.
    for (int c : {9, 10, 11, 18, 19, 20}) s.CandMask[c] &= static_cast<std::uint16_t>(~DigitBit(2));
    for (int c : {60, 61, 62, 69, 70, 71}) s.CandMask[c] &= static_cast<std::uint16_t>(~DigitBit(1));
    EXPECT_EQ(Apply(s, TryPointing).changes, Removals(1, {72, 73, 74, 75, 76, 77}));
    EXPECT_EQ(Apply(s, TryPointing).changes, Removals(2, {3, 4, 5, 6, 7, 8}));
    EXPECT_FALSE(Apply(s, TryPointing).progress);
}

// --- Claiming -------------------------------------------------------------

TEST(Claiming, RowPairClearsTheRestOfItsBox) {
    GradeState s = OpenGrid();
    SetLayer(s, 6,
             "... x.x ..."
             "xxx x.x xxx"
             "xxx xxx xxx"
             "xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx");
    const auto o = Apply(s, TryClaiming);
    EXPECT_TRUE(o.progress);
    EXPECT_EQ(o.changes, Removals(6, {12, 14, 21, 22, 23}));
}

TEST(Claiming, SingleCellInALineClaimsItsBox) {
    GradeState s = OpenGrid();
    for (int c = 36; c <= 44; ++c)
        if (c != 40) s.CandMask[c] &= static_cast<std::uint16_t>(~DigitBit(2));
    EXPECT_EQ(Apply(s, TryClaiming).changes, Removals(2, {30, 31, 32, 48, 49, 50}));
}

TEST(Claiming, EveryRowPatternComesBeforeAnyColumnPattern) {
    GradeState s = OpenGrid();
    // Digit 1 in column 0 only in box 0; digit 9 in row 8 only in box 8.
    for (int r = 3; r < 9; ++r) s.CandMask[9 * r] &= static_cast<std::uint16_t>(~DigitBit(1));
    for (int c = 72; c <= 77; ++c) s.CandMask[c] &= static_cast<std::uint16_t>(~DigitBit(9));
    EXPECT_EQ(Apply(s, TryClaiming).changes, Removals(9, {60, 61, 62, 69, 70, 71}));
    EXPECT_EQ(Apply(s, TryClaiming).changes, Removals(1, {1, 2, 10, 11, 19, 20}));
    EXPECT_FALSE(Apply(s, TryClaiming).progress);
}

TEST(Claiming, LineWhoseBoxHasNothingElseIsPassedOver) {
    GradeState s = OpenGrid();
    // Digit 5: row 2 and box 0 both hold it only in cells 18 and 19.
    for (int c : {0, 1, 2, 9, 10, 11, 20, 21, 22, 23, 24, 25, 26})
        s.CandMask[c] &= static_cast<std::uint16_t>(~DigitBit(5));
    GradeState dead = s;
    const auto none = Apply(dead, TryClaiming);
    EXPECT_FALSE(none.progress);
    EXPECT_TRUE(none.changes.empty());

    // Row 7 holds 5 only in cells 66 and 67: a later pattern, acted on.
    for (int c : {63, 64, 65, 68, 69, 70, 71}) s.CandMask[c] &= static_cast<std::uint16_t>(~DigitBit(5));
    EXPECT_EQ(Apply(s, TryClaiming).changes, Removals(5, {57, 58, 59, 75, 76, 77}));
}

// --- Real gradings ---------------------------------------------------------

TEST(Pointing, MakesTheProgressInARealGrading) {
    // Box 6 holds 2 only on row 6; (6,4) and (6,5) lose it.
    EXPECT_EQ(RungWhereLowerRungsAreStuck(
                  ".......1.2..48...5594..7...3162...5...........5...1923...5..3747...43..2.4.......", test::RungNo("Pointing")),
              Removals(2, {58, 59}));
}

TEST(Claiming, MakesTheProgressInARealGrading) {
    EXPECT_EQ(RungWhereLowerRungsAreStuck(
                  ".......1.2..48...5594..7...3162...5...........5...1923...5..3747...43..2.4.......", test::RungNo("Claiming")),
              Removals(7, {42, 44}));
}

}  // namespace
}  // namespace gw
