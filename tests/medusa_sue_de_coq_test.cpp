// Bivalue colour propagation (3D Medusa) and intersection sets (Sue de Coq):
// hand-made candidate grids for each rule, and both rungs at work in real
// gradings with every change checked against the solution.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "test_util.h"
#include "techniques/techniques.h"

namespace gw {
namespace {

// States in which only the listed cells are open ("r1c1" = top left).
using test::MakeState;

// Grades puzzles in order until `rung` has made progress in `wanted` gradings;
// every change of every grading must be sound. The shared puzzles come first,
// then generated ones should the shared set not need the rung.
int GradingsUsingRung(int rung, int wanted) {
    const int found = test::GradingsUsingRung(test::LoadSharedPuzzles(), rung, wanted);
    return found > 0 ? found : test::GradingsUsingRung(GeneratedPuzzles(3000, 24250), rung, wanted);
}

// --- Bivalue colour propagation ---------------------------------------------

TEST(Medusa3D, SameColourTwiceInAUnitRemovesThatColour) {
    // From 1 in r1c1 {1,2}: row 1 pairs 1 with r1c8 {1,5}, whose 5 takes
    // colour 1; 2 of r1c1 pairs down column 1 with r7c1 {2,5}, whose 5 pairs
    // along row 7 with r7c8. Colour 1 puts 5 in r1c8 and r7c8, both in
    // column 8, so it is false everywhere.
    auto s = MakeState("=9", {{"r1c1", "12"}, {"r1c8", "15"}, {"r7c1", "25"}, {"r7c8", "567"}, {"r4c8", "589"}});
    EXPECT_TRUE(Try3DMedusa(s));
    test::ExpectCands(s, {{"r1c1", "2"}, {"r1c8", "1"}, {"r7c1", "5"}, {"r7c8", "67"}, {"r4c8", "589"}});
}

TEST(Medusa3D, SameColourTwiceInACellRemovesThatColour) {
    // Colour 1 starts on 1 of r1c1 {1,2}. Links: r1c1's two digits; 1 in row
    // 1 (r1c1, r1c5); 2 in column 1 (r1c1, r5c1); r5c1 {2,3}; 3 in row 5
    // (r5c1, r5c5) and in column 5 (r5c5, r1c5); r5c5 {3,9}; 9 in column 5
    // (r5c5, r9c5); r9c5 {4,9}; 4 in column 5 (r9c5, r1c5). Colour 2 ends up
    // on both 1 and 3 of r1c5, so it is false: 2 of r1c1, 1 and 3 of r1c5, 3
    // of r5c1, 9 of r5c5 and 4 of r9c5 go.
    auto s = MakeState("=9", {{"r1c1", "12"}, {"r1c5", "134"}, {"r5c1", "23"}, {"r5c5", "39"}, {"r9c5", "49"}});
    EXPECT_TRUE(Try3DMedusa(s));
    test::ExpectCands(s, {{"r1c1", "1"}, {"r1c5", "4"}, {"r5c1", "2"}, {"r5c5", "3"}, {"r9c5", "9"}});
}

TEST(Medusa3D, ColourThatEmptiesACellIsRemoved) {
    // Colour 1: 1 of r1c1 {1,2}, 2 of r5c1 {2,3} (column 1 pair of 2s), 3 of
    // r5c8 (row 5 pair of 3s). r1c8 {1,3} is not coloured (row 1 and column 8
    // each hold its digits three times) but sees 1 of colour 1 in r1c1 and 3
    // of colour 1 in r5c8: were colour 1 true, r1c8 would be empty.
    auto s = MakeState("=9", {{"r1c1", "12"},
                     {"r5c1", "23"},
                     {"r5c8", "389"},
                     {"r1c8", "13"},
                     {"r1c5", "145"},
                     {"r8c8", "367"}});
    EXPECT_TRUE(Try3DMedusa(s));
    test::ExpectCands(s,
                      {{"r1c1", "2"}, {"r5c1", "3"}, {"r5c8", "89"}, {"r1c8", "13"}, {"r1c5", "145"}, {"r8c8", "367"}});
}

TEST(Medusa3D, CandidateSeeingBothColoursGoes) {
    // r1c1 and r5c1 {1,2} are chained through the 2s of column 1, so their
    // 1s take opposite colours and r8c1 (seeing both) loses 1.
    auto s = MakeState("=9", {{"r1c1", "12"}, {"r5c1", "12"}, {"r8c1", "178"}});
    EXPECT_TRUE(Try3DMedusa(s));
    test::ExpectCands(s, {{"r8c1", "78"}, {"r1c1", "12"}, {"r5c1", "12"}});
}

TEST(Medusa3D, CandidateSharingACellWithOneColourAndSeeingTheOtherGoes) {
    // Colour 1: 1 of r1c1, 2 of r5c1, 6 of r5c8. Colour 2: 2 of r1c1, 1 of
    // r1c8, 6 of r5c1. r5c8 holds 6 of colour 1 and its 1 sees 1 of colour 2
    // in r1c8: whichever colour is true, r5c8 is not 1. Column 8 holds 1 in
    // three cells, so r5c8's 1 is no conjugate and stays uncoloured.
    auto s = MakeState("=9", {{"r1c1", "12"},
                     {"r5c1", "26"},
                     {"r5c8", "169"},
                     {"r1c8", "158"},
                     {"r9c8", "134"}});
    EXPECT_TRUE(Try3DMedusa(s));
    test::ExpectCands(s, {{"r5c8", "69"}, {"r1c8", "158"}, {"r9c8", "134"}});
    EXPECT_FALSE(Try3DMedusa(s));
}

TEST(Medusa3D, OneClusterPerCall) {
    // Cluster from r1c1: 8 of r1c5 and 1 of r1c5 take opposite colours, so
    // r1c5's uncoloured 3 goes. Cluster from r7c9: r9c9 loses 1 (it sees both
    // colours of 1 in column 9). The first call acts on the first cluster only.
    auto s = MakeState("=9", {{"r1c1", "12"},
                     {"r6c1", "27"},
                     {"r6c5", "78"},
                     {"r1c5", "138"},
                     {"r7c9", "12"},
                     {"r8c9", "12"},
                     {"r9c9", "178"}});
    EXPECT_TRUE(Try3DMedusa(s));
    test::ExpectCands(s, {{"r1c5", "18"}, {"r9c9", "178"}});
    EXPECT_TRUE(Try3DMedusa(s));
    test::ExpectCands(s, {{"r9c9", "78"}});
}

TEST(Medusa3D, NothingWithoutTwoCandidateCells) {
    auto s = MakeState("=9", {{"r1c1", "123"}, {"r1c5", "123"}, {"r5c1", "124"}});
    EXPECT_FALSE(Try3DMedusa(s));
}

TEST(Medusa3D, MakesProgressInRealGradings) { EXPECT_GE(GradingsUsingRung(test::RungNo("3D Medusa"), 3), 1); }

// --- Sue de Coq --------------------------------------------------------

TEST(SueDeCoq, PairInTheCrossingWithALineCellAndABoxCell) {
    // r1c1 {1,2,5} and r1c2 {1,2,6} hold four digits in two cells; r1c6 {1,5}
    // in the row and r2c2 {2,6} in the box complete four cells for four
    // digits. 1 and 5 are locked in row 1 and 2 and 6 in box 1.
    auto s = MakeState("=9", {{"r1c1", "125"},
                     {"r1c2", "126"},
                     {"r1c6", "15"},
                     {"r2c2", "26"},
                     {"r1c3", "3567"},
                     {"r1c4", "1589"},
                     {"r1c7", "134"},
                     {"r2c1", "234"},
                     {"r3c3", "678"}});
    EXPECT_TRUE(TrySueDeCoq(s));
    test::ExpectCands(s, {{"r1c3", "37"},  // in row and box: loses all four digits
                          {"r1c4", "89"},
                          {"r1c7", "34"},
                          {"r2c1", "34"},
                          {"r3c3", "78"},
                          {"r1c1", "125"},
                          {"r1c2", "126"},
                          {"r1c6", "15"},
                          {"r2c2", "26"}});
}

TEST(SueDeCoq, TripleInTheCrossing) {
    // r1c1 {1,2}, r1c2 {2,3}, r1c3 {1,4,5}: five digits in three cells; r1c7
    // {3,4} in the row and r2c1 {1,5} in the box. 2, 3, 4 leave the rest of
    // row 1 and 1, 2, 5 the rest of box 1. No pair of the crossing makes a set.
    auto s = MakeState("=9", {{"r1c1", "12"},
                     {"r1c2", "23"},
                     {"r1c3", "145"},
                     {"r1c7", "34"},
                     {"r2c1", "15"},
                     {"r1c9", "2349"},
                     {"r3c3", "1257"}});
    EXPECT_TRUE(TrySueDeCoq(s));
    test::ExpectCands(s, {{"r1c9", "9"}, {"r3c3", "7"}});
}

TEST(SueDeCoq, TooFewDigitsInTheCrossing) {
    // Two crossing cells with three digits are one digit short.
    auto s = MakeState("=9", {{"r1c1", "12"}, {"r1c2", "123"}, {"r1c6", "13"}, {"r2c2", "23"}, {"r1c4", "137"}});
    EXPECT_FALSE(TrySueDeCoq(s));
}

TEST(SueDeCoq, LineAndBoxCellsMustNotShareADigit) {
    // As the first case, but the box cell holds 5 like the row cell: a 5 in
    // each would not clash, so the four cells need not hold four digits.
    auto s = MakeState("=9", {{"r1c1", "125"},
                     {"r1c2", "126"},
                     {"r1c6", "15"},
                     {"r2c2", "25"},
                     {"r1c4", "1589"},
                     {"r2c1", "234"},
                     {"r3c3", "678"}});
    EXPECT_FALSE(TrySueDeCoq(s));
}

TEST(SueDeCoq, MakesProgressInRealGradings) { EXPECT_GE(GradingsUsingRung(test::RungNo("Sue de Coq"), 2), 1); }

}  // namespace
}  // namespace gw
