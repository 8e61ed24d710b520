// Publishing: printed books checked with poppler's tools, answer keys, and
// merging collections between folders and targets.
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <regex>
#include <set>

#include "model/canonical.h"
#include "output/stored.h"
#include "runs/grading.h"
#include "output/targets.h"
#include "print/book.h"
#include "test_util.h"

namespace gw {
namespace {

namespace fs = std::filesystem;

class Publish : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("gridwick_publish_" + std::to_string(::getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        puzzles_ = test::LoadSharedPuzzles();
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Q(const fs::path& p) const {
        std::string quoted = "'";
        quoted += p.string();
        quoted += '\'';
        return quoted;
    }

    // Stores puzzles [first, first + n) of the shared set under `base` for a
    // target, level k % 9 + 1 for the k-th, and returns the levels used.
    std::vector<int> Store(const fs::path& base, int target, int first, int n, int fixedLevel = 0) {
        fs::create_directories(base);
        CreateOutputFolders(base);
        std::vector<int> levels;
        for (int k = 0; k < n; ++k) {
            const auto& [puzzle, solution] = puzzles_[static_cast<std::size_t>(first + k)];
            const int level = fixedLevel != 0 ? fixedLevel : k % 9 + 1;
            EXPECT_EQ(SaveSudoku(base, target, level, puzzle, solution).kind, SaveResult::Kind::Written);
            levels.push_back(level);
        }
        return levels;
    }

    // Puzzle text by level of everything stored for a target.
    std::map<int, std::multiset<std::string>> Stored(const fs::path& base, int target) {
        std::map<int, std::multiset<std::string>> out;
        for (const StoredFile& f : ListTargetFiles(base, target)) {
            std::vector<InputPuzzle> ps;
            std::string error;
            EXPECT_TRUE(ReadStoredFile(f.path, ps, error)) << error;
            for (const InputPuzzle& p : ps)
                if (p.error.empty()) out[f.level].insert(p.text);
        }
        return out;
    }

    // The digits of a region of one PDF page, in reading order.
    std::string DigitsIn(const fs::path& pdf, int page, const print::GridBox& box) {
        const auto r = test::RunCommand("pdftotext -layout -f " + std::to_string(page) + " -l " + std::to_string(page) +
                                        " -x " + std::to_string(static_cast<int>(box.x) + 1) + " -y " +
                                        std::to_string(static_cast<int>(box.y) + 1) + " -W " +
                                        std::to_string(static_cast<int>(box.size) - 2) + " -H " +
                                        std::to_string(static_cast<int>(box.size) - 2) + " " + Q(pdf) + " -");
        EXPECT_EQ(r.status, 0) << "pdftotext missing or failed";
        std::string digits;
        for (char ch : r.out)
            if (ch >= '1' && ch <= '9') digits += ch;
        return digits;
    }

    static std::string Clues(const Grid& g) {
        std::string s;
        for (auto d : g)
            if (d) s += static_cast<char>('0' + d);
        return s;
    }
    static std::string Digits(const Grid& g) {
        std::string s;
        for (auto d : g) s += static_cast<char>('0' + d);
        return s;
    }
    int Pages(const fs::path& pdf) {
        const auto r = test::RunCommand("pdfinfo " + Q(pdf));
        EXPECT_EQ(r.status, 0) << "pdfinfo missing or failed";
        const auto at = r.out.find("Pages:");
        return at == std::string::npos ? -1 : std::stoi(r.out.substr(at + 6));
    }

    fs::path dir_;
    std::vector<std::pair<Grid, Grid>> puzzles_;
};

TEST_F(Publish, BookPagesContentsCluesAndSolutions) {
    const std::vector<int> levels = Store(dir_ / "in", 2, 0, 14);
    // A folder is printed level by level, Easy first.
    std::vector<std::size_t> order(14);
    for (std::size_t k = 0; k < 14; ++k) order[k] = k;
    std::stable_sort(order.begin(), order.end(), [&](auto a, auto b) { return levels[a] < levels[b]; });
    auto puzzle = [&](std::size_t n) { return puzzles_[order[n]].first; };
    auto solution = [&](std::size_t n) { return puzzles_[order[n]].second; };
    const fs::path pdf = dir_ / "book.pdf";
    constexpr double kMm = 72 / 25.4;
    struct Case {
        std::string args;
        int pages;
        int perPage;
        print::Paper paper;
        bool solutions;
        double gridMm;  // the puzzle grids are at least this large
    };
    // 14 puzzles: the contents (after the title and before the how-to-play
    // page, when asked for), puzzle pages, then 12 solutions a page.
    const Case cases[] = {
        {"", 1 + 4 + 2, 4, print::Paper::A4, true, 85},
        {"--per-page 1 --title 'A Book' --how-to-play", 1 + 1 + 1 + 14 + 2, 1, print::Paper::A4, true, 179},
        {"--per-page 6 --paper letter --no-solutions", 1 + 3, 6, print::Paper::Letter, false, 71},
        {"--per-page 2 --how-to-play --order random --seed 4", 1 + 1 + 7 + 2, 2, print::Paper::A4, true, 121},
        {"--per-page 2 --paper letter", 1 + 7 + 2, 2, print::Paper::Letter, true, 112},
    };
    const std::regex captionRe("No\\. (\\d+) \u00b7 ([A-Za-z]+)"), noteRe("No\\. (\\d+) \u00b7 [^\\n]*solution p\\. (\\d+)");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        ASSERT_EQ(test::RunGridwick("print " + Q(dir_ / "in") + " --out " + Q(pdf) + " " + c.args).status, 0);
        ASSERT_EQ(Pages(pdf), c.pages);
        const bool title = c.args.find("--title") != std::string::npos;
        const bool howToPlay = c.args.find("--how-to-play") != std::string::npos;
        const bool random = c.args.find("random") != std::string::npos;
        const int contents = title ? 2 : 1, first = contents + (howToPlay ? 2 : 1);
        // The text of every page (pdftotext ends each with a form feed).
        std::vector<std::string> text(1);
        {
            const std::string all = test::RunCommand("pdftotext -layout " + Q(pdf) + " -").out;
            for (std::size_t at = 0, ff; (ff = all.find('\f', at)) != std::string::npos; at = ff + 1)
                text.push_back(all.substr(at, ff - at));
            ASSERT_EQ(static_cast<int>(text.size()), c.pages + 1);
        }
        const auto isSolutions = [&](int page) { return text[static_cast<std::size_t>(page)].find("Solutions \u00b7") != std::string::npos; };
        // Where each level's first puzzle and first solution stand, from the captions.
        std::map<std::string, int> firstPuzzle, firstSolution, count;
        int solutionsStart = 0;
        for (int page = 1; page <= c.pages; ++page) {
            const std::string& t = text[static_cast<std::size_t>(page)];
            if (isSolutions(page) && solutionsStart == 0) solutionsStart = page;
            for (auto m = std::sregex_iterator(t.begin(), t.end(), captionRe); m != std::sregex_iterator(); ++m) {
                auto& at = isSolutions(page) ? firstSolution[(*m)[2]] : firstPuzzle[(*m)[2]];
                if (at == 0) at = page;
                if (!isSolutions(page)) ++count[(*m)[2]];
            }
            // A puzzle's note names the page where its solution is.
            for (auto m = std::sregex_iterator(t.begin(), t.end(), noteRe); m != std::sregex_iterator(); ++m) {
                const int at = std::stoi((*m)[2]);
                ASSERT_LE(at, c.pages);
                EXPECT_TRUE(isSolutions(at) && std::regex_search(text[static_cast<std::size_t>(at)],
                                                                 std::regex("No\\. " + std::string((*m)[1]) + " \u00b7")))
                    << (*m)[0];
            }
        }
        // The contents: a line per level with its count and the pages of its
        // first puzzle and first solution, in page order; the how-to-play and
        // solutions pages.
        const std::string& lines = text[static_cast<std::size_t>(contents)];
        ASSERT_EQ(lines.find("Contents"), lines.find_first_not_of(" \n")) << lines;
        std::size_t listed = 0;
        int lastPage = 0;
        const std::regex row("\\n *([A-Za-z]+( to play)?) +(\\d+)(?: +(\\d+))?(?: +(\\d+))?");
        for (auto m = std::sregex_iterator(lines.begin(), lines.end(), row); m != std::sregex_iterator(); ++m) {
            const std::string name = (*m)[1];
            if (name == "How to play") {
                ASSERT_TRUE(howToPlay);
                EXPECT_EQ(std::stoi((*m)[3]), first - 1);
                EXPECT_EQ(text[static_cast<std::size_t>(first - 1)].find("How to play"),
                          text[static_cast<std::size_t>(first - 1)].find_first_not_of(" \n"));
            } else if (name == "Solutions") {
                EXPECT_EQ(std::stoi((*m)[3]), solutionsStart);
            } else if (name != "All") {
                SCOPED_TRACE(name);
                ++listed;
                EXPECT_EQ(std::stoi((*m)[3]), count[name]);
                EXPECT_EQ(std::stoi((*m)[4]), firstPuzzle[name]);
                EXPECT_GE(firstPuzzle[name], lastPage);
                lastPage = firstPuzzle[name];
                if (c.solutions) { EXPECT_EQ(std::stoi((*m)[5]), firstSolution[name]); }
            }
        }
        EXPECT_EQ(listed, 9u);
        // The contents' links lead to places named after the page they are on.
        const std::string dests = test::RunCommand("pdfinfo -dests " + Q(pdf)).out;
        const std::regex destRe("\\n *(\\d+) \\[[^\\]]*\\] \"p(\\d+)\"");
        int places = 0;
        for (auto m = std::sregex_iterator(dests.begin(), dests.end(), destRe); m != std::sregex_iterator(); ++m, ++places)
            EXPECT_EQ((*m)[1], (*m)[2]);
        EXPECT_EQ(places, c.pages - contents);
        EXPECT_EQ(c.solutions, solutionsStart > 0);
        EXPECT_EQ(random, lines.find("levels are mixed") != std::string::npos);
        if (random) continue;

        const auto boxes = print::PuzzlePage(c.paper, c.perPage);
        EXPECT_GE(boxes[0].size, c.gridMm * kMm);
        // The first and the last grid of the first puzzle page show their clues in order.
        EXPECT_EQ(DigitsIn(pdf, first, boxes[0]), Clues(puzzle(0)));
        EXPECT_EQ(DigitsIn(pdf, first, boxes.back()), Clues(puzzle(boxes.size() - 1)));
        EXPECT_NE(text[static_cast<std::size_t>(first)].find(
                      "No. 1 \u00b7 " + std::string(kLevelNames[static_cast<std::size_t>(levels[order[0]])])),
                  std::string::npos);
        if (c.solutions) {
            const int solutionPage = c.pages - 1;
            const auto small = print::SolutionPage(c.paper);
            EXPECT_EQ(DigitsIn(pdf, solutionPage, small[0]), Digits(solution(0)));
            EXPECT_EQ(DigitsIn(pdf, solutionPage, small[11]), Digits(solution(11)));
            EXPECT_EQ(DigitsIn(pdf, c.pages, small[1]), Digits(solution(13)));
        }
        // Nothing is printed within 12 mm of the paper's edges, page numbers included.
        const std::string words = test::RunCommand("pdftotext -bbox " + Q(pdf) + " -").out;
        const std::regex pageRe("<page width=\"([\\d.]+)\" height=\"([\\d.]+)\""),
            wordRe("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)<");
        std::smatch pm;
        ASSERT_TRUE(std::regex_search(words, pm, pageRe));
        const double width = std::stod(pm[1]), height = std::stod(pm[2]);
        int seen = 0;
        for (auto m = std::sregex_iterator(words.begin(), words.end(), wordRe); m != std::sregex_iterator(); ++m, ++seen)
            ASSERT_TRUE(std::stod((*m)[1]) >= 12 * kMm && std::stod((*m)[2]) >= 12 * kMm &&
                        std::stod((*m)[3]) <= width - 12 * kMm && std::stod((*m)[4]) <= height - 12 * kMm)
                << (*m)[0];
        EXPECT_GT(seen, 14 * 17);
        const auto info = test::RunCommand("pdfinfo " + Q(pdf)).out;
        EXPECT_NE(info.find(c.paper == print::Paper::A4 ? "(A4)" : "(letter)"), std::string::npos) << info;
    }
    // Rendering works and gives ink on the page.
    ASSERT_EQ(test::RunCommand("pdftoppm -gray -r 20 -f 1 -l 1 " + Q(pdf) + " " + Q(dir_ / "page")).status, 0);
    EXPECT_GT(fs::file_size(dir_ / "page-01.pgm"), 1000u);
}

TEST_F(Publish, PlainFilesAreGradedBadOnesReportedAndSvgPerPuzzle) {
    std::string text = "# two puzzles and a bad line\n" + test::GridText(puzzles_[20].first) + "\nnot a puzzle\n" +
                       test::GridText(puzzles_[21].first) + "\n";
    std::ofstream(dir_ / "plain.txt") << text;
    const auto r = test::RunGridwick("print " + Q(dir_ / "plain.txt") + " --out " + Q(dir_ / "b.pdf") + " --per-page 1 --order input");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Pages(dir_ / "b.pdf"), 4);  // the contents and two puzzles, one solutions page
    GradeState s;
    const int level = GradePuzzle(s, puzzles_[21].first);
    const auto page2 = test::RunCommand("pdftotext -f 3 -l 3 " + Q(dir_ / "b.pdf") + " -").out;
    EXPECT_NE(page2.find("No. 2 \u00b7 " + std::string(kLevelNames[static_cast<std::size_t>(level)])), std::string::npos);

    EXPECT_EQ(test::RunGridwick("print " + Q(dir_ / "nothing") + " --out " + Q(dir_ / "c.pdf")).status, 1);
    EXPECT_FALSE(fs::exists(dir_ / "c.pdf"));

    // Pictures are named by level, keep their digits as text, and go only
    // into an empty or new folder unless --force.
    const std::string svg = "print " + Q(dir_ / "plain.txt") + " --format svg --out " + Q(dir_ / "svg");
    ASSERT_EQ(test::RunGridwick(svg).status, 1);
    const std::string name = std::string(kLevelNames[static_cast<std::size_t>(level)]) + "_0001";
    std::vector<std::string> files;
    for (const auto& e : fs::directory_iterator(dir_ / "svg")) files.push_back(e.path().filename().string());
    EXPECT_EQ(files.size(), 4u);
    std::ifstream in(dir_ / "svg" / (name + "_solution.svg"));
    const std::string picture{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_NE(picture.find("<title>Solution of No. "), std::string::npos) << picture;
    EXPECT_NE(picture.find(">" + std::to_string(puzzles_[21].second[80]) + "</text>"), std::string::npos);
    EXPECT_EQ(test::RunGridwick(svg).status, 1);  // the folder now holds files
    EXPECT_EQ(test::RunGridwick(svg + " --force --no-solutions").status, 1);  // 1: the bad line
    ASSERT_EQ(test::RunGridwick("print " + Q(dir_ / "plain.txt") + " --format png --dpi 72 --out " + Q(dir_ / "png")).status, 1);
    EXPECT_TRUE(fs::exists(dir_ / "png" / (name + ".png")));
}

// A folder with repeats, printed by level, count and order: each puzzle once,
// the chosen levels only, in the order asked for.
TEST_F(Publish, BooksChooseLevelsCountsAndOrder) {
    Store(dir_ / "a", 6, 0, 30);
    Store(dir_ / "b", 7, 20, 20);  // ten of them repeat puzzles of a
    std::mt19937 rng(5);
    std::ofstream(dir_ / "disguise.txt") << test::GridText(test::RandomDisguise(puzzles_[0].first, rng)) << "\n";
    const std::string in = Q(dir_ / "a") + " " + Q(dir_ / "b") + " " + Q(dir_ / "disguise.txt");
    // The level of each printed puzzle, from the captions of a one-a-page book.
    auto levelsPrinted = [&](const std::string& args) {
        const auto r = test::RunGridwick("print " + in + " --per-page 1 --no-solutions --out " + Q(dir_ / "b.pdf") +
                                         " " + args);
        EXPECT_EQ(r.status, 0) << args;
        std::vector<int> out;
        const std::string text = test::RunCommand("pdftotext " + Q(dir_ / "b.pdf") + " -").out;
        for (std::size_t at = text.find("No. "); at != std::string::npos; at = text.find("No. ", at + 1))
            for (int l = 1; l <= 9; ++l)
                if (text.compare(text.find("\u00b7 ", at) + 3, std::string_view(kLevelNames[static_cast<std::size_t>(l)]).size(),
                                 kLevelNames[static_cast<std::size_t>(l)]) == 0)
                    out.push_back(l);
        return out;
    };
    const struct {
        std::string args;
        std::size_t count;
        int perLevelMax;  // 0: no bound
        bool sorted;
    } cases[] = {
        {"", 41, 0, true},             // 40 distinct puzzles and the disguise
        {"--unique", 40, 0, true},
        {"--levels 1-2 --order input", 0, 0, false},
        {"--per-level 2", 0, 2, true},
        {"--count 5 --order random --seed 3", 5, 0, false},
    };
    std::vector<int> all;
    for (const auto& c : cases) {
        const std::vector<int> levels = levelsPrinted(c.args);
        if (c.args.empty()) all = levels;
        if (c.count > 0) { EXPECT_EQ(levels.size(), c.count) << c.args; }
        if (c.sorted) { EXPECT_TRUE(std::is_sorted(levels.begin(), levels.end())) << c.args; }
        std::map<int, int> per;
        for (int l : levels) ++per[l];
        for (const auto& [l, n] : per) {
            if (c.perLevelMax > 0) { EXPECT_EQ(n, std::min<int>(c.perLevelMax, static_cast<int>(std::count(all.begin(), all.end(), l)))) << c.args; }
            if (c.args.find("--levels 1-2") != std::string::npos) { EXPECT_LE(l, 2) << c.args; }
        }
    }
    EXPECT_EQ(levelsPrinted("--count 5 --order random --seed 3"), levelsPrinted("--order random --seed 3 --count 5"));
    // The book holds only what it can use while reading: --count N gives the
    // first N puzzles of the whole book, in every order.
    auto idsPrinted = [&](const std::string& args) {
        EXPECT_EQ(test::RunGridwick("print " + in + " --per-page 1 --no-solutions --out " + Q(dir_ / "b.pdf") + " " + args)
                      .status, 0) << args;
        const std::string text = test::RunCommand("pdftotext -layout " + Q(dir_ / "b.pdf") + " -").out;
        const std::regex caption("No\\. [0-9]+ \u00b7 [A-Za-z]+ +([0-9a-f]{6})");
        std::vector<std::string> ids;
        for (auto m = std::sregex_iterator(text.begin(), text.end(), caption); m != std::sregex_iterator(); ++m)
            ids.push_back((*m)[1]);
        return ids;
    };
    for (const std::string order : {"input", "level", "random --seed 3", "random --seed 4 --unique"})
        for (const std::string perLevel : {"", " --per-level 2"}) {
            std::vector<std::string> all = idsPrinted("--order " + order + perLevel);
            ASSERT_GE(all.size(), 7u) << order << perLevel;
            all.resize(7);
            EXPECT_EQ(idsPrinted("--count 7 --order " + order + perLevel), all) << order << perLevel;
        }
}

TEST_F(Publish, GradeAddsSolutionAndCanonicalForm) {
    const Grid& p = puzzles_[3].first;
    std::mt19937 rng(3);
    const std::string input = test::GridText(p) + "\n" + test::GridText(test::RandomDisguise(p, rng)) + "\n";
    std::ofstream(dir_ / "in.txt") << input;
    const auto text = test::RunGridwick("grade --solution --canonical " + Q(dir_ / "in.txt"));
    EXPECT_EQ(text.status, 0);
    const std::string form = CanonicalText(p);
    EXPECT_NE(text.out.find(" " + Digits(puzzles_[3].second) + " " + form + "\n"), std::string::npos) << text.out;
    EXPECT_EQ(text.out.rfind(" " + form + "\n"), text.out.size() - 83);  // the disguise too
    const auto json = test::RunGridwick("grade --format jsonl --solution " + Q(dir_ / "in.txt"));
    EXPECT_NE(json.out.find(", \"solution\": \"" + Digits(puzzles_[3].second) + "\", \"steps\": ["), std::string::npos);
}

TEST_F(Publish, MergeConvertsAndRunningAgainAddsNothing) {
    const fs::path a = dir_ / "a", b = dir_ / "b", dest = dir_ / "dest";
    Store(a, 0, 0, 20);            // YAZ Sudoku 1, all nine levels
    Store(b, 6, 10, 20, 3);        // half the same puzzles, all Hard
    const auto r = test::RunGridwick("merge " + Q(a) + " " + Q(a) + " " + Q(b / "Sudoku_81_Char") + " --out " +
                                     Q(dest) + " --target Sudocue");
    EXPECT_EQ(r.status, 0);
    // a twice: 20 copied and 20 skipped; b: 10 new, 10 already there.
    EXPECT_NE(r.out.find("copied: 30"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("skipped, already stored: 30"), std::string::npos) << r.out;
    auto expected = Stored(a, 0);
    for (const auto& [level, set] : Stored(b, 6))
        for (const std::string& p : set)
            if (std::none_of(expected.begin(), expected.end(), [&](auto& e) { return e.second.count(p) > 0; }))
                expected[level].insert(p);
    EXPECT_EQ(Stored(dest, 3), expected);

    const auto again = test::RunGridwick("merge " + Q(a) + " " + Q(b) + " --out " + Q(dest) + " --target 3");
    EXPECT_NE(again.out.find("copied: 0"), std::string::npos) << again.out;
    EXPECT_EQ(Stored(dest, 3), expected);
    // And back to a level-file target, only two levels.
    const auto back = test::RunGridwick("merge " + Q(dest) + " --out " + Q(dir_ / "c") + " --target 1 --levels 1-2");
    EXPECT_NE(back.out.find("copied: 6"), std::string::npos) << back.out;  // 3 Easy, 3 Medium in a
    EXPECT_NE(back.out.find("other levels, left out: 24"), std::string::npos) << back.out;

    // --max-shared: a stored Easy puzzle with one given more is a near-copy
    // at its own level and a new puzzle at another.
    auto [nearCopy, solution] = puzzles_[0];
    const auto empty = static_cast<std::size_t>(std::find(nearCopy.begin(), nearCopy.end(), 0) - nearCopy.begin());
    nearCopy[empty] = solution[empty];
    fs::create_directories(dir_ / "near");
    CreateOutputFolders(dir_ / "near");
    for (const int level : {1, 2})
        ASSERT_EQ(SaveSudoku(dir_ / "near", 0, level, nearCopy, solution).kind, SaveResult::Kind::Written);
    const auto near = test::RunGridwick("merge " + Q(dir_ / "near") + " --out " + Q(dest) + " --target 3 --max-shared 50%");
    EXPECT_NE(near.out.find("copied: 1 "), std::string::npos) << near.out;
    EXPECT_NE(near.out.find("skipped, sharing more than 0.5 of the givens with a puzzle of its level: 1"),
              std::string::npos) << near.out;
    EXPECT_EQ(test::RunGridwick("merge " + Q(a) + " --out " + Q(dest) + " --target 3 --max-shared half").status, 2);
}

TEST_F(Publish, MergeFullLevelsTornRecordsAndDisguises) {
    const fs::path src = dir_ / "src", dest = dir_ / "dest";
    // The destination's Easy level holds 998 puzzles and a torn record.
    fs::create_directories(dest);
    CreateOutputFolders(dest);
    {
        std::ofstream out(TargetFolder(dest, 6) / LevelFileName(6, 1), std::ios::binary);
        for (int k = 0; k < 998; ++k) out << FormatPuzzle(6, puzzles_[static_cast<std::size_t>(k)].first, {});
        out << "1.2.3";
    }
    // The source: five new Easy puzzles and one already stored, in a YAZ file
    // whose last record is torn, and a disguise of a stored puzzle.
    Store(src, 1, 1000, 5, 1);
    Store(src, 1, 5, 1, 1);
    {
        std::ofstream out(TargetFolder(src, 1) / LevelFileName(1, 1), std::ios::binary | std::ios::app);
        out << FormatPuzzle(1, puzzles_[2000].first, puzzles_[2000].second).substr(0, 100);
    }
    std::mt19937 rng(5);
    std::ofstream(dir_ / "disguise.txt") << test::GridText(test::RandomDisguise(puzzles_[7].first, rng)) << "\n";

    const auto r = test::RunGridwick("merge " + Q(src) + " " + Q(dir_ / "disguise.txt") + " --out " + Q(dest) +
                                     " --target 6 --unique");
    EXPECT_EQ(r.status, 1);  // the torn record
    EXPECT_NE(r.out.find("copied: 2 "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("skipped, already stored: 1\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("skipped, the same puzzle in disguise: 1\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("could not place: 3 (Easy 3 full)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("unreadable: 1"), std::string::npos) << r.out;
    // The torn record was replaced: 1000 whole records.
    EXPECT_EQ(fs::file_size(TargetFolder(dest, 6) / LevelFileName(6, 1)), 1000u * 83);

    // Without --unique the disguise is a new puzzle (of the level it grades to).
    const auto plain = test::RunGridwick("merge " + Q(dir_ / "disguise.txt") + " --out " + Q(dest) + " --target 6");
    EXPECT_EQ(plain.status, 0);
    GradeState s;
    const int level = GradePuzzle(s, puzzles_[7].first);
    EXPECT_NE(plain.out.find(level == 1 ? "could not place: 1" : "copied: 1 "), std::string::npos) << plain.out;
    EXPECT_EQ(test::RunGridwick("merge " + Q(src) + " --out " + Q(dest) + " --target nowhere").status, 2);
}

}  // namespace
}  // namespace gw
