// WXYZ-wing: hand-made candidate grids for both forms and the
// pattern's edge cases, and real gradings checked against the known solutions.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string_view>
#include <utility>

#include "test_util.h"
#include "techniques/techniques.h"

namespace gw {
namespace {

constexpr int kRung = test::RungNo("WXYZ-Wing");

using test::Mask;

// Every cell holds 5..9 (no pivot, no wing), except the listed ones.
GradeState WingGrid(std::initializer_list<std::pair<std::string_view, std::string_view>> cells) {
    return test::MakeState("56789", cells);
}

std::vector<Change> Wing(GradeState& s, bool expectProgress) {
    return test::ChangesExpecting(s, TryWXYZWing, expectProgress);
}

using test::Cell;
using test::Removed;

// Pivot r5c5 {1234}; wings r5c8 {14} in its row, r4c4 {24} and r6c6 {34} in
// its box. Only r5c4 and r5c6 see all four cells.
TEST(WXYZWing, FourDigitPivot) {
    GradeState s = WingGrid({{"r5c5", "1234"},
                             {"r5c8", "14"},
                             {"r4c4", "24"},
                             {"r6c6", "34"},
                             {"r5c4", "456"},
                             {"r5c6", "46"},
                             {"r5c9", "45"}});
    const auto log = Wing(s, true);
    EXPECT_EQ(log, (std::vector<Change>{Removed(5, 4, 4), Removed(5, 6, 4)}));
    EXPECT_TRUE(s.CandFlags(Cell(5, 9), 4));  // sees the pivot and r5c8 only
}

// All three wings in the pivot's box and seeing each other: the rest of the
// box loses z, the pivot and the wings keep it.
TEST(WXYZWing, RemovalSparesPivotAndWings) {
    GradeState s = WingGrid({{"r5c5", "1234"}, {"r5c4", "14"}, {"r5c6", "24"}, {"r4c5", "34"}, {"r6c5", "47"}});
    const auto log = Wing(s, true);
    EXPECT_EQ(log, (std::vector<Change>{Removed(6, 5, 4)}));
    for (int cell : {Cell(5, 5), Cell(5, 4), Cell(5, 6), Cell(4, 5)}) EXPECT_TRUE(s.CandFlags(cell, 4)) << cell;
}

// Wings found only through the same kind of unit (all in the pivot's row,
// all in its column, or all in its box) form no wing here.
TEST(WXYZWing, WingsAllInOneKindOfUnitAreNotUsed) {
    GradeState row = WingGrid({{"r5c5", "1234"}, {"r5c1", "14"}, {"r5c2", "24"}, {"r5c9", "34"}, {"r5c7", "45"}});
    Wing(row, false);
    GradeState column = WingGrid({{"r5c5", "1234"}, {"r1c5", "14"}, {"r2c5", "24"}, {"r9c5", "34"}, {"r7c5", "45"}});
    Wing(column, false);
    GradeState box = WingGrid({{"r5c5", "1234"}, {"r4c4", "14"}, {"r4c6", "24"}, {"r6c4", "34"}, {"r6c6", "45"}});
    Wing(box, false);
    EXPECT_TRUE(box.CandFlags(Cell(6, 6), 4));
}

// The unit kinds are those the wings are looked up through: r5c4 and r5c6 lie
// in the pivot's row and box, so wings that all lie in row 5 are still found
// as (row, box, row) when one of them is taken through the box. The rest of
// the row loses z.
TEST(WXYZWing, WingsReachedThroughDifferentUnitsMayShareOneRow) {
    GradeState s = WingGrid({{"r5c5", "1234"}, {"r5c4", "14"}, {"r5c6", "24"}, {"r5c9", "34"}, {"r5c1", "45"}});
    const auto log = Wing(s, true);
    EXPECT_EQ(log, (std::vector<Change>{Removed(5, 1, 4)}));
}

// The pattern at r2c2 has no z among its common peers; the search goes on to
// the pattern at r5c5.
TEST(WXYZWing, PatternWithoutTargetsIsPassedOver) {
    GradeState s = WingGrid({{"r2c2", "1234"},
                             {"r2c1", "14"},
                             {"r1c1", "24"},
                             {"r3c3", "34"},
                             {"r5c5", "1234"},
                             {"r5c8", "14"},
                             {"r4c4", "24"},
                             {"r6c6", "34"},
                             {"r5c4", "456"}});
    const auto log = Wing(s, true);
    EXPECT_EQ(log, (std::vector<Change>{Removed(5, 4, 4)}));
}

// Pivot r5c5 {123}; wings r4c5 {14} (column), r4c4 {24} and r4c6 {34} (box).
// z = 4 goes from every cell that sees the three wings, pivot or not: row 4
// and box 5, here r4c9 and r6c4.
TEST(WXYZWing, ThreeDigitPivot) {
    GradeState s =
        WingGrid({{"r5c5", "123"}, {"r4c5", "14"}, {"r4c4", "24"}, {"r4c6", "34"}, {"r4c9", "45"}, {"r6c4", "46"}});
    const auto log = Wing(s, true);
    EXPECT_EQ(log, (std::vector<Change>{Removed(4, 9, 4), Removed(6, 4, 4)}));
}

// The same wings with a pivot {1234}: z may be in the pivot, so only cells
// that also see the pivot lose it.
TEST(WXYZWing, FourDigitPivotNeedsTargetsThatSeeIt) {
    GradeState s =
        WingGrid({{"r5c5", "1234"}, {"r4c5", "14"}, {"r4c4", "24"}, {"r4c6", "34"}, {"r4c9", "45"}, {"r6c4", "46"}});
    const auto log = Wing(s, true);
    EXPECT_EQ(log, (std::vector<Change>{Removed(6, 4, 4)}));
    EXPECT_TRUE(s.CandFlags(Cell(4, 9), 4));
}

// The whole four-digit form runs before the three-digit form, even for a
// later digit set ({1235} with z = 3 at r2c2 before {1234} with the pivot {123}).
TEST(WXYZWing, FourDigitFormFirst) {
    GradeState s = WingGrid({{"r5c5", "123"},
                             {"r4c5", "14"},
                             {"r4c4", "24"},
                             {"r4c6", "34"},
                             {"r4c9", "45"},
                             {"r2c2", "1235"},
                             {"r2c1", "13"},
                             {"r2c3", "23"},
                             {"r1c2", "35"},
                             {"r3c2", "37"}});
    const auto log = Wing(s, true);
    EXPECT_EQ(log, (std::vector<Change>{Removed(3, 2, 3)}));
    EXPECT_TRUE(s.CandFlags(Cell(4, 9), 4));
}

// Wing cells must be exactly the pair {z, p}: a third candidate spoils them.
TEST(WXYZWing, WingWithAThirdCandidateIsNoWing) {
    GradeState s = WingGrid({{"r5c5", "1234"}, {"r5c8", "149"}, {"r4c4", "24"}, {"r6c6", "34"}, {"r5c4", "456"}});
    Wing(s, false);
}

// A position met in a real grading (rungs above the subsets switched off):
// pivot r6c2 {1379} with z = 9, wings r5c2 {19} (its column), r6c8 {39} and
// r6c7 {79} (its row); r6c3 sees all four and loses the 9.
TEST(WXYZWing, RealPosition) {
    test::ExpectRealPosition(R"(
        =7    =5    =8    | =4    =9    =6    | =3    =1    =2
        =1    =6    =4    | =7    =3    =2    | =5    =8    =9
        =9    =2    =3    | =8    =5    =1    | 46    46    =7
        ---------------------+-------------------+------------------
        238   378   27    | =1    =4    =9    | 267   236   =5
        24    19    =6    | =3    =7    =5    | =8    29    14
        345   1379  579   | =6    =2    =8    | 79    39    14
        ---------------------+-------------------+------------------
        =6    39    29    | =5    =1    34    | 249   =7    =8
        58    789   =1    | =2    =6    47    | 49    459   =3
        235   =4    257   | =9    =8    37    | =1    25    =6
    )",
                             "758496312164732589923851467872149635496375821315628794639514278581267943247983156",
                             TryWXYZWing, {test::Removed(6, 3, 9)});
}

TEST(WXYZWing, SoundOnSharedPuzzles) {
    const auto puzzles = test::LoadSharedPuzzles();
    ASSERT_GE(puzzles.size(), 1000u);
    test::ExpectSoundProgress(puzzles, kRung, test::RungsOffFrom(test::RungNo("X-Wing"), kRung));
}

TEST(WXYZWing, SoundOnGeneratedPuzzles) {
    test::ExpectSoundProgress(GeneratedPuzzles(800, 2026120721), kRung,
                              test::RungsOffFrom(test::RungNo("X-Wing"), kRung));
}

}  // namespace
}  // namespace gw
