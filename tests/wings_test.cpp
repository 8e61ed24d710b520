// XY-Wing and XYZ-Wing: hand-made candidate grids for the edge cases of the
// patterns, and the rungs at work in real gradings.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "test_util.h"
#include "techniques/techniques.h"

namespace gw {
namespace {

// States in which only the listed cells are open ("r1c1" = top left).
using test::MakeState;

bool Has(const GradeState& s, const char* cell, int d) { return s.CandFlags(test::CellNamed(cell), d); }

// How many shared-puzzle gradings, up to `wanted`, the rung made progress in.
int GradingsUsingRung(int rung, int wanted) { return test::GradingsUsingRung(test::LoadSharedPuzzles(), rung, wanted); }

TEST(XYWing, RemovesZFromCellsSeeingBothPincers) {
    // Pivot r1c1 {1,2}, pincers r1c5 {1,3} (row) and r5c1 {2,3} (column):
    // r5c5 sees both pincers and loses 3.
    auto s = MakeState("=9", {{"r1c1", "12"}, {"r1c5", "13"}, {"r5c1", "23"}, {"r5c5", "35"}, {"r9c9", "35"}});
    EXPECT_TRUE(TryXYWing(s));
    EXPECT_FALSE(Has(s, "r5c5", 3));
    EXPECT_TRUE(Has(s, "r9c9", 3));
    EXPECT_TRUE(Has(s, "r1c1", 1) && Has(s, "r1c5", 3) && Has(s, "r5c1", 3));
}

TEST(XYWing, FirstUnitCombinationDecidesForAPincerInRowAndBox) {
    // Pivot r1c1 {1,2}; pincer A r1c2 {1,3} lies in the pivot's row and box.
    // Two B pincers {2,3}: r5c1 (column) and r2c3 (box). "A in the row, B in
    // the column" comes first, so the pair (r1c2, r5c1) acts: r5c2 loses 3,
    // while r3c3 (which sees r1c2 and r2c3 only) keeps it.
    auto s = MakeState("=9", {{"r1c1", "12"},
                     {"r1c2", "13"},
                     {"r5c1", "23"},
                     {"r2c3", "23"},
                     {"r5c2", "35"},
                     {"r3c3", "36"}});
    EXPECT_TRUE(TryXYWing(s));
    EXPECT_FALSE(Has(s, "r5c2", 3));
    EXPECT_TRUE(Has(s, "r3c3", 3));
    // The next call takes the next pattern.
    EXPECT_TRUE(TryXYWing(s));
    EXPECT_FALSE(Has(s, "r3c3", 3));
}

TEST(XYWing, PatternWithoutVictimIsPassedOver) {
    // The wing on digits 1-3 has no 3 to remove; the later one on 4-6 acts.
    auto s = MakeState("=9", {{"r1c1", "12"},
                     {"r1c5", "13"},
                     {"r5c1", "23"},
                     {"r7c7", "45"},
                     {"r7c9", "46"},
                     {"r9c7", "56"},
                     {"r9c9", "67"}});
    EXPECT_TRUE(TryXYWing(s));
    EXPECT_FALSE(Has(s, "r9c9", 6));
    EXPECT_FALSE(TryXYWing(s));
}

TEST(XYWing, OnlyTwoCandidateCellsTakePart) {
    // A pincer with a third candidate breaks the wing; so does a pivot.
    auto s = MakeState("=9", {{"r1c1", "12"}, {"r1c5", "13"}, {"r5c1", "234"}, {"r5c5", "35"}});
    EXPECT_FALSE(TryXYWing(s));
    auto t = MakeState("=9", {{"r1c1", "124"}, {"r1c5", "13"}, {"r5c1", "23"}, {"r5c5", "35"}});
    EXPECT_FALSE(TryXYWing(t));
    EXPECT_TRUE(Has(t, "r5c5", 3));
}

TEST(XYZWing, RemovesZFromCellsSeeingAllThreeAtOnce) {
    // Pivot r1c1 {1,2,3}; pincers r1c3 {1,3} (row and box) and r5c1 {2,3}
    // (column). r2c1 and r3c1 see all three and both lose 3 in one call.
    auto s = MakeState("=9", {{"r1c1", "123"},
                     {"r1c3", "13"},
                     {"r5c1", "23"},
                     {"r2c1", "35"},
                     {"r3c1", "36"},
                     {"r5c3", "37"}});
    EXPECT_TRUE(TryXYZWing(s));
    EXPECT_FALSE(Has(s, "r2c1", 3));
    EXPECT_FALSE(Has(s, "r3c1", 3));
    EXPECT_TRUE(Has(s, "r5c3", 3));  // sees the pincers, not the pivot
    EXPECT_TRUE(Has(s, "r1c1", 3));
}

TEST(XYZWing, PincersOutsideThePivotsBoxRemoveNothing) {
    // r1c6 in the pivot's row, r6c1 in its column, both outside its box: only
    // the pivot itself sees all three.
    auto s = MakeState("=9", {{"r1c1", "123"},
                     {"r1c6", "13"},
                     {"r6c1", "23"},
                     {"r6c6", "35"},
                     {"r2c1", "36"},
                     {"r1c2", "37"}});
    EXPECT_FALSE(TryXYZWing(s));
    EXPECT_TRUE(Has(s, "r6c6", 3) && Has(s, "r2c1", 3) && Has(s, "r1c2", 3));
}

TEST(XYZWing, PivotNeedsExactlyThreeCandidates) {
    auto s = MakeState("=9", {{"r1c1", "1234"}, {"r1c3", "13"}, {"r5c1", "23"}, {"r2c1", "35"}});
    EXPECT_FALSE(TryXYZWing(s));
    auto t = MakeState("=9", {{"r1c1", "23"}, {"r1c3", "13"}, {"r5c1", "23"}, {"r2c1", "35"}});
    EXPECT_FALSE(TryXYZWing(t));
}

TEST(XYWing, MakesProgressInRealGradings) { EXPECT_GE(GradingsUsingRung(test::RungNo("XY-Wing"), 3), 1); }

TEST(XYZWing, MakesProgressInRealGradings) { EXPECT_GE(GradingsUsingRung(test::RungNo("XYZ-Wing"), 3), 1); }

}  // namespace
}  // namespace gw
