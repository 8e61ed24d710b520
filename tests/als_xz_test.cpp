// ALS-XZ: a two-candidate cell with an ALS, then pairs of ALSs.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <utility>
#include <vector>

#include "techniques/techniques.h"
#include "test_util.h"

namespace gw {
namespace {

constexpr int kRung = test::RungNo("ALS-XZ");

// ---------------------------------------------------------------------------
// A plain transcription of the rung: every set of every size is formed and
// tested, and "sees every holder" is worked out with a table of counters, one
// listed cell at a time. The real rung must make the same changes in the same
// order.

using List = std::vector<int>;

bool Holds(const GradeState& s, int c, int d) { return s.CandFlags(c, d); }

std::vector<int> SeerCells(const GradeState& s, const List& cells, int digit) {
    std::array<int, 81> mark{};
    int k = 0;
    for (int c : cells) {
        if (Holds(s, c, digit)) {
            ++k;
            for (int x = 0; x < 81; ++x)
                if ((RowOf[x] == RowOf[c] || ColOf[x] == ColOf[c] || BoxOf[x] == BoxOf[c]) && mark[x] == k - 1)
                    mark[x] = k;
        }
        mark[c] = 0;
    }
    std::vector<int> out;
    if (k == 0) return out;  // no holder in the list: nothing is seen
    for (int x = 0; x < 81; ++x)
        if (mark[x] == k && Holds(s, x, digit)) out.push_back(x);
    return out;
}

bool SlowCanRemove(const GradeState& s, const List& cells, int digit) { return !SeerCells(s, cells, digit).empty(); }

bool SlowRemove(GradeState& s, const List& cells, int digit) {
    bool any = false;
    for (int x : SeerCells(s, cells, digit)) any = RemoveCandidate(s, digit, x) || any;
    return any;
}

std::uint16_t Union(const GradeState& s, const List& cells) {
    std::uint16_t m = 0;
    for (int c : cells) m |= s.CandMask[c];
    return m;
}

// Every set of list[0] plus size-1 later cells, sizes 2..7, in list order.
template <class F>
bool EachSet(const List& list, F&& f) {
    const int n = static_cast<int>(list.size());
    for (int size = 2; size <= std::min(n, 7); ++size) {
        std::vector<int> idx(static_cast<std::size_t>(size - 1));
        for (int i = 0; i < size - 1; ++i) idx[static_cast<std::size_t>(i)] = i + 1;
        for (;;) {
            List set{list[0]};
            for (int i : idx) set.push_back(list[static_cast<std::size_t>(i)]);
            if (f(set)) return true;
            int i = size - 2;
            while (i >= 0 && idx[static_cast<std::size_t>(i)] == n - (size - 1) + i) --i;
            if (i < 0) break;
            ++idx[static_cast<std::size_t>(i)];
            for (int j = i + 1; j < size - 1; ++j)
                idx[static_cast<std::size_t>(j)] = idx[static_cast<std::size_t>(j - 1)] + 1;
        }
    }
    return false;
}

bool SlowStage1(GradeState& s, bool& progress) {
    for (int x = 0; x < 81; ++x) {
        if (BitCount[s.CandMask[x]] != 2) continue;
        int r = LowestDigit(s.CandMask[x]);
        int z = LowestDigit(s.CandMask[x] & ~DigitBit(r));
        for (int y = 0; y < 81; ++y) {
            if (y == x || !Sees(x, y) || s.CandMask[y] == 0) continue;
            for (int pass = 0; pass < 2; ++pass) {
                if (Holds(s, y, r)) {
                    for (int unitCase = 0; unitCase < 3; ++unitCase) {
                        int unit = -1;
                        if (unitCase == 0 && RowOf[y] == RowOf[x]) unit = ColUnitOf(y);
                        if (unitCase == 1 && ColOf[y] == ColOf[x]) unit = RowUnitOf(y);
                        if (unitCase == 2 && BoxOf[y] != BoxOf[x]) unit = BoxUnitOf(y);
                        if (unit < 0) continue;
                        List l{y};
                        for (int k = 0; k < 9; ++k) {
                            const int c = UnitCell(unit, k);
                            if (c == y || s.CandMask[c] == 0) continue;
                            if (Holds(s, c, r)) {
                                const bool ok = unitCase < 2 ? BoxOf[c] == BoxOf[x]
                                                             : (RowOf[c] == RowOf[x] || ColOf[c] == ColOf[x]);
                                if (!ok) continue;
                            }
                            l.push_back(c);
                        }
                        const bool found = EachSet(l, [&](const List& a) {
                            const std::uint16_t um = Union(s, a);
                            if (BitCount[um] != static_cast<int>(a.size()) + 1) return false;
                            List zl{x};
                            for (int c : a)
                                if (Holds(s, c, z)) zl.push_back(c);
                            if (zl.size() == 1) return false;
                            bool doubly = true;
                            for (std::size_t i = 1; i < zl.size(); ++i)
                                if (!Sees(zl[i], x)) doubly = false;
                            List rl{x};
                            if (doubly)
                                for (int c : a)
                                    if (Holds(s, c, r) && Sees(c, x)) rl.push_back(c);
                            bool hit = SlowCanRemove(s, zl, z);
                            if (!hit && doubly) hit = SlowCanRemove(s, rl, r);
                            for (int d = 1; d <= 9 && !hit && doubly; ++d)
                                if (d != r && d != z && (um & DigitBit(d))) hit = SlowCanRemove(s, a, d);
                            if (!hit) return false;
                            progress = SlowRemove(s, zl, z);
                            if (doubly) {
                                progress = SlowRemove(s, rl, r) || progress;
                                for (int d = 1; d <= 9; ++d)
                                    if (d != r && d != z && (um & DigitBit(d))) progress = SlowRemove(s, a, d) || progress;
                            }
                            return true;
                        });
                        if (found) return true;
                    }
                }
                if (pass == 0) std::swap(r, z);
            }
        }
    }
    return false;
}

bool SlowSecond(GradeState& s, const List& a, int x, int k, int unitA, bool& progress) {
    List xh;
    for (int c : a)
        if (Holds(s, c, x)) xh.push_back(c);
    bool rows = false, cols = false;
    for (int c : xh) {
        rows = rows || RowOf[c] != RowOf[xh[0]];
        cols = cols || ColOf[c] != ColOf[xh[0]];
    }
    if (k == 3 && rows && cols) return false;
    auto inA = [&](int c) { return std::find(a.begin(), a.end(), c) != a.end(); };
    auto seesAll = [&](int c) {
        for (int h : xh)
            if (!Sees(c, h)) return false;
        return true;
    };
    const std::uint16_t ua = Union(s, a);
    for (int b0 = 0; b0 < 81; ++b0) {
        if (s.CandMask[b0] == 0 || !Holds(s, b0, x) || inA(b0) || !seesAll(b0)) continue;
        for (int kind = k; kind <= 3; ++kind) {
            const int unit = UnitsOfCell[b0][kind - 1];
            if (unit == unitA) continue;
            List l{b0};
            for (int i = 0; i < 9; ++i) {
                const int c = UnitCell(unit, i);
                if (c == b0 || s.CandMask[c] == 0 || inA(c)) continue;
                if (Holds(s, c, x) && !seesAll(c)) continue;
                l.push_back(c);
            }
            const bool found = EachSet(l, [&](const List& b) {
                const std::uint16_t ub = Union(s, b);
                if (BitCount[ub] != static_cast<int>(b.size()) + 1) return false;
                List all = a;
                all.insert(all.end(), b.begin(), b.end());
                bool row = true, col = true, box = true;
                for (int c : all) {
                    row = row && RowOf[c] == RowOf[all[0]];
                    col = col && ColOf[c] == ColOf[all[0]];
                    box = box && BoxOf[c] == BoxOf[all[0]];
                }
                for (int z = 1; z <= 9; ++z) {
                    if (z == x || !(ua & ub & DigitBit(z))) continue;
                    List zl;
                    for (int c : all)
                        if (Holds(s, c, z)) zl.push_back(c);
                    bool doubly = true;
                    for (std::size_t i = 0; i < zl.size(); ++i)
                        for (std::size_t j = i + 1; j < zl.size(); ++j)
                            if (!Sees(zl[i], zl[j])) doubly = false;
                    if (row || col || box) continue;
                    bool hit = SlowCanRemove(s, zl, z);
                    if (!hit && doubly) {
                        List xl;
                        for (int c : all)
                            if (Holds(s, c, x)) xl.push_back(c);
                        hit = SlowCanRemove(s, xl, x);
                        for (int d = 1; d <= 9 && !hit; ++d) {
                            if (d == x || d == z) continue;
                            hit = ((ua & DigitBit(d)) && SlowCanRemove(s, a, d)) ||
                                  ((ub & DigitBit(d)) && SlowCanRemove(s, b, d));
                        }
                    }
                    if (!hit) continue;
                    // Apply the pair right away (the record is read at once).
                    progress = SlowRemove(s, all, z);
                    if (doubly) {
                        progress = SlowRemove(s, all, x) || progress;
                        for (int d = 1; d <= 9; ++d) {
                            if (d == x || d == z) continue;
                            if (ua & DigitBit(d)) progress = SlowRemove(s, a, d) || progress;
                            if (ub & DigitBit(d)) progress = SlowRemove(s, b, d) || progress;
                        }
                    }
                    return true;
                }
                return false;
            });
            if (found) return true;
        }
    }
    return false;
}

bool SlowAlsXZ(GradeState& s) {
    bool progress = false;
    if (SlowStage1(s, progress)) return progress;
    for (int c = 0; c < 81; ++c) {
        if (s.CandMask[c] == 0) continue;
        for (int x = 1; x <= 9; ++x) {
            if (!Holds(s, c, x)) continue;
            for (int k = 1; k <= 3; ++k) {
                const int unit = UnitsOfCell[c][k - 1];
                List l{c};
                for (int i = 0; i < 9; ++i) {
                    const int cell = UnitCell(unit, i);
                    if (cell != c && s.CandMask[cell] != 0) l.push_back(cell);
                }
                const bool found = EachSet(l, [&](const List& a) {
                    if (BitCount[Union(s, a)] != static_cast<int>(a.size()) + 1) return false;
                    return SlowSecond(s, a, x, k, unit, progress);
                });
                if (found) return progress;
            }
        }
    }
    return false;
}

// ---------------------------------------------------------------------------

// Only the listed cells open; the rung reads candidates only, so the digit
// the other cells hold does not matter.
using test::MakeState;

using test::Cell;

struct Tally {
    int calls = 0;
    int progress = 0;
    int stage2 = 0;  // progress made by a pair of two general sets
    int unsound = 0;
};

// One call of the rung on a stuck state, checked against the transcription and
// the solution; the rung's changes are kept. True when it made progress.
bool CheckCall(GradeState& s, const Grid& puzzle, const Grid& solution, Tally& t, int below = kRung) {
    GradeState ref = s;
    GradeState probe = s;
    bool probeProgress = false;
    const bool stage1 = SlowStage1(probe, probeProgress);
    const auto fast = test::Apply(s, TryAlsXZ);
    const auto slow = test::Apply(ref, SlowAlsXZ);
    ++t.calls;
    EXPECT_EQ(fast.progress, slow.progress);
    EXPECT_EQ(fast.changes, slow.changes) << below << ' ' << test::GridText(puzzle);
    EXPECT_EQ(fast.progress, !fast.changes.empty());
    for (const Change& ch : fast.changes) {
        EXPECT_EQ(ch.kind, 'R');
        if (solution[ch.cell] == ch.digit) ++t.unsound;
    }
    if (!fast.progress) return false;
    ++t.progress;
    if (!stage1) ++t.stage2;
    return true;
}

// Lower rungs until stuck, then this rung, checked; repeated while the rung makes progress.
void Walk(const Grid& puzzle, const Grid& solution, Tally& t) {
    test::ForEachStuckState(puzzle, kRung, [&](GradeState& s) { return CheckCall(s, puzzle, solution, t); });
}

TEST(AlsXZ, SoundAndAsTranscribedOnSharedPuzzles) {
    const auto puzzles = test::LoadSharedPuzzles();
    ASSERT_GE(puzzles.size(), 1000u);
    Tally t;
    for (std::size_t i = 0; i < puzzles.size(); i += 6) Walk(puzzles[i].first, puzzles[i].second, t);
    EXPECT_EQ(t.unsound, 0);
    EXPECT_GT(t.progress, 0);
    EXPECT_GT(t.stage2, 0);
    std::printf("ALS-XZ: %d calls, %d with progress, %d of them by two sets\n", t.calls, t.progress, t.stage2);
}

TEST(AlsXZ, SoundOnGeneratedPuzzles) {
    Tally t;
    for (const auto& [p, sol] : GeneratedPuzzles(60, 3701)) Walk(p, sol, t);
    EXPECT_EQ(t.unsound, 0);
}

// States from earlier in the gradings: the ladder is stopped below a lower
// rung, so more cells are open, more sets are almost locked and both stages
// find more. Each call is compared with the transcription, its changes are
// kept and the walk goes on for a few calls.
void WalkEarlier(const std::vector<std::pair<Grid, Grid>>& puzzles, std::size_t step, Tally& t) {
    for (const char* stop : {"Pointing", "Naked Triple", "Swordfish", "Jellyfish", "BUG+1"}) {
        const int below = test::RungNo(stop);
        for (std::size_t i = static_cast<std::size_t>(below) % step; i < puzzles.size(); i += step) {
            const auto& [puzzle, solution] = puzzles[i];
            test::ForEachStuckState(
                puzzle, below, [&](GradeState& s) { return CheckCall(s, puzzle, solution, t, below); }, 6);
        }
    }
}

TEST(AlsXZ, AsTranscribedOnEarlierStates) {
    const auto puzzles = test::LoadSharedPuzzles();
    ASSERT_GE(puzzles.size(), 1000u);
    Tally t;
    WalkEarlier(puzzles, 37, t);
    EXPECT_EQ(t.unsound, 0);
    EXPECT_GT(t.stage2, 0);
    std::printf("ALS-XZ on earlier states: %d calls, %d with progress, %d of them by two sets\n", t.calls,
                t.progress, t.stage2);
}

TEST(AlsXZ, AsTranscribedOnEarlierStatesOfGeneratedPuzzles) {
    Tally t;
    WalkEarlier(GeneratedPuzzles(90, 3702), 1, t);
    EXPECT_EQ(t.unsound, 0);
    EXPECT_GT(t.stage2, 0);
    std::printf("ALS-XZ on earlier generated states: %d calls, %d with progress, %d of them by two sets\n",
                t.calls, t.progress, t.stage2);
}

// Over the shared puzzles, ALS-XZ is the one that makes progress in some
// grading, and the gradings stay sound.
TEST(AlsXZ, MakesProgressInRealGradings) {
    EXPECT_GT(test::GradingsUsingRung(test::LoadSharedPuzzles(), kRung, 1), 0);
}

// ---------------------------------------------------------------------------
// Hand-built states: every cell is solved except the listed ones.

// X = r1c1 {1,2}; Y = r1c5 in X's row, so A is looked for in Y's column, where
// only Y holds r = 1. A = {r1c5, r5c5, r6c5} holds 1234: a three-cell ALS.
// Every 2 of A (only r1c5) sees X, so the pair is doubly linked. Neither 2 nor
// 1 can be removed anywhere (no other cell of row 1 is open); the first test
// that finds something is the extra digit 3 (r7c5 sees every 3 of A). The find
// is then applied in full: 4 also goes from r4c4, which sees both 4s of A.
TEST(AlsXZ, DoublyLinkedBivalueFindIsAppliedInFull) {
    GradeState s =
        MakeState("=9", {{"r1c1", "12"}, {"r1c5", "123"}, {"r5c5", "34"}, {"r6c5", "34"}, {"r7c5", "35"}, {"r4c4", "46"}});
    const auto o = test::Apply(s, TryAlsXZ);
    EXPECT_TRUE(o.progress);
    const std::vector<Change> expected{{'R', Cell(7, 5), 3}, {'R', Cell(4, 4), 4}};
    EXPECT_EQ(o.changes, expected);
}

// The pair (r, z) of X is exchanged once per peer tried, and the next peer
// starts from the pair as the previous one left it. X = r1c1 {1,2}; the peer
// r1c7 with A = {r1c7, r4c7, r5c7} (1234) is a doubly-linked find with either
// digit as r, and r1c9 loses both 1 and 2: z goes first, then r. With the open
// peer r1c4 (no 1 or 2) tried before it, r1c7 starts with r = 2, z = 1.
TEST(AlsXZ, DigitExchangeCarriesOverToTheNextPeer) {
    const auto run = [](bool withEarlierPeer) {
        GradeState s = MakeState("=9", {{"r1c1", "12"}, {"r1c7", "123"}, {"r4c7", "34"}, {"r5c7", "34"}, {"r1c9", "128"}});
        if (withEarlierPeer) {
            s.SolveGrid[Cell(1, 4)] = 0;
            s.CandMask[Cell(1, 4)] = DigitBit(5) | DigitBit(6) | DigitBit(7);
        }
        const auto o = test::Apply(s, TryAlsXZ);
        EXPECT_TRUE(o.progress);
        return o.changes;
    };
    const std::vector<Change> lowFirst{{'R', Cell(1, 9), 2}, {'R', Cell(1, 9), 1}};
    const std::vector<Change> highFirst{{'R', Cell(1, 9), 1}, {'R', Cell(1, 9), 2}};
    EXPECT_EQ(run(false), lowFirst);
    EXPECT_EQ(run(true), highFirst);
}

// X = r1c1 {1,2} and A = {r2c2 {1,3}, r3c3 {2,3}} would be a valid pair (the 1
// of A sees X; r2c1 sees both 2s). But A's first cell shares only the box with
// X, and a peer in X's box is searched only through X's row or column, so
// stage 1 never forms this set. Every other set lies in box 1 together with
// its partner, which stage 2 leaves alone, so the rung finds nothing.
TEST(AlsXZ, PeerSharingOnlyTheBoxYieldsNothing) {
    GradeState s = MakeState("=9", {{"r1c1", "12"}, {"r2c2", "13"}, {"r3c3", "23"}, {"r2c1", "25"}});
    const auto before = s.CandMask;
    EXPECT_FALSE(TryAlsXZ(s));
    EXPECT_EQ(s.CandMask, before);
}

// Y = r1c2 lies in X's row and in X's box: only the column through Y is
// searched. The box set {r1c2 {1,3}, r2c3 {2,3}} (which would remove 2 from
// r2c1) is never formed.
TEST(AlsXZ, PeerInRowAndBoxUsesOnlyItsColumn) {
    GradeState s = MakeState("=9", {{"r1c1", "12"}, {"r1c2", "13"}, {"r2c3", "23"}, {"r2c1", "25"}});
    const auto before = s.CandMask;
    EXPECT_FALSE(TryAlsXZ(s));
    EXPECT_EQ(s.CandMask, before);
}

// Stage 2 (no two-candidate cell anywhere). A = {r1c4, r1c5} in row 1 holds
// 235; B = {r3c5, r6c5, r7c5} in column 5 holds 2378. The 2s of B (r3c5) see
// the 2s of A through box 2: 2 is restricted common. The 3s of both sets are
// all seen by r2c5 only, which loses its 3.
TEST(AlsXZ, TwoSetsRemoveTheSharedDigit) {
    GradeState s =
        MakeState("=9", {{"r1c4", "235"}, {"r1c5", "235"}, {"r2c5", "349"}, {"r3c5", "237"}, {"r6c5", "378"}, {"r7c5", "378"}});
    const auto o = test::Apply(s, TryAlsXZ);
    EXPECT_TRUE(o.progress);
    const std::vector<Change> expected{{'R', Cell(2, 5), 3}};
    EXPECT_EQ(o.changes, expected);
}

// Stage 2, doubly linked: A = {r1c4, r1c5} (235) and B = {r3c5, r6c5, r7c5,
// r8c5} (23789); both 2 and 3 of B lie only in r3c5, which sees all of A.
// No cell can lose 3 or 2; the first test that finds something is A's 5
// (r1c9). The whole doubly-linked rule is applied: 5 from r1c9 and B's 7 from
// r5c5.
TEST(AlsXZ, TwoSetsDoublyLinkedApplyEveryRemoval) {
    GradeState s = MakeState("=9", {{"r1c4", "235"},
                           {"r1c5", "235"},
                           {"r1c9", "569"},
                           {"r3c5", "237"},
                           {"r5c5", "147"},
                           {"r6c5", "789"},
                           {"r7c5", "789"},
                           {"r8c5", "789"}});
    const auto o = test::Apply(s, TryAlsXZ);
    EXPECT_TRUE(o.progress);
    const std::vector<Change> expected{{'R', Cell(1, 9), 5}, {'R', Cell(5, 5), 7}};
    EXPECT_EQ(o.changes, expected);
}

// Two sets whose cells all lie in row 1 ({r1c4, r1c5} 123 and, as a box set,
// {r1c7, r1c8} 134) would remove 3 from r1c9; that is a subset's work and the
// pair is not acted on.
TEST(AlsXZ, TwoSetsInOneRowAreLeftAlone) {
    GradeState s = MakeState("=9", {{"r1c4", "123"}, {"r1c5", "123"}, {"r1c7", "134"}, {"r1c8", "134"}, {"r1c9", "367"}});
    const auto before = s.CandMask;
    EXPECT_FALSE(TryAlsXZ(s));
    EXPECT_EQ(s.CandMask, before);
}

// A contradictory grid (box 2 needs 2, 3 and 5 in r1c4, r1c5, r2c5, r3c5 and
// in nothing else): A = {r1c1, r1c4, r1c5} (2356) and B = {r2c5, r3c5} (235),
// doubly linked on 2 and 3. A's 5 is applied first and strips 5 from both
// cells of B, so when B's own 5 comes, B has no 5 left. A list without a
// holder of the digit names no cell; taken literally (every cell then "sees
// all holders") it would strip 5 from the whole grid.
TEST(AlsXZ, ListWithoutHoldersRemovesNothing) {
    GradeState s = MakeState("=9", {{"r1c1", "6"}, {"r1c4", "235"}, {"r1c5", "235"}, {"r2c5", "235"}, {"r3c5", "235"}});
    const auto o = test::Apply(s, TryAlsXZ);
    EXPECT_TRUE(o.progress);
    const std::vector<Change> expected{{'R', Cell(2, 5), 5}, {'R', Cell(3, 5), 5}};
    EXPECT_EQ(o.changes, expected);
}

// Random candidate grids, many of them contradictory: no crash, no endless
// search, and the same changes as the transcription.
TEST(AlsXZ, RandomCandidateGrids) {
    std::mt19937 rng(37);
    for (int iter = 0; iter < 400; ++iter) {
        GradeState s;
        const int open = 20 + static_cast<int>(rng() % 40);
        for (int c = 0; c < 81; ++c) {
            if (static_cast<int>(rng() % 81) >= open) {
                s.SolveGrid[c] = static_cast<std::uint8_t>(1 + rng() % 9);
                s.CandMask[c] = 0;
                continue;
            }
            std::uint16_t m = 0;
            const int want = 1 + static_cast<int>(rng() % (2 + iter % 4));
            for (int i = 0; i < want; ++i) m |= DigitBit(1 + static_cast<int>(rng() % 9));
            s.CandMask[c] = m;
        }
        GradeState ref = s;
        const auto fast = test::Apply(s, TryAlsXZ);
        const auto slow = test::Apply(ref, SlowAlsXZ);
        EXPECT_EQ(fast.progress, slow.progress);
        EXPECT_EQ(fast.changes, slow.changes);
    }
}

// Random grids without two-candidate cells: stage 1 has no cell X to start
// from, so stage 2 runs, mostly over its whole search.
TEST(AlsXZ, RandomGridsWithoutBivalueCells) {
    std::mt19937 rng(3707);
    int found = 0;
    for (int iter = 0; iter < 150; ++iter) {
        GradeState s;
        const int open = 25 + static_cast<int>(rng() % 40);
        for (int c = 0; c < 81; ++c) {
            s.CandMask[c] = 0;
            s.SolveGrid[c] = static_cast<std::uint8_t>(1 + rng() % 9);
            if (static_cast<int>(rng() % 81) >= open) continue;
            s.SolveGrid[c] = 0;
            while (BitCount[s.CandMask[c]] < 3 + iter % 3) s.CandMask[c] |= DigitBit(1 + static_cast<int>(rng() % 9));
        }
        GradeState ref = s;
        const auto fast = test::Apply(s, TryAlsXZ);
        const auto slow = test::Apply(ref, SlowAlsXZ);
        EXPECT_EQ(fast.progress, slow.progress);
        EXPECT_EQ(fast.changes, slow.changes);
        found += fast.progress ? 1 : 0;
    }
    EXPECT_GT(found, 0);
    EXPECT_LT(found, 150);
}

}  // namespace
}  // namespace gw
