// Two-string kite and skyscraper on hand-made pictures of one digit, and both
// rungs at work in real gradings.
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

// How many shared-puzzle gradings, up to `wanted`, the rung made progress in.
int GradingsUsingRung(int rung, int wanted) { return test::GradingsUsingRung(test::LoadSharedPuzzles(), rung, wanted); }

using Cells = std::vector<std::string>;

TEST(TwoStringKite, JoinsARowPairAndAColumnPairInOneBox) {
    // Row 1 pair r1c2-r1c7, column 1 pair r3c1-r8c1; r1c2 and r3c1 share box 1,
    // so r1c7 or r8c1 holds 5 and r8c7 loses it.
    const auto before = Picture(5,
                                ".x....x.."
                                ".xxxxxxxx"
                                "xxxxxxxxx"
                                ".xxxxxxxx"
                                ".xxxxxxxx"
                                ".xxxxxxxx"
                                ".xxxxxxxx"
                                "xxxxxxxxx"
                                ".xxxxxxxx",
                                Rest::Solved, "6");
    auto s = before;
    EXPECT_TRUE(TryTwoStringKite(s));
    EXPECT_EQ(Lost(before, s, 5), (Cells{"r8c7"}));
}

TEST(TwoStringKite, PairInsideOneBoxIsNoString) {
    // Row 1's pair r1c2-r1c3 lies in box 1: not used.
    auto s = Picture(5,
                     ".xx......"
                     ".xxxxxxxx"
                     "xxxxxxxxx"
                     ".xxxxxxxx"
                     ".xxxxxxxx"
                     ".xxxxxxxx"
                     ".xxxxxxxx"
                     "xxxxxxxxx"
                     ".xxxxxxxx",
                     Rest::Solved, "6");
    EXPECT_FALSE(TryTwoStringKite(s));
}

TEST(TwoStringKite, SharedEndIsNoJoint) {
    // Row 1 pair r1c1-r1c5 and column 1 pair r1c1-r5c1 meet in one cell: no
    // joint holds (r5c5 must keep 5; removing it would be unsound).
    auto s = Picture(5,
                     "x...x...."
                     ".xxxxxxxx"
                     ".xxxxxxxx"
                     ".xxxxxxxx"
                     "xxxxxxxxx"
                     ".xxxxxxxx"
                     ".xxxxxxxx"
                     ".xxxxxxxx"
                     ".xxxxxxxx",
                     Rest::Solved, "6");
    EXPECT_FALSE(TryTwoStringKite(s));
    EXPECT_TRUE(s.CandFlags(40, 5));
}

TEST(Skyscraper, RowsJoinedByAColumn) {
    // Rows 2 and 7 hold 7 twice each; their left ends share column 1, so r2c5
    // or r7c4 holds 7: the cells seeing both lose it.
    const auto before = Picture(7,
                                "xxxxxxxxx"
                                "x...x...."
                                "xxxxxxxxx"
                                "xxxxxxxxx"
                                "xxxxxxxxx"
                                "xxxxxxxxx"
                                "x..x....."
                                "xxxxxxxxx"
                                "xxxxxxxxx",
                                Rest::Solved, "8");
    auto s = before;
    EXPECT_TRUE(TrySkyscraper(s));
    EXPECT_EQ(Lost(before, s, 7), (Cells{"r1c4", "r3c4", "r8c5", "r9c5"}));
}

TEST(Skyscraper, ColumnsJoinedByARow) {
    // The same pattern turned on its side: columns 2 and 7, tops joined in row 1.
    const auto before = Picture(7,
                                "xxxxxxxxx"
                                "x.xxxx.xx"
                                "x.xxxx.xx"
                                "x.xxxxxxx"
                                "xxxxxx.xx"
                                "x.xxxx.xx"
                                "x.xxxx.xx"
                                "x.xxxx.xx"
                                "x.xxxx.xx",
                                Rest::Solved, "8");
    auto s = before;
    EXPECT_TRUE(TrySkyscraper(s));
    EXPECT_EQ(Lost(before, s, 7), (Cells{"r4c1", "r4c3", "r5c8", "r5c9"}));
}

TEST(Skyscraper, XWingIsNoSkyscraper) {
    auto s = Picture(7,
                     "xxxxxxxxx"
                     "x...x...."
                     "xxxxxxxxx"
                     "xxxxxxxxx"
                     "xxxxxxxxx"
                     "xxxxxxxxx"
                     "x...x...."
                     "xxxxxxxxx"
                     "xxxxxxxxx",
                     Rest::Solved, "8");
    EXPECT_FALSE(TrySkyscraper(s));
}

TEST(TwoStringKite, MakesProgressInRealGradings) { EXPECT_GE(GradingsUsingRung(test::RungNo("Two-String Kite"), 3), 1); }

TEST(Skyscraper, MakesProgressInRealGradings) { EXPECT_GE(GradingsUsingRung(test::RungNo("Skyscraper"), 3), 1); }

}  // namespace
}  // namespace gw
