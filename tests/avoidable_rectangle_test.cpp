// Avoidable rectangles: both forms on hand-made grids, the rectangles that
// must not be used (givens, four boxes), a grid with more bivalue cells than
// a short list would hold, and soundness over real gradings.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "techniques/techniques.h"
#include "test_util.h"

namespace gw {
namespace {

using test::Open;
using test::Place;
using test::Removed;

std::vector<Change> Ar(GradeState& s, bool* result = nullptr) {
    return test::ReportedChanges(s, TryAvoidableRectangle, result);
}

void MakeGiven(GradeState& s, int r, int c, int d) {
    const int cell = test::Cell(r, c);
    s.SolveGrid[cell] = static_cast<std::uint8_t>(d);
    s.Givens[cell] = static_cast<std::uint8_t>(d);
    s.CandMask[cell] = 0;
}

TEST(AvoidableRectangle, FirstFormRemovesTheDigitThatWouldCompleteTheRectangle) {
    // r1c1 = 5 and r2c4 = 5 placed on a diagonal, r2c1 placed with 3: r1c4
    // cannot be 3.
    auto s = test::MakeState(test::kBackground);
    Place(s, 1, 1, 5);
    Place(s, 2, 4, 5);
    Place(s, 2, 1, 3);
    Open(s, 1, 4, "36");
    bool result = false;
    EXPECT_EQ(Ar(s, &result), (std::vector<Change>{Removed(1, 4, 3)}));
    EXPECT_TRUE(result);

    // The same with the other corner open.
    auto t = test::MakeState(test::kBackground);
    Place(t, 1, 1, 5);
    Place(t, 2, 4, 5);
    Place(t, 1, 4, 3);
    Open(t, 2, 1, "368");
    EXPECT_EQ(Ar(t), (std::vector<Change>{Removed(2, 1, 3)}));
}

TEST(AvoidableRectangle, FirstFormIgnoresRectanglesWithAGiven) {
    for (int corner = 0; corner < 3; ++corner) {
        auto s = test::MakeState(test::kBackground);
        Place(s, 1, 1, 5);
        Place(s, 2, 4, 5);
        Place(s, 2, 1, 3);
        Open(s, 1, 4, "36");
        if (corner == 0) MakeGiven(s, 1, 1, 5);
        if (corner == 1) MakeGiven(s, 2, 4, 5);
        if (corner == 2) MakeGiven(s, 2, 1, 3);
        bool result = true;
        EXPECT_TRUE(Ar(s, &result).empty()) << "given corner " << corner;
        EXPECT_FALSE(result);
    }
}

TEST(AvoidableRectangle, FirstFormIgnoresRectanglesOverFourBoxes) {
    auto s = test::MakeState(test::kBackground);
    Place(s, 1, 1, 5);
    Place(s, 5, 5, 5);
    Place(s, 5, 1, 3);
    Open(s, 1, 5, "36");
    EXPECT_TRUE(Ar(s).empty());
}

TEST(AvoidableRectangle, FirstFormNeedsTheCandidateInTheOpenCorner) {
    auto s = test::MakeState(test::kBackground);
    Place(s, 1, 1, 5);
    Place(s, 2, 4, 5);
    Place(s, 2, 1, 3);
    Open(s, 1, 4, "67");
    bool result = true;
    EXPECT_TRUE(Ar(s, &result).empty());
    EXPECT_FALSE(result);
}

TEST(AvoidableRectangle, SecondFormInARow) {
    // r1c1 = 4 and r1c2 = 6 placed; r5c1 {6,8} and r5c2 {4,8}: one of them is
    // 8, so the cells seeing both lose 8.
    auto s = test::MakeState(test::kBackground);
    Place(s, 1, 1, 4);
    Place(s, 1, 2, 6);
    Open(s, 5, 1, "68");
    Open(s, 5, 2, "48");
    Open(s, 4, 3, "28");
    Open(s, 5, 7, "89");
    Open(s, 9, 1, "18");  // sees r5c1 only
    EXPECT_EQ(Ar(s), (std::vector<Change>{Removed(4, 3, 8), Removed(5, 7, 8)}));
}

TEST(AvoidableRectangle, SecondFormWhereTheBivalueCornerSharesTheBox) {
    auto s = test::MakeState(test::kBackground);
    Place(s, 1, 1, 4);
    Place(s, 1, 5, 6);
    Open(s, 2, 1, "68");
    Open(s, 2, 5, "48");
    Open(s, 2, 9, "89");
    EXPECT_EQ(Ar(s), (std::vector<Change>{Removed(2, 9, 8)}));
}

TEST(AvoidableRectangle, SecondFormInAColumn) {
    auto s = test::MakeState(test::kBackground);
    Place(s, 1, 1, 4);
    Place(s, 2, 1, 6);
    Open(s, 1, 5, "68");
    Open(s, 2, 5, "48");
    Open(s, 7, 5, "89");
    EXPECT_EQ(Ar(s), (std::vector<Change>{Removed(7, 5, 8)}));
}

TEST(AvoidableRectangle, SecondFormIgnoresFourBoxesAndGivens) {
    auto s = test::MakeState(test::kBackground);
    Place(s, 1, 1, 4);
    Place(s, 1, 5, 6);
    Open(s, 5, 1, "68");
    Open(s, 5, 5, "48");
    Open(s, 5, 9, "89");
    EXPECT_TRUE(Ar(s).empty());

    auto t = test::MakeState(test::kBackground);
    MakeGiven(t, 1, 1, 4);
    Place(t, 1, 2, 6);
    Open(t, 5, 1, "68");
    Open(t, 5, 2, "48");
    Open(t, 5, 7, "89");
    EXPECT_TRUE(Ar(t).empty());
}

TEST(AvoidableRectangle, SecondFormWithNothingToRemoveIsPassedOver) {
    auto s = test::MakeState(test::kBackground);
    Place(s, 1, 1, 4);
    Place(s, 1, 2, 6);
    Open(s, 5, 1, "68");
    Open(s, 5, 2, "48");
    Place(s, 7, 1, 2);
    Place(s, 7, 2, 3);
    Open(s, 8, 1, "39");
    Open(s, 8, 2, "29");
    Open(s, 8, 5, "19");
    bool result = false;
    EXPECT_EQ(Ar(s, &result), (std::vector<Change>{Removed(8, 5, 9)}));
    EXPECT_TRUE(result);
}

TEST(AvoidableRectangle, EveryBivalueCellIsListed) {
    // 76 cells {1,2} come before the pattern's corners in the bivalue list;
    // the pattern is still found.
    auto s = test::MakeState(test::kBackground);
    for (int c = 0; c < 81; ++c) {
        s.SolveGrid[c] = 0;
        s.Givens[c] = 0;
        s.CandMask[c] = test::Mask("12");
    }
    Place(s, 1, 1, 4);
    Place(s, 1, 2, 6);
    Open(s, 5, 1, "68");
    Open(s, 5, 2, "48");
    Open(s, 5, 7, "89");
    EXPECT_EQ(Ar(s), (std::vector<Change>{Removed(5, 7, 8)}));
}

// A listing where "=d" is a given and "+d" a digit the grader placed.
GradeState FromListing(std::string listing) {
    std::vector<int> placed;
    int cell = 0;
    std::istringstream in(listing);
    std::string tok;
    while (in >> tok) {
        if (tok.find_first_not_of("|-+") == std::string::npos) continue;
        if (tok[0] == '+') placed.push_back(cell);
        ++cell;
    }
    for (char& ch : listing)
        if (ch == '+') ch = '=';
    auto s = test::MakeState(listing);
    for (int c : placed) s.Givens[c] = 0;
    return s;
}

TEST(AvoidableRectangle, FirstFormOnARealGrid) {
    // Reached while grading
    // 900050240080700300000010085000002007405000602600400000810040000009003020064090008.
    // r1c9 and r2c3 were both solved with 1, r2c9 with 6, none of them given:
    // r1c3 = 6 would complete a swappable rectangle, so 6 goes from r1c3.
    auto s = FromListing(R"(
        =9 37 367 | 38  =5  68 | =2 =4 +1
        +5 =8 +1  | =7  +2  +4 | =3 +9 +6
        +2 +4 36  | 39  =1  69 | +7 =8 =5
        +1 39 +8  | 369 36  =2 | +4 +5 =7
        =4 79 =5  | +1  78  89 | =6 +3 =2
        =6 +2 37  | =4  37  +5 | +8 +1 +9
        =8 =1 +2  | +5  =4  +7 | +9 +6 +3
        +7 +5 =9  | 68  68  =3 | +1 =2 +4
        +3 =6 =4  | +2  =9  +1 | +5 +7 =8)");
    bool result = false;
    EXPECT_EQ(Ar(s, &result), (std::vector<Change>{Removed(1, 3, 6)}));
    EXPECT_TRUE(result);
    // Were the three solved corners givens, nothing could be said.
    auto t = test::MakeState(R"(
        =9 37 367 | 38  =5  68 | =2 =4 =1
        =5 =8 =1  | =7  =2  =4 | =3 =9 =6
        =2 =4 36  | 39  =1  69 | =7 =8 =5
        =1 39 =8  | 369 36  =2 | =4 =5 =7
        =4 79 =5  | =1  78  89 | =6 =3 =2
        =6 =2 37  | =4  37  =5 | =8 =1 =9
        =8 =1 =2  | =5  =4  =7 | =9 =6 =3
        =7 =5 =9  | 68  68  =3 | =1 =2 =4
        =3 =6 =4  | =2  =9  =1 | =5 =7 =8)");
    EXPECT_TRUE(Ar(t).empty());
}

TEST(AvoidableRectangle, SoundOnStuckStates) {
    // Rarely acts on these (see below); the sweep is about soundness.
    test::ExpectSoundOnStuckStates(TryAvoidableRectangle, 28, false);
}

TEST(AvoidableRectangle, MakesProgressInRealGradings) {
    // The form is rare: it needs three corners solved by the grader and the
    // fourth still open. These puzzles reach it when graded with the singles,
    // the subsets and the rungs from pair exclusion to BUG+1 only (the rungs in between are off so
    // that their arrival does not change the path).
    const std::vector<std::pair<Grid, Grid>> puzzles = {
        {test::ParseGrid("900050240080700300000010085000002007405000602600400000810040000009003020064090008"),
         test::ParseGrid("973856241581724396246319785138962457495178632627435819812547963759683124364291578")},
        {test::ParseGrid("906070000510400000000060107000820700020090060003017000201040000000002013000030904"),
         test::ParseGrid("946271358517483692382569147169824735728395461453617289231948576694752813875136924")},
        {test::ParseGrid("900070030000100205000002014004009000080601020000500100750900000403007000090050008"),
         test::ParseGrid("921475836847163295635892714514729683389641527276538149758914362463287951192356478")},
        {test::ParseGrid("100460000076000000000800450280700010000090000010005093091007000000000870000038001"),
         test::ParseGrid("158469327476352189923871456289743615537196248614285793891627534365914872742538961")},
        {test::ParseGrid("640010700000200500002300600000000027001769300730000000003001900004007000005080041"),
         test::ParseGrid("649815732387296514152374689596138427421769358738542196863421975214957863975683241")},
    };
    test::ExpectSoundProgress(
        puzzles, test::RungNo("Avoidable Rectangle"),
        test::OnlySinglesSubsetsAnd({test::RungNo("Pair Exclusion"), test::RungNo("Unique Rectangle"),
                                     test::RungNo("Avoidable Rectangle"), test::RungNo("Aligned Pair Exclusion"),
                                     test::RungNo("BUG+1")}));
}

}  // namespace
}  // namespace gw
