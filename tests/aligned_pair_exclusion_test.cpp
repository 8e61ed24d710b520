// Aligned pair exclusion: bivalue peers and two-cell sets of the line and of
// the box on hand-made grids, the scan order, and soundness over real
// gradings.
#include <gtest/gtest.h>

#include "techniques/techniques.h"
#include "test_util.h"

namespace gw {
namespace {

using test::Cands;
using test::Mask;
using test::Open;
using test::Removed;

std::vector<Change> Ape(GradeState& s, bool* result = nullptr) {
    return test::ReportedChanges(s, TryAlignedPairExclusion, result);
}

TEST(AlignedPairExclusion, CellsOfOneSegmentNeverShareADigit) {
    auto s = test::MakeState(test::kBackground, {{"r1c1", "12"}, {"r1c2", "1"}});
    bool result = false;
    EXPECT_EQ(Ape(s, &result), (std::vector<Change>{Removed(1, 1, 1)}));
    EXPECT_TRUE(result);
}

TEST(AlignedPairExclusion, BivalueCellsOfTheLineAndOfTheBox) {
    // r1c1 {1,2}, r1c2 {1,3}: r1c7 {1,3} rules out (1,3), r2c3 {2,3} rules
    // out (2,3); only r1c1 = 2, r1c2 = 1 is left.
    auto s = test::MakeState(test::kBackground, {{"r1c1", "12"}, {"r1c2", "13"}, {"r1c7", "13"}, {"r2c3", "23"}});
    EXPECT_EQ(Ape(s), (std::vector<Change>{Removed(1, 1, 1), Removed(1, 2, 3)}));
}

TEST(AlignedPairExclusion, TwoCellsWithThreeDigitsInTheLine) {
    // r1c5 {1,2,3} and r1c8 {1,3} need two of 1, 2, 3: r1c1 and r1c2 cannot
    // take two of them. r1c8 alone would only rule out (1,3).
    auto s = test::MakeState(test::kBackground, {{"r1c1", "124"}, {"r1c2", "23"}, {"r1c5", "123"}, {"r1c8", "13"}});
    EXPECT_EQ(Ape(s), (std::vector<Change>{Removed(1, 1, 1), Removed(1, 1, 2)}));
    EXPECT_EQ(Cands(s, 1, 2), Mask("23"));
}

TEST(AlignedPairExclusion, TwoCellsWithThreeDigitsInTheBox) {
    // r2c1 {1,2} and r3c3 {2,3} rule out (1,2) and (2,3) on their own, and
    // together also (1,3).
    auto s = test::MakeState(test::kBackground, {{"r1c1", "124"}, {"r1c2", "23"}, {"r2c1", "12"}, {"r3c3", "23"}});
    EXPECT_EQ(Ape(s), (std::vector<Change>{Removed(1, 1, 1), Removed(1, 1, 2)}));
}

TEST(AlignedPairExclusion, TwoTrivalueCellsWithFourDigitsExcludeNothing) {
    auto s = test::MakeState(test::kBackground, {{"r1c1", "124"}, {"r1c2", "23"}, {"r1c5", "123"}, {"r1c8", "124"}});
    bool result = true;
    EXPECT_TRUE(Ape(s, &result).empty());
    EXPECT_FALSE(result);
}

TEST(AlignedPairExclusion, RowSegmentsComeBeforeColumnSegments) {
    auto s = test::MakeState(test::kBackground, {{"r1c1", "12"},
                                 {"r3c1", "1"},  // column segment with r1c1
                                 {"r9c8", "56"},
                                 {"r9c9", "5"}});  // row segment, lower in the grid
    EXPECT_EQ(Ape(s), (std::vector<Change>{Removed(9, 8, 5)}));
    EXPECT_EQ(Ape(s), (std::vector<Change>{Removed(1, 1, 1)}));
}

TEST(AlignedPairExclusion, SoundOnStuckStates) {
    test::ExpectSoundOnStuckStates(TryAlignedPairExclusion, 29);
}

TEST(AlignedPairExclusion, MakesProgressInRealGradings) {
    const int rung = test::RungNo("Aligned Pair Exclusion");
    test::ExpectSoundProgress(test::LoadSharedPuzzles(), rung, test::RungsOffFrom(test::RungNo("Jellyfish"), rung));
}

}  // namespace
}  // namespace gw
