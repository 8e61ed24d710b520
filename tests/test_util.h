// Helpers shared by the test files: readable grading states, puzzle files and
// the soundness check of a grading against a known solution.
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
                ADD_FAILURE() << "rung " << st.rung << " (" << st.name << ") made unsound change " << ch.kind
                              << " r" << ch.cell / 9 + 1 << "c" << ch.cell % 9 + 1 << " digit " << int(ch.digit)
                              << " in puzzle " << GridText(puzzle);
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

// Runs the rungs numbered below `below` until they are all stuck; true when the grid got solved.
inline bool RunLowerRungs(GradeState& s, int below) {
    for (;;) {
        if (IsSolved(s)) return true;
        bool progress = false;
        for (int r = 1; r < below && !progress; ++r) progress = RunRung(s, r);
        if (!progress) return false;
    }
}

// The state where the singles and subsets are stuck on the puzzle, no rung left off.
inline GradeState StuckAfterSinglesAndSubsets(const Grid& puzzle) {
    GradeState s;
    GradeRun run{.disabledRungs = OnlySinglesSubsetsAnd()};
    s.run = &run;
    GradePuzzle(s, puzzle);
    s.run = nullptr;
    return s;
}

// Grades with `rung` and above off, expects every lower rung stuck, then runs `rung` and returns its changes.
inline std::vector<Change> RungWhereLowerRungsAreStuck(std::string_view puzzle, int rung) {
    GradeState s;
    GradeRun run{.disabledRungs = RungsOffFrom(rung)};
    s.run = &run;
    EXPECT_EQ(GradePuzzle(s, ParseGrid(puzzle)), 9);
    s.run = nullptr;
    for (int r = 1; r < rung; ++r) EXPECT_FALSE(RunRung(s, r)) << "rung " << r;
    std::vector<Change> log;
    LogTo logging(s, log);
    EXPECT_TRUE(RunRung(s, rung));
    return log;
}

// ---------------------------------------------------------------------------
// One technique call with its change log.

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

// Every cell unsolved with all nine candidates.
inline GradeState OpenGrid() {
    GradeState s;
    s.CandMask.fill(kAllDigits);
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

// Makes d a candidate only in the listed 0-based (row, column) cells ((column, row) with `transpose`).
inline void OnlyAt(GradeState& s, int d, std::initializer_list<std::pair<int, int>> cells, bool transpose = false) {
    for (int cell = 0; cell < 81; ++cell) s.CandMask[cell] &= static_cast<std::uint16_t>(~DigitBit(d));
    for (auto [r, c] : cells) s.CandMask[transpose ? CellAt[c][r] : CellAt[r][c]] |= DigitBit(d);
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

// The cells (named like "r8c7") that held digit d in `before` and no longer do in `after`.
inline std::vector<std::string> Lost(const GradeState& before, const GradeState& after, int d) {
    std::vector<std::string> out;
    for (int c = 0; c < 81; ++c)
        if (before.CandFlags(c, d) && !after.CandFlags(c, d))
            out.push_back({'r', static_cast<char>('1' + c / 9), 'c', static_cast<char>('1' + c % 9)});
    return out;
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
        while (!IsSolved(s)) {
            bool progress = false;
            for (int rung = 1; rung < kRungCount && !progress; ++rung) {
                if (!off.test(static_cast<std::size_t>(rung)) && std::find(rungs.begin(), rungs.end(), rung) != rungs.end()) {
                    fn(rung, s, static_cast<int>(i));
                    ++calls;
                }
                progress = RunRung(s, rung);
            }
            if (!progress) break;
        }
    }
    return calls;
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
