// XY-chains over conjugate links.
#include <gtest/gtest.h>

#include <string>

#include "generator/generator.h"
#include "techniques/techniques.h"
#include "test_util.h"

namespace gw {
namespace {

constexpr int kRung = test::RungNo("XY-Chain");

using test::MakeState;

std::vector<Change> Chain(GradeState& s) { return test::ReportedChanges(s, TryXYChain); }

// ---------------------------------------------------------------------------
// The search as a plain depth-first walk over every chain, without skipping
// branches that cannot act: the reference the rung must agree with. Gives up
// (returns -1) after `budget` appends.
int ReferenceXYChain(GradeState& s, long budget) {
    std::array<std::uint16_t, 81> cand{};
    std::array<bool, 81> biv{};
    int rowN[10][9] = {}, colN[10][9] = {}, boxN[10][9] = {};
    int bivN[10] = {};
    for (int d = 1; d <= 9; ++d)
        for (int c = 0; c < 81; ++c)
            if (s.CandFlags(c, d)) {
                cand[c] |= DigitBit(d);
                ++rowN[d][RowOf[c]];
                ++colN[d][ColOf[c]];
                ++boxN[d][BoxOf[c]];
            }
    for (int k = 1; k <= 8; ++k)
        for (int i = k + 1; i <= 9; ++i)
            for (int c = 0; c < 81; ++c)
                if (cand[c] == (DigitBit(k) | DigitBit(i))) {
                    biv[c] = true;
                    ++bivN[k];
                    ++bivN[i];
                }
    const auto other = [&](int c, int d) { return LowestDigit(cand[c] & ~DigitBit(d)); };
    struct E {
        int cell, out, state;
    };
    for (int j = 1; j <= 9; ++j) {
        if (bivN[j] <= 1) continue;
        for (int start = 0; start < 81; ++start) {
            if (!(cand[start] & DigitBit(j)) || !biv[start]) continue;
            std::vector<E> chain{{start, other(start, j), 0}};
            int tally = 1;
            const auto inChain = [&](int c) {
                for (const E& e : chain)
                    if (e.cell == c) return true;
                return false;
            };
            while (!chain.empty()) {
                E& e = chain.back();
                const int cur = e.cell, d = e.out;
                const auto fits = [&](int c) { return (cand[c] & DigitBit(d)) && biv[c] && !inChain(c); };
                int found = -1;
                if (e.state == 0) {
                    e.state = 1;
                    if (rowN[d][RowOf[cur]] == 2 && tally < bivN[j])
                        for (int k = 0; k < 9 && found < 0; ++k)
                            if (fits(9 * RowOf[cur] + k)) found = 9 * RowOf[cur] + k;
                }
                if (found < 0 && e.state == 1) {
                    e.state = 2;
                    if (colN[d][ColOf[cur]] == 2 && tally < bivN[j])
                        for (int k = 0; k < 9 && found < 0; ++k)
                            if (fits(9 * k + ColOf[cur])) found = 9 * k + ColOf[cur];
                }
                if (found < 0 && e.state == 2) {
                    e.state = 3;
                    if (boxN[d][BoxOf[cur]] == 2 && tally < bivN[j])
                        for (int k = 0; k < 9 && found < 0; ++k) {
                            const int c = BoxCell[BoxOf[cur]][k];
                            if (RowOf[c] != RowOf[cur] && ColOf[c] != ColOf[cur] && fits(c)) found = c;
                        }
                }
                if (found >= 0) {
                    if (--budget < 0) return -1;
                    const int out = other(found, d);
                    if (out == j || d == j) ++tally;
                    chain.push_back({found, out, 0});
                    if (out == j) {
                        if (RemoveFromCommonPeers(s, start, found, j)) return 1;
                    } else if (d == j && Sees(start, found)) {
                        RemoveCandidate(s, j, start);
                        RemoveCandidate(s, j, found);
                        for (std::size_t k = 1; k + 1 < chain.size(); ++k)
                            RemoveCandidate(s, chain[k - 1].out, chain[k].cell);
                        return 1;
                    }
                    continue;
                }
                if (chain.size() > 1 && (chain.back().out == j || chain[chain.size() - 2].out == j)) --tally;
                chain.pop_back();
            }
        }
    }
    return 0;
}

// Applies the rung and the reference to copies of `s` until neither finds
// anything; every step must make the same changes. False when the reference
// ran out of budget (nothing compared from there on).
bool SameAsReference(GradeState s, int& steps) {
    for (int guard = 0; guard < 100; ++guard) {
        GradeState ref = s;
        std::vector<Change> want;
        int r = 0;
        {
            test::LogTo logging(ref, want);
            r = ReferenceXYChain(ref, 200000);
        }
        if (r < 0) return false;
        const auto got = test::Apply(s, TryXYChain);
        EXPECT_EQ(got.progress, r == 1);
        EXPECT_EQ(got.changes, want);
        if (!got.progress || got.changes != want) return true;
        ++steps;
    }
    return true;
}

// ---------------------------------------------------------------------------

TEST(XYChain, NothingWithoutTwoBivalueCellsForADigit) {
    GradeState open = test::MakeState(std::string(81, '.'));
    EXPECT_TRUE(Chain(open).empty());

    // Bivalue cells exist, but each digit is in one of them only.
    GradeState s = MakeState("=9", {{"r1c1", "12"}, {"r1c5", "34"}, {"r5c5", "56"}, {"r5c1", "1789"}});
    const Masks before = s.CandMask;
    EXPECT_TRUE(Chain(s).empty());
    EXPECT_EQ(s.CandMask, before);
}

TEST(XYChain, RemovesStartDigitFromCellsSeeingBothEnds) {
    // r1c1 {1,2} -2- r1c5 {2,3} -3- r5c5 {3,1}: r1c1 or r5c5 is 1, so r5c1
    // (seeing both) is not.
    GradeState s = MakeState("=9", {{"r1c1", "12"}, {"r1c5", "23"}, {"r5c5", "13"}, {"r5c1", "178"}});
    const auto log = Chain(s);
    EXPECT_EQ(log, (std::vector<Change>{{'R', 36, 1}}));
}

TEST(XYChain, LinkDigitMustOccurExactlyTwiceInTheUnit) {
    // A third 2 in row 1 breaks the r1c1-r1c5 link.
    GradeState s =
        MakeState("=9", {{"r1c1", "12"}, {"r1c5", "23"}, {"r5c5", "13"}, {"r5c1", "178"}, {"r1c9", "256"}});
    const Masks before = s.CandMask;
    EXPECT_TRUE(Chain(s).empty());
    EXPECT_EQ(s.CandMask, before);
}

TEST(XYChain, BoxLinksSkipCellsOfTheCurrentRowAndColumn) {
    // r1c1 {1,2} and r1c2 {2,3} share box 1 and row 1; 2 occurs exactly twice
    // in the box. With a third 2 in row 1 they are not linked at all.
    GradeState s =
        MakeState("=9", {{"r1c1", "12"}, {"r1c2", "23"}, {"r5c2", "13"}, {"r5c1", "178"}, {"r1c9", "256"}});
    EXPECT_TRUE(Chain(s).empty());

    // Without it the row links them, and r5c1 loses 1.
    GradeState linked = MakeState("=9", {{"r1c1", "12"}, {"r1c2", "23"}, {"r5c2", "13"}, {"r5c1", "178"}});
    EXPECT_EQ(Chain(linked), (std::vector<Change>{{'R', 36, 1}}));

    // Cells of one box in different rows and columns are linked by the box.
    GradeState box = MakeState("=9", {{"r1c1", "12"}, {"r2c3", "23"}, {"r5c3", "13"}, {"r5c1", "178"}});
    EXPECT_EQ(Chain(box), (std::vector<Change>{{'R', 36, 1}}));
}

TEST(XYChain, EndWithNothingToRemoveLetsTheSearchGoOn) {
    // r1c1 {1,2} -2- r1c5 {2,3} -3- r5c5 {3,1} ends on 1, but no cell seeing
    // both ends holds 1. The chain goes on -1- r5c8 {1,4} -4- r9c8 {4,1}, and
    // r9c1 sees r1c1 and r9c8.
    GradeState s = MakeState("=9", 
        {{"r1c1", "12"}, {"r1c5", "23"}, {"r5c5", "13"}, {"r5c8", "14"}, {"r9c8", "14"}, {"r9c1", "167"}});
    EXPECT_EQ(Chain(s), (std::vector<Change>{{'R', 72, 1}}));
}

TEST(XYChain, ActsOnFirstChainInScanOrder) {
    // Two independent chains; the one on the lower start digit acts first,
    // and only its removal is made.
    GradeState s = MakeState("=9", {{"r1c1", "23"},
                           {"r1c5", "34"},
                           {"r5c5", "24"},
                           {"r5c1", "267"},
                           {"r7c7", "15"},
                           {"r7c9", "56"},
                           {"r9c9", "16"},
                           {"r9c7", "189"}});
    EXPECT_EQ(Chain(s), (std::vector<Change>{{'R', 78, 1}}));
}

TEST(XYChain, GridOfTwoSolutionsEndsQuickly) {
    // Every cell holds its digits of two different solutions: every digit is
    // exactly twice in every unit and every cell is bivalue, so conjugate
    // links abound, yet no chain can act. The search must still end at once.
    for (int shift = 1; shift <= 8; ++shift) {
        GradeState s;
        for (int c = 0; c < 81; ++c) {
            const int r = c / 9;
            const int v = (3 * r + r / 3 + c % 9) % 9 + 1;
            s.CandMask[c] = static_cast<std::uint16_t>(DigitBit(v) | DigitBit((v - 1 + shift) % 9 + 1));
        }
        EXPECT_TRUE(Chain(s).empty()) << "shift " << shift;
    }
}

TEST(XYChain, SameChangesAsFullSearch) {
    // Stuck grading states and random sparse bivalue grids: skipping branches
    // that cannot act must not change what the rung does.
    int compared = 0;
    int skipped = 0;
    int steps = 0;
    const auto puzzles = test::LoadSharedPuzzles();
    for (std::size_t i = 0; i < puzzles.size(); i += 6) {
        // Singles and subsets only: a fixed ladder, whichever other rungs exist.
        GradeState s = test::GradedWith(puzzles[i].first, test::OnlySinglesSubsetsAnd());
        if (IsSolved(s)) continue;
        if (SameAsReference(s, steps)) ++compared; else ++skipped;
    }
    Rng rng(33);
    for (int n = 0; n < 150; ++n) {
        GradeState s;
        for (int c = 0; c < 81; ++c) {
            if (rng.Below(4) == 0) {
                s.SolveGrid[c] = 1;
                continue;
            }
            const int a = 1 + rng.Below(9);
            int b = 1 + rng.Below(8);
            if (b >= a) ++b;
            s.CandMask[c] = static_cast<std::uint16_t>(DigitBit(a) | DigitBit(b));
            if (rng.Below(3) == 0) s.CandMask[c] |= DigitBit(1 + rng.Below(9));
        }
        if (SameAsReference(s, steps)) ++compared; else ++skipped;
    }
    std::printf("compared %d states (%d too long for the full search), %d steps\n", compared, skipped, steps);
    EXPECT_GT(compared, 250);
    EXPECT_GT(steps, 20);
}

TEST(XYChain, RandomCandidateGridsNeverFail) {
    // Random candidate sets, contradictory ones included: the rung ends, and
    // each call that reports progress changed something.
    std::mt19937 rng(3301);
    for (int n = 0; n < 400; ++n) {
        GradeState s = test::RandomGrid(rng, 5);
        ASSERT_NO_FATAL_FAILURE(test::CallUntilStuck(s, TryXYChain, 200));
    }
}

TEST(XYChain, RealGradingMakesSoundProgress) {
    // Singles and subsets, then the XY-chain; every other rung is switched off, so
    // what the test sees does not depend on which of them exist, and the XY-chain
    // is what moves the gradings on when the others stick.
    test::ExpectSoundProgress(test::SharedAndGenerated(60, 33), kRung, test::OnlySinglesSubsetsAnd({kRung}));
}

}  // namespace
}  // namespace gw
