// The command line end to end: the binary is run as users run it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "explain/explain.h"
#include "grader/score.h"
#include "generator/near_copies.h"
#include "model/canonical.h"
#include "output/targets.h"
#include "test_util.h"

namespace gw {
namespace {

namespace fs = std::filesystem;

using Result = test::CommandResult;

// Runs the command line with a shell command tail and `input` on stdin;
// stdout is captured.
Result RunCli(const std::string& args, const std::string& input = {}) {
    const fs::path in = fs::temp_directory_path() / ("gridwick_cli_in_" + std::to_string(::getpid()));
    std::ofstream(in, std::ios::binary) << input;
    const Result r = test::RunGridwick(args + " < '" + in.string() + "'");
    fs::remove(in);
    return r;
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("gridwick_cli_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    static std::string Slurp(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    fs::path dir_;
};

TEST_F(CliTest, GradeJsonlCarriesEveryChange) {
    const auto puzzles = test::LoadSharedPuzzles();
    const Grid& puzzle = puzzles[0].first;
    GradeState s;
    std::vector<Step> steps;
    const int level = GradePuzzle(s, puzzle, &steps);
    std::string solution;
    for (int c = 0; c < 81; ++c) solution += static_cast<char>('0' + puzzles[0].second[c]);
    const std::string head = "{\"line\": 2, \"puzzle\": \"" + test::GridText(puzzle) + "\", \"level\": " +
                             std::to_string(level) + ", \"name\": \"" +
                             kLevelNames[static_cast<std::size_t>(level)] + "\", \"score\": " +
                             ScoreText(Score(level, steps)) + ", \"solution\": \"" + solution + "\"";
    std::string expected = head + ", \"steps\": [";
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (i) expected += ", ";
        const Rung& rung = kLadder[static_cast<std::size_t>(steps[i].rung - 1)];
        expected += "{\"rung\": " + std::to_string(steps[i].rung) + ", \"technique\": \"" + rung.player +
                    "\", \"level\": " + std::to_string(rung.level) + ", \"changes\": [";
        for (std::size_t k = 0; k < steps[i].changes.size(); ++k) {
            const Change& c = steps[i].changes[k];
            if (k) expected += ", ";
            expected += "[\"" + std::string(1, c.kind) + "\", " + std::to_string(c.cell) + ", " +
                        std::to_string(c.digit) + "]";
        }
        expected += "], \"pattern\": " + explain::PatternJson(steps[i].pattern) + "}";
    }
    expected += "]}\n";
    const Result r = RunCli("grade --format jsonl -", "# first line is a comment\n" + test::GridText(puzzle) + "\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(RunCli("grade -f jsonl --steps none", test::GridText(puzzle) + "\n").out,
              "{\"line\": 1" + head.substr(head.find(','), std::string::npos) + "}\n");
}

TEST_F(CliTest, GradeReportsBadPuzzlesAndGoesOn) {
    const auto puzzles = test::LoadSharedPuzzles();
    const std::string input = "123\n" + test::GridText(puzzles[0].first) + "\n";
    const Result json = RunCli("grade -f jsonl", input);
    EXPECT_EQ(json.status, 1);
    EXPECT_EQ(json.out.substr(0, json.out.find('\n')), "{\"line\": 1, \"error\": \"expected 81 cells, found 3\"}");
    EXPECT_NE(json.out.find("{\"line\": 2, \"puzzle\""), std::string::npos);
    const Result text = RunCli("grade --explain", input);
    EXPECT_EQ(text.status, 1);
    EXPECT_NE(text.out.find(test::GridText(puzzles[0].first) + " "), std::string::npos);
    EXPECT_NE(text.out.find("Hidden Single: "), std::string::npos);
    EXPECT_EQ(RunCli("grade --without 99", input).status, 2);
}

TEST_F(CliTest, WithoutSwitchesRungsOff) {
    const auto puzzles = test::LoadSharedPuzzles();
    const std::string input = test::GridText(puzzles[0].first) + "\n";
    const Result r = RunCli("grade -f jsonl --without 1,2", input);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.find("\"rung\": 1,"), std::string::npos);
    EXPECT_EQ(r.out.find("\"rung\": 2,"), std::string::npos);
}

TEST_F(CliTest, SeededRunsAreReproducibleWhateverTheJobs) {
    const fs::path a = dir_ / "a", b = dir_ / "b";
    const Result ra =
        RunCli("generate -q --seed 77 --count 40 --target '81 char $ (0)' --out '" + a.string() + "' 2>&1");
    const Result rb = RunCli("generate -q --seed 77 --count 40 --target 7 --jobs 2 --out '" + b.string() + "'");
    ASSERT_EQ(ra.status, 0);
    ASSERT_EQ(rb.status, 0);
    std::size_t total = 0;
    for (int level = 1; level <= 9; ++level) {
        const std::string name = LevelFileName(7, level);
        EXPECT_EQ(Slurp(a / "Sudoku_81_Char_0" / name), Slurp(b / "Sudoku_81_Char_0" / name)) << name;
        total += Slurp(a / "Sudoku_81_Char_0" / name).size();
    }
    EXPECT_EQ(total, 40u * 83);
    // Only the folder written is made; the summary goes to standard error.
    for (const auto& t : kTargets) EXPECT_EQ(fs::is_directory(a / t.folder), t.folder == kTargets[7].folder) << t.folder;
    EXPECT_NE(ra.out.find("Made "), std::string::npos);
}

// Every puzzle a hunt saves is symmetric, unique, pair-minimal, graded to its
// level and saved once, and no two of one level file share more than half of
// the smaller one's givens or are one puzzle in disguise, also where a second
// run adds to what the first stored or starts from it (--from).
TEST_F(CliTest, HuntRunsAreReproducibleAndSaveFarApartPuzzlesThatGradeBack) {
    const std::string run = "generate -q --method hunt --count 3 --levels 7-9 -t 6 --out '";
    const fs::path a = dir_ / "a", b = dir_ / "b", c = dir_ / "c";
    ASSERT_EQ(RunCli(run + a.string() + "' --seed 21").status, 0);
    ASSERT_EQ(RunCli(run + b.string() + "' --seed 21").status, 0);
    ASSERT_EQ(RunCli(run + c.string() + "' --seed 21 --jobs 2 --per-grid 1").status, 0);
    // Into levels that hold the first run's puzzles, then from them.
    ASSERT_EQ(RunCli(run + a.string() + "' --seed 22 --jobs 2").status, 0);
    ASSERT_EQ(RunCli(run + a.string() + "' --seed 23 --from '" + a.string() + "'").status, 0);
    EXPECT_EQ(RunCli(run + a.string() + "' --from '" + (dir_ / "none").string() + "'").status, 2);
    const auto levelFile = [](const fs::path& out, int level) {
        std::vector<Grid> puzzles;
        std::istringstream lines(Slurp(out / "Sudoku_81_Char" / LevelFileName(6, level)));
        for (std::string line; std::getline(lines, line);) puzzles.push_back(test::ParseGrid(line));
        return puzzles;
    };
    const auto expectFarApart = [](const std::vector<Grid>& puzzles) {
        for (std::size_t i = 0; i < puzzles.size(); ++i)
            for (std::size_t k = 0; k < i; ++k)
                EXPECT_LE(2 * SharedGivens(puzzles[i], puzzles[k]),
                          std::min(GivenCount(puzzles[i]), GivenCount(puzzles[k])))
                    << test::GridText(puzzles[i]) << " and " << test::GridText(puzzles[k]);
    };
    for (const fs::path& out : {a, b, c}) {
        std::vector<Grid> all;
        for (int level = 1; level <= 9; ++level) {
            const std::vector<Grid> puzzles = levelFile(out, level);
            for (const Grid& p : puzzles) {
                GradeState s;
                EXPECT_EQ(GradePuzzle(s, p), level) << test::GridText(p);
                Grid solution{};
                ASSERT_EQ(CountSolutions(p, 2, &solution), 1) << test::GridText(p);
                test::ExpectSymmetricUniquePairMinimal(p, solution);
            }
            expectFarApart(puzzles);
            std::set<Grid> forms;
            for (const Grid& p : puzzles) EXPECT_TRUE(forms.insert(CanonicalForm(p)).second) << test::GridText(p);
            all.insert(all.end(), puzzles.begin(), puzzles.end());
            if (out == b) {
                const std::string first = Slurp(b / "Sudoku_81_Char" / LevelFileName(6, level));
                EXPECT_EQ(Slurp(a / "Sudoku_81_Char" / LevelFileName(6, level)).substr(0, first.size()), first);
            }
        }
        EXPECT_EQ(std::set<Grid>(all.begin(), all.end()).size(), all.size()) << out;
        EXPECT_EQ(all.size(), out == a ? 9u : 3u) << out;
    }
}

TEST_F(CliTest, LevelsFilterAndFullLevels) {
    const Result r = RunCli("generate -q --seed 5 --count 6 --levels Easy -t 'Sudoku Explainer' --out '" + dir_.string() + "'");
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(CountMatchingFiles(dir_ / "Sudoku Explainer", 5, 1), 6);
    for (int l = 2; l <= 9; ++l) EXPECT_EQ(CountMatchingFiles(dir_ / "Sudoku Explainer", 5, l), 0);
    // A full selected level stops the run with a message.
    fs::create_directories(dir_ / "Sudoku_81_Char");
    std::ofstream(dir_ / "Sudoku_81_Char" / "Sudoku_Easy.txt", std::ios::binary) << std::string(83 * 1000, 'x');
    const Result full = RunCli("generate -q --levels 1 -t 6 --out '" + dir_.string() + "' 2>&1");
    EXPECT_EQ(full.status, 0);
    EXPECT_NE(full.out.find("1000 puzzles"), std::string::npos);
    EXPECT_EQ(RunCli("generate -q --levels Easiest --out '" + dir_.string() + "'").status, 2);
    EXPECT_EQ(RunCli("generate -q --target 'No Such Program' --out '" + dir_.string() + "'").status, 2);
}

// The score follows the level in grade's text; merge and print take the puzzles of a range of scores.
TEST_F(CliTest, ScoresShowAndSelect) {
    const auto puzzles = test::LoadSharedPuzzles("trial.txt");
    std::string input;
    for (const auto& [puzzle, solution] : puzzles) input += test::GridText(puzzle) + "\n";
    const fs::path file = dir_ / "in.txt";
    std::ofstream(file) << input;
    const Result graded = RunCli("grade '" + file.string() + "'");
    ASSERT_EQ(graded.status, 0);
    std::istringstream lines(graded.out);
    std::vector<double> scores;
    for (std::string text, name; lines >> text;) {
        int level = 0;
        double score = 0;
        lines >> level >> name >> score;
        EXPECT_EQ(static_cast<int>(score), level) << text;
        scores.push_back(score);
    }
    ASSERT_EQ(scores.size(), puzzles.size());
    std::sort(scores.begin(), scores.end());
    // The range from the second lowest score to the highest leaves the lowest out.
    char range[32];
    std::snprintf(range, sizeof range, "%.2f-", scores[1]);
    const auto expected = static_cast<long long>(std::count_if(scores.begin(), scores.end(), [&](double s) { return s >= scores[1]; }));
    const Result merged = RunCli("merge '" + file.string() + "' -o '" + (dir_ / "m").string() + "' -t 6 --score " + range);
    EXPECT_EQ(merged.status, 0) << merged.out;
    EXPECT_NE(merged.out.find("copied: " + std::to_string(expected) + " "), std::string::npos) << merged.out;
    EXPECT_NE(merged.out.find("other scores, left out: " + std::to_string(scores.size() - expected) + "\n"),
              std::string::npos) << merged.out;
    const Result printed = RunCli("2>&1 print '" + file.string() + "' --order score --format svg --score " + range +
                                  " -o '" + (dir_ / "p").string() + "'");
    EXPECT_NE(printed.out.find(std::to_string(expected) + " puzzles written"), std::string::npos) << printed.out;
}

TEST_F(CliTest, CountShowsTheWindowsCounters) {
    fs::create_directories(dir_ / "YAZ Sudoku 2");
    std::ofstream(dir_ / "YAZ Sudoku 2" / "YAZ_Sudoku_2_Hard.sds", std::ios::binary) << std::string(250, 'x');
    const Result r = RunCli("count --target 1 --out '" + dir_.string() + "'");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("Hard :     1.50602409638554"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Easy :     0"), std::string::npos) << r.out;
}

TEST_F(CliTest, EveryWrittenFileGradesBack) {
    for (int t = 0; t < 8; ++t) {
        const fs::path out = dir_ / std::to_string(t);
        ASSERT_EQ(RunCli("generate -q --seed 3 --count 2 --levels 1 -t " + std::to_string(t) + " --out '" + out.string() + "'").status, 0);
        const fs::path folder = out / kTargets[static_cast<std::size_t>(t)].folder;
        for (const auto& e : fs::directory_iterator(folder)) {
            const Result r = RunCli("grade '" + e.path().string() + "'");
            EXPECT_EQ(r.status, 0) << e.path();
            EXPECT_NE(r.out.find(" 1 Easy 1."), std::string::npos) << e.path() << r.out;
        }
    }
}

// The ladder as `gridwick rungs` lists it: 42 rows, and every name in a row
// switches that rung off when given to --without.
TEST_F(CliTest, RungsListsTheLadderAndWithoutTakesEveryName) {
    const Result r = RunCli("rungs");
    ASSERT_EQ(r.status, 0);
    std::istringstream in(r.out);
    std::string line;
    int rows = 0;
    while (std::getline(in, line)) {
        int number = 0;
        if (std::sscanf(line.c_str(), "%d", &number) != 1) continue;
        ++rows;
        const Rung& rung = RungNumbered(number);
        EXPECT_NE(line.find(rung.player), std::string::npos) << line;
        EXPECT_NE(line.find(kLevelNames[static_cast<std::size_t>(rung.level)]), std::string::npos) << line;
        // The names after the player's name, comma-separated.
        std::string names = line.substr(line.find(rung.player) + std::string_view(rung.player).size());
        names += ",";
        names += rung.player;
        RungSet off;
        std::string error;
        EXPECT_TRUE(ParseRungList(names, off, error)) << error;
        EXPECT_TRUE(off.test(static_cast<std::size_t>(number))) << line;
    }
    EXPECT_EQ(rows, kRungCount);
    const std::string puzzle = test::GridText(test::LoadSharedPuzzles()[0].first) + "\n";
    EXPECT_EQ(RunCli("grade --without 'medusa, forcing chains, SUE DE COQ'", puzzle).status, 0);
}

// The signature of every grading of the built-in benchmark set. It changes
// only when some grading changes: a change that alters a grading on purpose
// updates it here and says why in its commit.
TEST_F(CliTest, BenchSignatureIsPinned) {
    const Result r = RunCli("bench");
    ASSERT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("graded 1038 puzzles"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\nsignature: 9bcd6d9cf3cc7d13\n"), std::string::npos) << r.out;
}

// Workers give the bytes one worker gives; folders and several files are read
// in sorted order and each result names its file.
TEST_F(CliTest, GradeJobsFoldersAndSeveralFiles) {
    const auto puzzles = test::LoadSharedPuzzles();
    std::string input;
    for (std::size_t i = 0; i < 300 && i < puzzles.size(); ++i) input += test::GridText(puzzles[i].first) + "\n";
    input += "not a puzzle\n";
    const Result one = RunCli("grade -f jsonl -j 1", input);
    const Result two = RunCli("grade -f jsonl -j 2", input);
    EXPECT_EQ(one.status, 1);
    EXPECT_EQ(two.status, 1);
    EXPECT_EQ(std::count(one.out.begin(), one.out.end(), '\n'), 301);
    EXPECT_EQ(one.out, two.out);

    fs::create_directories(dir_ / "in" / "sub");
    std::ofstream(dir_ / "in" / "b.txt") << test::GridText(puzzles[1].first) << "\n";
    std::ofstream(dir_ / "in" / "sub" / "a.txt") << test::GridText(puzzles[2].first) << "\n";
    std::ofstream(dir_ / "in" / "notes.md") << "ignored: not a puzzle file\n";
    const std::string folder = (dir_ / "in").string();
    const Result text = RunCli("grade '" + folder + "'");
    EXPECT_EQ(text.status, 0);
    EXPECT_EQ(text.out.find(folder + "/b.txt:1: " + test::GridText(puzzles[1].first)), 0u) << text.out;
    EXPECT_NE(text.out.find("\n" + folder + "/sub/a.txt:1: "), std::string::npos) << text.out;
    const Result json = RunCli("grade -f jsonl --steps none - '" + folder + "/b.txt'", test::GridText(puzzles[0].first) + "\n");
    EXPECT_EQ(json.out.find("{\"line\": 1, "), 0u) << json.out;
    EXPECT_NE(json.out.find("\n{\"file\": \"" + folder + "/b.txt\", \"line\": 1, "), std::string::npos) << json.out;
}

// One status scheme: 0 done, 1 bad input or failed writes, 2 usage; on every
// command's error paths a message in a line of its own that starts with
// "gridwick: ".
TEST_F(CliTest, ExitStatusesAndMessages) {
    const auto puzzles = test::LoadSharedPuzzles();
    const std::string good = test::GridText(puzzles[0].first) + "\n";
    const fs::path missing = dir_ / "missing.txt";
    const std::string book = " -o '" + (dir_ / "b.pdf").string() + "'";
    struct Case {
        std::string args, input;
        int status;
        std::string says = {};  // part of the error message (with '\n': its end)
    };
    const Case cases[] = {
        {"", "", 0},  // bare: the help
        {"--version", "", 0},
        {"grade", "", 1, "no puzzle"},  // no puzzle in the input
        {"grade /dev/null", "", 1, "no puzzle"},
        {"grade '" + missing.string() + "'", "", 1, "missing.txt"},
        {"grade '" + dir_.string() + "'", "", 1, "no puzzle"},  // a folder with no puzzle file
        {"grade > /dev/full", good, 1, "cannot write the results: No space left on device"},
        {"generate -q -n 1 --out - > /dev/full", "", 1, "cannot write to standard output: No space left on device"},
        {"grade", good, 0},
        {"grade --jobs 0", good, 2, "--jobs"},
        {"grade --html ''", good, 2, "--html: expected a file name, got nothing\n"},
        {"print x --out ''", "", 2, "--out: expected a file name, got nothing\n"},
        {"merge x --out ''", "", 2, "--out: expected a folder, got nothing\n"},
        {"generate --count abc", "", 2, "--count: expected a whole number of puzzles, 1 or more, got 'abc'\n"},
        {"generate --seed -1", "", 2, "--seed"},
        // A limit of zero is refused: run without a limit, a script's computed 0 would fill every level.
        {"generate --count 0", "", 2, "--count: expected a whole number of puzzles, 1 or more, got '0'\n"},
        {"generate --max-made 0", "", 2, "--max-made: expected a whole number of puzzles, 1 or more, got '0'\n"},
        {"generate --per-level 0", "", 2, "--per-level: expected a whole number of puzzles, 1 or more, got '0'\n"},
        {"generate --per-grid 0 --method hunt", "", 2, "--per-grid: expected a whole number of puzzles, 1 or more, got '0'\n"},
        {"generate --max-time 0", "", 2, "--max-time: expected a number of seconds above 0, got '0'\n"},
        {"print x --count 0" + book, "", 2, "--count: expected a whole number of puzzles, 1 or more, got '0'\n"},
        {"print x --per-level 0" + book, "", 2, "--per-level: expected a whole number of puzzles, 1 or more, got '0'\n"},
        {"print x --score 7.x" + book, "", 2, "--score: expected a range of scores such as 6.5-7.2, 7, 7.5- or -3, got '7.x'\n"},
        {"merge x -o x -t 1 --score 7-6", "", 2, "--score: expected a range of scores"},
        {"print" + book, "", 2, "missing inputs"},
        {"merge", "", 2, "missing sources: folders and files to copy from\n"},
        {"count --out '" + missing.string() + "'", "", 1, "missing.txt"},
        {"count --out '" + dir_.string() + "'", "", 1, "none of the 8 target folders"},  // no target folders
        {"frobnicate", "", 2, "unknown command"},
        {"rungs extra", "", 2, "not expected: extra\n"},
        {"bench --frob", "", 2, "unknown option '--frob' for bench"},
        {"print '" + missing.string() + "'" + book, "", 1, "missing.txt"},  // missing input
        {"merge '" + missing.string() + "' -o '" + dir_.string() + "' -t 6", "", 1, "missing.txt"},
        {"merge '" + dir_.string() + "' -o '" + dir_.string() + "' -t 9", "", 2, "target"},  // one bad-target message
        {"count -t nine --out '" + dir_.string() + "'", "", 2, "unknown target 'nine'"},
        {"grade --format JSONL", good, 0},  // values in any case
        {"generate -q -n 1 --method Random --out -", "", 0},
        {"generate -q --from x --out -", "", 2, "--from gives the hunt its starts"},
        // Easy fills up long before Mayhem turns up: the run says so.
        {"generate -q --levels 1,8 --max-made 1800 --out - >/dev/null", "", 0, "only rare levels are left. Mayhem"},
        {"generate -q -n 1 --out '" + (dir_ / std::string(300, 'a')).string() + "'", "", 2, "File name too long"},
    };
    for (const Case& c : cases) {
        // Standard error to the captured pipe before the case's own redirection of standard output.
        const Result r = RunCli("2>&1 " + c.args, c.input);
        EXPECT_EQ(r.status, c.status) << c.args;
        if (c.says.empty()) continue;
        const std::size_t at = r.out.find(c.says);
        EXPECT_NE(at, std::string::npos) << c.args << ": " << r.out;
        if (at == std::string::npos) continue;
        const std::size_t line = r.out.rfind('\n', at) == std::string::npos ? 0 : r.out.rfind('\n', at) + 1;
        EXPECT_EQ(r.out.compare(line, 10, "gridwick: "), 0) << c.args << ": " << r.out;
    }
    EXPECT_NE(RunCli("").out.find("generate"), std::string::npos);
    EXPECT_EQ(RunCli("--version").out.rfind("gridwick ", 0), 0u);
    const Result help = RunCli("generate --help");
    for (const auto& t : kTargets) EXPECT_NE(help.out.find(t.listText), std::string::npos) << t.listText;
    for (int l = 1; l <= 9; ++l) EXPECT_NE(help.out.find(kLevelNames[static_cast<std::size_t>(l)]), std::string::npos);
}

// What a killed or mistaken run leaves behind. A page writer killed outright
// leaves its temporary, and the next writer into that folder removes it, never
// a live writer's; a run that reads no puzzle keeps the page it would have
// replaced; a full disk is named as such whatever the workers.
TEST_F(CliTest, KilledWritersMistypedInputsAndFullDisks) {
    const std::string many = std::string(GRIDWICK_TEST_DATA) + "/random.txt";
    const std::string few = std::string(GRIDWICK_TEST_DATA) + "/trial.txt";
    const fs::path page = dir_ / "page.html";
    auto temporaries = [&] {
        std::set<std::string> out;
        for (const auto& e : fs::directory_iterator(dir_))
            if (e.path().filename().string().rfind(".page.html.", 0) == 0) out.insert(e.path().filename().string());
        return out;
    };
    test::RunCommand("'" GRIDWICK_CLI "' grade '" + many + "' --html '" + page.string() +
                     "' & pid=$!; sleep 1; kill -9 $pid; wait $pid");
    ASSERT_EQ(temporaries().size(), 1u) << "the killed writer's temporary";
    char host[256] = {};
    ASSERT_EQ(::gethostname(host, sizeof host - 1), 0);
    std::string live = std::string(host).substr(0, 64);
    std::replace(live.begin(), live.end(), '.', '-');
    live = ".page.html." + live + "." + std::to_string(::getpid()) + ".a1b2c3.tmp";
    std::ofstream(dir_ / live) << "a live writer's";
    ASSERT_EQ(RunCli("grade '" + few + "' --html '" + page.string() + "'").status, 0);
    EXPECT_EQ(temporaries(), std::set<std::string>{live});
    const std::string written = Slurp(page);
    EXPECT_NE(written.find("Line 5"), std::string::npos);
    EXPECT_EQ(RunCli("grade '" + (dir_ / "typo.txt").string() + "' --html '" + page.string() + "'").status, 1);
    EXPECT_EQ(Slurp(page), written);
    const Result full = RunCli("grade -f jsonl --jobs 2 '" + few + "' 2>&1 >/dev/full");
    EXPECT_NE(full.out.find("No space left on device"), std::string::npos) << full.out;
}

// Help fits 80 columns for every command, and a slip gets a suggestion and a
// pointer to the right help.
TEST_F(CliTest, HelpFitsAndSlipsGetSuggestions) {
    for (const char* command : {"", "generate", "grade", "count", "print", "merge", "rungs", "bench"}) {
        const Result help = RunCli(std::string(command) + " --help");
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_NE(help.out.find("Usage: gridwick"), std::string::npos) << command;
        std::istringstream lines(help.out);
        for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80u) << command << ": " << line;
        EXPECT_EQ(help.out.find("INT"), std::string::npos) << command;
    }
    const struct {
        std::string args, says;
    } slips[] = {
        {"genrate", "did you mean 'generate'?"},
        {"generate --level Hard", "did you mean '--levels'?\ngridwick: run 'gridwick generate --help'"},
        {"generate --method hnt", "did you mean 'hunt'?"},
        {"generate --levels Hrad", "did you mean 'Hard'?"},
        {"grade --fromat jsonl", "did you mean '--format'?"},
    };
    for (const auto& slip : slips) {
        const Result r = RunCli(slip.args + " 2>&1");
        EXPECT_EQ(r.status, 2) << slip.args;
        EXPECT_NE(r.out.find(slip.says), std::string::npos) << slip.args << ": " << r.out;
    }
}

// generate --out - writes one line per puzzle that grade reads back; the
// count of a folder comes as numbers in jsonl.
TEST_F(CliTest, GeneratePipesIntoGradeAndCountsAsJson) {
    const Result gen = RunCli("generate -q --seed 9 --count 4 --out -");
    ASSERT_EQ(gen.status, 0);
    ASSERT_EQ(std::count(gen.out.begin(), gen.out.end(), '\n'), 4);
    const Result graded = RunCli("grade", gen.out);
    EXPECT_EQ(graded.status, 0);
    // The same 81 cells, level number and name, then the score.
    std::string withoutScores;
    std::istringstream lines(graded.out);
    for (std::string line; std::getline(lines, line);) withoutScores += line.substr(0, line.rfind(' ')) + "\n";
    EXPECT_EQ(withoutScores, gen.out);
    ASSERT_EQ(RunCli("generate -q --seed 9 --count 2 --out '" + dir_.string() + "'").status, 0);
    const Result count = RunCli("count -f jsonl --out '" + dir_.string() + "'");
    EXPECT_EQ(count.status, 0);
    EXPECT_EQ(count.out.rfind("{\"target\": \"81 char $ (.)\", \"index\": 6, \"Easy\": ", 0), 0u) << count.out;
    const Result limited = RunCli("generate -q --levels Outlaw --max-made 20 --out -");
    EXPECT_EQ(limited.status, 0);
    EXPECT_EQ(limited.out, "");
}

}  // namespace
}  // namespace gw
