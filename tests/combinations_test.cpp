// The combination enumerator shared by the techniques: the order is the order
// of nested loops a < b < c over the chosen bits, and a walk stops where the
// callback says.
#include <gtest/gtest.h>

#include <span>
#include <vector>

#include "techniques/combinations.h"

namespace gw {
namespace {

// Nested loops over the bits of `from`, `size` deep, in the order written.
void NestedLoops(const std::vector<int>& bits, int size, std::size_t start, unsigned sofar, int depth,
                 std::vector<unsigned>& out) {
    if (depth == size) {
        out.push_back(sofar);
        return;
    }
    for (std::size_t i = start; i < bits.size(); ++i) NestedLoops(bits, size, i + 1, sofar | 1u << bits[i], depth + 1, out);
}

TEST(Combinations, SameOrderAsNestedLoopsForEveryMaskAndSize) {
    for (unsigned from = 0; from < 512; ++from) {
        std::vector<int> bits;
        for (int b = 0; b < 9; ++b)
            if (from >> b & 1u) bits.push_back(b);
        for (int size = 0; size <= 10; ++size) {
            std::vector<unsigned> want;
            if (size >= 1) NestedLoops(bits, size, 0, 0, 0, want);
            std::vector<unsigned> got;
            bool placesMatch = true;
            const bool stopped = ForEachCombination(static_cast<std::uint16_t>(from), size,
                                                    [&](unsigned combo, std::span<const int> places) {
                                                        unsigned again = 0;
                                                        for (int p : places) again |= 1u << p;
                                                        placesMatch = placesMatch && again == combo &&
                                                                      places.size() == static_cast<std::size_t>(size);
                                                        got.push_back(combo);
                                                        return false;
                                                    });
            EXPECT_FALSE(stopped);
            EXPECT_TRUE(placesMatch) << from << " " << size;
            ASSERT_EQ(got, want) << "from " << from << " size " << size;
        }
    }
}

TEST(Combinations, StopsAtTheFirstTrue) {
    // The third pair of {1, 4, 6, 7} is {1, 7}.
    std::vector<unsigned> seen;
    const bool stopped = ForEachCombination(0b11010010, 2, [&](unsigned combo) {
        seen.push_back(combo);
        return seen.size() == 3;
    });
    EXPECT_TRUE(stopped);
    EXPECT_EQ(seen, (std::vector<unsigned>{0b10010, 0b1000010, 0b10000010}));
}

// Unit numbers, kinds and the units of a cell agree with the cells of a unit.
TEST(Units, NamesAgreeWithTheCellsOfEachUnit) {
    for (int u = 0; u < 27; ++u) {
        EXPECT_EQ(UnitNumber(KindOfUnit(u), IndexOfUnit(u)), u);
        for (int k = 0; k < 9; ++k) {
            const int cell = UnitCell(u, k);
            EXPECT_EQ(UnitOfCell(cell, KindOfUnit(u)), u) << u << " " << k;
            EXPECT_EQ(UnitsOfCell[cell][KindOfUnit(u)], u) << u << " " << k;
        }
    }
    EXPECT_EQ(RowUnitOf(40), RowUnit(4));
    EXPECT_EQ(ColUnitOf(40), ColUnit(4));
    EXPECT_EQ(BoxUnitOf(40), BoxUnit(4));
}

}  // namespace
}  // namespace gw
