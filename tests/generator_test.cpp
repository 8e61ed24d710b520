// The grid builder's search, the clue removal and the uniqueness test.
#include <gtest/gtest.h>

#include "test_util.h"

namespace gw {
namespace {

bool IsValidComplete(const Grid& g) {
    for (int u = 0; u < 27; ++u) {
        unsigned seen = 0;
        for (int k = 0; k < 9; ++k) {
            const int d = g[UnitCell(u, k)];
            if (d < 1 || d > 9) return false;
            seen |= DigitBit(d);
        }
        if (seen != kAllDigits) return false;
    }
    return true;
}

TEST(BuildSolutionGrid, IdentityOrderPutsOneInTheLastCell) {
    GenState g;
    Yielder y;
    std::array<int, 81> order{};
    for (int i = 0; i < 81; ++i) order[i] = i;
    ASSERT_TRUE(BuildSolutionGridFromOrder(g, order, y));
    EXPECT_EQ(g.Solution[80], 1);
    EXPECT_TRUE(IsValidComplete(g.Solution));
    const Grid first = g.Solution;
    ASSERT_TRUE(BuildSolutionGridFromOrder(g, order, y));
    EXPECT_EQ(g.Solution, first) << "the same cell order must give the same grid";
}

// The builder's search written out with flag tables, step by step.
Grid ReferenceBuild(std::array<int, 81> order) {
    bool rowFree[9][10], colFree[9][10], boxFree[9][10];
    for (int u = 0; u < 9; ++u)
        for (int d = 0; d < 10; ++d) rowFree[u][d] = colFree[u][d] = boxFree[u][d] = true;
    Grid sol{};
    auto isFree = [&](int c, int d) { return rowFree[RowOf[c]][d] && colFree[ColOf[c]][d] && boxFree[BoxOf[c]][d]; };
    auto countFree = [&](int c) {
        int k = 0;
        for (int d = 1; d <= 9; ++d) k += isFree(c, d);
        return k;
    };
    auto mark = [&](int c, int d, bool v) { rowFree[RowOf[c]][d] = colFree[ColOf[c]][d] = boxFree[BoxOf[c]][d] = v; };
    int pos = 80;
    while (pos != -1) {
        if (sol[order[pos]] == 0) {
            int best = 10, kept = pos;
            for (int j = pos; j >= 0; --j) {
                const int k = countFree(order[j]);
                if (k < best) {
                    best = k;
                    kept = j;
                }
            }
            std::swap(order[pos], order[kept]);
        }
        const int c = order[pos];
        const int old = sol[c];
        int d = old + 1;
        while (d <= 9 && !isFree(c, d)) ++d;
        if (d > 9) {
            sol[c] = 0;
            if (old) mark(c, old, true);
            ++pos;
            continue;
        }
        sol[c] = static_cast<std::uint8_t>(d);
        if (old) mark(c, old, true);
        mark(c, d, false);
        --pos;
        for (int j = 0; j <= pos; ++j) {
            if (countFree(order[j]) == 0) {
                ++pos;
                break;
            }
        }
    }
    return sol;
}

TEST(BuildSolutionGrid, FollowsTheReferenceSearchForAnyOrder) {
    Rng rng(42);
    GenState g;
    Yielder y;
    for (int i = 0; i < 300; ++i) {
        std::array<int, 81> order{};
        for (int k = 0; k < 81; ++k) order[k] = k;
        for (int k = 0; k < 500; ++k) std::swap(order[rng.Below(81)], order[rng.Below(81)]);
        ASSERT_TRUE(BuildSolutionGridFromOrder(g, order, y));
        ASSERT_EQ(g.Solution, ReferenceBuild(order));
    }
}

TEST(BuildSolutionGrid, RandomOrdersGiveValidGrids) {
    GenState g;
    g.rng.Seed(7);
    Yielder y;
    for (int i = 0; i < 200; ++i) {
        ASSERT_TRUE(BuildSolutionGrid(g, y));
        ASSERT_TRUE(IsValidComplete(g.Solution)) << test::GridText(g.Solution);
    }
}

TEST(BuildSolutionGrid, SameSeedSameGrid) {
    GenState a, b;
    a.rng.Seed(99);
    b.rng.Seed(99);
    Yielder y;
    BuildSolutionGrid(a, y);
    BuildSolutionGrid(b, y);
    EXPECT_EQ(a.Solution, b.Solution);
}

TEST(BuildSolutionGrid, HaltReturnsAtOnceAndReportsIt) {
    RunControl rc;
    int seen = 0;
    rc.haltSeenHook = [&] { ++seen; };
    rc.halt = true;
    Yielder y(&rc);
    GenState g;
    EXPECT_FALSE(BuildSolutionGrid(g, y));
    EXPECT_EQ(seen, 1);
    EXPECT_FALSE(IsValidComplete(g.Solution));
}

TEST(BuildSolutionGrid, PumpHookRunsDuringTheSearch) {
    RunControl rc;
    int pumps = 0;
    rc.pumpEvery = 1;
    rc.pumpHook = [&] {
        if (++pumps == 30) rc.halt = true;  // a halt pressed in the middle of the build
    };
    Yielder y(&rc);
    GenState g;
    EXPECT_FALSE(BuildSolutionGrid(g, y));
    EXPECT_EQ(pumps, 30);
}

// The uniqueness search exactly as the generator's reference describes it: a
// depth-first search over the empty cells with the most-constrained choice and a
// forward check, stopping at the second solution.
bool ReferenceHasUniqueSolution(const Grid& puzzle) {
    bool rowFree[9][10], colFree[9][10], boxFree[9][10];
    for (int u = 0; u < 9; ++u)
        for (int d = 0; d < 10; ++d) rowFree[u][d] = colFree[u][d] = boxFree[u][d] = true;
    Grid work = puzzle;
    std::array<int, 81> empty{};
    int n = 0;
    for (int i = 0; i < 81; ++i) {
        if (puzzle[i]) {
            rowFree[RowOf[i]][puzzle[i]] = colFree[ColOf[i]][puzzle[i]] = boxFree[BoxOf[i]][puzzle[i]] = false;
        } else {
            empty[n++] = i;
        }
    }
    auto isFree = [&](int c, int d) { return rowFree[RowOf[c]][d] && colFree[ColOf[c]][d] && boxFree[BoxOf[c]][d]; };
    auto countFree = [&](int c) {
        int k = 0;
        for (int d = 1; d <= 9; ++d) k += isFree(c, d);
        return k;
    };
    auto mark = [&](int c, int d, bool v) { rowFree[RowOf[c]][d] = colFree[ColOf[c]][d] = boxFree[BoxOf[c]][d] = v; };
    int pos = n - 1;
    bool foundOne = false;
    for (;;) {
        if (pos == -1) {
            if (foundOne) return false;
            foundOne = true;
            pos = 0;
        }
        if (pos == n) return true;
        if (work[empty[pos]] == 0) {
            int best = 10, kept = pos;
            for (int j = pos; j >= 0; --j) {
                const int k = countFree(empty[j]);
                if (k < best) {
                    best = k;
                    kept = j;
                }
            }
            std::swap(empty[pos], empty[kept]);
        }
        const int c = empty[pos];
        const int old = work[c];
        int d = old + 1;
        while (d <= 9 && !isFree(c, d)) ++d;
        if (d > 9) {
            work[c] = 0;
            if (old) mark(c, old, true);
            ++pos;
            continue;
        }
        work[c] = static_cast<std::uint8_t>(d);
        if (old) mark(c, old, true);
        mark(c, d, false);
        --pos;
        for (int j = 0; j <= pos; ++j) {
            if (countFree(empty[j]) == 0) {
                ++pos;
                break;
            }
        }
    }
}

TEST(HasUniqueSolution, AgreesWithTheReferenceSearch) {
    GenState g;
    g.rng.Seed(11);
    Yielder y;
    int unique = 0, multiple = 0;
    for (int i = 0; i < 150; ++i) {
        BuildSolutionGrid(g, y);
        RemoveClues(g, y);
        // The finished puzzle, and the same puzzle with one or two more clues gone.
        Grid p = g.Puzzle;
        for (int extra = 0; extra < 3; ++extra) {
            const bool fast = HasUniqueSolution(p);
            ASSERT_EQ(fast, ReferenceHasUniqueSolution(p)) << test::GridText(p);
            (fast ? unique : multiple)++;
            for (int c = (i * 7 + extra * 13) % 81, k = 0; k < 81; ++k, c = (c + 1) % 81) {
                if (p[c]) {
                    p[c] = 0;
                    break;
                }
            }
        }
    }
    EXPECT_GT(unique, 100);
    EXPECT_GT(multiple, 100);
}

TEST(HasUniqueSolution, EdgeCases) {
    GenState g;
    g.rng.Seed(3);
    Yielder y;
    BuildSolutionGrid(g, y);
    EXPECT_TRUE(HasUniqueSolution(g.Solution)) << "a full grid has exactly one solution";
    EXPECT_FALSE(HasUniqueSolution(Grid{})) << "the empty grid has many";
    EXPECT_EQ(CountSolutions(Grid{}, 5), 5);
    Grid clash{};
    clash[0] = clash[1] = 4;
    EXPECT_EQ(CountSolutions(clash, 2), 0);
}

TEST(RemoveClues, PuzzlesAreSymmetricUniqueAndMinimalInPairs) {
    for (const auto& [puzzle, solution] : GeneratedPuzzles(60, 2026))
        test::ExpectSymmetricUniquePairMinimal(puzzle, solution);
}

TEST(RemoveClues, HaltInsideTheUniquenessTestStopsTheRemoval) {
    RunControl rc;
    int pumps = 0;
    rc.pumpEvery = 1;
    rc.pumpHook = [&] {
        if (++pumps == 500) rc.halt = true;
    };
    Yielder y(&rc);
    GenState g;
    g.rng.Seed(5);
    rc.pumpHook = nullptr;
    ASSERT_TRUE(BuildSolutionGrid(g, y));
    rc.pumpHook = [&] {
        if (++pumps == 20) rc.halt = true;  // within the first few of 41 pair tests
    };
    EXPECT_FALSE(RemoveClues(g, y));
}

}  // namespace
}  // namespace gw
