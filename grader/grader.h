// The grading driver: walks the ladder of 42 rungs, restarting at rung 1 after
// every step that makes progress, and returns the level of the puzzle.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "grader/ladder.h"
#include "model/levels.h"
#include "model/state.h"

namespace gw {

// One ladder pass that made progress.
struct Step {
    int rung = 0;
    std::string name;  // player's name, refined by the rung's own note when it gave one
    std::vector<Change> changes;
    Pattern pattern;   // what the rung saw (recorded only when steps are asked for)
    // A bivalue trial's own steps, filled by ExplainTrial (grader/trial_explain.h):
    // those by which the cell's other candidate meets its contradiction, and
    // those by which the ladder fills the grid from the kept assumption.
    std::vector<Step> refutation{};
    std::vector<Step> fill{};
    StepSize size{};  // how big its pattern was, for the difficulty score (grader/score.h)
};

// Grades `puzzle`: 1..8 when the ladder solved it, 9 when it got stuck, 0 when
// halted. When `steps` is given, every pass that made progress is recorded.
int GradePuzzle(GradeState& s, const Grid& puzzle, std::vector<Step>* steps = nullptr);

// Grades from a solver's position (model/state.h) instead of the bare puzzle:
// the same climb, from the digits and pencil marks found there. With
// `stepLimit`, the grading ends once that many steps are recorded (a hint
// needs only the first) and returns the level reached so far. A position
// whose marks or digits contradict the solution is the caller's to refuse
// (see PositionError): the rungs take every mark for the truth.
int GradeFrom(GradeState& s, const Position& from, std::vector<Step>* steps,
              std::size_t stepLimit = static_cast<std::size_t>(-1));

// Why a position cannot lead to `solution`, the puzzle's: the first filled
// cell whose digit is wrong ("r3c4 holds 5, which is wrong"), else the first
// open cell whose marks lack its digit ("the candidate 7 of r2c2 was
// removed, but it is that cell's digit"). Empty when the position is sound.
std::string PositionError(const Position& from, const Grid& solution);

// What a search that only ranks puzzles needs of a grading, without the cost of
// recording steps: the rung of every pass that made progress. The grading may
// end early, once the level has risen above `stopAbove`: the level is then
// known to be at least the one returned (which is above `stopAbove`), the
// rungs are those of the passes so far, and `stopped` is set.
struct GradeTrace {
    std::vector<int> rungs;
    std::vector<StepSize> sizes;  // of the same passes, for the difficulty score (grader/score.h)
    int stopAbove = 9;
    bool stopped = false;
};

// The same grading as above; fills `trace` (its rungs are cleared first).
int GradePuzzle(GradeState& s, const Grid& puzzle, GradeTrace& trace);

// GradeFrom, filling `trace` as GradePuzzle does (for the score).
int GradeFrom(GradeState& s, const Position& from, std::vector<Step>* steps, GradeTrace& trace);

// Both at once: the steps when `steps` is given, and the trace.
int GradePuzzle(GradeState& s, const Grid& puzzle, std::vector<Step>* steps, GradeTrace& trace);

// The last rung, BivalueTrial (declared with the techniques), assumes each
// candidate of each two-candidate cell in turn (digits 1..9, cells 0..80) and
// keeps the first assumption with which the other rungs fill the whole grid.

// Places the digit and runs rungs 1..41 until the grid is full (true, the state
// stays solved) or they get stuck (false, the state is restored).
bool TrialSolve(GradeState& s, int digit, int cell);

// Runs one rung (1..42) with the driver's reading of its result, honouring
// disabled rungs and counting a reported progress that changed nothing as none.
bool RunRung(GradeState& s, int rung);

// Parses a --without list: rung numbers, ranges ("20-25") and names (a rung's
// player's name, technique name or alias; case and punctuation ignored),
// separated by commas. Returns false and fills `error` on an unknown item.
bool ParseRungList(std::string_view text, RungSet& out, std::string& error);

}  // namespace gw
