// Unique rectangles: the four types on hand-made grids, the rectangles that
// must not be used, and soundness over real gradings.
#include <gtest/gtest.h>

#include <cstring>

#include "techniques/techniques.h"
#include "test_util.h"

namespace gw {
namespace {

using test::Cands;
using test::Mask;
using test::Open;
using test::Removed;

std::vector<Change> Ur(GradeState& s, bool* result = nullptr) {
    return test::ReportedChanges(s, TryUniqueRectangle, result);
}

bool NoteIs(const GradeState& s, const char* note) {
    return s.stepNote != nullptr && std::strcmp(s.stepNote, note) == 0;
}

TEST(UniqueRectangle, Type1ClearsTheFloorDigitsFromTheFourthCorner) {
    auto s = test::MakeState(test::kBackground, {{"r1c1", "12"}, {"r1c2", "12"}, {"r5c1", "12"}, {"r5c2", "127"}});
    bool result = false;
    EXPECT_EQ(Ur(s, &result), (std::vector<Change>{Removed(5, 2, 1), Removed(5, 2, 2)}));
    EXPECT_TRUE(result);
    EXPECT_TRUE(NoteIs(s, "Unique Rectangle type 1"));
}

TEST(UniqueRectangle, Type1OnAColumnFloor) {
    auto s = test::MakeState(test::kBackground, {{"r1c1", "12"}, {"r2c1", "12"}, {"r1c7", "12"}, {"r2c7", "1259"}});
    EXPECT_EQ(Ur(s), (std::vector<Change>{Removed(2, 7, 1), Removed(2, 7, 2)}));
    EXPECT_EQ(Cands(s, 2, 7), Mask("59"));
}

TEST(UniqueRectangle, FourBivalueCornersTriggerNothing) {
    auto s = test::MakeState(test::kBackground, {{"r1c1", "12"}, {"r1c2", "12"}, {"r5c1", "12"}, {"r5c2", "12"}, {"r5c7", "19"}});
    bool result = true;
    EXPECT_TRUE(Ur(s, &result).empty());
    EXPECT_FALSE(result);
}

TEST(UniqueRectangle, RectangleOverFourBoxesIsNeverUsed) {
    // Floors r1c1-r1c4 and r1c1-r5c1 lie in two boxes each; the roof r5c4
    // is in a fourth box, so no digit swap is forbidden there.
    auto s = test::MakeState(test::kBackground, {{"r1c1", "12"}, {"r1c4", "12"}, {"r5c1", "12"}, {"r5c4", "127"}});
    EXPECT_TRUE(Ur(s).empty());
    // Type 2 over four boxes: roof cells {1,2,7} and a 7 they both see.
    auto t = test::MakeState(test::kBackground, {{"r1c1", "12"}, {"r1c4", "12"}, {"r5c1", "127"}, {"r5c4", "127"}, {"r5c8", "78"}});
    EXPECT_TRUE(Ur(t).empty());
}

TEST(UniqueRectangle, FloorCellsOnADiagonalAreNeverPaired) {
    auto s = test::MakeState(test::kBackground, {{"r1c1", "12"},
                                 {"r2c4", "12"},
                                 {"r1c4", "127"},
                                 {"r2c1", "127"},
                                 {"r1c2", "78"}});  // sees both {1,2,7} corners
    EXPECT_TRUE(Ur(s).empty());
}

TEST(UniqueRectangle, Type2RemovesTheExtraDigitFromCellsSeeingBothRoofCells) {
    auto s = test::MakeState(test::kBackground, {{"r1c1", "12"},
                                 {"r1c2", "12"},
                                 {"r5c1", "127"},
                                 {"r5c2", "127"},
                                 {"r4c3", "79"},    // same box as the roof
                                 {"r5c7", "78"},    // same row as the roof
                                 {"r8c1", "37"}});  // sees only one roof cell
    EXPECT_EQ(Ur(s), (std::vector<Change>{Removed(4, 3, 7), Removed(5, 7, 7)}));
    EXPECT_TRUE(NoteIs(s, "Unique Rectangle type 2"));
}

TEST(UniqueRectangle, Type2WithFloorInTwoBoxesNeedsTheRoofInThoseBoxes) {
    auto s = test::MakeState(test::kBackground, {{"r1c1", "12"}, {"r1c4", "12"}, {"r2c1", "127"}, {"r2c4", "127"}, {"r2c8", "78"}});
    EXPECT_EQ(Ur(s), (std::vector<Change>{Removed(2, 8, 7)}));
}

TEST(UniqueRectangle, PatternThatRemovesNothingIsPassedOver) {
    auto s = test::MakeState(test::kBackground);
    // Pair {1,2}: type 2 rectangle with no 7 in sight (and 1 and 2 both
    // outside the roof in row 5, so no type 4 either).
    Open(s, 1, 1, "12");
    Open(s, 1, 2, "12");
    Open(s, 5, 1, "127");
    Open(s, 5, 2, "127");
    Open(s, 5, 8, "125");
    // Pair {3,4}: type 2 rectangle whose extra digit 8 can go.
    Open(s, 7, 7, "34");
    Open(s, 7, 9, "34");
    Open(s, 2, 7, "348");
    Open(s, 2, 9, "348");
    Open(s, 2, 4, "68");
    bool result = false;
    EXPECT_EQ(Ur(s, &result), (std::vector<Change>{Removed(2, 4, 8)}));
    EXPECT_TRUE(result);
}

TEST(UniqueRectangle, Type3NakedPairAlongTheRoofRow) {
    auto s = test::MakeState(test::kBackground, {{"r1c1", "12"},
                                 {"r1c2", "12"},
                                 {"r5c1", "127"},
                                 {"r5c2", "128"},
                                 {"r5c9", "78"},
                                 {"r5c6", "678"},
                                 {"r4c3", "79"}});  // in the roof box, not in the row: untouched
    EXPECT_EQ(Ur(s), (std::vector<Change>{Removed(5, 6, 7), Removed(5, 6, 8)}));
    EXPECT_TRUE(NoteIs(s, "Unique Rectangle type 3"));
    EXPECT_EQ(Cands(s, 4, 3), Mask("79"));
}

TEST(UniqueRectangle, Type3NakedPairInTheRoofBox) {
    auto s = test::MakeState(test::kBackground, 
        {{"r1c1", "12"}, {"r1c2", "12"}, {"r5c1", "127"}, {"r5c2", "1278"}, {"r6c3", "78"}, {"r4c2", "57"}});
    EXPECT_EQ(Ur(s), (std::vector<Change>{Removed(4, 2, 7)}));
    EXPECT_TRUE(NoteIs(s, "Unique Rectangle type 3"));
}

TEST(UniqueRectangle, Type3UsesNoBoxWhenTheRoofCellsLieInTwoBoxes) {
    // Floor r1c1-r1c4, roof r2c1 {1,2,7} and r2c4 {1,2,8}. A cell {7,8} in the
    // box of r2c1 says nothing about that box: r2c1 could be 7 while r2c4 is 8.
    auto s = test::MakeState(test::kBackground, {{"r1c1", "12"},
                                 {"r1c4", "12"},
                                 {"r2c1", "127"},
                                 {"r2c4", "128"},
                                 {"r2c8", "125"},  // keeps type 4 out
                                 {"r3c2", "78"},
                                 {"r3c3", "79"}});
    EXPECT_TRUE(Ur(s).empty());
    EXPECT_EQ(Cands(s, 3, 3), Mask("79"));
}

TEST(UniqueRectangle, Type3KeepsTheSolutionDigitOnARealGrid) {
    // A state reached while grading
    // 475000089800200000020040000080004700701605804006700090000020060000003002210000938.
    // Floor {1,4} at r2c8 and r8c8 (one column, two boxes), roof r2c7 {1,3,4,5}
    // and r8c7 {1,4,5}, and a cell {3,5} at r3c9 in the box of r2c7 only.
    // Treating that box as holding the roof's extra digit would strike 3 and 5
    // from r2c9, whose digit is 3.
    const char* listing = R"(
        =4  =7  =5  | 13   136   16   | =2   =8   =9
        =8  =6  39  | =2   579   79   | 1345 14   135
        =1  =2  39  | 589  =4    89   | =6   =7   35
        ------------+-----------------+--------------
        39  =8  =2  | 139  139   =4   | =7   =5   =6
        =7  39  =1  | =6   39    =5   | =8   =2   =4
        =5  =4  =6  | =7   =8    =2   | 13   =9   13
        ------------+-----------------+--------------
        39  359 48  | 14589 =2   189  | 145  =6   =7
        =6  59  478 | 14589 1579 =3   | 145  14   =2
        =2  =1  47  | 45   567   67   | =9   =3   =8)";
    const Grid solution =
        test::ParseGrid("475361289869257413123948675982134756731695824546782391358429167697813542214576938");
    auto s = test::MakeState(listing);
    for (const Change& ch : Ur(s)) EXPECT_NE(solution[ch.cell], ch.digit) << "removed " << test::CellName(ch.cell);
    EXPECT_TRUE(s.CandFlags(test::Cell(2, 9), 3));
}

TEST(UniqueRectangle, Type4ConjugateDigitInTheRoofRow) {
    auto s = test::MakeState(test::kBackground, {{"r1c1", "12"},
                                 {"r1c2", "12"},
                                 {"r5c1", "127"},
                                 {"r5c2", "1289"},
                                 {"r5c8", "25"}});  // 2 elsewhere in the roof row, 1 only in the roof
    EXPECT_EQ(Ur(s), (std::vector<Change>{Removed(5, 1, 2), Removed(5, 2, 2)}));
    EXPECT_TRUE(NoteIs(s, "Unique Rectangle type 4"));
}

TEST(UniqueRectangle, Type4OtherDigitAndColumnFloor) {
    // Floor r1c1-r2c1 (a column), roof r1c5 and r2c5: 2 is confined to the
    // roof in column 5, so 1 goes from both roof cells.
    auto s = test::MakeState(test::kBackground, {{"r1c1", "12"}, {"r2c1", "12"}, {"r1c5", "127"}, {"r2c5", "1289"}, {"r7c5", "16"}});
    EXPECT_EQ(Ur(s), (std::vector<Change>{Removed(1, 5, 1), Removed(2, 5, 1)}));
    EXPECT_TRUE(NoteIs(s, "Unique Rectangle type 4"));
}

TEST(UniqueRectangle, Type4NeedsAConjugateDigit) {
    auto s = test::MakeState(test::kBackground, 
        {{"r1c1", "12"}, {"r1c2", "12"}, {"r5c1", "127"}, {"r5c2", "1289"}, {"r5c8", "25"}, {"r5c9", "16"}});
    EXPECT_TRUE(Ur(s).empty());
}

TEST(UniqueRectangle, SoundOnStuckStates) {
    test::ExpectSoundOnStuckStates(TryUniqueRectangle, 27);
}

TEST(UniqueRectangle, MakesProgressInRealGradings) {
    // The other level-6 rungs below are switched off, and so is everything
    // above, so the rung is the one that makes progress where it applies.
    const int rung = test::RungNo("Unique Rectangle");
    test::ExpectSoundProgress(test::LoadSharedPuzzles(), rung, test::RungsOffFrom(test::RungNo("Jellyfish"), rung));
}

}  // namespace
}  // namespace gw
