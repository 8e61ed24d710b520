// Empty rectangle on hand-made single-digit layouts, and in a real
// grading.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "techniques/techniques.h"
#include "test_util.h"

namespace gw {
namespace {

constexpr int kDigit = 5;

using Layout = std::array<std::string, 9>;  // 'x' where the digit is possible

// Box 0 holds the digit in `shape` (row, column pairs). Column 3 + i holds it
// only in (i, 3 + i) and (6 + i, 3 + i), a conjugate pair for every box row i,
// so any cross (U, S) of box 0 removes the digit from (6 + U, S) by way of
// column 3 + U. Boxes 1 and 7 hold diagonals, boxes 2 and 4 nothing, the other
// boxes all nine cells: none of them has a cross.
Layout BaseLayout(std::initializer_list<std::pair<int, int>> shape) {
    Layout l = {
        "...x.....", "....x....", ".....x...",  //
        "xxx...xxx", "xxx...xxx", "xxx...xxx",  //
        "xxxx..xxx", "xxx.x.xxx", "xxx..xxxx",
    };
    for (auto [r, c] : shape) l[r][c] = 'x';
    return l;
}

Layout Transposed(const Layout& l) {
    Layout t = l;
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c) t[r][c] = l[c][r];
    return t;
}

// The digit as laid out, every other digit possible everywhere.
GradeState FromLayout(const Layout& l) {
    GradeState s = test::OpenGrid();
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c)
            if (l[r][c] != 'x') s.CandMask[9 * r + c] &= static_cast<std::uint16_t>(~DigitBit(kDigit));
    return s;
}

std::vector<Change> Apply(GradeState& s) { return test::ReportedChanges(s, TryEmptyRectangle); }

std::vector<Change> Removal(int row, int col) {
    return {{'R', static_cast<std::uint8_t>(9 * row + col), static_cast<std::uint8_t>(kDigit)}};
}

struct ShapeCase {
    const char* name;
    std::initializer_list<std::pair<int, int>> shape;
    int crossRow;  // -1: the shape has no cross
    int crossCol;
};

// Each shape of box 0 as it stands and transposed: with rows as columns the
// column pairs become row pairs, and step B makes the removal at (S, 6 + U).
TEST(EmptyRectangle, CrossOfEveryBoxShape) {
    const std::array<ShapeCase, 12> cases = {{
        {"two on a row", {{0, 0}, {0, 2}}, -1, -1},
        {"two on a column", {{0, 1}, {2, 1}}, -1, -1},
        {"two on a diagonal", {{0, 1}, {2, 0}}, 0, 0},
        {"full box row", {{1, 0}, {1, 1}, {1, 2}}, -1, -1},
        {"three on a diagonal", {{0, 0}, {1, 1}, {2, 2}}, -1, -1},
        {"L with a row pair", {{0, 0}, {0, 1}, {2, 2}}, 0, 2},
        {"L with a column pair", {{0, 0}, {2, 0}, {1, 2}}, 1, 0},
        {"T shape", {{0, 0}, {0, 1}, {0, 2}, {1, 1}}, -1, -1},
        {"pairs meeting in an occupied corner", {{0, 0}, {0, 1}, {1, 0}, {2, 2}}, -1, -1},
        {"pairs meeting in an empty corner", {{0, 1}, {0, 2}, {1, 0}, {2, 0}}, 0, 0},
        {"plus sign", {{0, 1}, {1, 0}, {1, 1}, {1, 2}, {2, 1}}, 1, 1},
        {"full row and full column", {{0, 0}, {0, 1}, {0, 2}, {1, 0}, {2, 0}}, 0, 0},
    }};
    for (const ShapeCase& c : cases) {
        GradeState s = FromLayout(BaseLayout(c.shape));
        const auto want = c.crossRow < 0 ? std::vector<Change>{} : Removal(6 + c.crossRow, c.crossCol);
        EXPECT_EQ(Apply(s), want) << c.name;

        GradeState t = FromLayout(Transposed(BaseLayout(c.shape)));
        const auto wantT = c.crossRow < 0 ? std::vector<Change>{} : Removal(c.crossCol, 6 + c.crossRow);
        EXPECT_EQ(Apply(t), wantT) << c.name << ", transposed";
    }
}

TEST(EmptyRectangle, FiveCellsOffAPlusHaveNoCross) {
    // A full row and a column pair, five cells but only one line of three.
    GradeState s = FromLayout(BaseLayout({{0, 0}, {0, 1}, {0, 2}, {1, 0}, {2, 1}}));
    EXPECT_TRUE(Apply(s).empty());
}

TEST(EmptyRectangle, SecondDiagonalCrossIsTriedWhenTheFirstRemovesNothing) {
    // Diagonal (0,1), (2,0): crosses (row 0, column 0) then (row 2, column 1).
    // The first cross's target (6,0) no longer holds the digit.
    Layout l = BaseLayout({{0, 1}, {2, 0}});
    l[6][0] = '.';
    GradeState s = FromLayout(l);
    EXPECT_EQ(Apply(s), Removal(8, 1));
}

TEST(EmptyRectangle, PairEndingInTheBoxBandOrStackIsNotUsed) {
    // Cross (row 0, column 2); column 3 now pairs (0,3) with (2,3), inside the
    // box's band, which would wrongly strike (2,2). Box 7 is filled up so the
    // missing (6,3) leaves no new pattern there.
    Layout l = BaseLayout({{0, 0}, {0, 1}, {2, 2}});
    l[2][3] = 'x';
    l[6] = "xxx.xxxxx";
    l[7] = "xxx.xxxxx";
    l[8] = "xxx.xxxxx";
    GradeState s = FromLayout(l);
    EXPECT_TRUE(Apply(s).empty());
    GradeState t = FromLayout(Transposed(l));
    EXPECT_TRUE(Apply(t).empty());
}

TEST(EmptyRectangle, MakesTheProgressInARealGrading) {
    // Box 2 holds 5 only in (0,7) and (1,8); column 4 pairs (0,4) with (8,4);
    // (8,8) loses 5.
    EXPECT_EQ(test::RungWhereLowerRungsAreStuck(
                  "......7.6....3..1.5.84..2..3..84......21.35......29..1..5..21.4.3..6....2.9......", test::RungNo("Empty Rectangle")),
              Removal(8, 8));
}

}  // namespace
}  // namespace gw
