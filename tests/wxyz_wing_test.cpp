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
GradeState Grid(std::initializer_list<std::pair<int, std::string_view>> cells) {
    GradeState s;
    s.CandMask.fill(Mask("56789"));
    for (auto [cell, digits] : cells) s.CandMask[cell] = Mask(digits);
    return s;
}

std::vector<Change> Wing(GradeState& s, bool expectProgress) {
    return test::ChangesExpecting(s, TryWXYZWing, expectProgress);
}

Change Removed(int cell, int d) { return {'R', static_cast<std::uint8_t>(cell), static_cast<std::uint8_t>(d)}; }

// Pivot r5c5 {1234}; wings r5c8 {14} in its row, r4c4 {24} and r6c6 {34} in
// its box. Only r5c4 and r5c6 see all four cells.
TEST(WXYZWing, FourDigitPivot) {
    GradeState s = Grid({{40, "1234"}, {43, "14"}, {30, "24"}, {50, "34"}, {39, "456"}, {41, "46"}, {44, "45"}});
    const auto log = Wing(s, true);
    EXPECT_EQ(log, (std::vector<Change>{Removed(39, 4), Removed(41, 4)}));
    EXPECT_TRUE(s.CandFlags(44, 4));  // sees the pivot and r5c8 only
}

// All three wings in the pivot's box and seeing each other: the rest of the
// box loses z, the pivot and the wings keep it.
TEST(WXYZWing, RemovalSparesPivotAndWings) {
    GradeState s = Grid({{40, "1234"}, {39, "14"}, {41, "24"}, {31, "34"}, {49, "47"}});
    const auto log = Wing(s, true);
    EXPECT_EQ(log, (std::vector<Change>{Removed(49, 4)}));
    for (int cell : {40, 39, 41, 31}) EXPECT_TRUE(s.CandFlags(cell, 4)) << cell;
}

// Wings found only through the same kind of unit (all in the pivot's row,
// all in its column, or all in its box) form no wing here.
TEST(WXYZWing, WingsAllInOneKindOfUnitAreNotUsed) {
    GradeState row = Grid({{40, "1234"}, {36, "14"}, {37, "24"}, {44, "34"}, {42, "45"}});
    Wing(row, false);
    GradeState column = Grid({{40, "1234"}, {4, "14"}, {13, "24"}, {76, "34"}, {58, "45"}});
    Wing(column, false);
    GradeState box = Grid({{40, "1234"}, {30, "14"}, {32, "24"}, {48, "34"}, {50, "45"}});
    Wing(box, false);
    EXPECT_TRUE(box.CandFlags(50, 4));
}

// The unit kinds are those the wings are looked up through: r5c4 and r5c6 lie
// in the pivot's row and box, so wings that all lie in row 5 are still found
// as (row, box, row) when one of them is taken through the box. The rest of
// the row loses z.
TEST(WXYZWing, WingsReachedThroughDifferentUnitsMayShareOneRow) {
    GradeState s = Grid({{40, "1234"}, {39, "14"}, {41, "24"}, {44, "34"}, {36, "45"}});
    const auto log = Wing(s, true);
    EXPECT_EQ(log, (std::vector<Change>{Removed(36, 4)}));
}

// The pattern at r2c2 has no z among its common peers; the search goes on to
// the pattern at r5c5.
TEST(WXYZWing, PatternWithoutTargetsIsPassedOver) {
    GradeState s = Grid({{10, "1234"}, {9, "14"}, {0, "24"}, {20, "34"},
                         {40, "1234"}, {43, "14"}, {30, "24"}, {50, "34"}, {39, "456"}});
    const auto log = Wing(s, true);
    EXPECT_EQ(log, (std::vector<Change>{Removed(39, 4)}));
}

// Pivot r5c5 {123}; wings r4c5 {14} (column), r4c4 {24} and r4c6 {34} (box).
// z = 4 goes from every cell that sees the three wings, pivot or not: row 4
// and box 5, here r4c9 and r6c4.
TEST(WXYZWing, ThreeDigitPivot) {
    GradeState s = Grid({{40, "123"}, {31, "14"}, {30, "24"}, {32, "34"}, {35, "45"}, {48, "46"}});
    const auto log = Wing(s, true);
    EXPECT_EQ(log, (std::vector<Change>{Removed(35, 4), Removed(48, 4)}));
}

// The same wings with a pivot {1234}: z may be in the pivot, so only cells
// that also see the pivot lose it.
TEST(WXYZWing, FourDigitPivotNeedsTargetsThatSeeIt) {
    GradeState s = Grid({{40, "1234"}, {31, "14"}, {30, "24"}, {32, "34"}, {35, "45"}, {48, "46"}});
    const auto log = Wing(s, true);
    EXPECT_EQ(log, (std::vector<Change>{Removed(48, 4)}));
    EXPECT_TRUE(s.CandFlags(35, 4));
}

// The whole four-digit form runs before the three-digit form, even for a
// later digit set ({1235} with z = 3 at r2c2 before {1234} with the pivot {123}).
TEST(WXYZWing, FourDigitFormFirst) {
    GradeState s = Grid({{40, "123"}, {31, "14"}, {30, "24"}, {32, "34"}, {35, "45"},
                         {10, "1235"}, {9, "13"}, {11, "23"}, {1, "35"}, {19, "37"}});
    const auto log = Wing(s, true);
    EXPECT_EQ(log, (std::vector<Change>{Removed(19, 3)}));
    EXPECT_TRUE(s.CandFlags(35, 4));
}

// Wing cells must be exactly the pair {z, p}: a third candidate spoils them.
TEST(WXYZWing, WingWithAThirdCandidateIsNoWing) {
    GradeState s = Grid({{40, "1234"}, {43, "149"}, {30, "24"}, {50, "34"}, {39, "456"}});
    Wing(s, false);
}

// A position met in a real grading (rungs above the subsets switched off):
// pivot r6c2 {1379} with z = 9, wings r5c2 {19} (its column), r6c8 {39} and
// r6c7 {79} (its row); r6c3 sees all four and loses the 9.
TEST(WXYZWing, RealPosition) {
    const gw::Grid solution = test::ParseGrid("758496312164732589923851467872149635496375821315628794639514278581267943247983156");
    GradeState s = test::FromCandidates(R"(
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
    )");
    const auto o = test::Apply(s, TryWXYZWing);
    EXPECT_TRUE(o.progress);
    EXPECT_EQ(o.changes, (std::vector<Change>{{'R', 47, 9}}));
    for (const Change& ch : o.changes) EXPECT_NE(solution[ch.cell], ch.digit) << int(ch.cell);
}

TEST(WXYZWing, SoundOnSharedPuzzles) {
    const auto puzzles = test::LoadSharedPuzzles();
    ASSERT_GE(puzzles.size(), 1000u);
    const auto use = test::CountRungSteps(puzzles, kRung, test::RungsOffFrom(test::RungNo("X-Wing"), kRung));
    EXPECT_EQ(use.unsound, 0);
    EXPECT_GT(use.steps, 0) << "the rung never made progress";
}

TEST(WXYZWing, SoundOnGeneratedPuzzles) {
    const auto use = test::CountRungSteps(test::GeneratePuzzles(800, 2026120721), kRung, test::RungsOffFrom(test::RungNo("X-Wing"), kRung));
    EXPECT_EQ(use.unsound, 0);
    EXPECT_GT(use.steps, 0);
}

}  // namespace
}  // namespace gw
