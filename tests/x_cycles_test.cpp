// X-cycles (rungs 31 and 35): hand-made single-digit patterns, real gradings,
// and random candidate grids.
#include <gtest/gtest.h>

#include <random>
#include <string_view>

#include "techniques/techniques.h"
#include "test_util.h"

namespace gw {
namespace {

// Digit d is a candidate exactly in the cells marked 'x' of the picture (9
// rows of 9 characters, other characters ignored). Every cell also holds every
// other digit, so no other digit has a conjugate pair.
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

// Runs the technique with a change log.
int RunX(GradeState& s, int level, std::vector<Change>& log) {
    s.log = &log;
    const int r = TryXCycles(s, level);
    s.log = nullptr;
    return r;
}

constexpr int Cell(int row, int col) { return 9 * row + col; }

TEST(XCycles, DigitWithoutConjugatePairIsSkipped) {
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
    EXPECT_EQ(RunX(s, 7, log), 0);
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

TEST(XCycles, SkyscraperRemovesLowestCellSeeingBothEnds) {
    GradeState s = Picture(1, kSkyscraper);
    std::vector<Change> log;
    EXPECT_EQ(RunX(s, 6, log), 3);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], (Change{'R', Cell(0, 3), 1}));
}

TEST(XCycles, LoopWithTwoStrongLinksAtStartPlacesDigit) {
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
    EXPECT_EQ(RunX(s, 6, log), 2);
    EXPECT_EQ(s.SolveGrid[0], 4);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0], (Change{'P', 0, 4}));
}

TEST(XCycles, LoopOfConjugatePairsOnlyIsPassedOver) {
    // Digit 1 forms an X-wing of four conjugate pairs: a continuous loop whose
    // weak links all lie in two-candidate units, which removes nothing. The
    // search goes on to digit 2, which holds the skyscraper.
    GradeState s = Picture(2, kSkyscraper);
    for (int c = 0; c < 81; ++c) s.CandMask[c] &= static_cast<std::uint16_t>(~DigitBit(1));
    for (int c : {Cell(0, 0), Cell(0, 4), Cell(4, 0), Cell(4, 4)}) s.CandMask[c] |= DigitBit(1);
    std::vector<Change> log;
    EXPECT_EQ(RunX(s, 7, log), 3);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], (Change{'R', Cell(0, 3), 2}));
}

TEST(XCycles, BoxPairInOneRowServesAsStrongLink) {
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
    EXPECT_EQ(RunX(s, 6, log), 3);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], (Change{'R', Cell(0, 5), 1}));
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

TEST(XCycles, Level6StopsAtElevenCells) {
    GradeState s = Picture(1, kTwelveCells);
    const GradeState before = s;
    std::vector<Change> log;
    EXPECT_EQ(RunX(s, 6, log), 0);
    EXPECT_EQ(s.CandMask, before.CandMask);

    std::vector<Change> log7;
    EXPECT_EQ(RunX(s, 7, log7), 3);
    ASSERT_EQ(log7.size(), 1u);
    EXPECT_EQ(log7[0], (Change{'R', Cell(3, 2), 1}));
}

// Rung 31 (or 35 with rung 31 off) makes progress in real gradings, soundly.
// The other level-6 rungs are switched off so that the cycles get their turn
// whatever those rungs catch first.
int CountRungSteps(int rung, const std::bitset<kRungCount + 1>& off, int puzzles) {
    const auto shared = test::LoadSharedPuzzles();
    EXPECT_GE(shared.size(), static_cast<std::size_t>(puzzles));
    int steps = 0;
    for (int i = 0; i < puzzles && i < static_cast<int>(shared.size()); ++i) {
        const auto rep = test::GradeAndCheck(shared[i].first, shared[i].second, off);
        EXPECT_EQ(rep.unsound, 0);
        for (const Step& st : rep.steps) steps += st.rung == rung;
    }
    return steps;
}

std::bitset<kRungCount + 1> OtherLevel6RungsOff() {
    std::bitset<kRungCount + 1> off;
    for (int r = 20; r <= 30; ++r) off.set(static_cast<std::size_t>(r));
    return off;
}

TEST(XCycles, RealGradingRung31) {
    EXPECT_GT(CountRungSteps(31, OtherLevel6RungsOff(), 250), 0);
}

TEST(XCycles, RealGradingRung35) {
    std::bitset<kRungCount + 1> off = OtherLevel6RungsOff();
    off.set(31);
    off.set(32);
    EXPECT_GT(CountRungSteps(35, off, 250), 0);
}

// Stuck states of generated puzzles: every change of either level is sound.
TEST(XCycles, SoundOnGeneratedStuckStates) {
    std::bitset<kRungCount + 1> off;
    for (int r = 31; r <= kRungCount; ++r) off.set(r);
    int progress = 0;
    for (const auto& [puzzle, solution] : test::GeneratePuzzles(60, 7311)) {
        GradeState stuck;
        stuck.disabledRungs = off;
        if (GradePuzzle(stuck, puzzle) != 9) continue;
        for (int level : {6, 7}) {
            GradeState s = stuck;
            std::vector<Change> log;
            const int r = RunX(s, level, log);
            progress += r != 0;
            for (const Change& ch : log) {
                if (ch.kind == 'P') EXPECT_EQ(solution[ch.cell], ch.digit);
                else EXPECT_NE(solution[ch.cell], ch.digit);
            }
        }
    }
    EXPECT_GT(progress, 0);
}

// Random candidate grids, including contradictory ones (empty cells, a digit
// placed twice in a unit): the call ends, and reports progress exactly when it
// changed something.
TEST(XCycles, RandomCandidateGrids) {
    std::mt19937 rng(424242);
    for (int i = 0; i < 400; ++i) {
        GradeState s;
        const unsigned density = 2 + rng() % 6;  // chance of a candidate, in tenths
        for (int c = 0; c < 81; ++c) {
            const unsigned kind = rng() % 10;
            if (kind == 0) {
                s.SolveGrid[c] = static_cast<std::uint8_t>(1 + rng() % 9);
                s.CandMask[c] = 0;
            } else if (kind == 1) {
                s.CandMask[c] = 0;  // an empty cell
            } else {
                std::uint16_t m = 0;
                for (int d = 1; d <= 9; ++d)
                    if (rng() % 10 < density) m |= DigitBit(d);
                s.CandMask[c] = m;
            }
        }
        for (int level : {6, 7}) {
            GradeState t = s;
            const std::uint64_t before = t.changes;
            const int r = TryXCycles(t, level);
            EXPECT_TRUE(r >= 0 && r <= 3);
            EXPECT_EQ(r != 0, t.changes != before) << "grid " << i << " level " << level;
        }
    }
}

}  // namespace
}  // namespace gw
