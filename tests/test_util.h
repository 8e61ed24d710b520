// Helpers shared by the test files, one of each: cells named from 1 ("r1c5",
// Cell(1, 5)), hand-made and random grading states, the puzzle files, the
// soundness check of a grading against a known solution, and the grader's walk
// up the ladder (WalkLadder) with the stuck states it passes through. The
// bodies of all but the templates and the smallest are in test_util.cpp.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <bitset>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <algorithm>
#include <random>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "generator/generator.h"
#include "grader/grader.h"
#include "model/state.h"

namespace gw::test {

// What runs a rung or a technique on its own: true when it changed something.
using RungFunction = bool (*)(GradeState&);

// Attaches a change log to a state while it lives, keeping the state's other
// hooks and settings; the state's run context is restored afterwards.
class LogTo {
public:
    LogTo(GradeState& s, std::vector<Change>& log) : s_(s), prev_(s.run), run_(prev_ != nullptr ? *prev_ : GradeRun{}) {
        run_.log = &log;
        s.run = &run_;
    }
    ~LogTo() { s_.run = prev_; }
    LogTo(const LogTo&) = delete;
    LogTo& operator=(const LogTo&) = delete;

private:
    GradeState& s_;
    GradeRun* prev_;
    GradeRun run_;
};

// 81 characters, digits and '.' or '0' for empty.
Grid ParseGrid(std::string_view text);

std::string GridText(const Grid& g);

// ---------------------------------------------------------------------------
// Cells and candidates, named as a player names them: rows and columns count from 1.

// The candidate mask of a digit string such as "137".
std::uint16_t Mask(std::string_view digits);

// The cell at a row and column counted from 1, as a change records it.
constexpr std::uint8_t Cell(int row, int col) { return static_cast<std::uint8_t>(9 * (row - 1) + col - 1); }

// The cell named like "r1c5" (row 1, column 5).
inline int CellNamed(std::string_view name) { return 9 * (name[1] - '1') + (name[3] - '1'); }

// The unit of row, column or box n, counted from 1 like the cells' names.
constexpr int Row(int n) { return RowUnit(n - 1); }
constexpr int Col(int n) { return ColUnit(n - 1); }
constexpr int Box(int n) { return BoxUnit(n - 1); }

// The name of a cell, like "r1c5".
std::string CellName(int cell);

// A complete valid grid used as the background of hand-made states.
inline constexpr const char* kBackground =
    "123456789456789123789123456214365897365897214897214365531642978642978531978531642";

// A grading state from text, then the listed cells ({"r1c5", "14"}) open with
// those candidates. The text is one of:
//   - a puzzle, 81 cells ('.' or '0' empty): its givens entered, the other
//     cells holding what they leave. MakeState(kBackground, open) is a solved
//     grid of givens but for the open cells: techniques that only read
//     candidates see nothing but the open cells take part;
//   - a candidate listing: 81 whitespace-separated tokens row by row, a
//     token of digits an unsolved cell's candidates and "=d" a given d ('|'
//     and lines of '-' or '+' are layout only, so a listing can be laid out
//     as a grid);
//   - one token for every cell: candidates ("123456789": every cell open), or
//     "=d" (every cell a given d, taking part in no pattern).
GradeState MakeState(std::string_view text,
                     std::initializer_list<std::pair<std::string_view, std::string_view>> cells = {});

// Opens the cell at row r, column c with the given candidates.
void Open(GradeState& s, int r, int c, std::string_view digits);

// Solves the cell at row r, column c with d as the grader would: not a given.
void Place(GradeState& s, int r, int c, int d);

// Puzzles with their solutions from tests/data ("puzzle solution" a line).
// A missing or empty file stops the test run: a sweep over zero puzzles would
// pass without checking anything.
std::vector<std::pair<Grid, Grid>> LoadSharedPuzzles(const std::string& file = "random.txt");

// The first `count` shared puzzles; fewer is a failure.
std::vector<std::pair<Grid, Grid>> FirstSharedPuzzles(std::size_t count);

// The shared puzzles, then `count` puzzles generated from `seed`, each with its solution.
std::vector<std::pair<Grid, Grid>> SharedAndGenerated(int count, std::uint64_t seed);

// A puzzle as clue removal leaves it: half-turn symmetric, its clues those of
// `solution`, the only solution, and no symmetric pair (or the centre) can go
// without losing uniqueness.
void ExpectSymmetricUniquePairMinimal(const Grid& puzzle, const Grid& solution);

// True when cell c is given exactly when cell 80 - c is.
bool IsSymmetric(const Grid& puzzle);

// True when a change contradicts the solution: another digit placed or tried, or the solution digit removed.
bool Contradicts(const Change& ch, const Grid& solution);

// Result of grading one puzzle with every change checked against its solution.
struct SoundnessReport {
    int level = 0;
    int unsound = 0;
    std::vector<Step> steps;
};

// Grades the puzzle and checks that every placement is the solution digit and
// no removal strikes the solution digit. Failures name the rung and the change.
SoundnessReport GradeAndCheck(const Grid& puzzle, const Grid& solution,
                              const RungSet& disabled = {});

// ---------------------------------------------------------------------------
// Rung selections for GradeState::disabledRungs (bit r set: rung r is off).

// Every rung from `first` to the top switched off, except `keep` (0: none).
RungSet RungsOffFrom(int first, int keep = 0);

// Every rung switched off but the singles, the subsets and `more`.
RungSet OnlySinglesSubsetsAnd(std::initializer_list<int> more = {});

// Exactly the listed rungs switched off.
RungSet RungsOff(std::initializer_list<int> rungs);

// The number of the rung a player's name stands for.
constexpr int RungNo(std::string_view player) { return RungNamed(player).number; }

// ---------------------------------------------------------------------------
// A rung at work in real gradings.

// How often a rung made progress over a set of checked gradings.
struct RungUse {
    int steps = 0;    // steps of the rung, over all gradings
    int unsound = 0;  // changes that contradict a solution, over all rungs
};

// Counts the steps of `rung` in checked gradings with `disabled` rungs off; stops past five unsound changes.
RungUse CountRungSteps(const std::vector<std::pair<Grid, Grid>>& puzzles, int rung,
                       const RungSet& disabled);

// Checked gradings with `disabled` rungs off are sound, and `rung` makes progress in some of them.
void ExpectSoundProgress(const std::vector<std::pair<Grid, Grid>>& puzzles, int rung,
                         const RungSet& disabled);

// Counts, up to `wanted`, full-ladder gradings in which `rung` changed something; every grading must be sound.
int GradingsUsingRung(const std::vector<std::pair<Grid, Grid>>& puzzles, int rung, int wanted);

// What a walk up the ladder does with a rung it is about to run.
enum class Then {
    Run,      // run it
    Skip,     // leave it out
    Restart,  // the visitor changed the state itself: begin the next pass at once
};

// The grader's walk up the ladder, by hand: each pass runs rungs 1 to below - 1
// in order until one changes something; the walk ends when the grid is solved
// (true) or a pass changes nothing (false). Before rung r is run, visit(r, s)
// may look at the state (a technique tried on a copy of it) and says what to do.
template <class Visit>
bool WalkLadder(GradeState& s, int below, Visit visit) {
    while (!IsSolved(s)) {
        bool progress = false;
        for (int r = 1; r < below && !progress; ++r) {
            const Then then = visit(r, s);
            if (then == Then::Restart)
                progress = true;
            else if (then == Then::Run)
                progress = RunRung(s, r);
        }
        if (!progress) return false;
    }
    return true;
}

// Runs the rungs numbered below `below` until they are all stuck; true when the grid got solved.
bool WalkLadder(GradeState& s, int below);

// The states of a grading in which the rungs below `below` are stuck, one after
// another: each goes to visit(s), which applies the rung under test to it and
// returns whether that changed something; the walk then goes on from there. At
// most `rounds` states.
template <class Visit>
void ForEachStuckState(const Grid& puzzle, int below, Visit visit, int rounds = 1 << 30) {
    GradeState s;
    ResetGradeState(s, puzzle);
    for (int round = 0; round < rounds && !WalkLadder(s, below); ++round)
        if (!visit(s)) break;
}

// The state a grading with the `off` rungs switched off ends in; its level to *level when given.
GradeState GradedWith(const Grid& puzzle, const RungSet& off, int* level = nullptr);

// Grades with `rung` and above off, expects every lower rung stuck, then runs `rung` and returns its changes.
std::vector<Change> RungWhereLowerRungsAreStuck(std::string_view puzzle, int rung);

// ---------------------------------------------------------------------------
// One technique call with its change log.

// Runs the rung with `log` attached; returns its result.
bool RunLogged(GradeState& s, const Rung& rung, std::vector<Change>& log);

// What one call of a technique returned and the changes it logged, in order.
template <typename R = bool>
struct Outcome {
    R progress{};
    std::vector<Change> changes;
};

// Calls technique(s) with a change log attached to s.
template <typename F>
auto Apply(GradeState& s, F&& technique) {
    Outcome<decltype(technique(s))> out;
    LogTo logging(s, out.changes);
    out.progress = technique(s);
    return out;
}

// The changes of one call, whose result must be `expected`.
template <typename F, typename R>
std::vector<Change> ChangesExpecting(GradeState& s, F&& technique, R expected) {
    auto out = Apply(s, technique);
    EXPECT_EQ(out.progress, expected);
    return std::move(out.changes);
}

// The changes of one call, whose result (also stored in *result) must say whether anything changed.
template <typename F>
std::vector<Change> ReportedChanges(GradeState& s, F&& technique, bool* result = nullptr) {
    auto out = Apply(s, technique);
    if (result != nullptr) *result = out.progress;
    EXPECT_EQ(out.progress, !out.changes.empty()) << "the result must say whether anything changed";
    return std::move(out.changes);
}

// One call of the technique on a position of a real grading makes exactly the
// `expected` changes, and none of them contradicts the solution.
template <typename F>
void ExpectRealPosition(std::string_view listing, std::string_view solution, F&& technique,
                        const std::vector<Change>& expected) {
    GradeState s = MakeState(listing);
    const Grid sol = ParseGrid(solution);
    const auto o = Apply(s, technique);
    EXPECT_TRUE(o.progress);
    EXPECT_EQ(o.changes, expected);
    for (const Change& ch : o.changes) EXPECT_FALSE(Contradicts(ch, sol)) << CellName(ch.cell);
}

// Calls the technique until it finds nothing (at most `calls` times); reported progress must change something.
template <typename F>
void CallUntilStuck(GradeState& s, F&& technique, int calls) {
    for (int i = 0; i < calls; ++i) {
        const std::uint64_t before = s.changes;
        if (!technique(s)) break;
        ASSERT_NE(s.changes, before);
    }
}

// ---------------------------------------------------------------------------
// Hand-made grading states of one digit (a whole grid comes from MakeState
// above), and edits.

// Sets where digit d is possible from an 81-cell map: 'x' possible, '.' not, other characters layout only.
void SetLayer(GradeState& s, int d, std::string_view map);

// What the cells of a picture hold besides its digit.
enum class Rest {
    Open,    // every cell also holds every other digit: only the picture's digit has conjugate pairs
    Solved,  // a cell without the digit is solved (a given 9); one with it holds the `with` digits too
};

// Digit d drawn as nine rows of nine characters: 'x' where d is a candidate,
// '.' where it is not (other characters are layout only).
GradeState Picture(int d, std::string_view pic, Rest rest = Rest::Open, std::string_view with = "");

// An open grid in which digit d is a candidate only in the listed cells, as OnlyAt places them.
GradeState Picture(int d, std::initializer_list<std::pair<int, int>> cells, bool transpose = false);

// Makes d a candidate only in the listed (row, column) cells ((column, row) with `transpose`).
void OnlyAt(GradeState& s, int d, std::initializer_list<std::pair<int, int>> cells, bool transpose = false);

// The candidates of the cell at row r, column c.
inline std::uint16_t Cands(const GradeState& s, int r, int c) { return s.CandMask[Cell(r, c)]; }

// The removal of d from the cell at row r, column c, as a change log records it.
inline Change Removed(int r, int c, int d) { return {'R', Cell(r, c), static_cast<std::uint8_t>(d)}; }

// A position met in a real grading with the rungs above the subsets switched off: its candidates and the solution.
inline constexpr std::string_view kPositionAfterSubsets = R"(
    149   1249  =3    | 259   589   58    | =7    458   =6
    4679  24679 467   | 25679 =3    5678  | 48    =1    58
    =5    67    =8    | =4    =1    67    | =2    39    39
    ------------------+-------------------+------------------
    =3    15679 167   | =8    =4    56    | 69    2679  279
    4689  4689  =2    | =1    =7    =3    | =5    4689  89
    4678  45678 467   | 56    =2    =9    | 3468  34678 =1
    ------------------+-------------------+------------------
    678   678   =5    | 379   89    =2    | =1    36789 =4
    1478  =3    147   | 579   =6    14    | 89    25789 25789
    =2    14    =9    | 357   58    14    | 368   35678 3578
)";
inline constexpr std::string_view kPositionAfterSubsetsSolution =
    "143298756926537418578416293391845672682173549457629381765982134834761925219354867";

// The candidates of the named cell as a digit string, like "137".
std::string CandsOf(const GradeState& s, std::string_view name);

// Each listed cell holds exactly the listed candidates ({"r1c5", "14"}).
void ExpectCands(const GradeState& s,
                 std::initializer_list<std::pair<std::string_view, std::string_view>> cells);

// The cells (named like "r8c7") that held digit d in `before` and no longer do in `after`.
std::vector<std::string> Lost(const GradeState& before, const GradeState& after, int d);

// The same state with a few candidates struck at random (never a cell's last).
GradeState Thinned(const GradeState& base, std::mt19937& rng);

// Random cells, contradictions included: 1/10 a placed digit, 1/10 no
// candidate, pairTenths/10 (0 to 8) two digits, the rest a random set in which
// each digit stands with a chance (2 to 7 tenths) drawn once for the grid.
GradeState RandomGrid(std::mt19937& rng, int pairTenths);

// Each rung on a copy of the state reports progress exactly when it changed something.
void ExpectProgressOnlyOnChange(const GradeState& s, std::initializer_list<const Rung*> rungs,
                                const std::string& where);

// What one call of a technique does, as far as anyone can see: the return
// code, the changes in order, the candidates and grid it leaves, and the number
// of search steps (one event-pump call each; a search cut-off makes their count
// part of the result).
struct ObservedCall {
    int code = 0;
    std::vector<Change> log;
    Masks cands{};
    Grid grid{};
    long steps = 0;
    bool operator==(const ObservedCall&) const = default;
};

template <class Fn>
ObservedCall Observe(const GradeState& base, Fn fn) {
    ObservedCall out;
    RunControl rc;
    rc.pumpEvery = 1;
    rc.pumpHook = [&out] { ++out.steps; };
    Yielder y(&rc);
    GradeState s = base;
    GradeRun run{.yield = &y, .log = &out.log};
    s.run = &run;
    out.code = fn(s);
    out.cands = s.CandMask;
    out.grid = s.SolveGrid;
    return out;
}

// The rung and a reference version of it, each called on a copy of `s`, do the same.
template <class Fn>
void ExpectSameCall(const GradeState& s, const Rung& rung, Fn reference, const std::string& where) {
    const ObservedCall got = Observe(s, rung.run);
    const ObservedCall want = Observe(s, reference);
    EXPECT_EQ(got.code, want.code) << where;
    EXPECT_EQ(got.steps, want.steps) << where;
    EXPECT_TRUE(got == want) << where;
}

// Sanitizer and debug builds walk every eighth shared puzzle only.
#ifdef NDEBUG
inline constexpr int kPuzzleStride = 1;
#else
inline constexpr int kPuzzleStride = 8;
#endif

// Walks the ladder by hand over the shared puzzles (the trial left out: a
// puzzle stuck below it ends there) and hands over every state in which one of
// `rungs` is called.
template <class Fn>
int ForEachLadderCall(const RungSet& off, const std::vector<int>& rungs, Fn fn) {
    const auto shared = LoadSharedPuzzles();
    int calls = 0;
    for (std::size_t i = 0; i < shared.size(); i += kPuzzleStride) {
        GradeState s;
        ResetGradeState(s, shared[i].first);
        GradeRun run{.disabledRungs = off};
        s.run = &run;
        WalkLadder(s, kRungCount, [&](int rung, const GradeState& at) {
            if (!off.test(static_cast<std::size_t>(rung)) &&
                std::find(rungs.begin(), rungs.end(), rung) != rungs.end()) {
                fn(rung, at, static_cast<int>(i));
                ++calls;
            }
            return Then::Run;
        });
    }
    return calls;
}

// As ForEachLadderCall, handing over each state and a copy of it thinned by `rng` (see Thinned), with
// words saying where it was met.
template <class Fn>
int ForEachLadderCallAndThinned(const RungSet& off, const std::vector<int>& rungs,
                                std::mt19937& rng, Fn fn) {
    return ForEachLadderCall(off, rungs, [&](int rung, const GradeState& s, int puzzle) {
        const std::string where = "puzzle " + std::to_string(puzzle) + " rung " + std::to_string(rung);
        fn(RungNumbered(rung), s, where);
        fn(RungNumbered(rung), Thinned(s, rng), where + " thinned");
    });
}

// One call of a technique on a copy of a state, its changes checked against the solution.
struct CheckedCall {
    bool progress = false;
    int changes = 0;
    int unsound = 0;          // changes that contradict the solution
    bool falseClaim = false;  // the result disagreed with whether anything changed
    int Failures() const { return unsound + (falseClaim ? 1 : 0); }
};

// Calls the technique on a copy of `s`; every unsound change and a result that
// does not say whether anything changed is a failure naming `name` and the puzzle.
CheckedCall CheckOnCopy(const GradeState& s, RungFunction technique, const Grid& solution, const Grid& puzzle,
                        const std::string& name = "technique");

// Grades `count` puzzles generated from `seed` with rung `from` and all above it
// off; on each state left stuck, calls each of `rungs` on a copy and checks its
// changes against the solution. Returns how many of those calls made progress.
int ProgressOnGeneratedStuckStates(std::initializer_list<const Rung*> rungs, int from, int count,
                                   std::uint64_t seed);

struct SweepReport {
    int states = 0;       // stuck states the technique was called on
    int acting = 0;       // calls that changed something
    int unsound = 0;      // changes that contradict the solution
    int falseClaims = 0;  // calls whose result disagreed with whether anything changed
};

// Grades each puzzle with the rungs below level 6 and those from pair exclusion
// to `lastRung` only, pass by pass (the level-6 rungs before pair exclusion are
// left out so that the sweep sees the same states whichever of them exist).
// Whenever the rungs below level 6 are all stuck, `tech` is called on a copy of
// the state and its changes are checked against the solution.
SweepReport SweepStuckStates(const std::vector<std::pair<Grid, Grid>>& puzzles, RungFunction tech,
                             int lastRung = RungNo("BUG+1"));

// Sweeps the stuck states of the shared puzzles and 100 generated ones (from
// `seed`) with `tech`: no unsound change, progress reported exactly when
// something changed, and, when `mustAct`, at least one call that acted.
void ExpectSoundOnStuckStates(RungFunction tech, std::uint64_t seed, bool mustAct = true);

}  // namespace gw::test

namespace gw::test {

// The same puzzle in disguise: digits relabelled, rows permuted within bands
// and columns within stacks, bands and stacks permuted, and maybe transposed.
Grid RandomDisguise(const Grid& g, std::mt19937& rng);

}  // namespace gw::test

namespace gw::test {

struct CommandResult {
    int status = -1;  // exit status, -1 when it did not exit normally
    std::string out;  // standard output
};

// Runs a shell command; standard error is dropped.
CommandResult RunCommand(const std::string& command);

// The gridwick command line with arguments (a shell command tail).
CommandResult RunGridwick(const std::string& args);

}  // namespace gw::test
