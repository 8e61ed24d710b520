// Explanations: step names, the players' notation, the text and jsonl of the
// command line, and the drawn page as a real browser renders it.
#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>

#include "explain/explain.h"
#include "explain/html.h"
#include "grader/score.h"
#include "grader/trial_explain.h"
#include "grader/score.h"
#include "runs/grading.h"
#include "test_util.h"

namespace gw {
namespace {

namespace fs = std::filesystem;
using namespace explain;

// Runs a shell command; returns its standard output.
std::string RunShell(const std::string& cmd, int* status = nullptr) {
    std::string out;
    FILE* p = ::popen(cmd.c_str(), "r");
    if (p == nullptr) return out;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    const int st = ::pclose(p);
    if (status != nullptr) *status = st;
    return out;
}

fs::path TempPath(const std::string& name) {
    return fs::temp_directory_path() / ("gridwick_explain_" + std::to_string(::getpid()) + "_" + name);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

TEST(Explain, NotationOfCellsUnitsChainsAndResults) {
    const struct {
        std::vector<int> cells;
        const char* text;
    } cells[] = {
        {{0}, "r1c1"},          {{1, 2}, "r1c23"},       {{0, 9, 18}, "r123c1"},
        {{0, 10}, "r1c1,r2c2"}, {{0, 2, 18, 20}, "r13c13"}, {{3, 4, 5, 6, 7, 8}, "r1c456789"},
        {{0, 1, 9}, "r1c12,r2c1"},
    };
    for (const auto& c : cells) EXPECT_EQ(Cells(c.cells), c.text);
    EXPECT_EQ(Units({0, 4}), "r15");
    EXPECT_EQ(Units({11, 15, 18}), "c37,b1");
    PatternChain ch;
    ch.Add(false, DigitBit(4), {1}).Add(true, DigitBit(4), {6}).Add(false, DigitBit(4), {26}).Add(true, DigitBit(4), {18, 19});
    EXPECT_EQ(Eureka(ch), "(4)r1c2=(4)r1c7-(4)r3c9=(4)r3c12");
    ch.loop = true;
    ch.strong.push_back(false);
    EXPECT_EQ(Eureka(ch), "(4)r1c2=(4)r1c7-(4)r3c9=(4)r3c12-(4)r1c2");
    const std::vector<Change> changes = {{'R', 1, 3}, {'R', 1, 7}, {'R', 4, 3}, {'R', 4, 7}, {'R', 5, 7}, {'P', 80, 2}};
    EXPECT_EQ(ResultText(changes), "r9c9=2, r1c25<>3, r1c256<>7");
}

// The steps of a grading are named by the rung that made them: a technique's
// own note set while the ladder runs inside a trial never names the trial.
TEST(Explain, TrialStepsAreNamedByTheTrialAndShowTheContradiction) {
    const auto puzzles = test::LoadSharedPuzzles("trial.txt");
    int trials = 0;
    for (const auto& [puzzle, solution] : puzzles) {
        GradeState s;
        std::vector<Step> steps;
        GradePuzzle(s, puzzle, &steps);
        for (const Step& st : steps) {
            const std::string player = kLadder[static_cast<std::size_t>(st.rung - 1)].player;
            EXPECT_EQ(st.name.rfind(player, 0), 0u) << st.name << " made by rung " << st.rung;
            if (st.rung != kRungCount) continue;
            ++trials;
            EXPECT_EQ(st.name, player);
            ASSERT_EQ(st.pattern.kind, PatternKind::Trial);
            ASSERT_FALSE(st.changes.empty());
            const Change assumed = st.changes[0];
            EXPECT_EQ(assumed.kind, 'T');
            EXPECT_EQ(st.pattern.cells[0], (PatternCell{assumed.cell, DigitBit(assumed.digit), Role::Assumption}));
            // The cell's other candidate runs into a contradiction.
            const std::string text = StepText(st);
            EXPECT_NE(text.find("meets a contradiction"), std::string::npos) << text;
            EXPECT_EQ(text.find("(and "), text.rfind("(and ")) << text;
        }
    }
    EXPECT_EQ(trials, static_cast<int>(puzzles.size()));
}

// Puzzles that reach every family of rungs: the stored hard ones of the
// benchmarks, then the first shared puzzles.
std::vector<Grid> FamilyPuzzles() {
    std::vector<Grid> out;
    std::ifstream hard(std::string(GRIDWICK_TEST_DATA) + "/../../bench/data/hard.txt");
    for (std::string line; std::getline(hard, line);)
        if (!line.empty() && line[0] != '#') out.push_back(test::ParseGrid(line.substr(0, 81)));
    if (out.empty()) throw std::runtime_error("bench/data/hard.txt holds no puzzle");
    const auto shared = test::LoadSharedPuzzles();
    for (std::size_t i = 0; i < 500 && i < shared.size(); ++i) out.push_back(shared[i].first);
    return out;
}

// Every step of a real grading states its pattern in the players' words, for
// every family of rungs, and the pattern's kind is the family's.
TEST(Explain, EveryStepReadsTechniquePatternResult) {
    const struct {
        PatternKind kind;
        std::vector<int> rungs;
    } families[] = {
        {PatternKind::Single, {1, 2}},          {PatternKind::Locked, {3, 4}},
        {PatternKind::Subset, {5, 6, 7, 8, 9, 10}}, {PatternKind::Fish, {11, 12, 20, 23}},
        {PatternKind::Chain, {13, 31, 32, 33, 35, 36, 41}}, {PatternKind::Pairs, {14, 16, 17}},
        {PatternKind::Wing, {15, 18, 21}},      {PatternKind::Colouring, {19, 22, 24}},
        {PatternKind::Als, {25, 37}},           {PatternKind::Exclusion, {26, 29, 34, 40}},
        {PatternKind::Rectangle, {27, 28}},     {PatternKind::Bug, {30}},
        {PatternKind::Count, {38}},             {PatternKind::Forcing, {39}},
        {PatternKind::Trial, {42}},
    };
    std::map<PatternKind, int> seen;
    const std::regex line(R"([^:]+: \S.* => \S.*)");
    for (const Grid& puzzle : FamilyPuzzles()) {
        GradeState s;
        std::vector<Step> steps;
        GradePuzzle(s, puzzle, &steps);
        for (const Step& st : steps) {
            const std::string text = StepText(st);
            EXPECT_TRUE(std::regex_match(text, line)) << text;
            bool known = false;
            for (const auto& f : families)
                if (std::find(f.rungs.begin(), f.rungs.end(), st.rung) != f.rungs.end()) {
                    EXPECT_EQ(st.pattern.kind, f.kind) << "rung " << st.rung << ": " << text;
                    known = true;
                }
            EXPECT_TRUE(known) << "rung " << st.rung;
            ++seen[st.pattern.kind];
        }
    }
    // The rare families (BUG+1, the four-digit count) do not occur in this data.
    for (const auto& f : families) {
        if (f.kind != PatternKind::Bug && f.kind != PatternKind::Count) {
            EXPECT_GT(seen[f.kind], 0) << "no step of rung " << f.rungs[0] << "'s family";
        }
    }
}

// The stored hard puzzles of the benchmarks (they reach forcing chains and the
// trial), graded with steps.
struct Graded {
    Grid puzzle;
    int level;
    std::vector<Step> steps;
};
std::vector<Graded> HardGradings() {
    std::vector<Graded> out;
    std::ifstream hard(std::string(GRIDWICK_TEST_DATA) + "/../../bench/data/hard.txt");
    for (std::string line; std::getline(hard, line);) {
        if (line.empty() || line[0] == '#') continue;
        Graded g{test::ParseGrid(line.substr(0, 81)), 0, {}};
        GradeState s;
        g.level = GradePuzzle(s, g.puzzle, &g.steps);
        out.push_back(std::move(g));
    }
    if (out.empty()) throw std::runtime_error("bench/data/hard.txt holds no puzzle");
    return out;
}

// Places a digit on a board only where it is a candidate.
bool PlaceOn(Board& b, int cell, int digit) {
    if (b.grid[cell] != 0 || !(b.masks[cell] & DigitBit(digit))) return false;
    b.Apply(Change{'P', static_cast<std::uint8_t>(cell), static_cast<std::uint8_t>(digit)});
    return true;
}

// Every branch of every forcing chain replays from its assumption: each
// node is a hidden single in the unit it names, or the last candidate of its
// cell, on the board the nodes before it leave; the branch ends with the
// step's result. The branch lines of the text follow the same nodes.
TEST(Explain, ForcingChainBranchesReplayBySingles) {
    int branches = 0;
    for (const Graded& g : HardGradings()) {
        Board board(g.puzzle);
        for (const Step& st : g.steps) {
            if (st.pattern.kind == PatternKind::Forcing) {
                const bool places = st.pattern.note.rfind("every branch places", 0) == 0;
                const Change target = st.changes.at(0);
                std::size_t shown = 0;
                for (const PatternChain& ch : st.pattern.chains) {
                    if (ch.role != Role::Branch) continue;
                    ++branches;
                    Board b = board;
                    for (std::size_t k = 0; k < ch.nodes.size(); ++k) {
                        const ChainNode& n = ch.nodes[k];
                        const int cell = n.cells.at(0), d = LowestDigit(n.digits);
                        if (k > 0 && n.unit >= 0) {
                            for (int i = 0; i < 9; ++i) {
                                const int other = UnitCell(n.unit, i);
                                EXPECT_TRUE(other == cell || !(b.masks[other] & n.digits))
                                    << Cell(cell) << "=" << d << " is not the last place in " << Unit(n.unit);
                            }
                        } else if (k > 0) {
                            EXPECT_EQ(b.masks[cell], n.digits) << Cell(cell) << "=" << d << " is not a naked single";
                        }
                        ASSERT_TRUE(PlaceOn(b, cell, d)) << StepText(st);
                    }
                    if (places) {
                        EXPECT_NE(b.grid[target.cell], target.digit);
                        EXPECT_NE(b.grid[target.cell], 0) << StepText(st);
                    } else {
                        EXPECT_FALSE(b.masks[target.cell] & DigitBit(target.digit)) << StepText(st);
                        EXPECT_NE(b.grid[target.cell], target.digit) << StepText(st);
                    }
                    ++shown;
                }
                EXPECT_EQ(shown, BranchLines(st).size());
                EXPECT_EQ(shown, static_cast<std::size_t>(std::count_if(
                                     st.pattern.cells.begin(), st.pattern.cells.end(),
                                     [](const PatternCell& c) { return c.role == Role::Branch; })));
            }
            board.Apply(st);
        }
    }
    EXPECT_GT(branches, 20);
}

// A trial's refutation and its own steps replay by the ladder's rules. The
// refutation starts from the cell's other candidate; each single in it is one
// on the board the nodes before it leave, each harder step is what its rung
// makes there, and the nodes end in the contradiction the step names. The
// trial's own steps are each what its rung makes, and end in the solution.
TEST(Explain, TrialRefutationAndStepsReplay) {
    const struct {
        const char* puzzle;
        const char* solution;
        const char* contradiction;  // "" when the other candidate only leaves the ladder stuck
    } cases[] = {
        // Singles alone reach a digit without a place.
        {"7..9.2.....4..1..2..3....9.1.2.4......7...5......162...58...7..4..72.6.....4....8",
         "715982436964351872823674195182547369647293581539816247358169724491728653276435918",
         "no place left for 6 in c3"},
        // Singles alone empty a cell.
        {"4..3......9...71...7..6.....4.......6.82.4..57......3.....8.91..529...4......2...",
         "416329578293857164875461329549673281638214795721598436364785912152936847987142653",
         "has no candidate left"},
        // Subsets, pointing and chains on the way to the contradiction.
        {".3......2..14.....94...7.1..62.4....7..5.1.......2.89..8.3...59.....87..1......8.",
         "637815942251496378948237615862749531793581426514623897486372159329158764175964283", "no place left for"},
        {"...4..82....2...7..8......9..1.6.2.....8.5..7..8.3.6..3......6.12...8....74..3...",
         "937456821415289376682371459541967283263845917798132645359724168126598734874613592",
         "has no candidate left"},
        {"8.9......7..5.......3...2.5....46..2.4.....7.6..81.5....5..91.......8..7....2.6.9",
         "859632741712584963463971285598746312341295876627813594275469138936158427184327659", ""},
    };
    // One rung on a copy of `from`: true when it makes exactly `st`'s changes.
    auto makes = [](const GradeState& from, const Step& st) {
        GradeState x;
        x.SolveGrid = from.SolveGrid, x.CandMask = from.CandMask, x.Givens = from.Givens;
        std::vector<Change> log;
        GradeRun run{.log = &log};
        x.run = &run;
        return RunRung(x, st.rung) && log == st.changes;
    };
    auto apply = [](GradeState& s, const Step& st) {
        for (const Change& ch : st.changes)
            ch.kind == 'R' ? (void)RemoveCandidate(s, ch.digit, ch.cell) : PlaceDigit(s, ch.digit, ch.cell);
    };
    int harder = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.puzzle);
        const Grid puzzle = test::ParseGrid(c.puzzle), solution = test::ParseGrid(c.solution);
        GradeState s;
        std::vector<Step> steps;
        ASSERT_EQ(GradePuzzle(s, puzzle, &steps), 8);
        ExplainTrial(puzzle, steps);
        const Step& trial = steps.back();
        ResetGradeState(s, puzzle);
        for (std::size_t i = 0; i + 1 < steps.size(); ++i) apply(s, steps[i]);
        const int cell = trial.changes.at(0).cell, digit = trial.changes.at(0).digit;

        GradeState kept = s;
        PlaceDigit(kept, digit, cell);
        for (const Step& st : trial.fill) {
            EXPECT_TRUE(makes(kept, st)) << StepText(st);
            apply(kept, st);
        }
        EXPECT_EQ(kept.SolveGrid, solution);

        EXPECT_NE(RefutationText(trial).find(c.contradiction), std::string::npos) << RefutationText(trial);
        if (*c.contradiction == '\0') {
            EXPECT_TRUE(trial.refutation.empty());
            continue;
        }
        GradeState refuted = s;
        PlaceDigit(refuted, LowestDigit(s.CandMask[cell] & ~DigitBit(digit)), cell);
        for (const Step& st : trial.refutation) {
            const Change placed = st.changes.at(0);
            if (st.rung == test::RungNo("Hidden Single")) {
                const int u = st.pattern.units.at(0).unit;
                for (int k = 0; k < 9; ++k)
                    EXPECT_TRUE(UnitCell(u, k) == placed.cell || !refuted.CandFlags(UnitCell(u, k), placed.digit))
                        << Cell(placed.cell) << "=" << int{placed.digit} << " is not the last place in " << Unit(u);
            } else if (st.rung == test::RungNo("Naked Single")) {
                EXPECT_EQ(refuted.CandMask[placed.cell], DigitBit(placed.digit)) << StepText(st);
            } else {
                ++harder;
                EXPECT_TRUE(makes(refuted, st)) << StepText(st);
            }
            apply(refuted, st);
        }
        Pattern why, named;
        ASSERT_TRUE(FindContradiction(refuted, why));
        for (const PatternCell& pc : trial.pattern.cells)
            if (pc.role == Role::Contradiction) named.cells.push_back(pc);
        for (const PatternUnit& pu : trial.pattern.units)
            if (pu.role == Role::Contradiction) named.units.push_back(pu);
        EXPECT_EQ(why.cells, named.cells);
        EXPECT_EQ(why.units, named.units);
    }
    EXPECT_GT(harder, 0);
}

// The command line: step lines, summary, jsonl patterns agreeing with the text,
// candidate grids and the page.
TEST(Explain, CommandLineTextJsonlGridsAndPage) {
    const auto puzzles = test::LoadSharedPuzzles("trial.txt");
    const fs::path in = TempPath("in.txt"), page = TempPath("page.html");
    // An Outlaw puzzle: the ladder gets stuck, and the grid shows where.
    const std::string outlaw =
        "..51....7..4.7.....1...98..3......6...9.2.5.3.8...3..9..84...9.....9.2..1....73..";
    std::ofstream(in) << test::GridText(puzzles[0].first) << "\n" << outlaw << "\n";
    const std::string cli = std::string("'") + GRIDWICK_CLI + "' grade '" + in.string() + "'";

    const std::string explained = RunShell(cli + " --explain --html '" + page.string() + "'");
    const auto text = Lines(explained);
    // Step for step the library's own explanation of the same gradings.
    std::string expected, expectedHint;
    std::size_t trialSteps = 0, filled = 0;
    for (const std::string& p : {test::GridText(puzzles[0].first), outlaw}) {
        GradeState s;
        std::vector<Step> steps;
        const int level = GradePuzzle(s, test::ParseGrid(p), &steps);
        ExplainTrial(test::ParseGrid(p), steps);
        for (const Step& st : steps) trialSteps += st.refutation.size() + st.fill.size(), filled += st.fill.size();
        expected += p + " " + std::to_string(level) + " " + kLevelNames[static_cast<std::size_t>(level)] + " " +
                    ScoreText(Score(level, steps)) + "\n" + ExplanationText(test::ParseGrid(p), level, steps, false);
        // A hint is the path's first step alone.
        ASSERT_FALSE(steps.empty());
        expectedHint += p + "\n  next: " + StepText(steps.front()) + "\n";
        for (const std::string& b : BranchLines(steps.front())) expectedHint += "      " + b + "\n";
    }
    EXPECT_EQ(explained, expected);
    EXPECT_EQ(RunShell(cli + " --hint"), expectedHint);
    const auto json = Lines(RunShell(cli + " --format jsonl"));
    ASSERT_EQ(json.size(), 2u);
    const std::regex stepLine(R"(  (\d+)\. ([^:]+): (.+) => (.+))"),
        trialLine(R"(      (\d+)\.(\d+)\. ([^:]+): (.+) => (.+)|      from r\dc\d=\d the ladder fills the grid:|)"
                  R"(      solved grid:|          \d{3} \d{3} \d{3}|          r\dc\d=\d => .+|)"
                  // The refutation, a numbered line a step, and the Outlaw's grid.
                  R"(      why not the other candidate:|        \d+\. .+|        => .+ is impossible|     [.|].+)");
    std::vector<std::string> names;
    int summaries = 0, stuck = 0;
    for (const std::string& l : text) {
        std::smatch m;
        if (std::regex_match(l, m, stepLine)) names.push_back(m[2]);
        else if (std::regex_match(l, trialLine)) continue;
        else if (l.rfind("  techniques: ", 0) == 0 || l.rfind("  hardest: step ", 0) == 0 ||
                 l.rfind("  hardest step the ladder could take: step ", 0) == 0)
            ++summaries;
        else if (l == "  stuck: no rung of the ladder finishes the grid from here, not even a trial of each "
                      "candidate of the 3 two-candidate cells; where it stopped:")
            ++stuck;
        else if (l.rfind("      r", 0) == 0 && l.find(" => ") != std::string::npos) continue;  // a branch
        else if (l.rfind("  ", 0) == 0) ADD_FAILURE() << "step line without pattern: " << l;
    }
    EXPECT_EQ(summaries, 4);
    EXPECT_EQ(stuck, 1);
    // The jsonl steps, in the same order, each with its pattern object.
    std::size_t jsonSteps = 0;
    for (const std::string& j : json)
        for (std::size_t at = j.find("{\"rung\": "); at != std::string::npos; at = j.find("{\"rung\": ", at + 1)) {
            ++jsonSteps;
            const std::size_t end = j.find("{\"rung\": ", at + 1);
            EXPECT_NE(j.substr(at, end - at).find("\"pattern\": {\"kind\": "), std::string::npos);
        }
    EXPECT_GT(filled, 0u);
    EXPECT_EQ(names.size() + trialSteps, jsonSteps);
    EXPECT_NE(json[0].find("\"kind\": \"trial\""), std::string::npos);

    // Grids: one before every step (11 lines each) plus the stuck grid.
    const std::string grids = RunShell(cli + " --grid");
    std::size_t rules = 0;
    for (const std::string& l : Lines(grids)) rules += l.rfind("     .---", 0) == 0;
    EXPECT_EQ(rules, 4 * (names.size() + 1));
    const auto stuckOnly = Lines(RunShell(cli + " --stuck-grid"));
    EXPECT_EQ(stuckOnly.size(), 2u + 1 + 13);

    std::ifstream f(page);
    const std::string html{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
    std::size_t svgs = 0;
    for (std::size_t at = html.find("<svg xmlns"); at != std::string::npos; at = html.find("<svg xmlns", at + 1)) ++svgs;
    // Each puzzle, each step, the stuck grid, the trial's own steps and its solved grid.
    EXPECT_EQ(svgs, names.size() + 2 + 1 + filled + 1);
    EXPECT_EQ(html.find("<script"), std::string::npos);
    fs::remove(in);
    fs::remove(page);
}

// A puzzle that cannot be graded says why, in one message and on the page:
// two of its solutions and the cells where they differ, the unit where a digit
// repeats, the row of a nine-line grid without nine cells.
TEST(Explain, UnusablePuzzlesSayWhy) {
    const std::string twoSolutions =
        ".1.9..4.6.6.3.1.....3....951....7..9.........5..8....735..6.7.....7.8.5.2.6..5.1.";
    std::string twice = twoSolutions;
    twice[4] = '9';  // the 9 of r1c4 again in r1c5
    auto nineLines = [&](int row, int cells) {
        std::string out;
        for (int r = 0; r < 9; ++r)
            out += (r + 1 == row ? twoSolutions.substr(9 * static_cast<std::size_t>(r), 9).substr(0, 8) +
                                       std::string(static_cast<std::size_t>(std::max(0, cells - 8)), '.')
                                 : twoSolutions.substr(9 * static_cast<std::size_t>(r), 9)) + "\n";
        return out;
    };
    const struct {
        std::string input;
        std::string message;  // the one line on standard error, after "line 1: "
        std::string page;     // what the page shows of it
    } cases[] = {
        {twoSolutions + "\n", "more than one solution, for instance ", "id=\"line-1-solution-2\""},
        {twice + "\n", "digit 9 appears twice in row 1 (r1c4 and r1c5)", "id=\"line-1-clash\""},
        {nineLines(2, 8), "row 2 has 8 cells", "<pre class=\"input\">"},
        {nineLines(5, 10), "row 5 has 10 cells", "<pre class=\"input\">"},
    };
    const fs::path in = TempPath("unusable.txt"), page = TempPath("unusable.html");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        std::ofstream(in) << c.input;
        const test::CommandResult r = test::RunGridwick("grade '" + in.string() + "' --html '" + page.string() + "' 2>&1");
        EXPECT_EQ(r.status, 1);
        const auto lines = Lines(r.out);
        ASSERT_EQ(lines.size(), 1u) << r.out;
        const std::string head = "gridwick: " + in.string() + " line 1: ";
        ASSERT_EQ(lines[0].rfind(head + c.message, 0), 0u) << r.out;
        std::ifstream f(page);
        const std::string html{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
        EXPECT_NE(html.find("<section id=\"line-1\">"), std::string::npos);
        EXPECT_NE(html.find(": not graded</h2>"), std::string::npos);
        EXPECT_NE(html.find(c.page), std::string::npos);
        if (c.page.find("solution") == std::string::npos) continue;
        // Two different solutions of the puzzle, and the cells where they differ.
        const std::regex two(R"(for instance (\d{81}) and (\d{81}), which differ in (\S+)$)");
        std::smatch m;
        ASSERT_TRUE(std::regex_search(lines[0], m, two)) << lines[0];
        const Grid puzzle = test::ParseGrid(twoSolutions), a = test::ParseGrid(m[1].str()), b = test::ParseGrid(m[2].str());
        std::vector<int> differ;
        for (const Grid* g : {&a, &b})
            for (int u = 0; u < 27; ++u) {
                unsigned seen = 0;
                for (int k = 0; k < 9; ++k) {
                    const int cell = UnitCell(u, k);
                    seen |= DigitBit((*g)[cell]);
                    EXPECT_TRUE(puzzle[cell] == 0 || puzzle[cell] == (*g)[cell]) << Cell(cell);
                }
                EXPECT_EQ(seen, kAllDigits) << Unit(u);
            }
        for (int cell = 0; cell < 81; ++cell)
            if (a[cell] != b[cell]) differ.push_back(cell);
        EXPECT_FALSE(differ.empty());
        EXPECT_EQ(m[3].str(), Cells(differ));
    }
    fs::remove(in);
    fs::remove(page);
}

// A PNG as Chromium writes it: 8-bit RGB or RGBA, not interlaced.
struct Png {
    int width = 0, height = 0, channels = 0;
    std::vector<unsigned char> pixels;
    std::array<int, 3> At(int x, int y) const {
        const unsigned char* p = &pixels[(static_cast<std::size_t>(y) * width + x) * channels];
        return {p[0], p[1], p[2]};
    }
};

bool ReadPng(const fs::path& path, Png& png) {
    std::ifstream in(path, std::ios::binary);
    const std::string data{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    auto u32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(data[at]) << 24 |
                                          static_cast<unsigned char>(data[at + 1]) << 16 |
                                          static_cast<unsigned char>(data[at + 2]) << 8 |
                                          static_cast<unsigned char>(data[at + 3]));
    };
    if (data.size() < 33 || data.compare(1, 3, "PNG") != 0) return false;
    std::string idat;
    for (std::size_t at = 8; at + 8 <= data.size();) {
        const std::uint32_t len = u32(at);
        const std::string type = data.substr(at + 4, 4);
        if (at + 12 + len > data.size()) return false;
        if (type == "IHDR") {
            png.width = static_cast<int>(u32(at + 8));
            png.height = static_cast<int>(u32(at + 12));
            const int depth = data[at + 16], colour = data[at + 17], interlace = data[at + 20];
            if (depth != 8 || (colour != 2 && colour != 6) || interlace != 0) return false;
            png.channels = colour == 6 ? 4 : 3;
        } else if (type == "IDAT") {
            idat += data.substr(at + 8, len);
        }
        at += 12 + len;
    }
    const std::size_t stride = static_cast<std::size_t>(png.width) * png.channels;
    std::vector<unsigned char> raw((stride + 1) * static_cast<std::size_t>(png.height));
    uLongf rawSize = raw.size();
    if (uncompress(raw.data(), &rawSize, reinterpret_cast<const Bytef*>(idat.data()), idat.size()) != Z_OK ||
        rawSize != raw.size())
        return false;
    png.pixels.assign(stride * static_cast<std::size_t>(png.height), 0);
    const int bpp = png.channels;
    for (int y = 0; y < png.height; ++y) {
        const unsigned char filter = raw[y * (stride + 1)];
        const unsigned char* src = &raw[y * (stride + 1) + 1];
        unsigned char* row = &png.pixels[y * stride];
        const unsigned char* up = y > 0 ? &png.pixels[(y - 1) * stride] : nullptr;
        for (std::size_t i = 0; i < stride; ++i) {
            const int a = i >= static_cast<std::size_t>(bpp) ? row[i - bpp] : 0, b = up ? up[i] : 0,
                      c = (up && i >= static_cast<std::size_t>(bpp)) ? up[i - bpp] : 0;
            int pred = 0;
            switch (filter) {
                case 1: pred = a; break;
                case 2: pred = b; break;
                case 3: pred = (a + b) / 2; break;
                case 4: {
                    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
                    pred = (pa <= pb && pa <= pc) ? a : pb <= pc ? b : c;
                    break;
                }
                default: break;
            }
            row[i] = static_cast<unsigned char>(src[i] + pred);
        }
    }
    return true;
}

std::array<int, 3> Hex(const char* colour) {
    const unsigned v = static_cast<unsigned>(std::strtoul(colour + 1, nullptr, 16));
    return {static_cast<int>(v >> 16), static_cast<int>((v >> 8) & 255), static_cast<int>(v & 255)};
}

bool Near(const std::array<int, 3>& a, const std::array<int, 3>& b, int tolerance = 24) {
    for (int i = 0; i < 3; ++i)
        if (std::abs(a[i] - b[i]) > tolerance) return false;
    return true;
}

// The page in headless Chromium: a highlighted pattern cell and a struck
// candidate are where the drawing puts them. Skipped only where Chromium is
// not installed and the run is not a CI run (CI installs it).
TEST(Explain, PageRendersInChromium) {
    const std::string browser = RunShell("command -v chromium || command -v chromium-browser");
    if (browser.empty()) {
        if (std::getenv("CI") != nullptr || std::getenv("GRIDWICK_REQUIRE_CHROMIUM") != nullptr)
            FAIL() << "chromium is not installed (tools/install-deps.sh installs it)";
        GTEST_SKIP() << "chromium is not installed";
    }
    const Grid puzzle =
        test::ParseGrid("1...2......68....17.2..4......1.93.731.2.7.466.73.8......9..5.29....51......8...3");
    Board board(puzzle);
    // A hand-made step: the pattern's cell r1c2 highlighted, 5 struck from r1c3.
    const int patternCell = 1, struckCell = 2, struckDigit = 5;
    ASSERT_TRUE(board.masks[struckCell] & DigitBit(struckDigit));
    Step step{4, "Claiming", {{'R', struckCell, struckDigit}}, {}};
    step.pattern.Kind(PatternKind::Locked).Digit(struckDigit).Cell(patternCell, 0, Role::Base);
    // Then three singles, folded into one group that stays closed.
    std::vector<Step> steps = {step};
    for (int cell : {3, 5, 6}) {
        const int d = LowestDigit(board.masks[cell]);
        steps.push_back({1, "Hidden Single", {{'P', static_cast<std::uint8_t>(cell), static_cast<std::uint8_t>(d)}}, {}});
        steps.back().pattern.Kind(PatternKind::Single).Digit(d).Cell(cell, 0, Role::Target);
    }
    HtmlPage page;
    page.Add(1, puzzle, 2, steps);
    EXPECT_NE(page.Text().find("<details class=\"run\" id=\"line-1-step-2\"><summary>Steps 2-4: 3 singles"),
              std::string::npos);
    const fs::path dir = TempPath("chromium"), html = dir / "page.html", png = dir / "shot.png";
    fs::remove_all(dir);
    fs::create_directories(dir / "profile");
    ASSERT_TRUE(page.Write(html.string()));
    const int width = 2 * kPadPx + 2 * kGridPx + kGapPx + 40,
              height = kLegendPx + kHeadingPx + kTocPx + kPadPx + kGridPx + 200;
    int status = 0;
    RunShell("timeout 120 '" + browser.substr(0, browser.find('\n')) +
            "' --headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking "
            "--disable-component-update --disable-sync --hide-scrollbars --force-device-scale-factor=1 "
            "--user-data-dir='" + (dir / "profile").string() + "' --window-size=" + std::to_string(width) + "," +
            std::to_string(height) + " --screenshot='" + png.string() + "' 'file://" + html.string() + "' 2>&1",
        &status);
    Png shot;
    ASSERT_TRUE(ReadPng(png, shot)) << "no screenshot (status " << status << ")";
    ASSERT_GE(shot.width, width - 20);
    // Step 1 is the second grid of the section's first row.
    const int left = kPadPx + kGridPx + kGapPx, top = kLegendPx + kHeadingPx + kTocPx + kPadPx;
    EXPECT_TRUE(Near(shot.At(3, 3), {0xf4, 0xf4, 0xf4}, 6)) << "legend";
    auto cellCorner = [&](int cell) {
        return shot.At(left + kBorderPx + kCellPx * (cell % 9) + 3, top + kBorderPx + kCellPx * (cell / 9) + 3);
    };
    EXPECT_TRUE(Near(cellCorner(patternCell), Hex("#cde8f8"))) << "highlighted cell";
    EXPECT_TRUE(Near(cellCorner(struckCell), {255, 255, 255})) << "plain cell";
    const int sx = left + static_cast<int>(CandidateX(struckCell, struckDigit)),
              sy = top + static_cast<int>(CandidateY(struckCell, struckDigit));
    EXPECT_TRUE(Near(shot.At(sx - 5, sy - 5), Hex(kStrikeFill))) << "struck candidate's square";
    const auto stroke = shot.At(sx + 4, sy - 4);
    EXPECT_TRUE(stroke[0] > 170 && stroke[2] < 120) << "stroke through the struck candidate";
    // The same candidate in the puzzle's own grid (left) is not struck.
    EXPECT_TRUE(Near(shot.At(sx - left + kPadPx - 5, sy - 5), {255, 255, 255})) << "candidate before the step";
    // The folded group's frame below the first row of grids (its grids stay
    // hidden, so the frame is short).
    int frame = 0;
    for (int y = top + kGridPx; y < shot.height; ++y) frame += Near(shot.At(kPadPx, y), {0xbb, 0xbb, 0xbb}, 30);
    EXPECT_GT(frame, 10) << "folded group";
    EXPECT_LT(frame, kGridPx / 2) << "the folded group is closed";
    fs::remove_all(dir);
}

// A hint from where a solver stands is the first step the ladder takes from
// there: from the board before any step of a grading, that step; from the
// bare puzzle, the same grading.
TEST(Hint, FromAPositionTheLaddersNextStep) {
    auto puzzles = test::LoadSharedPuzzles("trial.txt");
    const auto more = test::FirstSharedPuzzles(6);
    puzzles.insert(puzzles.end(), more.begin(), more.end());
    ASSERT_GE(puzzles.size(), 8u);
    std::size_t states = 0;
    for (const auto& [puzzle, solution] : puzzles) {
        GradeState s;
        std::vector<Step> steps, again;
        const int level = GradePuzzle(s, puzzle, &steps);
        EXPECT_EQ(GradeFrom(s, StartOf(puzzle), &again), level);
        ASSERT_EQ(again.size(), steps.size());
        Board board(puzzle);
        for (std::size_t k = 0; k < steps.size(); board.Apply(steps[k++])) {
            if (k % 3 != 0 && k + 1 != steps.size()) continue;
            const Position at{puzzle, board.grid, board.masks};
            EXPECT_EQ(PositionError(at, solution), "");
            std::vector<Step> next;
            GradeFrom(s, at, &next, 1);
            ASSERT_EQ(next.size(), 1u);
            EXPECT_EQ(next[0].rung, steps[k].rung) << "step " << k + 1;
            EXPECT_EQ(next[0].changes, steps[k].changes) << "step " << k + 1;
            ++states;
        }
    }
    EXPECT_GT(states, 40u);
}

// Pencil marks as players write them, read into a position; marks that
// cannot lead to the solution say where they went wrong.
TEST(Hint, PencilMarksReadAndChecked) {
    const auto [puzzle, solution] = test::LoadSharedPuzzles("trial.txt").at(0);
    GradeState s;
    std::vector<Step> steps;
    GradePuzzle(s, puzzle, &steps);
    Board board(puzzle);
    for (std::size_t k = 0; k < 5; ++k) board.Apply(steps[k]);
    const Position at{board.grid, board.grid, board.masks};
    std::string tokens, packed;
    for (int c = 0; c < 81; ++c) {
        const std::string digits = Digits(board.grid[c] ? DigitBit(board.grid[c]) : board.masks[c]);
        tokens += digits + (c % 9 == 8 ? "\n" : c % 3 == 2 ? " | " : " ");
        for (int d = 1; d <= 9; ++d) packed += digits.find(static_cast<char>('0' + d)) != std::string::npos ? '0' + d : '.';
    }
    std::string oneLine = tokens;
    std::replace(oneLine.begin(), oneLine.end(), '\n', ' ');
    const std::string puzzleText = test::GridText(puzzle);
    struct Case {
        std::string text;
        bool withPuzzle;
    };
    for (const Case& c : {Case{"  stuck here:\n" + CandidateGrid(board), false}, Case{tokens, false},
                          Case{oneLine + "\n", false}, Case{packed + "\n", false},
                          Case{puzzleText + " " + oneLine + "\n", true}, Case{puzzleText + " " + packed + "\n", true}}) {
        const auto read = ReadPuzzles(c.text);
        ASSERT_EQ(read.size(), 1u) << c.text;
        ASSERT_TRUE(read[0].position.has_value()) << read[0].error << "\n" << c.text;
        EXPECT_EQ(read[0].position->grid, at.grid);
        EXPECT_EQ(read[0].position->givens, c.withPuzzle ? puzzle : at.grid);
        GradeState a, b;
        ResetGradeState(a, *read[0].position);
        ResetGradeState(b, at);
        EXPECT_EQ(a.CandMask, b.CandMask) << c.text;
    }
    const auto cut = ReadPuzzles(tokens.substr(0, tokens.rfind('\n', tokens.size() - 2) + 1) + "not a row\n");
    ASSERT_FALSE(cut.empty());
    EXPECT_EQ(cut[0].error, "incomplete grid of pencil marks: 8 rows of 9");

    // The first wrong digit, else the first cell whose digit lost its mark.
    Position wrong{puzzle, board.grid, board.masks};
    const int open = static_cast<int>(std::find(board.grid.begin(), board.grid.end(), 0) - board.grid.begin());
    wrong.marks[open] = static_cast<std::uint16_t>(wrong.marks[open] & ~DigitBit(solution[open]));
    EXPECT_EQ(PositionError(wrong, solution), "the candidate " + std::to_string(solution[open]) + " of " +
                                                  Cell(open) + " was removed, but it is that cell's digit");
    wrong.grid[open] = static_cast<std::uint8_t>(solution[open] % 9 + 1);
    EXPECT_EQ(PositionError(wrong, solution), Cell(open) + " holds " + std::to_string(wrong.grid[open]) + ", which is wrong");
    const int given = static_cast<int>(std::find_if(puzzle.begin(), puzzle.end(), [](auto d) { return d != 0; }) - puzzle.begin());
    wrong.grid[given] = 0;
    EXPECT_EQ(PositionError(wrong, solution), "the given " + std::to_string(puzzle[given]) + " of " + Cell(given) + " is missing");
}

// A board's cells as a line of pencil marks, each after a space.
std::string MarksLine(const Board& board) {
    std::string out;
    for (int c = 0; c < 81; ++c) {
        out += ' ';
        out += Digits(board.grid[c] ? DigitBit(board.grid[c]) : board.masks[c]);
    }
    return out;
}

// The command line's hint from pencil marks, and a trial's refutation as
// numbered lines with the forcing chains' branches indented under them.
TEST(Hint, CommandLineAndNestedRefutation) {
    const auto puzzles = test::LoadSharedPuzzles("trial.txt");
    ASSERT_FALSE(puzzles.empty());
    const fs::path in = TempPath("marks.txt");
    const std::string cli = std::string("'") + GRIDWICK_CLI + "' grade --hint < '" + in.string() + "'";
    std::size_t nested = 0;
    for (const auto& [puzzle, solution] : puzzles) {
        GradeState s;
        std::vector<Step> steps;
        GradePuzzle(s, puzzle, &steps);
        ExplainTrial(puzzle, steps);
        ASSERT_EQ(steps.back().rung, kRungCount);
        // The grid before the trial, written with the puzzle before it: the
        // hint is the trial, its refutation a line a step.
        Board board(puzzle);
        for (std::size_t k = 0; k + 1 < steps.size(); ++k) board.Apply(steps[k]);
        std::ofstream(in) << test::GridText(puzzle) << MarksLine(board) << "\n";
        const auto out = Lines(RunShell(cli));
        ASSERT_GE(out.size(), 2u);
        EXPECT_EQ(out[1], "  next: " + StepText(steps.back()));
        const std::vector<Line> lines = RefutationLines(steps.back());
        ASSERT_GE(lines.size(), steps.back().refutation.size() + 2);
        int number = 0;
        for (std::size_t k = 0; k + 1 < lines.size(); ++k) {
            if (lines[k].depth == 1) {
                ++nested;
                EXPECT_NE(lines[k].text.find(" => "), std::string::npos);
                continue;
            }
            EXPECT_EQ(lines[k].text.rfind(std::to_string(++number) + ". ", 0), 0u) << lines[k].text;
        }
        EXPECT_EQ(number, static_cast<int>(steps.back().refutation.size()) + 1);
        EXPECT_EQ(lines.back().text.rfind("=> ", 0), 0u);
        // A removed mark that is the cell's digit is refused, naming it.
        const int open = static_cast<int>(std::find(board.grid.begin(), board.grid.end(), 0) - board.grid.begin());
        board.masks[open] = static_cast<std::uint16_t>(board.masks[open] & ~DigitBit(solution[open]));
        std::ofstream(in) << test::GridText(puzzle) << MarksLine(board) << "\n";
        int status = 0;
        EXPECT_EQ(RunShell(cli + " 2>&1", &status),
                  "gridwick: line 1: the candidate " + std::to_string(solution[open]) + " of " + Cell(open) +
                      " was removed, but it is that cell's digit\n");
        EXPECT_NE(status, 0);
    }
    EXPECT_GT(nested, 0u) << "no refutation with a forcing chain";
    fs::remove(in);
}

}  // namespace
}  // namespace gw

