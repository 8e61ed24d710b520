// Near-copies: the index agrees with a plain count of shared givens, the limit
// reads shares and counts, and the guard holds a puzzle against the saved and
// stored puzzles of its own level.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "generator/near_copies.h"
#include "test_util.h"

namespace gw {
namespace {

TEST(NearCopies, LimitReadsSharesCountsAndOff) {
    using K = SharedLimit::Kind;
    const struct {
        const char* text;
        bool ok;
        K kind;
        int mostOf24And30;  // givens puzzles of 24 and 30 givens may share
    } cases[] = {
        {"0.5", true, K::Share, 12}, {"50%", true, K::Share, 12}, {".3", true, K::Share, 7},
        {"1", true, K::Count, 1},    {"12", true, K::Count, 12},  {"0", true, K::Count, 0},
        {"1.0", true, K::Share, 24}, {"off", true, K::Off, 81},   {"none", true, K::Off, 81},
        {"1.5", false, K::Off, 0},   {"82", false, K::Off, 0},    {"-1", false, K::Off, 0},
        {"half", false, K::Off, 0},  {"", false, K::Off, 0},      {"0.5x", false, K::Off, 0},
    };
    for (const auto& c : cases) {
        SharedLimit limit;
        std::string error;
        ASSERT_EQ(ParseSharedLimit(c.text, limit, error), c.ok) << c.text;
        if (!c.ok) {
            EXPECT_FALSE(error.empty());
            continue;
        }
        EXPECT_EQ(limit.kind, c.kind) << c.text;
        EXPECT_EQ(limit.Most(24, 30), c.mostOf24And30) << c.text;
        EXPECT_EQ(limit.Most(30, 24), c.mostOf24And30) << c.text;
    }
}

TEST(NearCopies, IndexAgreesWithPlainCounts) {
    // Stored puzzles and, as queries, near-copies of some of them: givens
    // taken out and digits of another puzzle put in.
    const auto data = test::LoadSharedPuzzles();
    ASSERT_GE(data.size(), 400u);
    std::mt19937 rng(7);
    std::vector<Grid> stored, queries;
    for (std::size_t i = 0; i < 200; ++i) stored.push_back(data[i].first);
    for (std::size_t i = 0; i < 200; ++i) {
        Grid q = i % 2 ? data[200 + i].first : stored[i];
        for (int k = 0; k < static_cast<int>(i % 20); ++k) {
            const auto c = static_cast<std::size_t>(rng() % 81);
            q[c] = rng() % 3 == 0 ? 0 : data[300 + i % 100].second[c];
        }
        queries.push_back(q);
    }
    GivenIndex index;
    for (const Grid& g : stored) index.Add(g);
    ASSERT_EQ(index.size(), stored.size());
    SharedLimit half, ten, off;
    half.share = 0.5;
    ten.kind = SharedLimit::Kind::Count;
    ten.count = 10;
    off.kind = SharedLimit::Kind::Off;
    int nearOnes = 0;
    for (const Grid& q : queries) {
        double largest = 0;
        bool farHalf = true, farTen = true;
        const int n = GivenCount(q);
        for (const Grid& s : stored) {
            const int shared = SharedGivens(q, s), m = GivenCount(s);
            if (shared > 0) largest = std::max(largest, static_cast<double>(shared) / std::min(n, m));
            farHalf &= 2 * shared <= std::min(n, m);
            farTen &= shared <= 10;
        }
        EXPECT_DOUBLE_EQ(index.LargestShare(q), largest) << test::GridText(q);
        EXPECT_EQ(index.Far(q, half), farHalf) << test::GridText(q);
        EXPECT_EQ(index.Far(q, ten), farTen) << test::GridText(q);
        EXPECT_TRUE(index.Far(q, off));
        nearOnes += !farHalf;
    }
    // Both answers are met.
    EXPECT_GT(nearOnes, 20);
    EXPECT_LT(nearOnes, 180);
    // A puzzle left out of its own comparison.
    EXPECT_DOUBLE_EQ(index.LargestShare(stored[3]), 1.0);
    EXPECT_LT(index.LargestShare(stored[3], 3), 1.0);
}

TEST(NearCopies, GuardHoldsEachPuzzleAgainstThoseOfItsOwnLevel) {
    const auto data = test::LoadSharedPuzzles();
    const Grid a = data[0].first, b = data[1].first;
    std::mt19937 rng(3);
    const Grid disguised = test::RandomDisguise(a, rng);
    ASSERT_NE(disguised, a);
    ASSERT_LE(2 * SharedGivens(a, disguised), GivenCount(a));
    SharedLimit half, off;
    off.kind = SharedLimit::Kind::Off;
    {
        NearCopyGuard g(half, false);
        g.AddStored(a, 7);
        EXPECT_TRUE(g.Admit(a, 6)) << "stored puzzles count only at their own level";
        EXPECT_FALSE(g.Admit(a, 7));
        EXPECT_FALSE(g.Admit(a, 6)) << "the run's own puzzles count at their level";
        EXPECT_TRUE(g.Admit(disguised, 7)) << "without --unique a disguise is far enough";
        EXPECT_FALSE(g.Near(b, LevelBit(7)));
        EXPECT_TRUE(g.Near(a, LevelBit(7)));
        EXPECT_TRUE(g.Near(a, LevelBit(6) | LevelBit(7)));
        EXPECT_FALSE(g.Near(a, LevelBit(7) | LevelBit(8))) << "it may still be saved at level 8";
        EXPECT_TRUE(g.Near(disguised, LevelBit(7))) << "the run holds the disguise";
        EXPECT_TRUE(g.Admit(b, 7));
        EXPECT_FALSE(g.Near(b, LevelBit(3)));
        EXPECT_TRUE(g.Admit(b, 3));
        EXPECT_FALSE(g.Admit(b, 3));
        EXPECT_EQ(g.turnedAway(), 3);
    }
    {
        NearCopyGuard g(off, true);
        ASSERT_TRUE(g.Active());
        g.AddStored(a, 8);
        EXPECT_FALSE(g.Admit(disguised, 8));
        EXPECT_TRUE(g.Admit(disguised, 9));
        EXPECT_FALSE(g.Admit(a, 9)) << "a disguise of a puzzle of the run";
        EXPECT_TRUE(g.Admit(a, 2));
    }
    NearCopyGuard none(off, false);
    EXPECT_FALSE(none.Active());
    EXPECT_TRUE(none.Admit(a, 7));
    EXPECT_TRUE(none.Admit(a, 7));
}

}  // namespace
}  // namespace gw
