// Four-digit row count. It hardly ever fires on real puzzles,
// so its cases are built by hand: digits placed so that rows 1-3 are the open
// rows of a digit set, with every other cell given chosen candidates.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "techniques/techniques.h"
#include "test_util.h"

namespace gw {
namespace {

using test::Cell;
using test::Mask;

// Rows 4-9 and columns 5-9 hold the digits 1..count (count 4 or 5) in a
// staggered pattern: in row 4+i, column 5+j holds 1 + (i - j) mod 6 when that
// is at most count. Each of these columns then holds every digit 1..count and
// no row holds a digit twice; columns 1-4 and rows 1-3 hold none of them.
// Empty cells get `crossing` in rows 1-3 x columns 1-4, `closed` in rows 4-9
// x columns 5-9, and `other` elsewhere.
GradeState Layout(int count, const char* crossing, const char* closed, const char* other) {
    GradeState s;
    for (int c = 0; c < 81; ++c) {
        const int row = RowOf[c], col = ColOf[c];
        if (row >= 3 && col >= 4) {
            const int v = ((row - 3) - (col - 4) + 6) % 6;
            if (v < count) {
                s.SolveGrid[c] = static_cast<std::uint8_t>(v + 1);
                s.CandMask[c] = 0;
                continue;
            }
            s.CandMask[c] = Mask(closed);
        } else if (row < 3 && col < 4) {
            s.CandMask[c] = Mask(crossing);
        } else {
            s.CandMask[c] = Mask(other);
        }
    }
    return s;
}

// Digits 1234: open rows 1-3 (R = 3), open columns 1-4, so 12 crossing cells;
// columns 5-9 hold all four digits (nothing missing). 12 = 4R: the crossing
// cells hold only 1234, and the four digits leave the empty cells of rows 4-9
// x columns 5-9. Both kinds of removal are made in the same call, the closed
// cells first.
TEST(FourDigitRowCount, MatchingCountMakesBothRemovals) {
    GradeState s = Layout(4, "123456789", "1689", "56789");
    const auto before = s.CandMask;
    const auto o = test::Apply(s, TryFourDigitRowCount);
    EXPECT_TRUE(o.progress);
    std::vector<Change> expected;
    for (int row = 4; row <= 9; ++row)
        for (int col = 5; col <= 9; ++col)
            if (s.SolveGrid[Cell(row, col)] == 0) expected.push_back({'R', Cell(row, col), 1});
    for (int row = 1; row <= 3; ++row)
        for (int col = 1; col <= 4; ++col)
            for (int d = 5; d <= 9; ++d) expected.push_back({'R', Cell(row, col), static_cast<std::uint8_t>(d)});
    EXPECT_EQ(o.changes, expected);
    // Rows 1-3 outside the crossing, and columns 1-4 below it, are untouched.
    for (int c = 0; c < 81; ++c)
        if ((RowOf[c] < 3) != (ColOf[c] < 4)) {
            EXPECT_EQ(s.CandMask[c], before[c]) << c;
        }
}

// A digit of the set already placed in a closed column counts nothing there:
// with a 1 in r9c4, column 4 is closed and misses only 2, 3 and 4. Crossing
// cells: 9 (rows 1-3 x columns 1-3), missing pairs: 3, so 9 + 3 = 12 = 4R.
// The 2, 3 and 4 of column 4 must go in rows 1-3, so they leave r4c4..r8c4.
TEST(FourDigitRowCount, PlacedDigitInClosedColumnAddsNothing) {
    GradeState s = Layout(4, "1234", "689", "234");
    s.CandMask[Cell(9, 4)] |= DigitBit(1);  // placed as the grader would: on a candidate
    PlaceDigit(s, 1, Cell(9, 4));
    const auto o = test::Apply(s, TryFourDigitRowCount);
    EXPECT_TRUE(o.progress);
    std::vector<Change> expected;
    for (int row = 4; row <= 8; ++row)
        for (int d = 2; d <= 4; ++d) expected.push_back({'R', Cell(row, 4), static_cast<std::uint8_t>(d)});
    EXPECT_EQ(o.changes, expected);
}

// The count for 1234 matches, but the crossing cells hold only 1234 and no
// closed cell holds any of them: the set is passed over. The next set, 1235,
// matches as well (columns 5-9 hold 1..5) and removes the 4s from the
// crossing cells.
TEST(FourDigitRowCount, SetWithNothingToRemoveIsPassedOver) {
    GradeState s = Layout(5, "1234", "6789", "6789");
    const auto o = test::Apply(s, TryFourDigitRowCount);
    EXPECT_TRUE(o.progress);
    std::vector<Change> expected;
    for (int row = 1; row <= 3; ++row)
        for (int col = 1; col <= 4; ++col) expected.push_back({'R', Cell(row, col), 4});
    EXPECT_EQ(o.changes, expected);
}

// With two open rows the count also matches (8 crossing cells, nothing
// missing), but a set is acted on only with three to five open rows.
TEST(FourDigitRowCount, TwoOpenRowsAreNotEnough) {
    GradeState s = Layout(4, "123456789", "1689", "56789");
    s.SolveGrid[Cell(3, 5)] = 1;  // closes row 3 without touching columns 1-4
    s.CandMask[Cell(3, 5)] = 0;
    const auto before = s.CandMask;
    EXPECT_FALSE(TryFourDigitRowCount(s));
    EXPECT_EQ(s.CandMask, before);
}

// Six open rows: rows 7-9 x columns 4-9 hold three of 1234 in each column,
// columns 1-3 are open: 18 crossing cells + 6 missing = 24 = 4 x 6, yet the
// set is not acted on.
TEST(FourDigitRowCount, SixOpenRowsAreTooMany) {
    GradeState s;
    for (int c = 0; c < 81; ++c) {
        const int row = RowOf[c], col = ColOf[c];
        if (row >= 6 && col >= 3) {
            s.SolveGrid[c] = static_cast<std::uint8_t>(1 + (row + col) % 4);
            s.CandMask[c] = 0;
        } else {
            s.CandMask[c] = kAllDigits;
        }
    }
    const auto before = s.CandMask;
    EXPECT_FALSE(TryFourDigitRowCount(s));
    EXPECT_EQ(s.CandMask, before);
}

// Five open rows crossing six open columns: 30 crossing cells, more than the
// list holds. Such a set can never match and is passed over without writing
// past the list.
TEST(FourDigitRowCount, ManyCrossingCellsArePassedOver) {
    GradeState s;
    for (int c = 0; c < 81; ++c) s.CandMask[c] = kAllDigits;
    for (int row = 5; row < 9; ++row)
        for (int col = 6; col < 9; ++col) {
            const int c = CellAt[row][col];
            s.SolveGrid[c] = static_cast<std::uint8_t>(1 + (row + 2 * col) % 9);
            s.CandMask[c] = 0;
        }
    const auto before = s.CandMask;
    EXPECT_FALSE(TryFourDigitRowCount(s));
    EXPECT_EQ(s.CandMask, before);
}

// Whatever the grid (solved digits in any pattern, contradictions included),
// the rung returns and reports progress exactly when it removed something.
TEST(FourDigitRowCount, RandomGrids) {
    std::mt19937 rng(38);
    int fired = 0;
    for (int iter = 0; iter < 3000; ++iter) {
        GradeState s;
        const unsigned solvedShare = 30 + rng() % 60;
        for (int c = 0; c < 81; ++c) {
            if (rng() % 100 < solvedShare) {
                s.SolveGrid[c] = static_cast<std::uint8_t>(1 + rng() % 9);
                s.CandMask[c] = 0;
            } else {
                s.CandMask[c] = static_cast<std::uint16_t>(rng() % 512);
            }
        }
        const std::uint64_t before = s.changes;
        const bool result = TryFourDigitRowCount(s);
        EXPECT_EQ(result, s.changes != before);
        fired += result ? 1 : 0;
    }
    std::printf("four-digit count fired on %d random grids\n", fired);
}

// On every state met while grading real puzzles with the rungs up to it the count
// never removes a digit of the solution.
TEST(FourDigitRowCount, SoundOnPuzzleStates) {
    const auto puzzles = test::LoadSharedPuzzles();
    int calls = 0, fired = 0;
    for (std::size_t i = 0; i < puzzles.size(); i += 6) {
        const auto& [puzzle, solution] = puzzles[i];
        GradeState s;
        ResetGradeState(s, puzzle);
        // The count first on each pass, its changes kept; the lower rungs when it finds nothing.
        test::WalkLadder(s, test::RungNo("Four-Digit Row Count"), [&](int rung, GradeState& at) {
            if (rung != 1) return test::Then::Run;
            const auto o = test::Apply(at, TryFourDigitRowCount);
            ++calls;
            fired += o.progress ? 1 : 0;
            for (const Change& ch : o.changes) EXPECT_NE(solution[ch.cell], ch.digit) << test::GridText(puzzle);
            return o.progress ? test::Then::Restart : test::Then::Run;
        });
    }
    EXPECT_GT(calls, 0);
    std::printf("four-digit count: %d calls on puzzle states, %d with progress\n", calls, fired);
}

}  // namespace
}  // namespace gw
