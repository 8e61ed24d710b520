// Aligned triple exclusion with single witness cells.
#include <gtest/gtest.h>

#include "generator/generator.h"
#include "techniques/techniques.h"
#include "test_util.h"

namespace gw {
namespace {

constexpr int kRung = test::RungNo("Aligned Triple Exclusion");

using test::MakeState;

std::vector<Change> Triple(GradeState& s) { return test::ReportedChanges(s, TryAlignedTripleExclusion); }

TEST(AlignedTripleExclusion, WitnessesStrikeAssignmentsUsingAllTheirDigits) {
    // Segment r1c1 {1,2}, r1c2 {1,3}, r1c3 {2,3,4}. r1c5 {1,4} (row) and
    // r2c2 {2,4} (box) strike (1,3,4), (2,1,4) and (2,3,4): r1c3 never gets 4.
    GradeState s = MakeState("=9", {{"r1c1", "12"}, {"r1c2", "13"}, {"r1c3", "234"}, {"r1c5", "14"}, {"r2c2", "24"}});
    EXPECT_EQ(Triple(s), (std::vector<Change>{{'R', 2, 4}}));
}

TEST(AlignedTripleExclusion, PairWitnessStrikesItsDigitsInAnyTwoPositions) {
    // r1c5 {1,2} rules out every assignment holding both 1 and 2, whichever
    // two cells take them and in either order; only r1c3 = 6 is left for it.
    GradeState s = MakeState("=9", {{"r1c1", "125"}, {"r1c2", "125"}, {"r1c3", "126"}, {"r1c5", "12"}});
    EXPECT_EQ(Triple(s), (std::vector<Change>{{'R', 2, 1}, {'R', 2, 2}}));
}

TEST(AlignedTripleExclusion, WitnessWithFourCandidatesStrikesNothing) {
    GradeState s =
        MakeState("=9", {{"r1c1", "12"}, {"r1c2", "13"}, {"r1c3", "234"}, {"r1c5", "1456"}, {"r2c2", "24"}});
    EXPECT_TRUE(Triple(s).empty());
}

TEST(AlignedTripleExclusion, SegmentWithSolvedCellIsNeverExamined) {
    // r1c3 would lose 1 and 2 to the pair in r1c2 and r1c5 ... but r1c1 is
    // solved, and the column segments through r1c2 and r1c3 are too.
    GradeState s = MakeState("=9", {{"r1c2", "125"}, {"r1c3", "126"}, {"r1c5", "12"}});
    EXPECT_TRUE(Triple(s).empty());
}

TEST(AlignedTripleExclusion, SameDigitLeavesTwoCellsInOneCall) {
    // r1c5 {3,4} and r2c2 {4,5}: with r1c3 = 3 or 5, 4 cannot go in r1c1 or
    // r1c2. Both removals are made before the call returns.
    GradeState s = MakeState("=9", {{"r1c1", "124"}, {"r1c2", "124"}, {"r1c3", "35"}, {"r1c5", "34"}, {"r2c2", "45"}});
    EXPECT_EQ(Triple(s), (std::vector<Change>{{'R', 0, 4}, {'R', 1, 4}}));
}

TEST(AlignedTripleExclusion, RowSegmentsComeBeforeColumnSegments) {
    // The same pattern in column 1 (top) and in row 9: row 9 acts first even
    // though the column segment holds lower cells; the next call takes the
    // column.
    GradeState s = MakeState("=9", {{"r1c1", "125"},
                           {"r2c1", "125"},
                           {"r3c1", "126"},
                           {"r5c1", "12"},
                           {"r9c1", "125"},
                           {"r9c2", "125"},
                           {"r9c3", "126"},
                           {"r9c5", "12"}});
    EXPECT_EQ(Triple(s), (std::vector<Change>{{'R', 74, 1}, {'R', 74, 2}}));
    EXPECT_EQ(Triple(s), (std::vector<Change>{{'R', 18, 1}, {'R', 18, 2}}));
    EXPECT_TRUE(Triple(s).empty());
}

TEST(AlignedTripleExclusion, RandomCandidateGridsNeverFail) {
    // Random candidate sets, contradictory ones included (cells without any
    // candidate, clashing pairs): the rung ends and reports only real changes.
    std::mt19937 rng(3402);
    for (int n = 0; n < 300; ++n) {
        GradeState s = test::RandomGrid(rng, 4);
        ASSERT_NO_FATAL_FAILURE(test::CallUntilStuck(s, TryAlignedTripleExclusion, 300));
    }
}

TEST(AlignedTripleExclusion, RealGradingMakesSoundProgress) {
    // Singles and subsets, then aligned triple exclusion; every other rung is switched off, so
    // what the test sees does not depend on which of them exist, and aligned triple exclusion
    // is what moves the gradings on when the others stick.
    test::ExpectSoundProgress(test::SharedAndGenerated(60, 34), kRung, test::OnlySinglesSubsetsAnd({kRung}));
}

}  // namespace
}  // namespace gw
