// Aligned triple exclusion with three-cell witness groups, checked
// against the exhaustive form of the group rule: every ordered group, every
// 4-tuple and 5-tuple of digits whose powers of two add up to the group's mask.
#include <gtest/gtest.h>

#include <bitset>
#include <memory>

#include "generator/generator.h"
#include "techniques/expert/aligned_triple_exclusion.h"
#include "techniques/techniques.h"
#include "test_util.h"

namespace gw {
namespace {

constexpr int kRung = test::RungNo("Aligned Triple Exclusion (witness groups)");

using test::MakeState;

std::vector<Change> Groups(GradeState& s) { return test::ReportedChanges(s, TryAlignedTripleGroups); }

// ---------------------------------------------------------------------------
// The exhaustive form.

int Entry(int a, int b, int c) { return 81 * (a - 1) + 9 * (b - 1) + (c - 1); }

using Table = std::bitset<729>;  // T(a, b, c) at Entry(a, b, c)

// The entries that the tuple loops strike for a group whose candidates form
// `unionMask` (bit d-1 for digit d), with the group mask read as 2^d per digit.
Table TupleLoopStrikes(unsigned unionMask) {
    const int m = static_cast<int>(unionMask) << 1;
    Table t;
    for (int a = 1; a <= 9; ++a)
        for (int b = 1; b <= 9; ++b)
            for (int c = 1; c <= 9; ++c)
                for (int x = 1; x <= 9; ++x) {
                    if ((1 << a) + (1 << b) + (1 << c) + (1 << x) != m) continue;
                    t.set(Entry(a, b, c)).set(Entry(a, b, x)).set(Entry(a, c, x)).set(Entry(b, c, x));
                }
    for (int a = 1; a <= 9; ++a)
        for (int b = 1; b <= 9; ++b)
            for (int c = 1; c <= 9; ++c)
                for (int x = 1; x <= 9; ++x)
                    for (int y = 1; y <= 9; ++y) {
                        if ((1 << a) + (1 << b) + (1 << c) + (1 << x) + (1 << y) != m) continue;
                        t.set(Entry(a, b, c)).set(Entry(a, b, x)).set(Entry(a, b, y)).set(Entry(a, c, x));
                        t.set(Entry(a, c, y)).set(Entry(a, x, y)).set(Entry(b, c, x)).set(Entry(b, c, y));
                        t.set(Entry(b, x, y)).set(Entry(c, x, y));
                    }
    return t;
}

// The tuple loops for every possible union, computed once for the suite.
const std::array<Table, 512>& AllTupleLoopStrikes() {
    static const auto tables = [] {
        auto t = std::make_unique<std::array<Table, 512>>();
        for (unsigned m = 0; m < 512; ++m) (*t)[m] = TupleLoopStrikes(m);
        return t;
    }();
    return *tables;
}

// The whole rung in its exhaustive form: the 9 x 9 x 9 table, single
// witnesses, then every ordered group of the line and of the box. With
// `withGroups` false it is the plain aligned triple exclusion.
bool ReferenceAlignedTriple(GradeState& s, bool withGroups) {
    const auto& strikes = AllTupleLoopStrikes();
    std::array<std::uint16_t, 81> cand{};
    for (int c = 0; c < 81; ++c)
        for (int d = 1; d <= 9; ++d)
            if (s.CandFlags(c, d)) cand[c] |= DigitBit(d);
    const auto holds = [&](int c, int d) { return (cand[c] & DigitBit(d)) != 0; };

    for (int seg = 0; seg < 54; ++seg) {
        std::array<int, 3> cells{};
        int line = 0;
        int boxStart = 0;
        if (seg < 27) {
            const int r = seg / 3, t = seg % 3;
            cells = {9 * r + 3 * t, 9 * r + 3 * t + 1, 9 * r + 3 * t + 2};
            line = r;
            boxStart = 27 * (r / 3) + 3 * t;
        } else {
            const int c = (seg - 27) / 3, t = (seg - 27) % 3;
            cells = {27 * t + c, 27 * t + 9 + c, 27 * t + 18 + c};
            line = 9 + c;
            boxStart = 27 * t + 3 * (c / 3);
        }
        if (s.SolveGrid[cells[0]] || s.SolveGrid[cells[1]] || s.SolveGrid[cells[2]]) continue;

        Table T;
        for (int a = 1; a <= 9; ++a)
            for (int b = 1; b <= 9; ++b)
                for (int c = 1; c <= 9; ++c)
                    if (holds(cells[0], a) && holds(cells[1], b) && holds(cells[2], c) && a != b && a != c && b != c)
                        T.set(Entry(a, b, c));

        std::vector<int> lineCells, boxCells;
        for (int k = 0; k < 9; ++k) {
            lineCells.push_back(UnitCell(line, k));
            boxCells.push_back(boxStart + 9 * (k / 3) + k % 3);
        }
        const auto outside = [&](int w) { return w != cells[0] && w != cells[1] && w != cells[2]; };
        for (const auto* unit : {&lineCells, &boxCells}) {
            for (int w : *unit) {
                const int n = BitCount[cand[w]];
                if (!outside(w) || (n != 2 && n != 3)) continue;
                for (int a = 1; a <= 9; ++a)
                    for (int b = 1; b <= 9; ++b)
                        for (int c = 1; c <= 9; ++c) {
                            if (!T.test(Entry(a, b, c))) continue;  // already false
                            const unsigned A = DigitBit(a), B = DigitBit(b), C = DigitBit(c);
                            if (cand[w] == (A | B) || cand[w] == (A | C) || cand[w] == (B | C) ||
                                cand[w] == (A | B | C))
                                T.reset(Entry(a, b, c));
                        }
            }
        }
        if (withGroups) {
            for (const auto* unit : {&lineCells, &boxCells}) {
                for (int w1 : *unit)
                    for (int w2 : *unit)
                        for (int w3 : *unit) {
                            if (w1 == w2 || w1 == w3 || w2 == w3) continue;
                            bool ok = true;
                            for (int w : {w1, w2, w3}) {
                                const int n = BitCount[cand[w]];
                                ok = ok && outside(w) && n >= 2 && n <= 5;
                            }
                            if (ok) T &= ~strikes[cand[w1] | cand[w2] | cand[w3]];
                        }
            }
        }

        std::array<std::uint16_t, 3> supported{};
        for (int a = 1; a <= 9; ++a)
            for (int b = 1; b <= 9; ++b)
                for (int c = 1; c <= 9; ++c)
                    if (T.test(Entry(a, b, c))) {
                        supported[0] |= DigitBit(a);
                        supported[1] |= DigitBit(b);
                        supported[2] |= DigitBit(c);
                    }
        bool removed = false;
        for (int v = 1; v <= 9; ++v)
            for (int i = 0; i < 3; ++i)
                if (holds(cells[i], v) && !(supported[i] & DigitBit(v))) {
                    RemoveCandidate(s, v, cells[i]);
                    removed = true;
                }
        if (removed) return true;
    }
    return false;
}

// Applies the rung (or plain aligned triple exclusion) and the reference to copies of `s`
// until neither acts; every step must make the same changes.
void CompareWithReference(GradeState s, bool withGroups, int& steps) {
    for (int guard = 0; guard < 200; ++guard) {
        GradeState ref = s;
        std::vector<Change> want;
        bool refFound = false;
        {
            test::LogTo logging(ref, want);
            refFound = ReferenceAlignedTriple(ref, withGroups);
        }
        std::vector<Change> got;
        GradeState plain = s;
        bool found = false;
        {
            test::LogTo logging(s, got);
            found = withGroups ? TryAlignedTripleGroups(s) : TryAlignedTripleExclusion(s);
        }
        ASSERT_EQ(found, refFound);
        ASSERT_EQ(got, want);
        // Whatever the plain rung finds, the group rung finds too.
        if (withGroups && TryAlignedTripleExclusion(plain)) {
            ASSERT_TRUE(found);
        }
        if (!found) return;
        ++steps;
    }
}

// Random cells, mostly of two to five candidates so that witness groups form;
// 1/6 a placed digit and 1/12 a cell without any candidate (a contradiction).
GradeState RandomGroupingGrid(Rng& rng) {
    GradeState s;
    for (int c = 0; c < 81; ++c) {
        const int kind = rng.Below(12);
        if (kind < 2) {
            s.SolveGrid[c] = static_cast<std::uint8_t>(1 + rng.Below(9));
        } else {
            std::uint16_t m = 0;
            const int n = kind == 2 ? 0 : 2 + rng.Below(4);
            while (BitCount[m] < n) m |= DigitBit(1 + rng.Below(9));
            s.CandMask[c] = m;
        }
    }
    return s;
}

// ---------------------------------------------------------------------------

TEST(AlignedTripleGroups, GroupTestMatchesTupleLoopsOnEveryUnion) {
    // For every mask a group can have, the quick test strikes exactly the
    // assignments of three different digits that the tuple loops strike (the
    // loops strike only entries with a repeated digit besides, which are never
    // possible assignments). Every struck assignment leaves the group's three
    // cells at most two digits.
    const auto& strikes = AllTupleLoopStrikes();
    int carries = 0;
    for (unsigned m = 0; m < 512; ++m) {
        for (int a = 1; a <= 9; ++a)
            for (int b = 1; b <= 9; ++b)
                for (int c = 1; c <= 9; ++c) {
                    if (a == b || a == c || b == c) continue;
                    const unsigned triple = DigitBit(a) | DigitBit(b) | DigitBit(c);
                    const bool quick = GroupStrikes(m, triple);
                    ASSERT_EQ(quick, strikes[m].test(Entry(a, b, c)))
                        << "union " << m << " assignment " << a << b << c;
                    if (quick) {
                        EXPECT_LE(BitCount[m & ~triple], 2);
                        carries += (triple & ~m) != 0;
                    }
                }
    }
    // Equal powers adding up to the next one do strike assignments that use
    // a digit outside the group.
    EXPECT_GT(carries, 0);
    // Two equal powers: {1, 3, 4} and a second 1 add up to {2, 3, 4}.
    EXPECT_TRUE(GroupStrikes(DigitBit(2) | DigitBit(3) | DigitBit(4), DigitBit(1) | DigitBit(3) | DigitBit(4)));
}

TEST(AlignedTripleGroups, FourDigitGroupStrikesThreeOfThemNotTwo) {
    // r1c4, r1c5, r1c6 hold {1,2,3,4} between them (four candidates each, so
    // none is a single witness). With r1c1 and r1c2 taking 1 and 2, r1c3
    // cannot take 3 or 4.
    GradeState s = MakeState("=9", {{"r1c1", "12"},
                           {"r1c2", "12"},
                           {"r1c3", "345"},
                           {"r1c4", "1234"},
                           {"r1c5", "1234"},
                           {"r1c6", "1234"}});
    GradeState plain = s;
    EXPECT_FALSE(TryAlignedTripleExclusion(plain));
    EXPECT_EQ(Groups(s), (std::vector<Change>{{'R', 2, 3}, {'R', 2, 4}}));

    // Assignments that use only two of the four digits stand.
    GradeState two = MakeState("=9", {{"r1c1", "16"},
                             {"r1c2", "27"},
                             {"r1c3", "35"},
                             {"r1c4", "1234"},
                             {"r1c5", "1234"},
                             {"r1c6", "1234"}});
    EXPECT_TRUE(Groups(two).empty());
}

TEST(AlignedTripleGroups, BoxGroupsWitnessToo) {
    GradeState s = MakeState("=9", {{"r1c1", "12"},
                           {"r1c2", "12"},
                           {"r1c3", "345"},
                           {"r2c1", "1234"},
                           {"r2c3", "1234"},
                           {"r3c2", "1234"}});
    EXPECT_EQ(Groups(s), (std::vector<Change>{{'R', 2, 3}, {'R', 2, 4}}));
}

TEST(AlignedTripleGroups, FiveCandidateCellsJoinGroupsSixDigitUnionsStrikeNothing) {
    GradeState five = MakeState("=9", {{"r1c1", "12"},
                              {"r1c2", "12"},
                              {"r1c3", "36"},
                              {"r1c4", "12345"},
                              {"r1c5", "1234"},
                              {"r1c6", "2345"}});
    EXPECT_EQ(Groups(five), (std::vector<Change>{{'R', 2, 3}}));

    GradeState six = MakeState("=9", {{"r1c1", "12"},
                             {"r1c2", "12"},
                             {"r1c3", "36"},
                             {"r1c4", "12345"},
                             {"r1c5", "1234"},
                             {"r1c6", "23456"}});
    EXPECT_TRUE(Groups(six).empty());

    // A cell with six candidates cannot join a group at all.
    GradeState big = MakeState("=9", {{"r1c1", "12"},
                             {"r1c2", "12"},
                             {"r1c3", "36"},
                             {"r1c4", "123456"},
                             {"r1c5", "1234"},
                             {"r1c6", "2345"}});
    EXPECT_TRUE(Groups(big).empty());
}

TEST(AlignedTripleGroups, SingleFourCandidateWitnessStrikesNothing) {
    GradeState s = MakeState("=9", {{"r1c1", "12"}, {"r1c2", "12"}, {"r1c3", "345"}, {"r1c4", "1234"}});
    EXPECT_TRUE(Groups(s).empty());
}

TEST(AlignedTripleGroups, SegmentCellsNeverJoinAGroup) {
    // Only two cells of row 1 lie outside the segment. Taken with r1c3 they
    // would hold {1,2,5,6,7} and strike (1,2,5) and (1,2,6), leaving r1c2
    // without 2; but the segment's own cells are never witnesses.
    GradeState s = MakeState("=9", {{"r1c1", "1"}, {"r1c2", "24"}, {"r1c3", "56"}, {"r1c4", "12567"}, {"r1c5", "1256"}});
    EXPECT_TRUE(Groups(s).empty());
}

TEST(AlignedTripleGroups, SameChangesAsExhaustiveForm) {
    int stepsPlain = 0;
    int stepsGroups = 0;
    const auto puzzles = test::LoadSharedPuzzles();
    for (std::size_t i = 0; i < puzzles.size(); i += 10) {
        // Graded with singles and subsets only, until stuck.
        GradeState s = test::GradedWith(puzzles[i].first, test::OnlySinglesSubsetsAnd());
        if (IsSolved(s)) continue;
        CompareWithReference(s, false, stepsPlain);
        CompareWithReference(s, true, stepsGroups);
    }
    Rng rng(4005);
    for (int n = 0; n < 40; ++n) {
        const GradeState s = RandomGroupingGrid(rng);
        CompareWithReference(s, false, stepsPlain);
        CompareWithReference(s, true, stepsGroups);
    }
    std::printf("compared %d plain and %d group steps\n", stepsPlain, stepsGroups);
    EXPECT_GT(stepsGroups, stepsPlain);
}

TEST(AlignedTripleGroups, RandomCandidateGridsNeverFail) {
    Rng rng(4006);
    for (int n = 0; n < 300; ++n) {
        GradeState s = RandomGroupingGrid(rng);
        ASSERT_NO_FATAL_FAILURE(test::CallUntilStuck(s, TryAlignedTripleGroups, 300));
    }
}

TEST(AlignedTripleGroups, RealGradingMakesSoundProgress) {
    // Singles and subsets, aligned triple exclusion, then the witness groups; every other rung is switched
    // off, so what the test sees does not depend on which of them exist. Rung
    // Aligned triple exclusion stays on, so every step of this rung comes from a witness group.
    test::ExpectSoundProgress(test::SharedAndGenerated(60, 40), kRung,
                              test::OnlySinglesSubsetsAnd({test::RungNo("Aligned Triple Exclusion"), kRung}));
}

}  // namespace
}  // namespace gw
