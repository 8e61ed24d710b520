// Pointing and claiming on hand-made candidate grids, and
// in real gradings.
#include <gtest/gtest.h>

#include <vector>

#include "techniques/techniques.h"
#include "test_util.h"

namespace gw {
namespace {

// The grids start open (test::MakeState("123456789")): no digit is confined to a line or a
// box until a test says so.
using test::Apply;
using test::MakeState;
using test::RungWhereLowerRungsAreStuck;
using test::SetLayer;

using test::Cell;

// The removals of `digit` from the named cells, in order.
std::vector<Change> Removals(int digit, std::initializer_list<std::string_view> cells) {
    std::vector<Change> out;
    for (std::string_view c : cells)
        out.push_back({'R', static_cast<std::uint8_t>(test::CellNamed(c)), static_cast<std::uint8_t>(digit)});
    return out;
}

// Strikes `digit` from the named cells.
void Strike(GradeState& s, int digit, std::initializer_list<std::string_view> cells) {
    for (std::string_view c : cells) s.CandMask[test::CellNamed(c)] &= static_cast<std::uint16_t>(~DigitBit(digit));
}

// --- Pointing -------------------------------------------------------------

TEST(Pointing, PairOnARowClearsTheRestOfTheRow) {
    GradeState s = MakeState("123456789");
    SetLayer(s, 4,
             "x.x xxx xxx"
             "... xxx xxx"
             "... xxx xxx"
             "xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx");
    Strike(s, 4, {"r1c6"});  // "where present"
    const auto o = Apply(s, TryPointing);
    EXPECT_TRUE(o.progress);
    EXPECT_EQ(o.changes, Removals(4, {"r1c4", "r1c5", "r1c7", "r1c8", "r1c9"}));
}

TEST(Pointing, PatternWithNothingLeftToRemoveIsPassedOver) {
    GradeState s = MakeState("123456789");
    // Digit 4 in box 1 only on row 1, and nowhere else on row 1.
    SetLayer(s, 4,
             "x.x ... ..."
             "... xxx xxx"
             "... xxx xxx"
             "xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx");
    GradeState dead = s;
    const auto none = Apply(dead, TryPointing);
    EXPECT_FALSE(none.progress);
    EXPECT_TRUE(none.changes.empty());

    // A later box (5) of the same digit points down column 5 and is acted on.
    Strike(s, 4, {"r4c4", "r4c6", "r5c4", "r5c6", "r6c4", "r6c6"});
    const auto o = Apply(s, TryPointing);
    EXPECT_TRUE(o.progress);
    EXPECT_EQ(o.changes, Removals(4, {"r2c5", "r3c5", "r7c5", "r8c5", "r9c5"}));
}

TEST(Pointing, SingleCellPointsAlongItsRowFirstThenItsColumn) {
    GradeState s = MakeState("123456789");
    // Digit 7 has one cell left in box 9 (r9c9): a hidden single the
    // ladder has not placed yet.
    Strike(s, 7, {"r7c7", "r7c8", "r7c9", "r8c7", "r8c8", "r8c9", "r9c7", "r9c8"});
    GradeState rowFirst = s;
    EXPECT_EQ(Apply(rowFirst, TryPointing).changes, Removals(7, {"r9c1", "r9c2", "r9c3", "r9c4", "r9c5", "r9c6"}));

    // With row 9 already clear, the column takes the removal.
    for (int c = 1; c <= 6; ++c) s.CandMask[Cell(9, c)] &= static_cast<std::uint16_t>(~DigitBit(7));
    EXPECT_EQ(Apply(s, TryPointing).changes, Removals(7, {"r1c9", "r2c9", "r3c9", "r4c9", "r5c9", "r6c9"}));
}

TEST(Pointing, ScanIsDigitMajor) {
    GradeState s = MakeState("123456789");
    // Digit 2 points along row 1 in box 1; digit 1 along row 9 in box 9.
    Strike(s, 2, {"r2c1", "r2c2", "r2c3", "r3c1", "r3c2", "r3c3"});
    Strike(s, 1, {"r7c7", "r7c8", "r7c9", "r8c7", "r8c8", "r8c9"});
    EXPECT_EQ(Apply(s, TryPointing).changes, Removals(1, {"r9c1", "r9c2", "r9c3", "r9c4", "r9c5", "r9c6"}));
    EXPECT_EQ(Apply(s, TryPointing).changes, Removals(2, {"r1c4", "r1c5", "r1c6", "r1c7", "r1c8", "r1c9"}));
    EXPECT_FALSE(Apply(s, TryPointing).progress);
}

// --- Claiming -------------------------------------------------------------

TEST(Claiming, RowPairClearsTheRestOfItsBox) {
    GradeState s = MakeState("123456789");
    SetLayer(s, 6,
             "... x.x ..."
             "xxx x.x xxx"
             "xxx xxx xxx"
             "xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx xxx");
    const auto o = Apply(s, TryClaiming);
    EXPECT_TRUE(o.progress);
    EXPECT_EQ(o.changes, Removals(6, {"r2c4", "r2c6", "r3c4", "r3c5", "r3c6"}));
}

TEST(Claiming, SingleCellInALineClaimsItsBox) {
    GradeState s = MakeState("123456789");
    for (int c = 1; c <= 9; ++c)
        if (c != 5) s.CandMask[Cell(5, c)] &= static_cast<std::uint16_t>(~DigitBit(2));
    EXPECT_EQ(Apply(s, TryClaiming).changes, Removals(2, {"r4c4", "r4c5", "r4c6", "r6c4", "r6c5", "r6c6"}));
}

TEST(Claiming, EveryRowPatternComesBeforeAnyColumnPattern) {
    GradeState s = MakeState("123456789");
    // Digit 1 in column 1 only in box 1; digit 9 in row 9 only in box 9.
    for (int r = 4; r <= 9; ++r) s.CandMask[Cell(r, 1)] &= static_cast<std::uint16_t>(~DigitBit(1));
    for (int c = 1; c <= 6; ++c) s.CandMask[Cell(9, c)] &= static_cast<std::uint16_t>(~DigitBit(9));
    EXPECT_EQ(Apply(s, TryClaiming).changes, Removals(9, {"r7c7", "r7c8", "r7c9", "r8c7", "r8c8", "r8c9"}));
    EXPECT_EQ(Apply(s, TryClaiming).changes, Removals(1, {"r1c2", "r1c3", "r2c2", "r2c3", "r3c2", "r3c3"}));
    EXPECT_FALSE(Apply(s, TryClaiming).progress);
}

TEST(Claiming, LineWhoseBoxHasNothingElseIsPassedOver) {
    GradeState s = MakeState("123456789");
    // Digit 5: row 3 and box 1 both hold it only in r3c1 and r3c2.
    Strike(s, 5,
           {"r1c1", "r1c2", "r1c3", "r2c1", "r2c2", "r2c3", "r3c3", "r3c4", "r3c5", "r3c6", "r3c7", "r3c8", "r3c9"});
    GradeState dead = s;
    const auto none = Apply(dead, TryClaiming);
    EXPECT_FALSE(none.progress);
    EXPECT_TRUE(none.changes.empty());

    // Row 8 holds 5 only in r8c4 and r8c5: a later pattern, acted on.
    Strike(s, 5, {"r8c1", "r8c2", "r8c3", "r8c6", "r8c7", "r8c8", "r8c9"});
    EXPECT_EQ(Apply(s, TryClaiming).changes, Removals(5, {"r7c4", "r7c5", "r7c6", "r9c4", "r9c5", "r9c6"}));
}

// --- Real gradings ---------------------------------------------------------

TEST(Pointing, MakesTheProgressInARealGrading) {
    // Box 7 holds 2 only on row 7; r7c5 and r7c6 lose it.
    EXPECT_EQ(
        RungWhereLowerRungsAreStuck(".......1.2..48...5594..7...3162...5...........5...1923...5..3747...43..2.4.......",
                                    test::RungNo("Pointing")),
        Removals(2, {"r7c5", "r7c6"}));
}

TEST(Claiming, MakesTheProgressInARealGrading) {
    EXPECT_EQ(
        RungWhereLowerRungsAreStuck(".......1.2..48...5594..7...3162...5...........5...1923...5..3747...43..2.4.......",
                                    test::RungNo("Claiming")),
        Removals(7, {"r5c7", "r5c9"}));
}

}  // namespace
}  // namespace gw
