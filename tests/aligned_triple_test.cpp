// Aligned triple exclusion with single witness cells (rung 34).
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>

#include "generator/generator.h"
#include "techniques/techniques.h"
#include "test_util.h"

namespace gw {
namespace {

constexpr int kRung = 34;

int Cell(const std::string& name) { return 9 * (name[1] - '1') + (name[3] - '1'); }

// A state where only the listed cells are open (name like "r1c5", candidate
// digits like "14"); every other cell is solved, so every segment but the
// ones made of listed cells is skipped.
GradeState Sparse(std::initializer_list<std::pair<const char*, const char*>> cells) {
    GradeState s;
    s.SolveGrid.fill(9);
    s.CandMask.fill(0);
    for (const auto& [name, digits] : cells) {
        const int c = Cell(name);
        s.SolveGrid[c] = 0;
        for (const char* p = digits; *p != '\0'; ++p) s.CandMask[c] |= DigitBit(*p - '0');
    }
    return s;
}

std::vector<Change> Triple(GradeState& s) {
    std::vector<Change> log;
    s.log = &log;
    const bool r = TryAlignedTripleExclusion(s);
    s.log = nullptr;
    EXPECT_EQ(r, !log.empty()) << "the result must say whether anything changed";
    return log;
}

TEST(AlignedTriple, WitnessesStrikeAssignmentsUsingAllTheirDigits) {
    // Segment r1c1 {1,2}, r1c2 {1,3}, r1c3 {2,3,4}. r1c5 {1,4} (row) and
    // r2c2 {2,4} (box) strike (1,3,4), (2,1,4) and (2,3,4): r1c3 never gets 4.
    GradeState s = Sparse({{"r1c1", "12"}, {"r1c2", "13"}, {"r1c3", "234"}, {"r1c5", "14"}, {"r2c2", "24"}});
    EXPECT_EQ(Triple(s), (std::vector<Change>{{'R', 2, 4}}));
}

TEST(AlignedTriple, PairWitnessStrikesItsDigitsInAnyTwoPositions) {
    // r1c5 {1,2} rules out every assignment holding both 1 and 2, whichever
    // two cells take them and in either order; only r1c3 = 6 is left for it.
    GradeState s = Sparse({{"r1c1", "125"}, {"r1c2", "125"}, {"r1c3", "126"}, {"r1c5", "12"}});
    EXPECT_EQ(Triple(s), (std::vector<Change>{{'R', 2, 1}, {'R', 2, 2}}));
}

TEST(AlignedTriple, WitnessWithFourCandidatesStrikesNothing) {
    GradeState s =
        Sparse({{"r1c1", "12"}, {"r1c2", "13"}, {"r1c3", "234"}, {"r1c5", "1456"}, {"r2c2", "24"}});
    EXPECT_TRUE(Triple(s).empty());
}

TEST(AlignedTriple, SegmentWithSolvedCellIsNeverExamined) {
    // r1c3 would lose 1 and 2 to the pair in r1c2 and r1c5 ... but r1c1 is
    // solved, and the column segments through r1c2 and r1c3 are too.
    GradeState s = Sparse({{"r1c2", "125"}, {"r1c3", "126"}, {"r1c5", "12"}});
    EXPECT_TRUE(Triple(s).empty());
}

TEST(AlignedTriple, SameDigitLeavesTwoCellsInOneCall) {
    // r1c5 {3,4} and r2c2 {4,5}: with r1c3 = 3 or 5, 4 cannot go in r1c1 or
    // r1c2. Both removals are made before the call returns.
    GradeState s = Sparse({{"r1c1", "124"}, {"r1c2", "124"}, {"r1c3", "35"}, {"r1c5", "34"}, {"r2c2", "45"}});
    EXPECT_EQ(Triple(s), (std::vector<Change>{{'R', 0, 4}, {'R', 1, 4}}));
}

TEST(AlignedTriple, RowSegmentsComeBeforeColumnSegments) {
    // The same pattern in column 1 (top) and in row 9: row 9 acts first even
    // though the column segment holds lower cells; the next call takes the
    // column.
    GradeState s = Sparse({{"r1c1", "125"},
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

TEST(AlignedTriple, RandomCandidateGridsNeverFail) {
    // Random candidate sets, contradictory ones included (cells without any
    // candidate, clashing pairs): the rung ends and reports only real changes.
    Rng rng(3402);
    for (int n = 0; n < 300; ++n) {
        GradeState s;
        for (int c = 0; c < 81; ++c) {
            const int kind = rng.Below(10);
            if (kind == 0) s.SolveGrid[c] = static_cast<std::uint8_t>(1 + rng.Below(9));
            else if (kind < 5) s.CandMask[c] = static_cast<std::uint16_t>(DigitBit(1 + rng.Below(9)) | DigitBit(1 + rng.Below(9)));
            else s.CandMask[c] = static_cast<std::uint16_t>(rng.Below(512));
        }
        for (int guard = 0; guard < 300; ++guard) {
            const std::uint64_t before = s.changes;
            if (!TryAlignedTripleExclusion(s)) break;
            ASSERT_NE(s.changes, before);
        }
    }
}

TEST(AlignedTriple, RealGradingMakesSoundProgress) {
    // Singles and subsets, then rung 34; every other rung is switched off, so
    // what the test sees does not depend on which of them exist, and rung 34
    // is what moves the gradings on when the others stick.
    std::bitset<kRungCount + 1> off;
    for (int r = 3; r <= kRungCount; ++r)
        if ((r < 5 || r > 10) && r != kRung) off.set(static_cast<std::size_t>(r));
    int used = 0;
    int unsound = 0;
    for (const auto& set : {test::LoadSharedPuzzles(), test::GeneratePuzzles(60, 34)}) {
        for (const auto& [puzzle, solution] : set) {
            const auto rep = test::GradeAndCheck(puzzle, solution, off);
            unsound += rep.unsound;
            for (const Step& st : rep.steps) used += st.rung == kRung;
        }
    }
    EXPECT_EQ(unsound, 0);
    EXPECT_GT(used, 0);
    std::printf("rung %d made progress %d times\n", kRung, used);
}

}  // namespace
}  // namespace gw
