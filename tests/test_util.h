// Helpers shared by the test files, one of each: cells named from 1 ("r1c5",
// Cell(1, 5)), hand-made and random grading states, the puzzle files, the
// soundness check of a grading against a known solution, and the grader's walk
// up the ladder (WalkLadder) with the stuck states it passes through.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <bitset>
#include <cstdio>
#include <algorithm>
#include <random>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "generator/generator.h"
#include "grader/grader.h"
#include "model/state.h"

namespace gw::test {

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
inline Grid ParseGrid(std::string_view text) {
    Grid g{};
    int n = 0;
    for (char ch : text) {
        if (n == 81) break;
        if (ch >= '1' && ch <= '9') g[n++] = static_cast<std::uint8_t>(ch - '0');
        else if (ch == '.' || ch == '0') g[n++] = 0;
    }
    EXPECT_EQ(n, 81) << "grid text too short: " << text;
    return g;
}

inline std::string GridText(const Grid& g) {
    std::string s(81, '.');
    for (int c = 0; c < 81; ++c)
        if (g[c]) s[c] = static_cast<char>('0' + g[c]);
    return s;
}

// ---------------------------------------------------------------------------
// Cells and candidates, named as a player names them: rows and columns count from 1.

// The candidate mask of a digit string such as "137".
inline std::uint16_t Mask(std::string_view digits) {
    std::uint16_t m = 0;
    for (char ch : digits) m |= DigitBit(ch - '0');
    return m;
}

// The cell at a row and column counted from 1, as a change records it.
constexpr std::uint8_t Cell(int row, int col) { return static_cast<std::uint8_t>(9 * (row - 1) + col - 1); }

// The cell named like "r1c5" (row 1, column 5).
inline int CellNamed(std::string_view name) { return 9 * (name[1] - '1') + (name[3] - '1'); }

// The unit of row, column or box n, counted from 1 like the cells' names.
constexpr int Row(int n) { return RowUnit(n - 1); }
constexpr int Col(int n) { return ColUnit(n - 1); }
constexpr int Box(int n) { return BoxUnit(n - 1); }

// The name of a cell, like "r1c5".
inline std::string CellName(int cell) {
    return {'r', static_cast<char>('1' + cell / 9), 'c', static_cast<char>('1' + cell % 9)};
}

// A grading state from a readable candidate listing: 81 whitespace-separated
// tokens row by row; a token of digits is an unsolved cell's candidate set and
// "=d" a cell that holds d. '|' and lines of '-' or '+' are ignored, so a
// listing can be laid out as a grid.
inline GradeState FromCandidates(std::string_view listing) {
    GradeState s;
    std::istringstream in{std::string(listing)};
    std::string tok;
    int cell = 0;
    while (in >> tok) {
        if (tok.find_first_not_of("|-+") == std::string::npos) continue;
        if (cell >= 81) {
            ADD_FAILURE() << "more than 81 cells in listing";
            break;
        }
        if (tok[0] == '=') {
            s.SolveGrid[cell] = static_cast<std::uint8_t>(tok[1] - '0');
            s.CandMask[cell] = 0;
            s.Givens[cell] = s.SolveGrid[cell];
        } else {
            std::uint16_t m = 0;
            for (char ch : tok)
                if (ch >= '1' && ch <= '9') m |= DigitBit(ch - '0');
            s.CandMask[cell] = m;
        }
        ++cell;
    }
    EXPECT_EQ(cell, 81) << "listing must have 81 cells";
    return s;
}

// The grading state right after the givens of a puzzle are entered.
inline GradeState FromPuzzle(std::string_view text) {
    GradeState s;
    ResetGradeState(s, ParseGrid(text));
    return s;
}

// Puzzles with their solutions from tests/data ("puzzle solution" a line).
// A missing or empty file stops the test run: a sweep over zero puzzles would
// pass without checking anything.
inline std::vector<std::pair<Grid, Grid>> LoadSharedPuzzles(const std::string& file = "random.txt") {
    std::vector<std::pair<Grid, Grid>> out;
    const std::string path = std::string(GRIDWICK_TEST_DATA) + "/" + file;
    std::ifstream in(path);
    if (!in) throw std::runtime_error("test data missing: " + path);
    std::string p, sol;
    while (in >> p >> sol) out.emplace_back(ParseGrid(p), ParseGrid(sol));
    if (out.empty()) throw std::runtime_error("test data holds no puzzle: " + path);
    return out;
}

// The first `count` shared puzzles; fewer is a failure.
inline std::vector<std::pair<Grid, Grid>> FirstSharedPuzzles(std::size_t count) {
    auto puzzles = LoadSharedPuzzles();
    EXPECT_GE(puzzles.size(), count);
    puzzles.resize(std::min(puzzles.size(), count));
    return puzzles;
}

// Generates `count` puzzles with their solutions from a fixed seed.
inline std::vector<std::pair<Grid, Grid>> GeneratePuzzles(int count, std::uint64_t seed) {
    std::vector<std::pair<Grid, Grid>> out;
    GenState g;
    g.rng.Seed(seed);
    Yielder y;
    for (int i = 0; i < count; ++i) {
        BuildSolutionGrid(g, y);
        RemoveClues(g, y);
        out.emplace_back(g.Puzzle, g.Solution);
    }
    return out;
}

// The shared puzzles, then `count` puzzles generated from `seed`, each with its solution.
inline std::vector<std::pair<Grid, Grid>> SharedAndGenerated(int count, std::uint64_t seed) {
    auto puzzles = LoadSharedPuzzles();
    const auto generated = GeneratePuzzles(count, seed);
    puzzles.insert(puzzles.end(), generated.begin(), generated.end());
    return puzzles;
}

// A puzzle as clue removal leaves it: half-turn symmetric, its clues those of
// `solution`, the only solution, and no symmetric pair (or the centre) can go
// without losing uniqueness.
inline void ExpectSymmetricUniquePairMinimal(const Grid& puzzle, const Grid& solution) {
    Grid found{};
    ASSERT_EQ(CountSolutions(puzzle, 2, &found), 1) << GridText(puzzle);
    EXPECT_EQ(found, solution);
    for (int c = 0; c <= 40; ++c) {
        ASSERT_EQ(puzzle[c] == 0, puzzle[80 - c] == 0) << "not symmetric at " << c << ": " << GridText(puzzle);
        if (puzzle[c] == 0) continue;
        EXPECT_EQ(puzzle[c], solution[c]);
        Grid less = puzzle;
        less[c] = less[80 - c] = 0;
        EXPECT_FALSE(HasUniqueSolution(less)) << "pair " << c << " could still be removed: " << GridText(puzzle);
    }
}

// True when a change contradicts the solution: another digit placed or tried, or the solution digit removed.
inline bool Contradicts(const Change& ch, const Grid& solution) {
    return (ch.kind == 'P' || ch.kind == 'T') ? solution[ch.cell] != ch.digit : solution[ch.cell] == ch.digit;
}

// Result of grading one puzzle with every change checked against its solution.
struct SoundnessReport {
    int level = 0;
    int unsound = 0;
    std::vector<Step> steps;
};

// Grades the puzzle and checks that every placement is the solution digit and
// no removal strikes the solution digit. Failures name the rung and the change.
inline SoundnessReport GradeAndCheck(const Grid& puzzle, const Grid& solution,
                                     const std::bitset<kRungCount + 1>& disabled = {}) {
    SoundnessReport rep;
    GradeState s;
    GradeRun run{.disabledRungs = disabled};
    s.run = &run;
    rep.level = GradePuzzle(s, puzzle, &rep.steps);
    s.run = nullptr;
    for (const Step& st : rep.steps) {
        for (const Change& ch : st.changes) {
            if (Contradicts(ch, solution)) {
                ++rep.unsound;
                ADD_FAILURE() << "rung " << st.rung << " (" << st.name << ") made unsound change " << ch.kind << " "
                              << CellName(ch.cell) << " digit " << int(ch.digit) << " in puzzle " << GridText(puzzle);
            }
        }
    }
    if (rep.level >= 1 && rep.level <= 8) {
        EXPECT_EQ(s.SolveGrid, solution) << "solved grid differs from the solution: " << GridText(puzzle);
    }
    return rep;
}

// ---------------------------------------------------------------------------
// Rung selections for GradeState::disabledRungs (bit r set: rung r is off).

// Every rung from `first` to the top switched off, except `keep` (0: none).
inline std::bitset<kRungCount + 1> RungsOffFrom(int first, int keep = 0) {
    std::bitset<kRungCount + 1> off;
    for (int r = first; r <= kRungCount; ++r) off.set(static_cast<std::size_t>(r));
    if (keep != 0) off.reset(static_cast<std::size_t>(keep));
    return off;
}

// Every rung switched off but the singles, the subsets and `more`.
inline std::bitset<kRungCount + 1> OnlySinglesSubsetsAnd(std::initializer_list<int> more = {}) {
    std::bitset<kRungCount + 1> off;
    for (const Rung& r : kLadder) {
        const std::string_view t = r.technique;
        if (t != "TryHiddenSingle" && t != "TryNakedSingle" && t != "TrySubset")
            off.set(static_cast<std::size_t>(r.number));
    }
    for (int r : more) off.reset(static_cast<std::size_t>(r));
    return off;
}

// Exactly the listed rungs switched off.
inline std::bitset<kRungCount + 1> RungsOff(std::initializer_list<int> rungs) {
    std::bitset<kRungCount + 1> off;
    for (int r : rungs) off.set(static_cast<std::size_t>(r));
    return off;
}

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
inline RungUse CountRungSteps(const std::vector<std::pair<Grid, Grid>>& puzzles, int rung,
                              const std::bitset<kRungCount + 1>& disabled) {
    RungUse use;
    for (const auto& [puzzle, solution] : puzzles) {
        const auto rep = GradeAndCheck(puzzle, solution, disabled);
        use.unsound += rep.unsound;
        for (const Step& st : rep.steps) use.steps += st.rung == rung;
        if (use.unsound > 5) break;
    }
    std::printf("rung %d made progress %d times in %zu gradings\n", rung, use.steps, puzzles.size());
    return use;
}

// Checked gradings with `disabled` rungs off are sound, and `rung` makes progress in some of them.
inline void ExpectSoundProgress(const std::vector<std::pair<Grid, Grid>>& puzzles, int rung,
                                const std::bitset<kRungCount + 1>& disabled) {
    const RungUse use = CountRungSteps(puzzles, rung, disabled);
    EXPECT_EQ(use.unsound, 0);
    EXPECT_GT(use.steps, 0) << "the rung never made progress";
}

// Counts, up to `wanted`, full-ladder gradings in which `rung` changed something; every grading must be sound.
inline int GradingsUsingRung(const std::vector<std::pair<Grid, Grid>>& puzzles, int rung, int wanted) {
    int found = 0;
    for (const auto& [puzzle, solution] : puzzles) {
        const auto rep = GradeAndCheck(puzzle, solution);
        EXPECT_EQ(rep.unsound, 0);
        for (const Step& st : rep.steps) {
            if (st.rung != rung) continue;
            EXPECT_FALSE(st.changes.empty());
            ++found;
            break;
        }
        if (found >= wanted) break;
    }
    return found;
}

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
inline bool WalkLadder(GradeState& s, int below) {
    return WalkLadder(s, below, [](int, const GradeState&) { return Then::Run; });
}

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
inline GradeState GradedWith(const Grid& puzzle, const std::bitset<kRungCount + 1>& off, int* level = nullptr) {
    GradeState s;
    GradeRun run{.disabledRungs = off};
    s.run = &run;
    const int l = GradePuzzle(s, puzzle);
    if (level != nullptr) *level = l;
    s.run = nullptr;
    return s;
}

// The state where the singles and subsets are stuck on the puzzle, no rung left off.
inline GradeState StuckAfterSinglesAndSubsets(const Grid& puzzle) {
    return GradedWith(puzzle, OnlySinglesSubsetsAnd());
}

// Grades with `rung` and above off, expects every lower rung stuck, then runs `rung` and returns its changes.
inline std::vector<Change> RungWhereLowerRungsAreStuck(std::string_view puzzle, int rung) {
    int level = 0;
    GradeState s = GradedWith(ParseGrid(puzzle), RungsOffFrom(rung), &level);
    EXPECT_EQ(level, 9);
    for (int r = 1; r < rung; ++r) EXPECT_FALSE(RunRung(s, r)) << "rung " << r;
    std::vector<Change> log;
    LogTo logging(s, log);
    EXPECT_TRUE(RunRung(s, rung));
    return log;
}

// ---------------------------------------------------------------------------
// One technique call with its change log.

// Runs the rung with `log` attached; returns its result.
inline bool RunLogged(GradeState& s, const Rung& rung, std::vector<Change>& log) {
    LogTo logging(s, log);
    return rung.run(s);
}

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
    GradeState s = FromCandidates(listing);
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
// Hand-made grading states.

// Every cell unsolved with all nine candidates.
inline GradeState OpenGrid() {
    GradeState s;
    s.CandMask.fill(kAllDigits);
    return s;
}

// Every cell unsolved holding the `filler` digits, except the listed cells ({"r1c5", "14"}).
inline GradeState Filled(std::string_view filler,
                         std::initializer_list<std::pair<std::string_view, std::string_view>> cells = {}) {
    GradeState s;
    s.CandMask.fill(Mask(filler));
    for (const auto& [name, digits] : cells) s.CandMask[CellNamed(name)] = Mask(digits);
    return s;
}

// Sets the cell's candidates to a digit string.
inline void SetCell(GradeState& s, int cell, std::string_view digits) { s.CandMask[cell] = Mask(digits); }

// Sets where digit d is possible from an 81-cell map: 'x' possible, '.' not, other characters layout only.
inline void SetLayer(GradeState& s, int d, std::string_view map) {
    int cell = 0;
    for (char ch : map) {
        if (ch != 'x' && ch != '.') continue;
        if (ch == 'x') s.CandMask[cell] |= DigitBit(d);
        else s.CandMask[cell] &= static_cast<std::uint16_t>(~DigitBit(d));
        ++cell;
    }
    ASSERT_EQ(cell, 81);
}

// What the cells of a picture hold besides its digit.
enum class Rest {
    Open,    // every cell also holds every other digit: only the picture's digit has conjugate pairs
    Solved,  // a cell without the digit is solved (a given 9); one with it holds the `with` digits too
};

// Digit d drawn as nine rows of nine characters: 'x' where d is a candidate,
// '.' where it is not (other characters are layout only).
inline GradeState Picture(int d, std::string_view pic, Rest rest = Rest::Open, std::string_view with = "") {
    GradeState s = OpenGrid();
    SetLayer(s, d, pic);
    if (rest == Rest::Open) return s;
    for (int c = 0; c < 81; ++c) {
        if (s.CandFlags(c, d)) {
            s.CandMask[c] = static_cast<std::uint16_t>(DigitBit(d) | Mask(with));
        } else {
            s.SolveGrid[c] = s.Givens[c] = 9;
            s.CandMask[c] = 0;
        }
    }
    return s;
}

// Makes d a candidate only in the listed (row, column) cells ((column, row) with `transpose`).
inline void OnlyAt(GradeState& s, int d, std::initializer_list<std::pair<int, int>> cells, bool transpose = false) {
    for (int cell = 0; cell < 81; ++cell) s.CandMask[cell] &= static_cast<std::uint16_t>(~DigitBit(d));
    for (auto [r, c] : cells) s.CandMask[transpose ? Cell(c, r) : Cell(r, c)] |= DigitBit(d);
}

// An open grid in which digit d is a candidate only in the listed cells, as OnlyAt places them.
inline GradeState DigitOnlyAt(int d, std::initializer_list<std::pair<int, int>> cells, bool transpose = false) {
    GradeState s = OpenGrid();
    OnlyAt(s, d, cells, transpose);
    return s;
}

// Only the listed cells ("r1c5" with "14") open; every other cell holds a 9 and takes part in no pattern.
inline GradeState Sparse(std::initializer_list<std::pair<const char*, const char*>> cells) {
    GradeState s;
    s.SolveGrid.fill(9);
    s.CandMask.fill(0);
    for (const auto& [name, digits] : cells) {
        const int c = CellNamed(name);
        s.SolveGrid[c] = 0;
        s.CandMask[c] = Mask(digits);
    }
    return s;
}

// A complete valid grid used as the background of hand-made states.
inline constexpr const char* kBackground =
    "123456789456789123789123456214365897365897214897214365531642978642978531978531642";

// Every cell solved from kBackground and marked as a given, except the listed
// cells ({"r1c5", "14"}), open with their candidates. Techniques that only read
// candidates see a grid in which nothing but the open cells takes part.
inline GradeState OnSolvedGrid(std::initializer_list<std::pair<std::string_view, std::string_view>> open) {
    GradeState s;
    s.SolveGrid = ParseGrid(kBackground);
    s.Givens = s.SolveGrid;
    s.CandMask.fill(0);
    for (const auto& [name, digits] : open) {
        const int cell = CellNamed(name);
        s.SolveGrid[cell] = s.Givens[cell] = 0;
        s.CandMask[cell] = Mask(digits);
    }
    return s;
}

// Opens the cell at row r, column c with the given candidates.
inline void Open(GradeState& s, int r, int c, std::string_view digits) {
    const int cell = Cell(r, c);
    s.SolveGrid[cell] = 0;
    s.Givens[cell] = 0;
    s.CandMask[cell] = Mask(digits);
}

// Solves the cell at row r, column c with d as the grader would: not a given.
inline void Place(GradeState& s, int r, int c, int d) {
    const int cell = Cell(r, c);
    s.SolveGrid[cell] = static_cast<std::uint8_t>(d);
    s.Givens[cell] = 0;
    s.CandMask[cell] = 0;
}

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
inline std::string CandsOf(const GradeState& s, std::string_view name) {
    std::string out;
    for (int d = 1; d <= 9; ++d)
        if (s.CandFlags(CellNamed(name), d)) out += static_cast<char>('0' + d);
    return out;
}

// Each listed cell holds exactly the listed candidates ({"r1c5", "14"}).
inline void ExpectCands(const GradeState& s,
                        std::initializer_list<std::pair<std::string_view, std::string_view>> cells) {
    for (const auto& [name, digits] : cells) EXPECT_EQ(CandsOf(s, name), digits) << name;
}

// The cells (named like "r8c7") that held digit d in `before` and no longer do in `after`.
inline std::vector<std::string> Lost(const GradeState& before, const GradeState& after, int d) {
    std::vector<std::string> out;
    for (int c = 0; c < 81; ++c)
        if (before.CandFlags(c, d) && !after.CandFlags(c, d)) out.push_back(CellName(c));
    return out;
}

// The same state with a few candidates struck at random (never a cell's last).
inline GradeState Thinned(const GradeState& base, std::mt19937& rng) {
    GradeState s = base;
    for (int n = 0; n < 6; ++n) {
        const int c = static_cast<int>(rng() % 81);
        const int d = 1 + static_cast<int>(rng() % 9);
        if (s.CandFlags(c, d) && BitCount[s.CandMask[c]] > 1) s.CandMask[c] &= static_cast<std::uint16_t>(~DigitBit(d));
    }
    return s;
}

// Random cells, contradictions included: 1/10 a placed digit, pairTenths/10 two digits, the rest any mask.
inline GradeState RandomCandidates(Rng& rng, int pairTenths) {
    GradeState s;
    for (int c = 0; c < 81; ++c) {
        const int kind = rng.Below(10);
        if (kind == 0) s.SolveGrid[c] = static_cast<std::uint8_t>(1 + rng.Below(9));
        else if (kind <= pairTenths)
            s.CandMask[c] = static_cast<std::uint16_t>(DigitBit(1 + rng.Below(9)) | DigitBit(1 + rng.Below(9)));
        else s.CandMask[c] = static_cast<std::uint16_t>(rng.Below(512));
    }
    return s;
}

// Random cells, contradictions included: 1/10 a placed digit, 1/10 no
// candidate, with `pairs` 1/10 two digits, the rest a random set in which each
// digit stands with a chance (2 to 7 tenths) drawn once for the grid.
inline GradeState RandomGrid(std::mt19937& rng, bool pairs) {
    GradeState s;
    const unsigned density = 2 + rng() % 6;
    for (int c = 0; c < 81; ++c) {
        const unsigned kind = rng() % 10;
        if (kind == 0) {
            s.SolveGrid[c] = static_cast<std::uint8_t>(1 + rng() % 9);
        } else if (kind == 1) {
            s.CandMask[c] = 0;
        } else if (kind == 2 && pairs) {
            s.CandMask[c] = DigitBit(1 + static_cast<int>(rng() % 9)) | DigitBit(1 + static_cast<int>(rng() % 9));
        } else {
            std::uint16_t m = 0;
            for (int d = 1; d <= 9; ++d)
                if (rng() % 10 < density) m |= DigitBit(d);
            s.CandMask[c] = m;
        }
    }
    return s;
}

// Each rung on a copy of the state reports progress exactly when it changed something.
inline void ExpectProgressOnlyOnChange(const GradeState& s, std::initializer_list<const Rung*> rungs,
                                       const std::string& where) {
    for (const Rung* rung : rungs) {
        GradeState t = s;
        const std::uint64_t before = t.changes;
        const bool r = rung->run(t);
        EXPECT_EQ(r, t.changes != before) << where << " " << rung->player;
    }
}

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
int ForEachLadderCall(const std::bitset<kRungCount + 1>& off, std::initializer_list<int> rungs, Fn fn) {
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
int ForEachLadderCallAndThinned(const std::bitset<kRungCount + 1>& off, std::initializer_list<int> rungs,
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
template <class F>
CheckedCall CheckOnCopy(const GradeState& s, F&& technique, const Grid& solution, const Grid& puzzle,
                        const std::string& name = "technique") {
    GradeState copy = s;
    const auto out = Apply(copy, technique);
    CheckedCall call{.progress = static_cast<bool>(out.progress), .changes = static_cast<int>(out.changes.size())};
    if (call.progress != !out.changes.empty()) {
        call.falseClaim = true;
        ADD_FAILURE() << name << " reported " << call.progress << " with " << call.changes << " changes in "
                      << GridText(puzzle);
    }
    for (const Change& ch : out.changes) {
        if (!Contradicts(ch, solution)) continue;
        ++call.unsound;
        ADD_FAILURE() << name << " made unsound change " << ch.kind << " " << CellName(ch.cell) << " digit "
                      << int(ch.digit) << " in puzzle " << GridText(puzzle);
    }
    return call;
}

// Grades `count` puzzles generated from `seed` with rung `from` and all above it
// off; on each state left stuck, calls each of `rungs` on a copy and checks its
// changes against the solution. Returns how many of those calls made progress.
inline int ProgressOnGeneratedStuckStates(std::initializer_list<const Rung*> rungs, int from, int count,
                                          std::uint64_t seed) {
    int progress = 0;
    for (const auto& [puzzle, solution] : GeneratePuzzles(count, seed)) {
        int level = 0;
        const GradeState stuck = GradedWith(puzzle, RungsOffFrom(from), &level);
        if (level != 9) continue;
        for (const Rung* rung : rungs)
            progress += CheckOnCopy(stuck, rung->run, solution, puzzle, rung->player).progress;
    }
    return progress;
}

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
template <class F>
SweepReport SweepStuckStates(const std::vector<std::pair<Grid, Grid>>& puzzles, F&& tech,
                             int lastRung = RungNo("BUG+1")) {
    constexpr int kFirstLevel6 = RungNo("Jellyfish");
    constexpr int kPairExclusion = RungNo("Pair Exclusion");
    SweepReport rep;
    for (const auto& [puzzle, solution] : puzzles) {
        GradeState s;
        ResetGradeState(s, puzzle);
        WalkLadder(s, lastRung + 1, [&](int r, const GradeState& at) {
            if (r == kPairExclusion) {
                const CheckedCall call = CheckOnCopy(at, tech, solution, puzzle);
                ++rep.states;
                rep.acting += call.changes > 0;
                rep.unsound += call.unsound;
                rep.falseClaims += call.falseClaim;
            }
            return r >= kFirstLevel6 && r < kPairExclusion ? Then::Skip : Then::Run;
        });
    }
    std::printf("stuck states %d, acting %d\n", rep.states, rep.acting);
    return rep;
}

// Sweeps the stuck states of the shared puzzles and 100 generated ones (from
// `seed`) with `tech`: no unsound change, progress reported exactly when
// something changed, and, when `mustAct`, at least one call that acted.
template <class F>
void ExpectSoundOnStuckStates(F&& tech, std::uint64_t seed, bool mustAct = true) {
    const auto puzzles = SharedAndGenerated(100, seed);
    ASSERT_GE(puzzles.size(), 1100u);
    const auto rep = SweepStuckStates(puzzles, tech);
    EXPECT_EQ(rep.unsound, 0);
    EXPECT_EQ(rep.falseClaims, 0);
    if (mustAct) {
        EXPECT_GT(rep.acting, 0);
    }
}

}  // namespace gw::test

namespace gw::test {

// The same puzzle in disguise: digits relabelled, rows permuted within bands
// and columns within stacks, bands and stacks permuted, and maybe transposed.
inline Grid RandomDisguise(const Grid& g, std::mt19937& rng) {
    auto shuffled = [&](int n) {
        std::vector<int> v(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) v[static_cast<std::size_t>(i)] = i;
        std::shuffle(v.begin(), v.end(), rng);
        return v;
    };
    auto lineOrder = [&] {
        std::vector<int> order;
        for (int band : shuffled(3))
            for (int k : shuffled(3)) order.push_back(3 * band + k);
        return order;
    };
    const std::vector<int> rows = lineOrder(), cols = lineOrder(), digits = shuffled(9);
    const bool transpose = rng() & 1;
    Grid out{};
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c) {
            const int src = transpose ? cols[static_cast<std::size_t>(c)] * 9 + rows[static_cast<std::size_t>(r)]
                                      : rows[static_cast<std::size_t>(r)] * 9 + cols[static_cast<std::size_t>(c)];
            const int d = g[static_cast<std::size_t>(src)];
            out[static_cast<std::size_t>(r * 9 + c)] =
                static_cast<std::uint8_t>(d == 0 ? 0 : 1 + digits[static_cast<std::size_t>(d - 1)]);
        }
    return out;
}

}  // namespace gw::test

namespace gw::test {

struct CommandResult {
    int status = -1;  // exit status, -1 when it did not exit normally
    std::string out;  // standard output
};

// Runs a shell command; standard error is dropped.
inline CommandResult RunCommand(const std::string& command) {
    CommandResult r;
    FILE* p = ::popen((command + " 2>/dev/null").c_str(), "r");
    if (p == nullptr) return r;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    const int st = ::pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

// The gridwick command line with arguments (a shell command tail).
inline CommandResult RunGridwick(const std::string& args) {
    return RunCommand(std::string("'") + GRIDWICK_CLI + "' " + args);
}

}  // namespace gw::test
