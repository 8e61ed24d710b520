// Alternating inference chains (lengths 10, 20 and 30): hand-made candidate
// grids, the search budget, real gradings and random candidate grids.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <bitset>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "generator/bench_set.h"
#include "model/cellset.h"
#include "techniques/techniques.h"
#include "test_util.h"

namespace gw {
namespace {

// The chain search as it stood before its tables were reworked for speed,
// kept word for word as the yardstick: the rung must make the same changes,
// return the same code and take the same number of search steps.
namespace reference {

// The first cell of the set at or after `from` (0..81), or 81 when none.
int NextFrom(const CellSet& set, int from) {
    if (from < 64) {
        const std::uint64_t l = set.lo & (~std::uint64_t{0} << from);
        if (l != 0) return std::countr_zero(l);
        from = 64;
    }
    if (from >= 81) return 81;
    const std::uint64_t h = set.hi & (~std::uint64_t{0} << (from - 64));
    return h != 0 ? 64 + std::countr_zero(h) : 81;
}

constexpr std::int32_t kCutOffBudget = 50000;

// Links of all nine digits, built once per call.
struct ChainLinks {
    std::array<bool, 81> bivalue{};
    std::array<bool, 81> multi{};  // unsolved and not bivalue
    // Indexed by digit 1..9.
    std::array<CellSet, 10> bivalueHolds{};
    std::array<CellSet, 10> strongEnd{};
    std::array<CellSet, 10> multiStrongEnd{};
    // [digit][kind][unit], kind 0 = row, 1 = column, 2 = box.
    std::array<std::array<std::array<bool, 9>, 3>, 10> strong{};
    std::array<std::array<std::array<bool, 9>, 3>, 10> weak{};
    // [digit][cell]: the cells a node (cell, digit) reaches by a conjugate link,
    // and those it reaches by a weak link to another cell.
    std::array<std::array<CellSet, 81>, 10> strongNext{};
    std::array<std::array<CellSet, 81>, 10> weakNext{};
    // Per cell, the digits (bit j-1 for digit j) an in-cell link may move to:
    // strong only inside a bivalue cell; weak to the other digit of a
    // bivalue cell, or to any digit of a multi-value cell that is a strong end
    // of that digit.
    std::array<std::uint16_t, 81> inCellStrong{};
    std::array<std::uint16_t, 81> inCellWeak{};
};

int UnitOf(int kind, int c) { return kind == 0 ? RowOf[c] : kind == 1 ? ColOf[c] : BoxOf[c]; }

// The k-th cell of a unit of the given kind.
int CellOfUnit(int kind, int u, int k) { return kind == 0 ? CellAt[u][k] : kind == 1 ? CellAt[k][u] : BoxCell[u][k]; }

void BuildLinks(const GradeState& s, ChainLinks& L) {
    for (int c = 0; c < 81; ++c) {
        if (s.SolveGrid[c] != 0) continue;
        L.bivalue[c] = BitCount[s.CandMask[c]] == 2;
        L.multi[c] = !L.bivalue[c];
        if (L.bivalue[c])
            for (int k = 1; k <= 9; ++k)
                if (s.CandFlags(c, k)) L.bivalueHolds[k].Set(c);
    }
    for (int k = 1; k <= 9; ++k) {
        auto& strong = L.strong[k];
        auto& weak = L.weak[k];
        CellSet& ends = L.strongEnd[k];
        std::array<std::array<int, 9>, 3> count{};
        for (int c = 0; c < 81; ++c) {
            if (!s.CandFlags(c, k)) continue;
            ++count[0][RowOf[c]];
            ++count[1][ColOf[c]];
            ++count[2][BoxOf[c]];
        }
        // Both cells of a row or column pair are strong ends; a box pair only
        // when its cells differ in row and in column (otherwise its row or
        // column pair is the same link).
        for (int kind = 0; kind < 3; ++kind) {
            for (int u = 0; u < 9; ++u) {
                if (count[kind][u] != 2) continue;
                strong[kind][u] = true;
                int pair[2] = {-1, -1};
                int n = 0;
                for (int i = 0; i < 9; ++i) {
                    const int c = CellOfUnit(kind, u, i);
                    if (s.CandFlags(c, k)) pair[n++] = c;
                }
                if (kind == 2 && (RowOf[pair[0]] == RowOf[pair[1]] || ColOf[pair[0]] == ColOf[pair[1]])) continue;
                ends.Set(pair[0]);
                ends.Set(pair[1]);
            }
        }
        for (int a = 0; a < 80; ++a) {
            if (!ends.Test(a)) continue;
            for (int b = a + 1; b < 81; ++b) {
                if (!ends.Test(b)) continue;
                for (int kind = 0; kind < 3; ++kind) {
                    const int u = UnitOf(kind, a);
                    if (u == UnitOf(kind, b) && !strong[kind][u]) weak[kind][u] = true;
                }
            }
        }
        for (int c = 0; c < 81; ++c)
            if (ends.Test(c) && L.multi[c]) L.multiStrongEnd[k].Set(c);

        // Next-cell sets of every candidate of k.
        for (int p = 0; p < 81; ++p) {
            if (!s.CandFlags(p, k)) continue;
            CellSet strongSet;
            CellSet weakSet = L.bivalueHolds[k] & PeerSet[p];
            for (int kind = 0; kind < 3; ++kind) {
                const int u = UnitOf(kind, p);
                if (!strong[kind][u] && !weak[kind][u]) continue;
                for (int i = 0; i < 9; ++i) {
                    const int c = CellOfUnit(kind, u, i);
                    if (c == p || !ends.Test(c)) continue;
                    weakSet.Set(c);
                    if (strong[kind][u]) strongSet.Set(c);
                }
            }
            L.strongNext[k][p] = strongSet;
            L.weakNext[k][p] = weakSet;
        }
    }
    for (int c = 0; c < 81; ++c) {
        if (L.bivalue[c]) {
            L.inCellStrong[c] = s.CandMask[c];
            L.inCellWeak[c] = s.CandMask[c];
        } else if (L.multi[c]) {
            for (int j = 1; j <= 9; ++j)
                if (L.strongEnd[j].Test(c)) L.inCellWeak[c] |= DigitBit(j);
        }
    }
}

bool ShareFlagged(const std::array<std::array<bool, 9>, 3>& flags, int a, int b) {
    return (RowOf[a] == RowOf[b] && flags[0][RowOf[a]]) || (ColOf[a] == ColOf[b] && flags[1][ColOf[a]]) ||
           (BoxOf[a] == BoxOf[b] && flags[2][BoxOf[a]]);
}

struct Node {
    int cell = 0;
    int digit = 0;
};

// A weak link of a continuous loop removes something when it lies inside a
// multi-value cell (the cell's other digits go) or in a unit with three or
// more candidates of its digit (the weak flag).
bool UsefulWeakLink(const ChainLinks& L, const Node& a, const Node& b) {
    return a.cell == b.cell ? L.multi[a.cell] : ShareFlagged(L.weak[a.digit], a.cell, b.cell);
}


int ReferenceAlternatingChains(GradeState& s, int limit, int level) {
    (void)level;
    // Positions are 0..80; a loop closing one step beyond the limit writes
    // position limit + 1.
    if (limit > 79) limit = 79;

    ChainLinks L;
    BuildLinks(s, L);
    std::int32_t cutOffs = 0;

    std::array<Node, 82> chain{};
    // usefulUpTo[i], i even: some weak link among positions 1..i removes
    // something when the chain closes into a loop.
    std::array<bool, 82> usefulUpTo{};
    // Per depth, what is left to try: the digits of an in-cell link, then the
    // cells of links to other cells (ascending). Everything a deeper search
    // changes in the used flags is undone when it returns, so both sets can be
    // taken once and then consumed in order.
    std::array<bool, 82> inCellPhase{};
    std::array<unsigned, 82> digitsLeft{};
    std::array<CellSet, 82> cellsLeft{};

    for (int d = 1; d <= 9; ++d) {
        const CellSet starts = L.bivalueHolds[d] | L.multiStrongEnd[d];
        for (int start = NextFrom(starts, 0); start < 81; start = NextFrom(starts, start + 1)) {
            s.Pump();
            // A bivalue start stays open so that the chain may leave it
            // through its other digit.
            CellSet used;
            if (!L.bivalue[start]) used.Set(start);

            // Candidates weakly linked to the start node: its cell's other
            // digits (multi-value start only) and the start digit in the rest
            // of its row (only when the row is not a conjugate pair).
            const std::uint16_t startOthers =
                L.multi[start] ? static_cast<std::uint16_t>(s.CandMask[start] & ~DigitBit(d)) : 0;
            CellSet rowTargets;
            if (!L.strong[d][0][RowOf[start]])
                for (int i = 0; i < 9; ++i) {
                    const int x = CellAt[RowOf[start]][i];
                    if (x != start && s.CandFlags(x, d)) rowTargets.Set(x);
                }

            chain[0] = {start, d};
            int depth = 1;
            // The tests of a depth depend only on the chain up to the node
            // before it, so they run once, on arrival.
            bool arrived = true;
            while (depth > 0) {
                s.Pump();
                const int p = chain[depth - 1].cell;
                const int k = chain[depth - 1].digit;
                const bool odd = depth % 2 == 1;

                if (arrived) {
                    arrived = false;
                    // An open cell (a bivalue cell just entered, or a cell just
                    // entered by a conjugate link) is left first through a
                    // link inside it; a used one only to other cells.
                    inCellPhase[depth] = !used.Test(p);
                    digitsLeft[depth] = (odd ? L.inCellStrong[p] : L.inCellWeak[p]) & ~unsigned{DigitBit(k)};
                    cellsLeft[depth] = CellSet{};
                    if (depth > limit) {
                        // One step beyond the limit: only the closing and
                        // target tests run here.
                        inCellPhase[depth] = false;
                        if (++cutOffs >= kCutOffBudget) return 0;
                    } else if (!inCellPhase[depth]) {
                        cellsLeft[depth] = (odd ? L.strongNext[k][p] : L.weakNext[k][p]).Without(used);
                    }
                    if (odd) {
                        // A conjugate link of the start digit back to the
                        // start cell.
                        if (depth > 1 && k == d && ShareFlagged(L.strong[d], p, start)) {
                            PlaceDigit(s, d, start);
                            return 2;
                        }
                    } else if (depth > 2) {
                        if (k == d && Sees(p, start)) {
                            chain[depth] = {start, d};
                            if (usefulUpTo[depth - 2] || UsefulWeakLink(L, chain[depth - 1], chain[depth])) {
                                for (int i = 1; i < depth; i += 2) {
                                    const Node& a = chain[i];
                                    const Node& b = chain[i + 1];
                                    if (a.cell == b.cell) {
                                        for (int x = 1; x <= 9; ++x)
                                            if (x != a.digit && x != b.digit) RemoveCandidate(s, x, a.cell);
                                    } else {
                                        RemoveFromCommonPeers(s, a.cell, b.cell, a.digit);
                                    }
                                }
                                return 1;
                            }
                            chain[depth] = Node{};
                        }
                        // Target test, cells in ascending order. The chain's
                        // own end cell is never a target: its node is one of
                        // the two the conclusion rests on.
                        if (k == d) {
                            for (int c = NextFrom(rowTargets, 0); c < 81; c = NextFrom(rowTargets, c + 1)) {
                                if (used.Test(c)) continue;
                                if (c != p && Sees(p, c)) {
                                    RemoveCandidate(s, d, c);
                                    return 3;
                                }
                            }
                        } else if ((startOthers & DigitBit(k)) != 0 && p != start && Sees(p, start)) {
                            RemoveCandidate(s, k, start);
                            return 3;
                        }
                    }
                }

                // The next node: first a link inside p's cell, digits
                // ascending, then links to other cells, cells ascending.
                Node next;
                bool found = false;
                if (inCellPhase[depth]) {
                    used.Set(p);
                    if (digitsLeft[depth] != 0) {
                        const int j = std::countr_zero(digitsLeft[depth]) + 1;
                        digitsLeft[depth] &= digitsLeft[depth] - 1;
                        next = {p, j};
                        found = true;
                    } else {
                        inCellPhase[depth] = false;
                        cellsLeft[depth] = (odd ? L.strongNext[k][p] : L.weakNext[k][p]).Without(used);
                    }
                }
                if (!found && !cellsLeft[depth].Empty()) {
                    const int c = cellsLeft[depth].First();
                    cellsLeft[depth].Reset(c);
                    // A bivalue cell stays open so that the next link may
                    // leave it through its other digit; a cell entered by a
                    // conjugate link stays open for an in-cell weak link.
                    if (odd || L.bivalue[c]) used.Reset(c);
                    else used.Set(c);
                    next = {c, k};
                    found = true;
                }
                if (found) {
                    chain[depth] = next;
                    if (!odd) usefulUpTo[depth] = usefulUpTo[depth - 2] || UsefulWeakLink(L, chain[depth - 1], next);
                    ++depth;
                    arrived = true;
                    continue;
                }

                // Depth exhausted: take back the previous node.
                --depth;
                used.Reset(chain[depth].cell);
            }
        }
    }
    return 0;
}

}  // namespace reference

using test::Cell;
using test::Mask;
using test::Picture;

constexpr const Rung& kAic10 = RungNamed("Alternating Inference Chain (length 10)");
constexpr const Rung& kAic20 = RungNamed("Alternating Inference Chain (length 20)");
constexpr const Rung& kAic30 = RungNamed("Alternating Inference Chain (length 30)");
constexpr std::array<const Rung*, 3> kAicRungs = {&kAic10, &kAic20, &kAic30};

using test::RunLogged;

TEST(AlternatingInferenceChain, LoopThroughConjugatePairOfStartDigitPlaces) {
    // r1c1 pairs with r1c2 (row 1) and r2c1 (column 1), which see each other
    // in box 1: were r1c1 not 7, both would be.
    GradeState s = Picture(7,
                           "xx......."
                           "x........"
                           "........."
                           "........."
                           "........."
                           "........."
                           "........."
                           "........."
                           ".........");
    std::vector<Change> log;
    EXPECT_TRUE(RunLogged(s, kAic10, log));
    EXPECT_EQ(s.SolveGrid[0], 7);
}

// Conjugate pairs of 9 in columns 1 and 5 whose bases share row 6; the top
// r1c1 starts the chain, and the rest of row 1 holds 9 three times.
constexpr std::string_view kSkyscraper =
    "x..x.x..x"
    ".xx.x...x"
    "......x.."
    "......x.."
    "......x.."
    "x...x..xx"
    "........."
    "........."
    ".........";

GradeState SkyscraperOfNines() {
    GradeState s = test::MakeState("345678");
    int cell = 0;
    for (char ch : kSkyscraper) {
        if (ch == 'x') s.CandMask[cell] |= DigitBit(9);
        ++cell;
    }
    return s;
}

TEST(AlternatingInferenceChain, TargetInStartRow) {
    GradeState s = SkyscraperOfNines();
    std::vector<Change> log;
    EXPECT_TRUE(RunLogged(s, kAic10, log));
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], (Change{'R', Cell(1, 4), 9}));
}

TEST(AlternatingInferenceChain, LoopOfPairsAndBivalueCellsIsPassedOver) {
    // A naked pair {1,2} in row 7: the loop 1=2-2=1-1 through the two cells
    // has its weak links in units with two candidates and its in-cell links in
    // bivalue cells, so it removes nothing. The search goes on to 9.
    GradeState s = SkyscraperOfNines();
    s.CandMask[Cell(7, 1)] = Mask("12");
    s.CandMask[Cell(7, 5)] = Mask("12");
    std::vector<Change> log;
    EXPECT_TRUE(RunLogged(s, kAic10, log));
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], (Change{'R', Cell(1, 4), 9}));
}

TEST(AlternatingInferenceChain, ContinuousLoopThroughMultiValueCells) {
    // r1c1(1) = r1c5(1) - r1c5(2) = r5c5(2) - r5c5(1) = r5c1(1) - r1c1(1):
    // every weak link holds exactly one true node, so r1c5 and r5c5 keep only
    // 1 and 2, and column 1 has its 1 in r1c1 or r5c1.
    GradeState s = test::MakeState(
        "3456789",
        {{"r1c1", "134"}, {"r1c5", "123"}, {"r5c5", "124"}, {"r5c1", "134"}, {"r8c1", "134"}, {"r9c5", "134"}});
    std::vector<Change> log;
    EXPECT_TRUE(RunLogged(s, kAic10, log));
    const std::vector<Change> expected = {{'R', Cell(1, 5), 3}, {'R', Cell(5, 5), 4}, {'R', Cell(8, 1), 1}};
    EXPECT_EQ(log, expected);
}

TEST(AlternatingInferenceChain, TargetAmongOtherDigitsOfStartCell) {
    // r1c1(1) = r5c1(1) - r5c1(2) = r4c1(2): either r1c1 is 1 or r4c1 is 2,
    // and r4c1 sees r1c1, so r1c1 is not 2.
    GradeState s =
        test::MakeState("3456789", {{"r1c1", "123"}, {"r5c1", "123"}, {"r4c1", "234"}, {"r5c8", "234"}, {"r4c5", "234"}});
    std::vector<Change> log;
    EXPECT_TRUE(RunLogged(s, kAic10, log));
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], (Change{'R', Cell(1, 1), 2}));
}

TEST(AlternatingInferenceChain, NoTargetsInStartColumnOrBoxNorInPairedRow) {
    // The skyscraper turned on its side: every cell that sees both ends lies
    // in a start cell's column or box, and every start cell's row is a
    // conjugate pair. X-cycles finds it; alternating chains do not.
    constexpr std::string_view kSideways =
        "x....x..."
        ".x......."
        ".x......."
        "x........"
        ".x...x..."
        "x........"
        "..xxx...."
        ".....x..."
        "xx...x...";
    GradeState s = Picture(1, kSideways);
    const GradeState before = s;
    std::vector<Change> log;
    EXPECT_FALSE(RunLogged(s, kAic30, log));
    EXPECT_EQ(s.CandMask, before.CandMask);

    GradeState x = Picture(1, kSideways);
    EXPECT_TRUE(RungNamed("X-Cycle (any length)").run(x));
    EXPECT_FALSE(x.CandFlags(Cell(2, 2), 1));
}

TEST(AlternatingInferenceChain, ChainEndIsNeverItsOwnTarget) {
    // r1c1(1) = r1c1(2) - r2c2(2) = r2c2(1) - r2c6(1) = r1c6(1): r1c1 or r1c6
    // is 1. The chain's end r1c6 lies in the start row and is the first row
    // cell holding 1; it must stay. r1c9 sees both ends and goes.
    GradeState s = test::MakeState("23456789", {{"r1c1", "12"},
                                             {"r2c2", "12"},
                                             {"r2c6", "12"},
                                             {"r1c6", "145"},
                                             {"r1c9", "145"},
                                             {"r3c3", "145"},
                                             {"r2c4", "145"}});
    std::vector<Change> log;
    EXPECT_TRUE(RunLogged(s, kAic10, log));
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], (Change{'R', Cell(1, 9), 1}));
    EXPECT_TRUE(s.CandFlags(Cell(1, 6), 1));
}

// A loop that closes on r1c3 through a conjugate pair after thirteen links.
constexpr std::string_view kThirteenLinks =
    "..x...x.."
    "...x....."
    "....x.x.."
    ".x..x...x"
    ".xx.x...."
    "x........"
    "x..xxx..."
    "....x...."
    "x....x..x";

TEST(AlternatingInferenceChain, LimitBoundsTheChain) {
    GradeState s = Picture(1, kThirteenLinks);
    const GradeState before = s;
    std::vector<Change> log;
    EXPECT_FALSE(RunLogged(s, kAic10, log));
    EXPECT_EQ(s.CandMask, before.CandMask);
    EXPECT_TRUE(RunLogged(s, kAic20, log));
    EXPECT_EQ(s.SolveGrid[Cell(1, 3)], 1);
}

// Every cell bivalue with two random digits from 2..9; a web with a great many
// chains.
GradeState BivalueWeb(unsigned seed) {
    std::mt19937 rng(seed);
    GradeState s;
    for (int c = 0; c < 81; ++c) {
        const int a = 2 + static_cast<int>(rng() % 8);
        int b = a;
        while (b == a) b = 2 + static_cast<int>(rng() % 8);
        s.CandMask[c] = DigitBit(a) | DigitBit(b);
    }
    return s;
}

TEST(AlternatingInferenceChain, CutOffGivesUpBeforeLaterPatterns) {
    // A lone 1 in r5c5 starts chains that can never close or hit a target;
    // with limit 20 they spend the whole budget before digit 2 is reached.
    const GradeState web = BivalueWeb(1);
    GradeState s = web;
    s.CandMask[Cell(5, 5)] = Mask("12");

    RunControl rc;
    rc.pumpEvery = 1;
    long steps = 0;
    rc.pumpHook = [&steps] { ++steps; };
    Yielder y(&rc);

    GradeState t = s;
    GradeRun run{.yield = &y};
    t.run = &run;
    std::vector<Change> log;
    EXPECT_FALSE(RunLogged(t, kAic20, log));
    EXPECT_TRUE(log.empty());
    EXPECT_GT(steps, 50000);
    EXPECT_LT(steps, 1000000);

    // Without the lone 1 a pattern is found at once.
    GradeState u = web;
    EXPECT_TRUE(kAic20.run(u));
    // With limit 10 the chains from the lone 1 are fewer than the budget.
    GradeState v = s;
    EXPECT_TRUE(kAic10.run(v));
}

// Real gradings of the first shared puzzles in which the rung makes progress, every change sound.
TEST(AlternatingInferenceChain, RealGradingLength10) {
    test::ExpectSoundProgress(test::FirstSharedPuzzles(250), kAic10.number, {});
}

// The X-cycles and the shorter chains off, so that the longer chains get their turn.
TEST(AlternatingInferenceChain, RealGradingLength20) {
    test::ExpectSoundProgress(test::FirstSharedPuzzles(150), kAic20.number,
                              test::RungsOff({test::RungNo("X-Cycle (up to 11 cells)"), kAic10.number,
                                              test::RungNo("X-Cycle (any length)")}));
}

// Everything from the short X-cycles to the rung before it off.
TEST(AlternatingInferenceChain, RealGradingLength30) {
    auto off = test::RungsOffFrom(test::RungNo("X-Cycle (up to 11 cells)"));
    for (int r = kAic30.number; r <= kRungCount; ++r) off.reset(static_cast<std::size_t>(r));
    test::ExpectSoundProgress(test::FirstSharedPuzzles(150), kAic30.number, off);
}

TEST(AlternatingInferenceChain, SoundOnGeneratedStuckStates) {
    EXPECT_GT(test::ProgressOnGeneratedStuckStates({&kAic10, &kAic20, &kAic30},
                                                   test::RungNo("X-Cycle (up to 11 cells)"), 60, 3641),
              0);
}

// Random candidate grids, including contradictory ones (empty cells, a digit
// placed twice in a unit, and every tenth a bivalue web with a lone 1).
GradeState RandomGridOrWeb(std::mt19937& rng, int i) {
    if (i % 10 != 9) return test::RandomGrid(rng, 1);
    GradeState s = BivalueWeb(rng());
    s.CandMask[rng() % 81] |= DigitBit(1);
    return s;
}

// On random candidate grids the call ends, and reports progress exactly when it changed something.
TEST(AlternatingInferenceChain, RandomCandidateGrids) {
    std::mt19937 rng(777);
    for (int i = 0; i < 300; ++i)
        test::ExpectProgressOnlyOnChange(RandomGridOrWeb(rng, i), {&kAic10, &kAic20, &kAic30},
                                         "grid " + std::to_string(i));
}

// The reference's result code (1, 2 or 3 for progress) read as the rung reads it.
void ExpectSameAsReference(const Rung& rung, const GradeState& s, const std::string& where) {
    const int limit = rung.params.chainLimit;
    test::ExpectSameCall(
        s, rung,
        [limit](GradeState& t) {
            const int code = reference::ReferenceAlternatingChains(t, limit, 6);
            return code >= 1 && code <= 3;
        },
        where);
}

TEST(AlternatingInferenceChain, SameAsReferenceOnLadderStates) {
    std::mt19937 rng(9901);
    const int calls = test::ForEachLadderCallAndThinned({}, {kAic10.number, kAic20.number, kAic30.number}, rng,
                                                        ExpectSameAsReference);
    // The longest chains as they are reached when the level-7 and level-8
    // rungs before them find nothing: the hardest searches of the set.
    RungSet off;
    for (const Rung& r : kLadder)
        if (r.level >= 7 && r.number < kAic30.number) off.set(static_cast<std::size_t>(r.number));
    const int deep = test::ForEachLadderCallAndThinned(off, {kAic30.number}, rng, ExpectSameAsReference);
    std::printf("%d ladder calls, %d with levels 7 and 8 off\n", calls, deep);
    EXPECT_GT(calls, 100 / test::kPuzzleStride);
    EXPECT_GT(deep, 10 / test::kPuzzleStride);
}

// The stored hard puzzles of the benchmark set, each chain rung met on the
// walk up the ladder with the level-7 and level-8 rungs before the longest
// chains off: the deepest searches there are, several of them spending the
// cut-off budget.
TEST(AlternatingInferenceChain, SameAsReferenceOnBenchHardPuzzles) {
    const BenchPuzzles set = BenchmarkSet();
    RungSet off;
    for (const Rung& r : kLadder)
        if (r.level >= 7 && r.number < kAic30.number) off.set(static_cast<std::size_t>(r.number));
    int calls = 0;
    for (std::size_t i = static_cast<std::size_t>(set.generated); i < set.puzzles.size();
         i += static_cast<std::size_t>(test::kPuzzleStride)) {
        GradeState s;
        ResetGradeState(s, set.puzzles[i]);
        GradeRun run{.disabledRungs = off};
        s.run = &run;
        test::WalkLadder(s, kRungCount, [&](int rung, const GradeState& at) {
            if (off.test(static_cast<std::size_t>(rung))) return test::Then::Skip;
            for (const Rung* aic : kAicRungs)
                if (aic->number == rung) {
                    ExpectSameAsReference(*aic, at, "bench puzzle " + std::to_string(i));
                    ++calls;
                }
            return test::Then::Run;
        });
    }
    EXPECT_GT(calls, 40 / test::kPuzzleStride);
}

TEST(AlternatingInferenceChain, SameAsReferenceOnRandomGrids) {
    std::mt19937 rng(31337);
    for (int i = 0; i < 300; ++i) {
        const GradeState s = RandomGridOrWeb(rng, i);
        for (const Rung* rung : kAicRungs) ExpectSameAsReference(*rung, s, "grid " + std::to_string(i));
    }
    for (unsigned seed = 1; seed <= 6; ++seed) {
        GradeState s = BivalueWeb(seed);
        s.CandMask[Cell(5, 5)] = Mask("12");
        for (const Rung* rung : kAicRungs) ExpectSameAsReference(*rung, s, "web " + std::to_string(seed));
    }
}

}  // namespace
}  // namespace gw
