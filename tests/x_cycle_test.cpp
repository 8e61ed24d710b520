// X-cycles (up to 11 cells, and of any length): hand-made single-digit patterns, real gradings,
// and random candidate grids.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bitset>
#include <cstdio>
#include <initializer_list>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "techniques/techniques.h"
#include "test_util.h"

namespace gw {
namespace {

// The search as it stood before its tables were reworked for speed, kept word
// for word as the yardstick: the rung must make the same changes, return the
// same code and take the same number of search steps.
namespace reference {


// Strong and weak links of one digit.
struct DigitLinks {
    std::array<bool, 81> cand{};
    std::array<bool, 81> strongEnd{};
    // Indexed [kind][unit], kind 0 = row, 1 = column, 2 = box.
    std::array<std::array<bool, 9>, 3> strong{};
    // A unit without a pair that holds two or more strong-end cells (so three
    // or more candidate cells).
    std::array<std::array<bool, 9>, 3> weak{};
    bool anyStrongEnd = false;
};

DigitLinks BuildLinks(const GradeState& s, int d) {
    DigitLinks L;
    std::array<std::array<int, 9>, 3> count{};
    for (int c = 0; c < 81; ++c) {
        if (!s.CandFlags(c, d)) continue;
        L.cand[c] = true;
        ++count[0][RowOf[c]];
        ++count[1][ColOf[c]];
        ++count[2][BoxOf[c]];
    }
    // Rows, then columns: both cells of a pair are strong ends.
    for (int kind = 0; kind < 2; ++kind) {
        for (int u = 0; u < 9; ++u) {
            if (count[kind][u] != 2) continue;
            L.strong[kind][u] = true;
            for (int k = 0; k < 9; ++k) {
                const int c = kind == 0 ? CellAt[u][k] : CellAt[k][u];
                if (L.cand[c]) L.strongEnd[c] = true;
            }
        }
    }
    // Boxes: a pair lying in one row or one column is a strong link but adds no
    // strong ends of its own (its row or column pair would be the same link).
    for (int b = 0; b < 9; ++b) {
        if (count[2][b] != 2) continue;
        L.strong[2][b] = true;
        int first = -1;
        int second = -1;
        for (int pos = 0; pos < 9; ++pos) {
            const int c = BoxCell[b][pos];
            if (!L.cand[c]) continue;
            if (first < 0) first = c;
            else second = c;
        }
        if (RowOf[first] != RowOf[second] && ColOf[first] != ColOf[second]) {
            L.strongEnd[first] = true;
            L.strongEnd[second] = true;
        }
    }
    for (int a = 0; a < 80; ++a) {
        if (!L.strongEnd[a]) continue;
        L.anyStrongEnd = true;
        for (int b = a + 1; b < 81; ++b) {
            if (!L.strongEnd[b]) continue;
            if (RowOf[a] == RowOf[b] && !L.strong[0][RowOf[a]]) L.weak[0][RowOf[a]] = true;
            if (ColOf[a] == ColOf[b] && !L.strong[1][ColOf[a]]) L.weak[1][ColOf[a]] = true;
            if (BoxOf[a] == BoxOf[b] && !L.strong[2][BoxOf[a]]) L.weak[2][BoxOf[a]] = true;
        }
    }
    if (L.strongEnd[80]) L.anyStrongEnd = true;
    return L;
}

// Two different cells in one row, column or box whose flag in `flags` is set.
bool ShareFlagged(const std::array<std::array<bool, 9>, 3>& flags, int a, int b) {
    return (RowOf[a] == RowOf[b] && flags[0][RowOf[a]]) || (ColOf[a] == ColOf[b] && flags[1][ColOf[a]]) ||
           (BoxOf[a] == BoxOf[b] && flags[2][BoxOf[a]]);
}

bool ShareStrongOrWeak(const DigitLinks& L, int a, int b) {
    return (RowOf[a] == RowOf[b] && (L.strong[0][RowOf[a]] || L.weak[0][RowOf[a]])) ||
           (ColOf[a] == ColOf[b] && (L.strong[1][ColOf[a]] || L.weak[1][ColOf[a]])) ||
           (BoxOf[a] == BoxOf[b] && (L.strong[2][BoxOf[a]] || L.weak[2][BoxOf[a]]));
}

constexpr int kExhausted = 81;


// Depth-first search per digit. Position 0 is the start cell; odd positions
// are entered through a strong link, even ones through a weak link. Each depth
// has a cursor over the cells 0..80 in ascending order, so the lowest digit,
// then the lowest start cell, then the lowest cell at each depth wins. With
// level 6 the chain holds at most 11 cells (positions 0..10).
int ReferenceXCycles(GradeState& s, int level) {
    const bool bounded = level == 6;
    for (int d = 1; d <= 9; ++d) {
        const DigitLinks L = BuildLinks(s, d);
        if (!L.anyStrongEnd) continue;

        // One spare slot for the closing position of an 81-cell loop.
        std::array<int, 82> chain{};
        std::array<int, 82> cursor{};
        std::array<bool, 81> inChain{};
        std::array<bool, 81> startPeer{};
        int depth = 0;
        for (;;) {
            s.Pump();
            if (depth == 0) {
                int c = cursor[0];
                while (c < 81 && !(L.strongEnd[c] && !inChain[c])) ++c;
                if (c == kExhausted) break;  // next digit
                cursor[0] = c;
                chain[0] = c;
                inChain[c] = true;
                for (int x = 0; x < 81; ++x)
                    startPeer[x] = L.cand[x] && (x == c || Sees(x, c));
                depth = 1;
                cursor[1] = 0;
                continue;
            }
            if (bounded && depth > 10) cursor[depth] = kExhausted;

            const int start = chain[0];
            const int prev = chain[depth - 1];
            bool extended = false;
            for (; cursor[depth] < 81; ++cursor[depth]) {
                const int c = cursor[depth];
                if (depth % 2 == 1) {
                    // Strong link into this position.
                    if (depth > 1 && c == start && ShareFlagged(L.strong, prev, start)) {
                        PlaceDigit(s, d, start);
                        return 2;
                    }
                    if (L.strongEnd[c] && !inChain[c] && ShareFlagged(L.strong, prev, c)) extended = true;
                } else {
                    // Weak link into this position.
                    if (depth > 2 && !inChain[c] && startPeer[c] && Sees(c, prev)) {
                        RemoveCandidate(s, d, c);
                        return 3;
                    }
                    if (depth > 2 && c == start && Sees(c, prev)) {
                        // Continuous loop: act only when some weak link lies in
                        // a unit with three or more candidates, or nothing would
                        // be removed.
                        chain[depth] = start;
                        bool useful = false;
                        for (int i = 1; i < depth && !useful; i += 2)
                            useful = ShareFlagged(L.weak, chain[i], chain[i + 1]);
                        if (useful) {
                            for (int i = 1; i < depth; i += 2) RemoveFromCommonPeers(s, chain[i], chain[i + 1], d);
                            return 1;
                        }
                        chain[depth] = 0;
                    }
                    if (L.strongEnd[c] && !inChain[c] && ShareStrongOrWeak(L, prev, c)) extended = true;
                }
                if (extended) break;
            }
            if (extended) {
                const int c = cursor[depth];
                chain[depth] = c;
                inChain[c] = true;
                ++depth;
                cursor[depth] = 0;
                continue;
            }
            // This depth is exhausted: take back the previous position and try
            // the next cell there.
            cursor[depth] = 0;
            --depth;
            inChain[chain[depth]] = false;
            ++cursor[depth];
        }
    }
    return 0;
}

}  // namespace reference

using test::Cell;
using test::Picture;

constexpr const Rung& kShort = RungNamed("X-Cycle (up to 11 cells)");
constexpr const Rung& kAny = RungNamed("X-Cycle (any length)");

using test::RunLogged;

TEST(XCycle, DigitWithoutConjugatePairIsSkipped) {
    // Digit 1 three times in each of rows 0-2, columns 0, 3, 6 and boxes 0-2.
    GradeState s = Picture(1,
                           "x..x..x.."
                           "x..x..x.."
                           "x..x..x.."
                           "........."
                           "........."
                           "........."
                           "........."
                           "........."
                           ".........");
    const GradeState before = s;
    std::vector<Change> log;
    EXPECT_FALSE(RunLogged(s, kAny, log));
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(s.CandMask, before.CandMask);
}

// Conjugate pairs in columns 1 and 5 whose bases share row 6 (a skyscraper).
// The tops r1c1 and r2c5 are the chain's ends; r1c4, r1c6, r2c2 and r2c3 see
// both, and the lowest of them goes.
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

TEST(XCycle, SkyscraperRemovesLowestCellSeeingBothEnds) {
    GradeState s = Picture(1, kSkyscraper);
    std::vector<Change> log;
    EXPECT_TRUE(RunLogged(s, kShort, log));
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], (Change{'R', Cell(1, 4), 1}));
}

TEST(XCycle, LoopWithTwoStrongLinksAtStartPlacesDigit) {
    // r1c1 pairs with r1c2 (row) and with r2c1 (column); those two see each
    // other in box 1, so r1c1 must hold the digit.
    GradeState s = Picture(4,
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
    EXPECT_TRUE(RunLogged(s, kShort, log));
    EXPECT_EQ(s.SolveGrid[0], 4);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0], (Change{'P', 0, 4}));
}

TEST(XCycle, LoopOfConjugatePairsOnlyIsPassedOver) {
    // Digit 1 forms an X-wing of four conjugate pairs: a continuous loop whose
    // weak links all lie in two-candidate units, which removes nothing. The
    // search goes on to digit 2, which holds the skyscraper.
    GradeState s = Picture(2, kSkyscraper);
    test::OnlyAt(s, 1, {{1, 1}, {1, 5}, {5, 1}, {5, 5}});
    std::vector<Change> log;
    EXPECT_TRUE(RunLogged(s, kAny, log));
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], (Change{'R', Cell(1, 4), 2}));
}

TEST(XCycle, BoxPairInOneRowServesAsStrongLink) {
    // Box 1 holds the digit only in r1c1 and r1c2: no strong ends of its own,
    // but both cells are strong ends through their columns, and the box links
    // them: r1c1 = r1c2 (box) - r8c2 (column) = r8c6 (row). r1c6 sees both
    // ends.
    GradeState s = Picture(1,
                           "xx...x..."
                           "........."
                           "........."
                           "x........"
                           ".....x..."
                           "........."
                           "........."
                           ".x...x..."
                           ".........");
    std::vector<Change> log;
    EXPECT_TRUE(RunLogged(s, kShort, log));
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], (Change{'R', Cell(1, 6), 1}));
}

// A twelve-cell chain r6c1 = r5c1 - r5c7 = r3c7 - r3c2 = r2c2 - r2c4 = r9c4 -
// r8c6 = r8c8 - r7c8 = r7c3, whose ends both see r4c3, and no shorter pattern.
constexpr std::string_view kTwelveCells =
    "........."
    ".x.x.x..."
    ".x....x.."
    "..x......"
    "x.....x.."
    "x........"
    "..x....x."
    ".....x.x."
    "...xxx...";

TEST(XCycle, Level6StopsAtElevenCells) {
    GradeState s = Picture(1, kTwelveCells);
    const GradeState before = s;
    std::vector<Change> log;
    EXPECT_FALSE(RunLogged(s, kShort, log));
    EXPECT_EQ(s.CandMask, before.CandMask);

    std::vector<Change> log7;
    EXPECT_TRUE(RunLogged(s, kAny, log7));
    ASSERT_EQ(log7.size(), 1u);
    EXPECT_EQ(log7[0], (Change{'R', Cell(4, 3), 1}));
}

// The rungs of level 6 and above (the last rung left on) that are not an X-cycle
// rung, and below kShort when `onlyBelowShort`.
RungSet OtherRungsOff(bool onlyBelowShort) {
    RungSet off;
    for (const Rung& r : kLadder)
        if (r.level >= 6 && r.number < kRungCount && std::string_view(r.technique) != kShort.technique &&
            (!onlyBelowShort || r.number < kShort.number))
            off.set(static_cast<std::size_t>(r.number));
    return off;
}

// The short cycles (or the long ones with the short ones off) make progress in
// real gradings of the first shared puzzles, soundly. The other level-6 rungs
// are switched off so that the cycles get their turn whatever those rungs catch first.
TEST(XCycle, RealGradingShortCycles) {
    test::ExpectSoundProgress(test::FirstSharedPuzzles(250), kShort.number, OtherRungsOff(true));
}

TEST(XCycle, RealGradingLongCycles) {
    RungSet off = OtherRungsOff(true);
    off.set(static_cast<std::size_t>(kShort.number));
    off.set(static_cast<std::size_t>(test::RungNo("Alternating Inference Chain (length 10)")));
    test::ExpectSoundProgress(test::FirstSharedPuzzles(250), kAny.number, off);
}

// Stuck states of generated puzzles: every change of either level is sound.
TEST(XCycle, SoundOnGeneratedStuckStates) {
    EXPECT_GT(test::ProgressOnGeneratedStuckStates({&kShort, &kAny}, kShort.number, 60, 7311), 0);
}

// Random candidate grids, including contradictory ones (empty cells, a digit
// placed twice in a unit): the call ends, and reports progress exactly when it
// changed something.
TEST(XCycle, RandomCandidateGrids) {
    std::mt19937 rng(424242);
    for (int i = 0; i < 400; ++i)
        test::ExpectProgressOnlyOnChange(test::RandomGrid(rng, 0), {&kShort, &kAny}, "grid " + std::to_string(i));
}

// The reference's result code (1, 2 or 3 for progress) read as the rung reads it.
// The reference searches every digit: the rung's memo of fruitless digits is
// cleared so that the two take the same steps (search_memo_test checks that
// the memo changes nothing else).
void ExpectSameAsReference(const Rung& rung, const GradeState& s, const std::string& where) {
    const int level = rung.params.anyLength ? 7 : 6;
    GradeState full = s;
    full.memo.Clear();
    test::ExpectSameCall(
        full, rung,
        [level](GradeState& t) {
            const int code = reference::ReferenceXCycles(t, level);
            return code >= 1 && code <= 3;
        },
        where);
}

TEST(XCycle, SameAsReferenceOnLadderStates) {
    std::mt19937 rng(5501);
    const int calls = test::ForEachLadderCallAndThinned({}, {kShort.number, kAny.number}, rng, ExpectSameAsReference);
    EXPECT_GT(calls, 100 / test::kPuzzleStride);
    // With the rest of levels 6 and 7 switched off the cycles see many more
    // states, and the first level-7 call comes straight after the level-6 one.
    const int more = test::ForEachLadderCallAndThinned(OtherRungsOff(false), {kShort.number, kAny.number}, rng,
                                                       ExpectSameAsReference);
    std::printf("%d ladder calls, %d with the other rungs off\n", calls, more);
    EXPECT_GT(more, 100 / test::kPuzzleStride);
}

TEST(XCycle, SameAsReferenceOnRandomGrids) {
    std::mt19937 rng(2718);
    for (int i = 0; i < 400; ++i) {
        const GradeState s = test::RandomGrid(rng, 0);
        for (const Rung* rung : {&kShort, &kAny}) ExpectSameAsReference(*rung, s, "grid " + std::to_string(i));
    }
}

}  // namespace
}  // namespace gw
