// Naked and hidden subsets on hand-made candidate grids.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "techniques/techniques.h"
#include "test_util.h"

namespace gw {
namespace {

using test::MakeState;
using test::Open;

using test::Cell;
using test::Row;
using test::Col;
using test::Box;

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
    GradeState s = MakeState("123456789");
    Open(s, 1, 2, "37");
    Open(s, 1, 6, "37");
    Open(s, 3, 9, "12");
    Open(s, 7, 9, "12");
    const auto row = ClearUnit(s, Row(1), "37", {Cell(1, 2), Cell(1, 6)});
    ASSERT_EQ(row.size(), 14u);
    EXPECT_EQ(Apply(s, true, 2), row);
    const auto column = ClearUnit(s, Col(9), "12", {Cell(3, 9), Cell(7, 9)});
    EXPECT_EQ(Apply(s, true, 2), column);
    EXPECT_TRUE(Apply(s, true, 2).empty());
}

TEST(NakedSubset, PairWithNothingToRemoveIsPassedOver) {
    GradeState s = MakeState("123456789");
    // {4, 6} in r4c1 and r4c2, and no other 4 or 6 in row 4 or box 4.
    Open(s, 4, 1, "46");
    Open(s, 4, 2, "46");
    for (int c = 3; c <= 9; ++c) Strike(s, 4, {Cell(4, c)}), Strike(s, 6, {Cell(4, c)});
    for (int p = 3; p < 9; ++p) Strike(s, 4, {UnitCell(Box(4), p)}), Strike(s, 6, {UnitCell(Box(4), p)});
    GradeState dead = s;
    EXPECT_TRUE(Apply(dead, true, 2).empty());
    // A later pair of the same row, {5, 9}, is acted on.
    Open(s, 4, 5, "59");
    Open(s, 4, 8, "59");
    const auto want = ClearUnit(s, Row(4), "59", {Cell(4, 5), Cell(4, 8)});
    ASSERT_EQ(want.size(), 10u);
    EXPECT_EQ(Apply(s, true, 2), want);
}

TEST(NakedSubset, UnitWithOnlySizeOpenCellsNeverEndsTheSearch) {
    GradeState s = MakeState("123456789");
    // Row 5 has two unsolved cells left, holding the two missing digits.
    const std::array<int, 9> row5 = {3, 4, 5, 6, 0, 7, 8, 9, 0};
    for (int c = 1; c <= 9; ++c) {
        if (row5[c - 1] == 0) continue;
        s.SolveGrid[Cell(5, c)] = static_cast<std::uint8_t>(row5[c - 1]);
        s.CandMask[Cell(5, c)] = 0;
    }
    Open(s, 5, 5, "12");
    Open(s, 5, 9, "12");
    GradeState trivial = s;
    EXPECT_TRUE(Apply(trivial, true, 2).empty());
    // A pair further on (column 1) is still found; the solved cell r5c1 is
    // passed by.
    Open(s, 1, 1, "78");
    Open(s, 9, 1, "78");
    EXPECT_EQ(Apply(s, true, 2), ClearUnit(s, Col(1), "78", {Cell(1, 1), Cell(9, 1)}));
}

TEST(NakedSubset, PlacedDigitIsNeverPartOfACombination) {
    GradeState s = MakeState("123456789");
    // Row 1 holds 5 in r1c1. r1c4 {6} and r1c5 {5, 6} would form the pair
    // {5, 6} in row 1 if 5 counted as open; the pair is found in box 2 instead.
    s.SolveGrid[Cell(1, 1)] = 5;
    s.CandMask[Cell(1, 1)] = 0;
    Open(s, 1, 4, "6");
    Open(s, 1, 5, "56");
    EXPECT_EQ(Apply(s, true, 2), ClearUnit(s, Box(2), "56", {Cell(1, 4), Cell(1, 5)}));
}

TEST(NakedSubset, TripleQuadAndQuint) {
    for (const auto& [size, digits] : std::vector<std::pair<int, std::string>>{
             {3, "247"}, {4, "1358"}, {5, "12469"}}) {
        GradeState s = MakeState("123456789");
        // The subset in column 7, rows 1 to size, each cell missing one digit.
        std::vector<int> cells;
        for (int i = 0; i < size; ++i) {
            std::string mine = digits;
            mine.erase(static_cast<std::size_t>(i), 1);
            Open(s, i + 1, 7, mine);
            cells.push_back(Cell(i + 1, 7));
        }
        std::vector<Change> want;
        for (int r = size + 1; r <= 9; ++r)
            for (char ch : digits) want.push_back(test::Removed(r, 7, ch - '0'));
        for (int smaller = 2; smaller < size; ++smaller) EXPECT_TRUE(Apply(s, true, smaller).empty()) << size;
        EXPECT_EQ(Apply(s, true, size), want) << size;
    }
}

TEST(HiddenSubset, PairInABoxLosesItsOtherCandidates) {
    GradeState s = MakeState("123456789");
    // Box 5: 2 and 8 only in r4c5 and r6c6.
    for (int p = 0; p < 9; ++p) {
        const int cell = UnitCell(Box(5), p);
        if (cell != Cell(4, 5) && cell != Cell(6, 6)) Strike(s, 2, {cell}), Strike(s, 8, {cell});
    }
    std::vector<Change> want;
    for (int cell : {Cell(4, 5), Cell(6, 6)})
        for (int d : {1, 3, 4, 5, 6, 7, 9})
            want.push_back({'R', static_cast<std::uint8_t>(cell), static_cast<std::uint8_t>(d)});
    EXPECT_EQ(Apply(s, false, 2), want);
    EXPECT_EQ(s.CandMask[Cell(4, 5)], DigitBit(2) | DigitBit(8));
    EXPECT_TRUE(Apply(s, false, 2).empty());
}

TEST(HiddenSubset, TripleInAColumn) {
    GradeState s = MakeState("123456789");
    // Column 3: 1, 5 and 9 only in rows 1, 5 and 8 (not every digit in each).
    for (int r : {2, 3, 4, 6, 7, 9}) Strike(s, 1, {Cell(r, 3)}), Strike(s, 5, {Cell(r, 3)}), Strike(s, 9, {Cell(r, 3)});
    Strike(s, 5, {Cell(5, 3)});
    EXPECT_TRUE(Apply(s, false, 2).empty());
    std::vector<Change> want;
    for (int r : {1, 5, 8})
        for (int d : {2, 3, 4, 6, 7, 8}) want.push_back(test::Removed(r, 3, d));
    EXPECT_EQ(Apply(s, false, 3), want);
}

TEST(HiddenSubset, DigitAbsentFromTheUnitIsNeverPartOfACombination) {
    GradeState s = MakeState("123456789");
    // Row 1: no 9 at all and 4 only in r1c3 and r1c7. Counting 9 in, {4, 9}
    // would be confined to those two cells and strip them down to 4.
    for (int c = 1; c <= 9; ++c) Strike(s, 9, {Cell(1, c)});
    for (int c = 1; c <= 9; ++c)
        if (c != 3 && c != 7) Strike(s, 4, {Cell(1, c)});
    EXPECT_TRUE(Apply(s, false, 2).empty());
    EXPECT_TRUE(Apply(s, false, 3).empty());
}

TEST(HiddenSubset, OnlySizesTwoAndThreeAreSearched) {
    GradeState s = MakeState("123456789");
    // Row 1: digits 1 to 4 confined to its first four cells, a hidden quad.
    for (int c = 5; c <= 9; ++c)
        for (int d = 1; d <= 4; ++d) Strike(s, d, {Cell(1, c)});
    for (int size : {2, 3, 4, 5}) EXPECT_TRUE(Apply(s, false, size).empty()) << size;
}

}  // namespace
}  // namespace gw
