#include <gtest/gtest.h>

#include <algorithm>

#include "model/state_check.h"
#include "test_util.h"

namespace gw {
namespace {

TEST(ConversionTables, KnownValues) {
    EXPECT_EQ(BitCount[0], 0);
    EXPECT_EQ(BitCount[511], 9);
    for (int d = 1; d <= 9; ++d) EXPECT_EQ(BitCount[DigitBit(d)], 1);
    EXPECT_EQ(BoxOf[40], 4);
    EXPECT_EQ(BoxStartOf[40], 30);
    EXPECT_EQ(BoxOf[80], 8);
    EXPECT_EQ(BoxStartOf[80], 60);
    const std::array<int, 9> box4 = {30, 31, 32, 39, 40, 41, 48, 49, 50};
    EXPECT_EQ(BoxCell[4], box4);
    const std::array<int, 9> starts = {0, 3, 6, 27, 30, 33, 54, 57, 60};
    EXPECT_EQ(BoxStart, starts);
}

TEST(ConversionTables, AreConsistent) {
    for (int cell = 0; cell < 81; ++cell) {
        EXPECT_EQ(CellAt[RowOf[cell]][ColOf[cell]], cell);
        EXPECT_EQ(BoxAt[RowOf[cell]][ColOf[cell]], BoxOf[cell]);
        int seen = 0;
        for (int p = 0; p < 9; ++p) seen += BoxCell[BoxOf[cell]][p] == cell;
        EXPECT_EQ(seen, 1);
        int peers = 0;
        for (int x = 0; x < 81; ++x) peers += Sees(cell, x);
        EXPECT_EQ(peers, 20);
    }
    for (int b = 0; b < 9; ++b) EXPECT_EQ(BoxTopRow[b] * 9 + BoxLeftCol[b], BoxStart[b]);
}

}  // namespace
}  // namespace gw

namespace gw {
namespace {

// The whole-state check the grader asserts after every rung: a state the
// primitives made passes, and each way of breaking it behind their back fails.
TEST(StateIsWhole, CatchesEachBrokenInvariant) {
    GradeState s;
    ResetGradeState(s, test::LoadSharedPuzzles().at(0).first);
    ASSERT_TRUE(StateIsWhole(s));
    const int solved = static_cast<int>(std::find_if(s.SolveGrid.begin(), s.SolveGrid.end(), [](int v) { return v != 0; }) -
                                        s.SolveGrid.begin());
    const int open = static_cast<int>(std::find(s.SolveGrid.begin(), s.SolveGrid.end(), 0) - s.SolveGrid.begin());
    const int digit = s.SolveGrid[solved];
    const int peer = Peers[solved][0];
    struct Case {
        const char* what;
        void (*breakIt)(GradeState&, int solved, int open, int digit, int peer);
    };
    for (const Case& c : std::vector<Case>{
             {"a solved cell keeps a candidate",
              [](GradeState& t, int sc, int, int, int) { t.CandMask[sc] = 1; }},
             {"a peer holds the placed digit",
              [](GradeState& t, int sc, int, int d, int p) {
                  t.SolveGrid[p] = 0;
                  t.CandMask[p] = DigitBit(d);
                  (void)sc;
              }},
             {"a digit twice in a unit", [](GradeState& t, int, int, int d, int p) {
                  t.SolveGrid[p] = static_cast<std::uint8_t>(d);
                  t.CandMask[p] = 0;
              }},
             {"a mask bit beyond the digits", [](GradeState& t, int, int o, int, int) { t.CandMask[o] |= 512; }},
         }) {
        GradeState t = s;
        c.breakIt(t, solved, open, digit, peer);
        EXPECT_FALSE(StateIsWhole(t)) << c.what;
    }
}

}  // namespace
}  // namespace gw
