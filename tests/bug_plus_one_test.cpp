// Bivalue grave plus one: the pattern and its near misses on hand-made grids,
// the cases where the extra cell's counts give no usable answer, and
// soundness over real gradings.
#include <gtest/gtest.h>

#include "techniques/techniques.h"
#include "test_util.h"

namespace gw {
namespace {

using test::Cands;
using test::Mask;
using test::Open;
using test::Removed;

std::vector<Change> Bug(GradeState& s, bool* result = nullptr) {
    return test::ReportedChanges(s, TryBugPlusOne, result);
}

// Extra cell r1c1 {1,2,3}; in row 1 and box 1, 3 occurs three times, 1 and 2
// twice; the column holds no other candidate of the cell.
GradeState Grave() {
    auto s = test::MakeState(test::kBackground, {{"r1c1", "123"}, {"r1c2", "13"}, {"r1c3", "23"}, {"r5c5", "45"}, {"r5c6", "45"}});
    return s;
}

TEST(BugPlusOne, KeepsTheDigitThatOccursThreeTimes) {
    auto s = Grave();
    bool result = false;
    EXPECT_EQ(Bug(s, &result), (std::vector<Change>{Removed(1, 1, 1), Removed(1, 1, 2)}));
    EXPECT_TRUE(result);
    EXPECT_EQ(Cands(s, 1, 1), Mask("3"));
}

TEST(BugPlusOne, NoExtraCellDoesNotMatch) {
    auto s = Grave();
    Open(s, 1, 1, "12");
    bool result = true;
    EXPECT_TRUE(Bug(s, &result).empty());
    EXPECT_FALSE(result);
}

TEST(BugPlusOne, TwoExtraCellsDoNotMatch) {
    auto s = Grave();
    Open(s, 9, 9, "789");
    EXPECT_TRUE(Bug(s).empty());
}

TEST(BugPlusOne, ExtraCellWithFourCandidatesDoesNotMatch) {
    auto s = Grave();
    Open(s, 1, 1, "1239");
    EXPECT_TRUE(Bug(s).empty());
    // A lone single is not an extra cell of three either.
    auto t = Grave();
    Open(t, 1, 1, "3");
    EXPECT_TRUE(Bug(t).empty());
}

TEST(BugPlusOne, ExtraCellInTheLastBox) {
    auto s = test::MakeState(test::kBackground, {{"r9c7", "789"}, {"r9c8", "79"}, {"r9c9", "89"}, {"r8c9", "68"}, {"r7c9", "68"}});
    bool result = false;
    // Row 9 holds 7 and 8 twice and 9 three times.
    EXPECT_EQ(Bug(s, &result), (std::vector<Change>{Removed(9, 7, 7), Removed(9, 7, 8)}));
    EXPECT_TRUE(result);
}

TEST(BugPlusOne, NeverEmptiesTheExtraCell) {
    // Row 1 holds 1 and 2 twice, column 1 holds 3 twice: every candidate of
    // the extra cell would go. The counts contradict each other, so the cell
    // is left alone.
    auto s = test::MakeState(test::kBackground, {{"r1c1", "123"}, {"r1c5", "12"}, {"r5c1", "34"}, {"r5c5", "34"}});
    bool result = true;
    EXPECT_TRUE(Bug(s, &result).empty());
    EXPECT_FALSE(result);
    EXPECT_EQ(Cands(s, 1, 1), Mask("123"));
}

TEST(BugPlusOne, ReportsNoProgressWhenNothingWouldGo) {
    // No candidate of the extra cell occurs twice in any of its units.
    auto s = test::MakeState(test::kBackground, {{"r1c1", "123"}, {"r5c5", "45"}, {"r5c6", "45"}});
    bool result = true;
    EXPECT_TRUE(Bug(s, &result).empty());
    EXPECT_FALSE(result);
}

TEST(BugPlusOne, SoundOnStuckStates) {
    test::ExpectSoundOnStuckStates(TryBugPlusOne, 30);
}

TEST(BugPlusOne, MakesProgressInRealGradings) {
    const int rung = test::RungNo("BUG+1");
    test::ExpectSoundProgress(test::LoadSharedPuzzles(), rung, test::RungsOffFrom(test::RungNo("Jellyfish"), rung));
}

}  // namespace
}  // namespace gw
