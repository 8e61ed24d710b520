// Hidden and naked singles: scan order, tie-breaks, and the unit-by-unit
// counting written out as a reference for the bit-mask search.
#include <gtest/gtest.h>

#include "test_util.h"
#include "techniques/techniques.h"

namespace gw {
namespace {

// Hidden single with per-unit digit counts, boxes (column by column), rows,
// columns; the lowest digit of a unit with one place in a cell of two or more
// candidates is placed.
bool ReferenceHiddenSingle(GradeState& s) {
    auto scan = [&](const std::array<int, 9>& cells) {
        std::array<int, 10> count{}, last{};
        for (int c : cells)
            for (int d = 1; d <= 9; ++d)
                if (s.CandFlags(c, d)) {
                    ++count[d];
                    last[d] = c;
                }
        for (int d = 1; d <= 9; ++d)
            if (count[d] == 1 && BitCount[s.CandMask[last[d]]] >= 2) {
                PlaceDigit(s, d, last[d]);
                return true;
            }
        return false;
    };
    std::array<int, 9> cells{};
    for (int b = 0; b < 9; ++b) {
        int n = 0;
        for (int co = 0; co < 3; ++co)
            for (int ro = 0; ro < 3; ++ro) cells[n++] = BoxStart[b] + 9 * ro + co;
        if (scan(cells)) return true;
    }
    for (int r = 0; r < 9; ++r) {
        for (int k = 0; k < 9; ++k) cells[k] = CellAt[r][k];
        if (scan(cells)) return true;
    }
    for (int c = 0; c < 9; ++c) {
        for (int k = 0; k < 9; ++k) cells[k] = CellAt[k][c];
        if (scan(cells)) return true;
    }
    return false;
}

TEST(HiddenSingle, AgreesWithUnitCountingOnRandomStates) {
    std::mt19937 rng(77);
    for (int i = 0; i < 3000; ++i) {
        GradeState a = test::RandomGrid(rng, i % 10);
        GradeState b = a;
        std::vector<Change> la, lb;
        test::LogTo logA(a, la);
        test::LogTo logB(b, lb);
        ASSERT_EQ(TryHiddenSingle(a), ReferenceHiddenSingle(b));
        ASSERT_EQ(la, lb);
    }
}

TEST(HiddenSingle, BoxesComeFirstAndTheLowerDigitWins) {
    // Box 0 holds 5 only at r2c2 and 3 only at r3c3; row 9 holds 1 only at r9c9.
    GradeState s;
    ResetGradeState(s, Grid{});
    for (int c : {0, 1, 2, 9, 11, 18, 19})
        for (int d : {3, 5}) RemoveCandidate(s, d, c);
    RemoveCandidate(s, 3, 10);
    RemoveCandidate(s, 5, 20);
    for (int c = 72; c < 80; ++c) RemoveCandidate(s, 1, c);
    std::vector<Change> log;
    test::LogTo logging(s, log);
    ASSERT_TRUE(TryHiddenSingle(s));
    EXPECT_EQ(log, (std::vector<Change>{{'P', 20, 3}}));
}

TEST(Singles, ANakedSingleIsLeftToItsOwnRung) {
    // r1c1 can only be 7, and it is also the only place for 7 in row 1.
    GradeState s;
    ResetGradeState(s, Grid{});
    for (int d = 1; d <= 9; ++d)
        if (d != 7) RemoveCandidate(s, d, 0);
    for (int c = 1; c < 9; ++c) RemoveCandidate(s, 7, c);
    for (int c : {9, 18, 27, 36, 45, 54, 63, 72, 10, 11, 19, 20}) RemoveCandidate(s, 7, c);
    EXPECT_FALSE(TryHiddenSingle(s));
    std::vector<Change> log;
    test::LogTo logging(s, log);
    ASSERT_TRUE(TryNakedSingle(s));
    EXPECT_EQ(log, (std::vector<Change>{{'P', 0, 7}}));
}

TEST(Singles, NothingToDoOnAFullGrid) {
    const auto puzzles = test::LoadSharedPuzzles();
    GradeState s;
    ResetGradeState(s, puzzles[0].second);
    EXPECT_FALSE(TryHiddenSingle(s));
    EXPECT_FALSE(TryNakedSingle(s));
}

}  // namespace
}  // namespace gw
