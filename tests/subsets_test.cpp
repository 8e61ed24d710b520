// Naked and hidden subsets on hand-made candidate grids.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "techniques/techniques.h"
#include "test_util.h"

namespace gw {
namespace {

using test::OpenGrid;
using test::SetCell;

int At(int row, int col) { return 9 * row + col; }

void Strike(GradeState& s, int digit, std::initializer_list<int> cells) {
    for (int c : cells) s.CandMask[c] &= static_cast<std::uint16_t>(~DigitBit(digit));
}

std::vector<Change> Apply(GradeState& s, bool naked, int size) {
    return test::ReportedChanges(s, [&](GradeState& t) { return TrySubset(t, {.naked = naked, .size = size}); });
}

// The removals of `digits` (ascending) from the unit's cells other than
// `keep`, in unit order, where the digit is still a candidate.
std::vector<Change> ClearUnit(const GradeState& s, int unit, std::string_view digits, std::initializer_list<int> keep) {
    std::vector<Change> out;
    for (int k = 0; k < 9; ++k) {
        const int cell = UnitCell(unit, k);
        if (std::find(keep.begin(), keep.end(), cell) != keep.end()) continue;
        for (char ch : digits)
            if (s.CandFlags(cell, ch - '0'))
                out.push_back({'R', static_cast<std::uint8_t>(cell), static_cast<std::uint8_t>(ch - '0')});
    }
    return out;
}

TEST(NakedSubset, PairInARowComesBeforeAPairInAColumn) {
    GradeState s = OpenGrid();
    SetCell(s, At(0, 1), "37");
    SetCell(s, At(0, 5), "37");
    SetCell(s, At(2, 8), "12");
    SetCell(s, At(6, 8), "12");
    const auto row = ClearUnit(s, 0, "37", {At(0, 1), At(0, 5)});
    ASSERT_EQ(row.size(), 14u);
    EXPECT_EQ(Apply(s, true, 2), row);
    const auto column = ClearUnit(s, 9 + 8, "12", {At(2, 8), At(6, 8)});
    EXPECT_EQ(Apply(s, true, 2), column);
    EXPECT_TRUE(Apply(s, true, 2).empty());
}

TEST(NakedSubset, PairWithNothingToRemoveIsPassedOver) {
    GradeState s = OpenGrid();
    // {4, 6} in (3,0) and (3,1), and no other 4 or 6 in row 3 or box 3.
    SetCell(s, At(3, 0), "46");
    SetCell(s, At(3, 1), "46");
    for (int c = 2; c < 9; ++c) Strike(s, 4, {At(3, c)}), Strike(s, 6, {At(3, c)});
    for (int p = 3; p < 9; ++p) Strike(s, 4, {BoxCell[3][p]}), Strike(s, 6, {BoxCell[3][p]});
    GradeState dead = s;
    EXPECT_TRUE(Apply(dead, true, 2).empty());
    // A later pair of the same row, {5, 9}, is acted on.
    SetCell(s, At(3, 4), "59");
    SetCell(s, At(3, 7), "59");
    const auto want = ClearUnit(s, 3, "59", {At(3, 4), At(3, 7)});
    ASSERT_EQ(want.size(), 10u);
    EXPECT_EQ(Apply(s, true, 2), want);
}

TEST(NakedSubset, UnitWithOnlySizeOpenCellsNeverEndsTheSearch) {
    GradeState s = OpenGrid();
    // Row 4 has two unsolved cells left, holding the two missing digits.
    const std::array<int, 9> row4 = {3, 4, 5, 6, 0, 7, 8, 9, 0};
    for (int c = 0; c < 9; ++c) {
        if (row4[c] == 0) continue;
        s.SolveGrid[At(4, c)] = static_cast<std::uint8_t>(row4[c]);
        s.CandMask[At(4, c)] = 0;
    }
    SetCell(s, At(4, 4), "12");
    SetCell(s, At(4, 8), "12");
    GradeState trivial = s;
    EXPECT_TRUE(Apply(trivial, true, 2).empty());
    // A pair further on (column 0) is still found; the solved cell (4,0) is
    // passed by.
    SetCell(s, At(0, 0), "78");
    SetCell(s, At(8, 0), "78");
    EXPECT_EQ(Apply(s, true, 2), ClearUnit(s, 9 + 0, "78", {At(0, 0), At(8, 0)}));
}

TEST(NakedSubset, PlacedDigitIsNeverPartOfACombination) {
    GradeState s = OpenGrid();
    // Row 0 holds 5 in (0,0). (0,3) {6} and (0,4) {5, 6} would form the pair
    // {5, 6} in row 0 if 5 counted as open; the pair is found in box 1 instead.
    s.SolveGrid[At(0, 0)] = 5;
    s.CandMask[At(0, 0)] = 0;
    SetCell(s, At(0, 3), "6");
    SetCell(s, At(0, 4), "56");
    EXPECT_EQ(Apply(s, true, 2), ClearUnit(s, 18 + 1, "56", {At(0, 3), At(0, 4)}));
}

TEST(NakedSubset, TripleQuadAndQuint) {
    for (const auto& [size, digits] : std::vector<std::pair<int, std::string>>{
             {3, "247"}, {4, "1358"}, {5, "12469"}}) {
        GradeState s = OpenGrid();
        // The subset in column 6, rows 0.. size-1, each cell missing one digit.
        std::vector<int> cells;
        for (int i = 0; i < size; ++i) {
            std::string mine = digits;
            mine.erase(static_cast<std::size_t>(i), 1);
            SetCell(s, At(i, 6), mine);
            cells.push_back(At(i, 6));
        }
        std::vector<Change> want;
        for (int r = size; r < 9; ++r)
            for (char ch : digits)
                want.push_back({'R', static_cast<std::uint8_t>(At(r, 6)), static_cast<std::uint8_t>(ch - '0')});
        for (int smaller = 2; smaller < size; ++smaller) EXPECT_TRUE(Apply(s, true, smaller).empty()) << size;
        EXPECT_EQ(Apply(s, true, size), want) << size;
    }
}

TEST(HiddenSubset, PairInABoxLosesItsOtherCandidates) {
    GradeState s = OpenGrid();
    // Box 4: 2 and 8 only in (3,4) and (5,5).
    for (int p = 0; p < 9; ++p) {
        const int cell = BoxCell[4][p];
        if (cell != At(3, 4) && cell != At(5, 5)) Strike(s, 2, {cell}), Strike(s, 8, {cell});
    }
    std::vector<Change> want;
    for (int cell : {At(3, 4), At(5, 5)})
        for (int d : {1, 3, 4, 5, 6, 7, 9})
            want.push_back({'R', static_cast<std::uint8_t>(cell), static_cast<std::uint8_t>(d)});
    EXPECT_EQ(Apply(s, false, 2), want);
    EXPECT_EQ(s.CandMask[At(3, 4)], DigitBit(2) | DigitBit(8));
    EXPECT_TRUE(Apply(s, false, 2).empty());
}

TEST(HiddenSubset, TripleInAColumn) {
    GradeState s = OpenGrid();
    // Column 2: 1, 5 and 9 only in rows 0, 4 and 7 (not every digit in each).
    for (int r : {1, 2, 3, 5, 6, 8}) Strike(s, 1, {At(r, 2)}), Strike(s, 5, {At(r, 2)}), Strike(s, 9, {At(r, 2)});
    Strike(s, 5, {At(4, 2)});
    EXPECT_TRUE(Apply(s, false, 2).empty());
    std::vector<Change> want;
    for (int r : {0, 4, 7})
        for (int d : {2, 3, 4, 6, 7, 8})
            want.push_back({'R', static_cast<std::uint8_t>(At(r, 2)), static_cast<std::uint8_t>(d)});
    EXPECT_EQ(Apply(s, false, 3), want);
}

TEST(HiddenSubset, DigitAbsentFromTheUnitIsNeverPartOfACombination) {
    GradeState s = OpenGrid();
    // Row 0: no 9 at all and 4 only in (0,2) and (0,6). Counting 9 in, {4, 9}
    // would be confined to those two cells and strip them down to 4.
    for (int c = 0; c < 9; ++c) Strike(s, 9, {At(0, c)});
    for (int c = 0; c < 9; ++c)
        if (c != 2 && c != 6) Strike(s, 4, {At(0, c)});
    EXPECT_TRUE(Apply(s, false, 2).empty());
    EXPECT_TRUE(Apply(s, false, 3).empty());
}

TEST(HiddenSubset, OnlySizesTwoAndThreeAreSearched) {
    GradeState s = OpenGrid();
    // Row 0: digits 1 to 4 confined to its first four cells, a hidden quad.
    for (int c = 4; c < 9; ++c)
        for (int d = 1; d <= 4; ++d) Strike(s, d, {At(0, c)});
    for (int size : {2, 3, 4, 5}) EXPECT_TRUE(Apply(s, false, size).empty()) << size;
}

}  // namespace
}  // namespace gw
