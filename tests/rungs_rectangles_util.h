// Helpers of the tests of the pair-exclusion and rectangle rungs (pair
// exclusion to BUG+1):
// hand-made grading states and a soundness sweep over the states in which the
// lower rungs are stuck.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "test_util.h"

namespace gw::test {

// A complete valid grid used as the background of hand-made states.
inline constexpr const char* kBackground =
    "123456789456789123789123456214365897365897214897214365531642978642978531978531642";

// Every cell solved from kBackground and marked as a given; Open() then frees
// the cells a test is about. Techniques that only read candidates see a grid
// in which nothing but the opened cells takes part.
inline GradeState SolvedBackground() {
    GradeState s;
    s.SolveGrid = ParseGrid(kBackground);
    s.Givens = s.SolveGrid;
    s.CandMask.fill(0);
    return s;
}

// Opens the cell at row r, column c (1-based) with the given candidates.
inline void Open(GradeState& s, int r, int c, const char* digits) {
    const int cell = CellAt[r - 1][c - 1];
    s.SolveGrid[cell] = 0;
    s.Givens[cell] = 0;
    s.CandMask[cell] = Mask(digits);
}

// Solves the cell at row r, column c (1-based) with d as the grader would:
// not a given.
inline void Place(GradeState& s, int r, int c, int d) {
    const int cell = CellAt[r - 1][c - 1];
    s.SolveGrid[cell] = static_cast<std::uint8_t>(d);
    s.Givens[cell] = 0;
    s.CandMask[cell] = 0;
}

inline std::uint16_t Cands(const GradeState& s, int r, int c) { return s.CandMask[CellAt[r - 1][c - 1]]; }

// Runs a technique with a change log and returns its changes (its result to *result when given).
inline std::vector<Change> Changes(GradeState& s, const std::function<bool(GradeState&)>& tech, bool* result = nullptr) {
    auto out = Apply(s, tech);
    if (result != nullptr) *result = out.progress;
    return std::move(out.changes);
}

inline Change Removed(int r, int c, int d) {
    return {'R', static_cast<std::uint8_t>(CellAt[r - 1][c - 1]), static_cast<std::uint8_t>(d)};
}

struct SweepReport {
    int states = 0;   // stuck states the technique was called on
    int acting = 0;   // calls that changed something
    int unsound = 0;  // changes that contradict the solution
    int falseClaims = 0;  // calls whose result disagreed with whether anything changed
};

// Grades each puzzle with the rungs below level 6 and those from pair exclusion
// to `lastRung` only, pass by pass (the level-6 rungs before pair exclusion are
// left out so that the sweep sees the same states whichever of them exist).
// Whenever the rungs below level 6 are all stuck, `tech` is called on a copy of
// the state and its changes are checked against the solution.
inline SweepReport SweepStuckStates(const std::vector<std::pair<Grid, Grid>>& puzzles,
                                    const std::function<bool(GradeState&)>& tech,
                                    int lastRung = RungNo("BUG+1")) {
    constexpr int kFirstLevel6 = RungNo("Jellyfish");
    constexpr int kPairExclusion = RungNo("Pair Exclusion");
    SweepReport rep;
    for (const auto& [puzzle, solution] : puzzles) {
        GradeState s;
        ResetGradeState(s, puzzle);
        while (!IsSolved(s)) {
            int made = 0;
            for (int r = 1; r <= lastRung && made == 0; ++r) {
                if (r == kPairExclusion) {
                    GradeState t = s;
                    bool result = false;
                    const auto log = Changes(t, tech, &result);
                    ++rep.states;
                    if (!log.empty()) ++rep.acting;
                    if (result != !log.empty()) ++rep.falseClaims;
                    for (const Change& ch : log) {
                        if (Contradicts(ch, solution)) {
                            ++rep.unsound;
                            ADD_FAILURE() << "unsound change " << ch.kind << " r" << ch.cell / 9 + 1 << "c"
                                          << ch.cell % 9 + 1 << " digit " << int(ch.digit) << " in puzzle "
                                          << GridText(puzzle);
                        }
                    }
                }
                if (r >= kFirstLevel6 && r < kPairExclusion) continue;
                if (RunRung(s, r)) made = r;
            }
            if (made == 0) break;
        }
    }
    std::printf("stuck states %d, acting %d\n", rep.states, rep.acting);
    return rep;
}

// Sweeps the stuck states of the shared puzzles and 100 generated ones (from
// `seed`) with `tech`: no unsound change, progress reported exactly when
// something changed, and, when `mustAct`, at least one call that acted.
inline void ExpectSoundOnStuckStates(const std::function<bool(GradeState&)>& tech, std::uint64_t seed,
                                     bool mustAct = true) {
    auto puzzles = LoadSharedPuzzles();
    ASSERT_GE(puzzles.size(), 1000u);
    const auto generated = GeneratePuzzles(100, seed);
    puzzles.insert(puzzles.end(), generated.begin(), generated.end());
    const auto rep = SweepStuckStates(puzzles, tech);
    EXPECT_EQ(rep.unsound, 0);
    EXPECT_EQ(rep.falseClaims, 0);
    if (mustAct) {
        EXPECT_GT(rep.acting, 0);
    }
}

}  // namespace gw::test
