// Cell and unit forcing chains.
#include <gtest/gtest.h>

#include <array>
#include <random>

#include "techniques/techniques.h"
#include "test_util.h"

namespace gw {
namespace {

constexpr int kRung = test::RungNo("Forcing Chain");

// A plain transcription of the technique, scan for scan, without the running
// counts of the real one: both must make the same changes in the same order.
bool SlowForcingChains(GradeState& s) {
    const auto cand = s.CandMask;
    auto holds = [&](int c, int d) { return ((cand[c] >> (d - 1)) & 1u) != 0; };
    std::array<std::array<int, 9>, 81> h{};
    std::array<std::array<int, 9>, 81> sum{};
    auto assume = [&](int cell, int digit) {
        h[cell][digit - 1] = 1;
        for (int d = 1; d <= 9; ++d)
            if (h[cell][d - 1] == 0 && holds(cell, d)) h[cell][d - 1] = -1;
        for (int x = 0; x < 81; ++x)
            if (x != cell && (RowOf[x] == RowOf[cell] || ColOf[x] == ColOf[cell] || BoxOf[x] == BoxOf[cell]) &&
                h[x][digit - 1] == 0 && holds(x, digit))
                h[x][digit - 1] = -1;
    };
    auto branch = [&](int base, int digit) {
        for (auto& r : h) r.fill(0);
        assume(base, digit);
        int cur = digit;
        for (;;) {
            bool again = true;
            while (again) {
                again = false;
                for (int u = 0; u < 27 && !again; ++u) {
                    int count = 0, last = -1;
                    for (int k = 0; k < 9; ++k) {
                        const int c = UnitCell(u, k);
                        if (holds(c, cur) && h[c][cur - 1] == 0) {
                            ++count;
                            if (last < 0) last = c;
                        }
                    }
                    if (count == 1) {
                        assume(last, cur);
                        again = true;
                    }
                }
            }
            bool found = false;
            for (int c = 0; c < 81 && !found; ++c) {
                if (c == base || cand[c] == 0) continue;
                int count = 0, digitLeft = 0;
                for (int d = 1; d <= 9; ++d)
                    if (holds(c, d) && h[c][d - 1] == 0) {
                        ++count;
                        digitLeft = d;
                    }
                if (count == 1) {
                    assume(c, digitLeft);
                    cur = digitLeft;
                    found = true;
                }
            }
            if (!found) break;
        }
        for (int c = 0; c < 81; ++c)
            for (int k = 0; k < 9; ++k) sum[c][k] += h[c][k];
    };
    auto conclude = [&](int n) -> int {
        for (int c = 0; c < 81; ++c)
            for (int d = 1; d <= 9; ++d) {
                if (n > 1 && sum[c][d - 1] == -n) return RemoveCandidate(s, d, c) ? 1 : 0;
                if (n > 1 && sum[c][d - 1] == n) {
                    bool any = false;
                    for (int e = 1; e <= 9; ++e)
                        if (e != d && holds(c, e)) any = RemoveCandidate(s, e, c) || any;
                    return any ? 1 : 0;
                }
            }
        return -1;
    };
    for (int c = 0; c < 81; ++c) {
        for (auto& r : sum) r.fill(0);
        int n = 0;
        for (int d = 1; d <= 9; ++d)
            if (holds(c, d)) {
                branch(c, d);
                ++n;
            }
        if (const int r = conclude(n); r >= 0) return r == 1;
    }
    for (int d = 1; d <= 9; ++d)
        for (int u = 0; u < 27; ++u) {
            for (auto& r : sum) r.fill(0);
            int n = 0;
            for (int k = 0; k < 9; ++k)
                if (holds(UnitCell(u, k), d)) {
                    branch(UnitCell(u, k), d);
                    ++n;
                }
            if (const int r = conclude(n); r >= 0) return r == 1;
        }
    return false;
}

struct Tally {
    int calls = 0;
    int progress = 0;
    int positive = 0;  // conclusions that leave a cell with one candidate
    int unsound = 0;
};

// Walks a puzzle: lower rungs until stuck, then this rung (checked against
// the slow transcription and the solution), repeated while it makes progress.
void Walk(const Grid& puzzle, const Grid& solution, Tally& t) {
    test::ForEachStuckState(puzzle, kRung, [&](GradeState& s) {
        GradeState ref = s;
        const Grid gridBefore = s.SolveGrid;
        const auto fast = test::Apply(s, TryForcingChain);
        const auto slow = test::Apply(ref, SlowForcingChains);
        ++t.calls;
        EXPECT_EQ(fast.progress, slow.progress);
        EXPECT_EQ(fast.changes, slow.changes) << test::GridText(puzzle);
        EXPECT_EQ(fast.progress, !fast.changes.empty());
        EXPECT_EQ(s.SolveGrid, gridBefore) << "forcing chains never place a digit";
        for (const Change& ch : fast.changes) {
            EXPECT_EQ(ch.cell, fast.changes[0].cell) << "one conclusion touches one cell";
            if (solution[ch.cell] == ch.digit) ++t.unsound;
        }
        if (!fast.progress) return false;
        ++t.progress;
        // The cell is left with one candidate (placed in every branch, or the
        // other digit of a pair eliminated in every branch): still not placed.
        if (BitCount[s.CandMask[fast.changes[0].cell]] == 1)
            ++t.positive;
        return true;
    });
}

TEST(ForcingChain, SoundAndAsTranscribedOnSharedPuzzles) {
    const auto puzzles = test::LoadSharedPuzzles();
    ASSERT_GE(puzzles.size(), 1000u);
    Tally t;
    for (std::size_t i = 0; i < puzzles.size(); i += 6) Walk(puzzles[i].first, puzzles[i].second, t);
    EXPECT_EQ(t.unsound, 0);
    EXPECT_GT(t.progress, 0);
    EXPECT_GT(t.positive, 0);
    std::printf("forcing chains: %d calls, %d with progress, %d leaving a single candidate\n", t.calls, t.progress,
                t.positive);
}

TEST(ForcingChain, SoundOnGeneratedPuzzles) {
    Tally t;
    for (const auto& [p, sol] : GeneratedPuzzles(60, 3901)) Walk(p, sol, t);
    EXPECT_EQ(t.unsound, 0);
}

// Over a fixed set of puzzles, the forcing chain is the one that makes progress in some
// grading, and the gradings stay sound.
TEST(ForcingChain, MakesProgressInRealGradings) {
    EXPECT_GT(test::GradingsUsingRung(test::LoadSharedPuzzles(), kRung, 1), 0);
}

// A cell holding a single candidate (here r1c1 = 5) is placed in every branch
// of every base. The conclusion "5 goes in r1c1" then removes nothing, and the
// rung reports no progress rather than a step that changed nothing.
TEST(ForcingChain, ConclusionThatChangesNothingIsNoProgress) {
    GradeState s = test::MakeState(R"(
        5   =1  =2 | =3  =4  =6 | =7  =8  =9
        =3  =4  =6 | =7  =8  =9 | =1  =2  =5
        =7  =8  =9 | =1  =2  =5 | =3  =4  =6
        =1  =2  =3 | =4  =5  =7 | =6  =9  =8
        =4  =5  =7 | =6  =9  =8 | =2  =1  =3
        =6  =9  =8 | =2  =1  =3 | =4  =5  =7
        =2  =3  =1 | =5  =6  =4 | =8  =7  =9
        =8  =6  =4 | =9  =7  =1 | =5  =3  =2
        =9  =7  =5 | =8  =3  =2 | 16  16  =4
    )");
    const auto before = s.CandMask;
    EXPECT_FALSE(TryForcingChain(s));
    EXPECT_EQ(s.CandMask, before);
    EXPECT_FALSE(RunRung(s, kRung));
}

// Only r1c1 {1,5,6}, r1c2 {5,6} and r1c3 {5,6} are open. The base r1c1 finds
// nothing; the base r1c2 does: with 5 there, r1c3 becomes 6 and r1c1 is left
// with 1; with 6 there, r1c3 becomes 5 and again r1c1 is left with 1. The 1 is
// placed in both branches, so the other candidates of r1c1 go, in ascending
// order; the 1 itself is left for the singles.
TEST(ForcingChain, DigitPlacedInEveryBranchClearsItsCell) {
    GradeState s;
    for (int c = 0; c < 81; ++c) {
        s.SolveGrid[c] = 9;
        s.CandMask[c] = 0;
    }
    const std::array<std::pair<int, std::uint16_t>, 3> open{
        {{0, DigitBit(1) | DigitBit(5) | DigitBit(6)}, {1, DigitBit(5) | DigitBit(6)}, {2, DigitBit(5) | DigitBit(6)}}};
    for (const auto& [cell, mask] : open) {
        s.SolveGrid[cell] = 0;
        s.CandMask[cell] = mask;
    }
    const auto o = test::Apply(s, TryForcingChain);
    EXPECT_TRUE(o.progress);
    const std::vector<Change> expected{{'R', 0, 5}, {'R', 0, 6}};
    EXPECT_EQ(o.changes, expected);
    EXPECT_EQ(s.SolveGrid[0], 0);
    EXPECT_EQ(s.CandMask[0], DigitBit(1));
}

// Two cells that hold the same pair in one row: each base has two branches
// that disagree on every entry, including the base's own candidates.
TEST(ForcingChain, BaseCellsAndPositionsNeverConclude) {
    GradeState s = test::MakeState(R"(
        =5  =1  =2 | =3  =4  =6 | =7  =8  =9
        =3  =4  =6 | =7  =8  =9 | =1  =2  =5
        =7  =8  =9 | =1  =2  =5 | =3  =4  =6
        =1  =2  =3 | =4  =5  =7 | =6  =9  =8
        =4  =5  =7 | =6  =9  =8 | =2  =1  =3
        =6  =9  =8 | =2  =1  =3 | =4  =5  =7
        =2  =3  =1 | =5  =6  =4 | =8  =7  =9
        =8  =6  =4 | =9  =7  =1 | =5  =3  =2
        =9  =7  =5 | =8  =3  =2 | 16  16  =4
    )");
    const auto before = s.CandMask;
    EXPECT_FALSE(TryForcingChain(s));
    EXPECT_EQ(s.CandMask, before);
}

// Random candidate grids, many of them contradictory: the rung must neither
// crash nor loop, and must agree with the transcription.
TEST(ForcingChain, RandomCandidateGrids) {
    std::mt19937 rng(39);
    for (int iter = 0; iter < 150; ++iter) {
        GradeState s;
        const int density = static_cast<int>(rng() % 6);
        for (int c = 0; c < 81; ++c) {
            const unsigned roll = rng() % 10;
            if (roll < 2) {
                s.SolveGrid[c] = static_cast<std::uint8_t>(1 + rng() % 9);
                s.CandMask[c] = 0;
            } else if (roll == 2) {
                s.CandMask[c] = 0;  // unsolved without candidates
            } else {
                std::uint16_t m = 0;
                for (int d = 0; d < 9; ++d)
                    if (static_cast<int>(rng() % 8) < 2 + density) m |= static_cast<std::uint16_t>(1u << d);
                s.CandMask[c] = m;
            }
        }
        GradeState ref = s;
        const auto fast = test::Apply(s, TryForcingChain);
        const auto slow = test::Apply(ref, SlowForcingChains);
        EXPECT_EQ(fast.progress, slow.progress);
        EXPECT_EQ(fast.changes, slow.changes);
    }
}

}  // namespace
}  // namespace gw
