// Finned X-wing: hand-made candidate grids for the pattern's edge
// cases, and real gradings checked against the known solutions.
#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

#include "test_util.h"
#include "techniques/techniques.h"

namespace gw {
namespace {

constexpr int kRung = test::RungNo("Finned X-Wing");
using Cells = std::initializer_list<std::pair<int, int>>;
using test::DigitOnlyAt;
using test::OnlyAt;

std::vector<Change> Finned(GradeState& s, bool expectProgress) {
    return test::ChangesExpecting(s, TryFinnedXWing, expectProgress);
}

Change Removed(int r, int c, int d) {
    return {'R', static_cast<std::uint8_t>(CellAt[r][c]), static_cast<std::uint8_t>(d)};
}

// Base row r1: 3 in c2 and c8 only. Second row r5: c2, c8 and a fin at c3, in
// the box of r5c2. Column 2 inside that box loses the 3 (off row 5).
// r9c8 keeps column 8 from being a base line of its own.
constexpr Cells kOneFin = {{0, 1}, {0, 7}, {4, 1}, {4, 7}, {4, 2}, {3, 1}, {5, 1}, {8, 7}};

TEST(FinnedXWing, OneFinRowsAsBase) {
    GradeState s = DigitOnlyAt(3, kOneFin);
    EXPECT_EQ(Finned(s, true), (std::vector<Change>{Removed(3, 1, 3), Removed(5, 1, 3)}));
}

TEST(FinnedXWing, TwoFinsInOneBox) {
    GradeState s = DigitOnlyAt(3, {{0, 1}, {0, 7}, {4, 0}, {4, 1}, {4, 2}, {4, 7}, {3, 1}, {5, 1}});
    EXPECT_EQ(Finned(s, true), (std::vector<Change>{Removed(3, 1, 3), Removed(5, 1, 3)}));
}

TEST(FinnedXWing, FinInTheBoxOfTheSecondCrossCell) {
    GradeState s = DigitOnlyAt(3, {{0, 1}, {0, 7}, {4, 1}, {4, 7}, {4, 8}, {3, 7}, {5, 7}, {3, 1}});
    EXPECT_EQ(Finned(s, true), (std::vector<Change>{Removed(3, 7, 3), Removed(5, 7, 3)}));
}

// The same pattern mirrored: base column c1, second column c5, fin in r3.
TEST(FinnedXWing, OneFinColumnsAsBase) {
    GradeState s = DigitOnlyAt(3, kOneFin, true);
    EXPECT_EQ(Finned(s, true), (std::vector<Change>{Removed(1, 3, 3), Removed(1, 5, 3)}));
}

// A column pattern on digit 2 and a row pattern on digit 3: all rows come
// first, whatever the digit.
TEST(FinnedXWing, RowsBeforeColumns) {
    GradeState s = DigitOnlyAt(3, kOneFin);
    OnlyAt(s, 2, kOneFin, true);
    EXPECT_EQ(Finned(s, true), (std::vector<Change>{Removed(3, 1, 3), Removed(5, 1, 3)}));
}

TEST(FinnedXWing, BaseCellsInOneBoxAreNotUsed) {
    GradeState s = DigitOnlyAt(3, {{0, 1}, {0, 2}, {4, 0}, {4, 1}, {4, 2}, {3, 1}, {5, 1}});
    Finned(s, false);
}

TEST(FinnedXWing, SecondRowInTheSameBandIsNotUsed) {
    GradeState s = DigitOnlyAt(3, {{0, 1}, {0, 7}, {1, 1}, {1, 7}, {1, 2}, {2, 1}});
    Finned(s, false);
}

// Five candidates in the second row: two fins in box 4 and one in box 6.
TEST(FinnedXWing, SecondRowWithFiveCandidatesIsNotUsed) {
    GradeState s = DigitOnlyAt(3, {{0, 1}, {0, 7}, {4, 0}, {4, 1}, {4, 2}, {4, 7}, {4, 8}, {3, 1}, {8, 7}});
    Finned(s, false);
}

// Sashimi: the second row lacks the digit at c8.
TEST(FinnedXWing, SecondRowMissingACrossCellIsNotUsed) {
    GradeState s = DigitOnlyAt(3, {{0, 1}, {0, 7}, {4, 0}, {4, 1}, {4, 2}, {3, 1}});
    Finned(s, false);
}

TEST(FinnedXWing, FinsInBothBoxesDoNothing) {
    GradeState s = DigitOnlyAt(3, {{0, 1}, {0, 7}, {4, 1}, {4, 7}, {4, 2}, {4, 8}, {3, 1}, {3, 7}});
    Finned(s, false);
}

// Second row r5 gives a pattern with nothing to remove; the search goes on to
// second row r8, whose fin at c9 clears r9c8.
TEST(FinnedXWing, PatternWithoutTargetsIsPassedOver) {
    GradeState s = DigitOnlyAt(3, {{0, 1}, {0, 7}, {4, 1}, {4, 7}, {4, 2}, {7, 1}, {7, 7}, {7, 8}, {8, 7}});
    EXPECT_EQ(Finned(s, true), (std::vector<Change>{Removed(8, 7, 3)}));
}

// A position met in a real grading (rungs above the subsets switched off).
TEST(FinnedXWing, RealPosition) {
    const Grid solution = test::ParseGrid("143298756926537418578416293391845672682173549457629381765982134834761925219354867");
    GradeState s = test::FromCandidates(R"(
        149   1249  =3    | 259   589   58    | =7    458   =6
        4679  24679 467   | 25679 =3    5678  | 48    =1    58
        =5    67    =8    | =4    =1    67    | =2    39    39
        ---------------------+-------------------+------------------
        =3    15679 167   | =8    =4    56    | 69    2679  279
        4689  4689  =2    | =1    =7    =3    | =5    4689  89
        4678  45678 467   | 56    =2    =9    | 3468  34678 =1
        ---------------------+-------------------+------------------
        678   678   =5    | 379   89    =2    | =1    36789 =4
        1478  =3    147   | 579   =6    14    | 89    25789 25789
        =2    14    =9    | 357   58    14    | 368   35678 3578
    )");
    const auto o = test::Apply(s, TryFinnedXWing);
    EXPECT_TRUE(o.progress);
    EXPECT_EQ(o.changes, (std::vector<Change>{{'R', 80, 5}}));
    for (const Change& ch : o.changes) EXPECT_NE(solution[ch.cell], ch.digit) << int(ch.cell);
}

TEST(FinnedXWing, SoundOnSharedPuzzles) {
    const auto puzzles = test::LoadSharedPuzzles();
    ASSERT_GE(puzzles.size(), 1000u);
    const auto use = test::CountRungSteps(puzzles, kRung, test::RungsOffFrom(test::RungNo("X-Wing"), kRung));
    EXPECT_EQ(use.unsound, 0);
    EXPECT_GT(use.steps, 0) << "the rung never made progress";
}

TEST(FinnedXWing, SoundOnGeneratedPuzzles) {
    const auto use = test::CountRungSteps(test::GeneratePuzzles(150, 2026120723), kRung, test::RungsOffFrom(test::RungNo("X-Wing"), kRung));
    EXPECT_EQ(use.unsound, 0);
    EXPECT_GT(use.steps, 0);
}

}  // namespace
}  // namespace gw
