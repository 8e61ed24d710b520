// Simple colouring on hand-made pictures of one digit, and the rung at work in
// real gradings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_util.h"
#include "techniques/techniques.h"

namespace gw {
namespace {

using test::Picture;
using test::Rest;

using test::Lost;

using Cells = std::vector<std::string>;

TEST(SimpleColouring, WrapRemovesTheWholeColour) {
    // Chain r1c1 = r1c6 = r5c6 = r5c2 = r2c2 (row 1, column 6, row 5,
    // column 2). r1c1 and r2c2 take the same colour and share box 1, so that
    // colour is false everywhere, far-off r5c6 included. r3c3 (box 1 has
    // three cells with 4, no pair) is not coloured and keeps its 4.
    const auto before = Picture(4,
                                "x....x..."
                                ".x......."
                                "..x......"
                                "........."
                                ".x...x..."
                                "........."
                                "........."
                                "........."
                                ".........",
                                Rest::Solved);
    auto s = before;
    EXPECT_TRUE(TrySimpleColouring(s));
    EXPECT_EQ(Lost(before, s, 4), (Cells{"r1c1", "r2c2", "r5c6"}));
}

TEST(SimpleColouring, TrapRemovesCellsSeeingBothColours) {
    // Chain r1c1 = r1c6 = r5c6 = r5c2: r1c1 and r5c2 have opposite colours, and
    // r2c2, r3c2 (box 1 with r1c1, column 2 with r5c2) see both.
    const auto before = Picture(4,
                                "x....x..."
                                ".x......."
                                ".x......."
                                "........."
                                ".x...x..."
                                "........."
                                "........."
                                "........."
                                ".........",
                                Rest::Solved);
    auto s = before;
    EXPECT_TRUE(TrySimpleColouring(s));
    EXPECT_EQ(Lost(before, s, 4), (Cells{"r2c2", "r3c2"}));
    EXPECT_FALSE(TrySimpleColouring(s));
}

TEST(SimpleColouring, TrappedCellMayBeANodeOfAnotherCluster) {
    // As above, with r2c2 also one end of the row 2 pair r2c2-r2c9 (cluster
    // 2). Cluster 1's trap removes it all the same.
    const auto before = Picture(4,
                                "x....x..."
                                ".x......x"
                                ".x......."
                                "........."
                                ".x...x..."
                                "........."
                                "........."
                                "........."
                                ".........",
                                Rest::Solved);
    auto s = before;
    EXPECT_TRUE(TrySimpleColouring(s));
    EXPECT_EQ(Lost(before, s, 4), (Cells{"r2c2", "r3c2"}));
}

TEST(SimpleColouring, ClustersTakeTurnsInTheOrderOfTheirFirstNode) {
    // Cluster 1 is the chain of the previous test; cluster 2 is the lone row
    // pair r8c7-r8c9 inside box 9, which traps r9c8. Cluster 1 acts first; the
    // next call, with cluster 1 spent, reaches cluster 2.
    const auto before = Picture(4,
                                "x....x..."
                                ".x......."
                                ".x......."
                                "........."
                                ".x...x..."
                                "........."
                                "........."
                                "......x.x"
                                ".......x.",
                                Rest::Solved);
    auto s = before;
    EXPECT_TRUE(TrySimpleColouring(s));
    EXPECT_EQ(Lost(before, s, 4), (Cells{"r2c2", "r3c2"}));
    EXPECT_TRUE(TrySimpleColouring(s));
    EXPECT_EQ(Lost(before, s, 4), (Cells{"r2c2", "r3c2", "r9c8"}));
    EXPECT_FALSE(TrySimpleColouring(s));
}

TEST(SimpleColouring, NoConjugateUnitNoColouring) {
    // Every unit holds the digit three times or more: no pair, nothing found.
    auto s = Picture(6,
                     "xxx......"
                     "xxx......"
                     "xxx......"
                     "...xxx..."
                     "...xxx..."
                     "...xxx..."
                     "......xxx"
                     "......xxx"
                     "......xxx",
                     Rest::Solved);
    EXPECT_FALSE(TrySimpleColouring(s));
}

TEST(SimpleColouring, MakesProgressInRealGradings) {
    EXPECT_GE(test::GradingsUsingRung(test::LoadSharedPuzzles(), test::RungNo("Simple Colouring"), 3), 1);
}

}  // namespace
}  // namespace gw
