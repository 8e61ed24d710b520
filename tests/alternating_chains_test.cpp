// Alternating inference chains (rungs 32, 36 and 41): hand-made candidate
// grids, the search budget, real gradings and random candidate grids.
#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <random>
#include <string_view>
#include <utility>

#include "techniques/techniques.h"
#include "test_util.h"

namespace gw {
namespace {

constexpr int Cell(int row, int col) { return 9 * row + col; }

std::uint16_t Mask(std::string_view digits) {
    std::uint16_t m = 0;
    for (char ch : digits) m |= DigitBit(ch - '0');
    return m;
}

// Every cell holds the filler digits, except the listed cells.
GradeState Cands(std::string_view filler, std::initializer_list<std::pair<int, std::string_view>> cells) {
    GradeState s;
    s.CandMask.fill(Mask(filler));
    for (const auto& [cell, digits] : cells) s.CandMask[cell] = Mask(digits);
    return s;
}

// Digit d is a candidate exactly in the cells marked 'x'; every cell also
// holds every other digit, so only d has conjugate pairs and no cell is
// bivalue.
GradeState Picture(int d, std::string_view pic) {
    GradeState s;
    int cell = 0;
    for (char ch : pic) {
        if (ch != 'x' && ch != '.') continue;
        s.CandMask[cell] = static_cast<std::uint16_t>(kAllDigits & ~DigitBit(d));
        if (ch == 'x') s.CandMask[cell] |= DigitBit(d);
        ++cell;
    }
    EXPECT_EQ(cell, 81);
    return s;
}

int RunAic(GradeState& s, int limit, std::vector<Change>& log) {
    s.log = &log;
    const int r = TryAlternatingChains(s, limit, 6);
    s.log = nullptr;
    return r;
}

TEST(AlternatingChains, LoopThroughConjugatePairOfStartDigitPlaces) {
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
    EXPECT_EQ(RunAic(s, 10, log), 2);
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
    GradeState s = Cands("345678", {});
    int cell = 0;
    for (char ch : kSkyscraper) {
        if (ch == 'x') s.CandMask[cell] |= DigitBit(9);
        ++cell;
    }
    return s;
}

TEST(AlternatingChains, TargetInStartRow) {
    GradeState s = SkyscraperOfNines();
    std::vector<Change> log;
    EXPECT_EQ(RunAic(s, 10, log), 3);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], (Change{'R', Cell(0, 3), 9}));
}

TEST(AlternatingChains, LoopOfPairsAndBivalueCellsIsPassedOver) {
    // A naked pair {1,2} in row 7: the loop 1=2-2=1-1 through the two cells
    // has its weak links in units with two candidates and its in-cell links in
    // bivalue cells, so it removes nothing. The search goes on to 9.
    GradeState s = SkyscraperOfNines();
    s.CandMask[Cell(6, 0)] = Mask("12");
    s.CandMask[Cell(6, 4)] = Mask("12");
    std::vector<Change> log;
    EXPECT_EQ(RunAic(s, 10, log), 3);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], (Change{'R', Cell(0, 3), 9}));
}

TEST(AlternatingChains, ContinuousLoopThroughMultiValueCells) {
    // r1c1(1) = r1c5(1) - r1c5(2) = r5c5(2) - r5c5(1) = r5c1(1) - r1c1(1):
    // every weak link holds exactly one true node, so r1c5 and r5c5 keep only
    // 1 and 2, and column 1 has its 1 in r1c1 or r5c1.
    GradeState s = Cands("3456789", {{Cell(0, 0), "134"},
                                     {Cell(0, 4), "123"},
                                     {Cell(4, 4), "124"},
                                     {Cell(4, 0), "134"},
                                     {Cell(7, 0), "134"},
                                     {Cell(8, 4), "134"}});
    std::vector<Change> log;
    EXPECT_EQ(RunAic(s, 10, log), 1);
    const std::vector<Change> expected = {{'R', Cell(0, 4), 3}, {'R', Cell(4, 4), 4}, {'R', Cell(7, 0), 1}};
    EXPECT_EQ(log, expected);
}

TEST(AlternatingChains, TargetAmongOtherDigitsOfStartCell) {
    // r1c1(1) = r5c1(1) - r5c1(2) = r4c1(2): either r1c1 is 1 or r4c1 is 2,
    // and r4c1 sees r1c1, so r1c1 is not 2.
    GradeState s = Cands("3456789", {{Cell(0, 0), "123"},
                                     {Cell(4, 0), "123"},
                                     {Cell(3, 0), "234"},
                                     {Cell(4, 7), "234"},
                                     {Cell(3, 4), "234"}});
    std::vector<Change> log;
    EXPECT_EQ(RunAic(s, 10, log), 3);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], (Change{'R', Cell(0, 0), 2}));
}

TEST(AlternatingChains, NoTargetsInStartColumnOrBoxNorInPairedRow) {
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
    EXPECT_EQ(RunAic(s, 30, log), 0);
    EXPECT_EQ(s.CandMask, before.CandMask);

    GradeState x = Picture(1, kSideways);
    EXPECT_EQ(TryXCycles(x, 7), 3);
    EXPECT_FALSE(x.CandFlags(Cell(1, 1), 1));
}

TEST(AlternatingChains, ChainEndIsNeverItsOwnTarget) {
    // r1c1(1) = r1c1(2) - r2c2(2) = r2c2(1) - r2c6(1) = r1c6(1): r1c1 or r1c6
    // is 1. The chain's end r1c6 lies in the start row and is the first row
    // cell holding 1; it must stay. r1c9 sees both ends and goes.
    GradeState s = Cands("23456789", {{Cell(0, 0), "12"},
                                      {Cell(1, 1), "12"},
                                      {Cell(1, 5), "12"},
                                      {Cell(0, 5), "145"},
                                      {Cell(0, 8), "145"},
                                      {Cell(2, 2), "145"},
                                      {Cell(1, 3), "145"}});
    std::vector<Change> log;
    EXPECT_EQ(RunAic(s, 10, log), 3);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], (Change{'R', Cell(0, 8), 1}));
    EXPECT_TRUE(s.CandFlags(Cell(0, 5), 1));
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

TEST(AlternatingChains, LimitBoundsTheChain) {
    GradeState s = Picture(1, kThirteenLinks);
    const GradeState before = s;
    std::vector<Change> log;
    EXPECT_EQ(RunAic(s, 10, log), 0);
    EXPECT_EQ(s.CandMask, before.CandMask);
    EXPECT_EQ(RunAic(s, 20, log), 2);
    EXPECT_EQ(s.SolveGrid[Cell(0, 2)], 1);
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

TEST(AlternatingChains, CutOffGivesUpBeforeLaterPatterns) {
    // A lone 1 in r5c5 starts chains that can never close or hit a target;
    // with limit 20 they spend the whole budget before digit 2 is reached.
    const GradeState web = BivalueWeb(1);
    GradeState s = web;
    s.CandMask[Cell(4, 4)] = Mask("12");

    RunControl rc;
    rc.pumpEvery = 1;
    long steps = 0;
    rc.pumpHook = [&steps] { ++steps; };
    Yielder y(&rc);

    GradeState t = s;
    t.yield = &y;
    std::vector<Change> log;
    EXPECT_EQ(RunAic(t, 20, log), 0);
    EXPECT_TRUE(log.empty());
    EXPECT_GT(steps, 50000);
    EXPECT_LT(steps, 1000000);

    // Without the lone 1 a pattern is found at once.
    GradeState u = web;
    EXPECT_NE(TryAlternatingChains(u, 20, 7), 0);
    // With limit 10 the chains from the lone 1 are fewer than the budget.
    GradeState v = s;
    EXPECT_NE(TryAlternatingChains(v, 10, 6), 0);
}

// Real gradings in which the rung makes progress, every change sound.
int CountRungSteps(int rung, std::initializer_list<int> off, int puzzles) {
    std::bitset<kRungCount + 1> disabled;
    for (int r : off) disabled.set(static_cast<std::size_t>(r));
    const auto shared = test::LoadSharedPuzzles();
    EXPECT_GE(shared.size(), static_cast<std::size_t>(puzzles));
    int steps = 0;
    for (int i = 0; i < puzzles && i < static_cast<int>(shared.size()); ++i) {
        const auto rep = test::GradeAndCheck(shared[i].first, shared[i].second, disabled);
        EXPECT_EQ(rep.unsound, 0);
        for (const Step& st : rep.steps) steps += st.rung == rung;
    }
    std::printf("rung %d made progress %d times\n", rung, steps);
    return steps;
}

TEST(AlternatingChains, RealGradingRung32) { EXPECT_GT(CountRungSteps(32, {}, 250), 0); }

TEST(AlternatingChains, RealGradingRung36) { EXPECT_GT(CountRungSteps(36, {31, 32, 35}, 150), 0); }

TEST(AlternatingChains, RealGradingRung41) {
    EXPECT_GT(CountRungSteps(41, {31, 32, 33, 34, 35, 36, 37, 38, 39, 40}, 150), 0);
}

TEST(AlternatingChains, SoundOnGeneratedStuckStates) {
    std::bitset<kRungCount + 1> off;
    for (int r = 31; r <= kRungCount; ++r) off.set(r);
    int progress = 0;
    for (const auto& [puzzle, solution] : test::GeneratePuzzles(60, 3641)) {
        GradeState stuck;
        stuck.disabledRungs = off;
        if (GradePuzzle(stuck, puzzle) != 9) continue;
        for (int limit : {10, 20, 30}) {
            GradeState s = stuck;
            std::vector<Change> log;
            progress += RunAic(s, limit, log) != 0;
            for (const Change& ch : log) {
                if (ch.kind == 'P') EXPECT_EQ(solution[ch.cell], ch.digit);
                else EXPECT_NE(solution[ch.cell], ch.digit);
            }
        }
    }
    EXPECT_GT(progress, 0);
}

// Random candidate grids, including contradictory ones (empty cells, a digit
// placed twice in a unit, bivalue webs): the call ends, and reports progress
// exactly when it changed something.
TEST(AlternatingChains, RandomCandidateGrids) {
    std::mt19937 rng(777);
    for (int i = 0; i < 300; ++i) {
        GradeState s;
        if (i % 10 == 9) {
            s = BivalueWeb(rng());
            s.CandMask[rng() % 81] |= DigitBit(1);
        } else {
            const unsigned density = 2 + rng() % 6;
            for (int c = 0; c < 81; ++c) {
                const unsigned kind = rng() % 10;
                if (kind == 0) {
                    s.SolveGrid[c] = static_cast<std::uint8_t>(1 + rng() % 9);
                    s.CandMask[c] = 0;
                } else if (kind == 1) {
                    s.CandMask[c] = 0;
                } else if (kind == 2) {
                    s.CandMask[c] = DigitBit(1 + static_cast<int>(rng() % 9)) | DigitBit(1 + static_cast<int>(rng() % 9));
                } else {
                    std::uint16_t m = 0;
                    for (int d = 1; d <= 9; ++d)
                        if (rng() % 10 < density) m |= DigitBit(d);
                    s.CandMask[c] = m;
                }
            }
        }
        for (int limit : {10, 20, 30}) {
            GradeState t = s;
            const std::uint64_t before = t.changes;
            const int r = TryAlternatingChains(t, limit, 6);
            EXPECT_TRUE(r >= 0 && r <= 3);
            EXPECT_EQ(r != 0, t.changes != before) << "grid " << i << " limit " << limit;
        }
    }
}

}  // namespace
}  // namespace gw
