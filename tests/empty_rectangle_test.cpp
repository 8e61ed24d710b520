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

// The character of the layout at row r, column c.
char& At(Layout& l, int r, int c) { return l[r - 1][c - 1]; }

// Box 1 holds the digit in `shape` (row, column pairs). Column 3 + i holds it
// only in rows i and 6 + i, a conjugate pair for every box row i, so any cross
// (row U, column S) of box 1 removes the digit from row 6 + U, column S by way
// of column 3 + U. Boxes 2 and 8 hold diagonals, boxes 3 and 5 nothing, the
// other boxes all nine cells: none of them has a cross.
Layout BaseLayout(std::initializer_list<std::pair<int, int>> shape) {
    Layout l = {
        "...x.....", "....x....", ".....x...",  //
        "xxx...xxx", "xxx...xxx", "xxx...xxx",  //
        "xxxx..xxx", "xxx.x.xxx", "xxx..xxxx",
    };
    for (auto [r, c] : shape) At(l, r, c) = 'x';
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
    GradeState s = test::MakeState("123456789");
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c)
            if (l[r][c] != 'x') s.CandMask[9 * r + c] &= static_cast<std::uint16_t>(~DigitBit(kDigit));
    return s;
}

std::vector<Change> Apply(GradeState& s) { return test::ReportedChanges(s, TryEmptyRectangle); }

std::vector<Change> Removal(int row, int col) { return {test::Removed(row, col, kDigit)}; }

struct ShapeCase {
    const char* name;
    std::initializer_list<std::pair<int, int>> shape;
    int crossRow;  // 0: the shape has no cross
    int crossCol;
};

// Each shape of box 1 as it stands and transposed: with rows as columns the
// column pairs become row pairs, and step B makes the removal at row S, column 6 + U.
TEST(EmptyRectangle, CrossOfEveryBoxShape) {
    const std::array<ShapeCase, 12> cases = {{
        {"two on a row", {{1, 1}, {1, 3}}, 0, 0},
        {"two on a column", {{1, 2}, {3, 2}}, 0, 0},
        {"two on a diagonal", {{1, 2}, {3, 1}}, 1, 1},
        {"full box row", {{2, 1}, {2, 2}, {2, 3}}, 0, 0},
        {"three on a diagonal", {{1, 1}, {2, 2}, {3, 3}}, 0, 0},
        {"L with a row pair", {{1, 1}, {1, 2}, {3, 3}}, 1, 3},
        {"L with a column pair", {{1, 1}, {3, 1}, {2, 3}}, 2, 1},
        {"T shape", {{1, 1}, {1, 2}, {1, 3}, {2, 2}}, 0, 0},
        {"pairs meeting in an occupied corner", {{1, 1}, {1, 2}, {2, 1}, {3, 3}}, 0, 0},
        {"pairs meeting in an empty corner", {{1, 2}, {1, 3}, {2, 1}, {3, 1}}, 1, 1},
        {"plus sign", {{1, 2}, {2, 1}, {2, 2}, {2, 3}, {3, 2}}, 2, 2},
        {"full row and full column", {{1, 1}, {1, 2}, {1, 3}, {2, 1}, {3, 1}}, 1, 1},
    }};
    for (const ShapeCase& c : cases) {
        GradeState s = FromLayout(BaseLayout(c.shape));
        const auto want = c.crossRow == 0 ? std::vector<Change>{} : Removal(6 + c.crossRow, c.crossCol);
        EXPECT_EQ(Apply(s), want) << c.name;

        GradeState t = FromLayout(Transposed(BaseLayout(c.shape)));
        const auto wantT = c.crossRow == 0 ? std::vector<Change>{} : Removal(c.crossCol, 6 + c.crossRow);
        EXPECT_EQ(Apply(t), wantT) << c.name << ", transposed";
    }
}

TEST(EmptyRectangle, FiveCellsOffAPlusHaveNoCross) {
    // A full row and a column pair, five cells but only one line of three.
    GradeState s = FromLayout(BaseLayout({{1, 1}, {1, 2}, {1, 3}, {2, 1}, {3, 2}}));
    EXPECT_TRUE(Apply(s).empty());
}

TEST(EmptyRectangle, SecondDiagonalCrossIsTriedWhenTheFirstRemovesNothing) {
    // Diagonal r1c2, r3c1: crosses (row 1, column 1) then (row 3, column 2).
    // The first cross's target r7c1 no longer holds the digit.
    Layout l = BaseLayout({{1, 2}, {3, 1}});
    At(l, 7, 1) = '.';
    GradeState s = FromLayout(l);
    EXPECT_EQ(Apply(s), Removal(9, 2));
}

TEST(EmptyRectangle, PairEndingInTheBoxBandOrStackIsNotUsed) {
    // Cross (row 1, column 3); column 4 now pairs r1c4 with r3c4, inside the
    // box's band, which would wrongly strike r3c3. Box 8 is filled up so the
    // missing r7c4 leaves no new pattern there.
    Layout l = BaseLayout({{1, 1}, {1, 2}, {3, 3}});
    At(l, 3, 4) = 'x';
    for (int r = 7; r <= 9; ++r) l[r - 1] = "xxx.xxxxx";
    GradeState s = FromLayout(l);
    EXPECT_TRUE(Apply(s).empty());
    GradeState t = FromLayout(Transposed(l));
    EXPECT_TRUE(Apply(t).empty());
}

TEST(EmptyRectangle, MakesTheProgressInARealGrading) {
    // Box 3 holds 5 only in r1c8 and r2c9; column 5 pairs r1c5 with r9c5;
    // r9c9 loses 5.
    EXPECT_EQ(test::RungWhereLowerRungsAreStuck(
                  "......7.6....3..1.5.84..2..3..84......21.35......29..1..5..21.4.3..6....2.9......", test::RungNo("Empty Rectangle")),
              Removal(9, 9));
}

}  // namespace
}  // namespace gw
