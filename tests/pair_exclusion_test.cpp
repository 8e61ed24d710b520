// Pair exclusion through bivalue peers: the struck combinations on hand-made
// grids, the pair that is acted on, and soundness over real gradings.
#include <gtest/gtest.h>

#include "techniques/techniques.h"
#include "test_util.h"

namespace gw {
namespace {

using test::Cands;
using test::Mask;
using test::Open;
using test::Removed;

std::vector<Change> Pe(GradeState& s, bool* result = nullptr) {
    return test::ReportedChanges(s, TryPairExclusion, result);
}

TEST(PairExclusion, CellsOfOneUnitNeverShareADigit) {
    // r1c1 = 1 would leave r1c5 only 1 as well.
    auto s = test::MakeState(test::kBackground, {{"r1c1", "12"}, {"r1c5", "1"}});
    bool result = false;
    EXPECT_EQ(Pe(s, &result), (std::vector<Change>{Removed(1, 1, 1)}));
    EXPECT_TRUE(result);
}

TEST(PairExclusion, CellsWithoutACommonUnitMayShareADigit) {
    auto s = test::MakeState(test::kBackground, {{"r1c1", "12"}, {"r2c5", "1"}});
    bool result = true;
    EXPECT_TRUE(Pe(s, &result).empty());
    EXPECT_FALSE(result);
}

TEST(PairExclusion, BivalueCommonPeerStrikesBothOrders) {
    // r1c5 {3,4} sees r1c1 and r2c5, which share no unit: r1c1 = 4 with
    // r2c5 = 3 would empty it, and so would r1c1 = 3 with r2c5 = 4.
    auto s = test::MakeState(test::kBackground, {{"r1c1", "34"}, {"r1c5", "34"}, {"r2c5", "3"}});
    EXPECT_EQ(Pe(s), (std::vector<Change>{Removed(1, 1, 4)}));

    auto t = test::MakeState(test::kBackground, {{"r1c1", "34"}, {"r1c5", "34"}, {"r2c5", "4"}});
    EXPECT_EQ(Pe(t), (std::vector<Change>{Removed(1, 1, 3)}));
}

TEST(PairExclusion, BivalueCellMustSeeBothCells) {
    auto s = test::MakeState(test::kBackground, {{"r1c1", "34"},
                                 {"r1c9", "34"},  // sees r1c1 only
                                 {"r2c5", "3"}});
    EXPECT_TRUE(Pe(s).empty());
}

TEST(PairExclusion, LowestPairIsActedOnWithAllItsRemovals) {
    // r1c1 {1,2} and r1c2 {2,3}: r2c3 {1,2} rules out (1,2), r1c7 {1,3}
    // rules out (1,3), so only r1c1 = 2, r1c2 = 3 is left.
    auto s = test::MakeState(test::kBackground, {{"r1c1", "12"}, {"r1c2", "23"}, {"r2c3", "12"}, {"r1c7", "13"}});
    // A later pair that could act too.
    Open(s, 8, 1, "56");
    Open(s, 8, 5, "5");
    bool result = false;
    EXPECT_EQ(Pe(s, &result), (std::vector<Change>{Removed(1, 1, 1), Removed(1, 2, 2)}));
    EXPECT_TRUE(result);
    EXPECT_EQ(Cands(s, 8, 1), Mask("56"));
}

TEST(PairExclusion, SoundOnStuckStates) {
    test::ExpectSoundOnStuckStates(TryPairExclusion, 26);
}

TEST(PairExclusion, MakesProgressInRealGradings) {
    const int rung = test::RungNo("Pair Exclusion");
    test::ExpectSoundProgress(test::LoadSharedPuzzles(), rung, test::RungsOffFrom(test::RungNo("Jellyfish"), rung));
}

}  // namespace
}  // namespace gw
