// The 81-cell set and its unit and peer tables.
#include <gtest/gtest.h>

#include <bit>
#include <bitset>
#include <random>
#include <vector>

#include "model/cellset.h"
#include "model/tables.h"

namespace gw {
namespace {

// Usable at compile time, as the tables are built.
static_assert(CellSet::Of(80).Test(80) && !CellSet::Of(80).Test(16));
static_assert(CellSet{}.First() == 81 && CellSet::Of(64).First() == 64);
static_assert(AllCells.Count() == 81 && UnitSet[26].Count() == 9 && PeerSet[40].Count() == 20);

std::vector<int> Cells(const CellSet& set) {
    std::vector<int> out;
    ForEachCell(set, [&](int c) { out.push_back(c); });
    return out;
}

TEST(CellSet, WordBoundaries) {
    for (int c : {0, 1, 62, 63, 64, 65, 79, 80}) {
        CellSet s;
        s.Set(c);
        EXPECT_TRUE(s.Test(c)) << c;
        EXPECT_EQ(s.Count(), 1) << c;
        EXPECT_EQ(s.First(), c) << c;
        EXPECT_EQ(Cells(s), std::vector<int>{c}) << c;
        EXPECT_EQ(s.lo, CellSet::Of(c).lo) << c;
        EXPECT_EQ(s.hi, CellSet::Of(c).hi) << c;
        // The neighbour across the word boundary stays clear.
        for (int other : {c ^ 64, 63, 64}) {
            if (other == c || other > 80) continue;
            EXPECT_FALSE(s.Test(other)) << c << " " << other;
        }
        s.Reset(c);
        EXPECT_TRUE(s.Empty()) << c;
    }
}

TEST(CellSet, FirstAndPopFirstWalkAscendingAcrossTheWords) {
    CellSet s;
    for (int c : {80, 3, 64, 63, 70}) s.Set(c);
    std::vector<int> walked;
    for (; s.Any(); s.PopFirst()) walked.push_back(s.First());
    EXPECT_EQ(walked, (std::vector<int>{3, 63, 64, 70, 80}));
    // An empty set reports 81 and stays empty when popped.
    EXPECT_EQ(s.First(), 81);
    s.PopFirst();
    EXPECT_TRUE(s.Empty());
}

// Every operation against std::bitset on random sets.
TEST(CellSet, MatchesBitset) {
    std::mt19937 rng(7);
    auto random = [&](CellSet& set, std::bitset<81>& bits) {
        const int n = static_cast<int>(rng() % 30);
        for (int i = 0; i < n; ++i) {
            const int c = static_cast<int>(rng() % 81);
            set.Set(c);
            bits.set(static_cast<std::size_t>(c));
        }
    };
    auto same = [](const CellSet& set, const std::bitset<81>& bits) {
        for (int c = 0; c < 81; ++c)
            if (set.Test(c) != bits.test(static_cast<std::size_t>(c))) return false;
        return set.Count() == static_cast<int>(bits.count()) && set.Empty() == bits.none() && set.Any() == bits.any();
    };
    for (int round = 0; round < 500; ++round) {
        CellSet a, b;
        std::bitset<81> x, y;
        random(a, x);
        random(b, y);
        ASSERT_TRUE(same(a, x));
        EXPECT_TRUE(same(a | b, x | y));
        EXPECT_TRUE(same(a & b, x & y));
        EXPECT_TRUE(same(a.Without(b), x & ~y));
        CellSet c = a;
        c &= b;
        EXPECT_TRUE(same(c, x & y));
        int first = 81;
        for (int i = 80; i >= 0; --i)
            if (x.test(static_cast<std::size_t>(i))) first = i;
        EXPECT_EQ(a.First(), first);
        const int drop = static_cast<int>(rng() % 81);
        a.Reset(drop);
        x.reset(static_cast<std::size_t>(drop));
        EXPECT_TRUE(same(a, x));
    }
}

// The bit count agrees with a plain one, and so does the processor's
// instruction when the program chose it.
TEST(CellSet, PopcountBothWays) {
    std::mt19937_64 rng(11);
    for (int i = 0; i < 2000; ++i) {
        const std::uint64_t x = i % 2 == 0 ? rng() : rng() & rng() & rng();
        const int want = static_cast<int>(std::bitset<64>(x).count());
        EXPECT_EQ(bits::Popcount(x), want);
#ifdef GRIDWICK_POPCNT_CHOICE
        if (bits::kProcessorHasPopcount) {
            EXPECT_EQ(bits::PopcountInstruction(x), want);
        }
#endif
    }
}

TEST(CellSetTables, MatchTheConversionTables) {
    for (int u = 0; u < 27; ++u) {
        CellSet expected;
        for (int k = 0; k < 9; ++k) expected.Set(UnitCell(u, k));
        EXPECT_EQ(Cells(UnitSet[u]), Cells(expected)) << "unit " << u;
    }
    for (int a = 0; a < 81; ++a) {
        EXPECT_EQ(std::popcount(UnitBitsOf[a]), 3) << a;
        for (int u = 0; u < 27; ++u) EXPECT_EQ(((UnitBitsOf[a] >> u) & 1u) != 0, UnitSet[u].Test(a)) << a << " " << u;
        for (int b = 0; b < 81; ++b) {
            EXPECT_EQ(PeerSet[a].Test(b), Sees(a, b)) << a << " " << b;
            EXPECT_EQ(ShareUnit((1u << 27) - 1, a, b), a == b || Sees(a, b)) << a << " " << b;
        }
    }
    // Only the units named in the mask count: cells 0 and 1 share row 0 and
    // box 18 but not a column.
    EXPECT_TRUE(ShareUnit(1u << 0, 0, 1));
    EXPECT_TRUE(ShareUnit(1u << 18, 0, 1));
    EXPECT_FALSE(ShareUnit((1u << 9) | (1u << 10), 0, 1));
    EXPECT_EQ(Cells(AllCells).size(), 81u);
}

}  // namespace
}  // namespace gw
