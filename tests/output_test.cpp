// Target folders, names, numbering, counting and the byte layout of every
// target, and reading every layout back.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <functional>
#include <thread>

#include "output/reader.h"
#include "runs/grading.h"
#include "output/targets.h"
#include "test_util.h"

namespace gw {
namespace {

const char* kPuzzle = "53..7....6..195....98....6.8...6...34..8.3..17...2...6.6....28....419..5....8..79";
const char* kSolution = "534678912672195348198342567859761423426853791713924856961537284287419635345286179";

class OutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        base_ = fs::temp_directory_path() /
                ("gridwick_out_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(base_);
        fs::create_directories(base_);
        CreateOutputFolders(base_);
        puzzle_ = test::ParseGrid(kPuzzle);
        solution_ = test::ParseGrid(kSolution);
    }
    void TearDown() override { fs::remove_all(base_); }

    static std::string Slurp(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void Touch(const fs::path& p, std::size_t bytes = 1) {
        std::ofstream(p, std::ios::binary) << std::string(bytes, 'x');
    }
    SaveResult Save(int target, int level) { return SaveSudoku(base_, target, level, puzzle_, solution_); }

    fs::path base_;
    Grid puzzle_{}, solution_{};
};

TEST_F(OutputTest, FoldersAndNames) {
    for (const char* f : {"YAZ Sudoku 1", "YAZ Sudoku 2", "Simple Sudoku", "Sudocue", "Into Sudoku",
                          "Sudoku Explainer", "Sudoku_81_Char", "Sudoku_81_Char_0"})
        EXPECT_TRUE(fs::is_directory(base_ / f)) << f;
    CreateOutputFolders(base_);  // a second start with the folders present is harmless
    EXPECT_EQ(LevelFileName(0, 1), "YAZ_Sudoku_1_Easy.sds");
    EXPECT_EQ(LevelFileName(1, 9), "YAZ_Sudoku_2_Outlaw.sds");
    EXPECT_EQ(LevelFileName(6, 6), "Sudoku_Kamikaze_.txt");
    EXPECT_EQ(LevelFileName(6, 5), "Sudoku_Insane.txt");
    EXPECT_EQ(LevelFileName(7, 6), "Sudoku_Kamikaze_0.txt");
    EXPECT_EQ(NumberedFileName(2, 1, 1), "Easy_0001.ss");
    EXPECT_EQ(NumberedFileName(4, 9, 137), "Outlaw_0137.sud");
    EXPECT_EQ(NumberedFileName(3, 2, 1000), "Medium_1000.sdk");
    EXPECT_EQ(FindTarget("simple sudoku"), 2);
    EXPECT_EQ(FindTarget("7"), 7);
    EXPECT_EQ(FindTarget("81 CHAR $ (.)"), 6);
    EXPECT_EQ(FindTarget("8"), -1);
    for (int t = 0; t < 8; ++t)
        for (const auto& label : CountSudokus(base_, t)) EXPECT_EQ(label, "0");
}

TEST_F(OutputTest, ByteLayoutsOfEveryTarget) {
    // Records and files, byte for byte.
    std::string sds(166, '\0');
    for (int c = 0; c < 81; ++c) {
        sds[static_cast<std::size_t>(c)] = static_cast<char>(puzzle_[c]);
        sds[static_cast<std::size_t>(81 + c)] = static_cast<char>(solution_[c]);
    }
    EXPECT_EQ(FormatPuzzle(0, puzzle_, solution_), sds);
    EXPECT_EQ(FormatPuzzle(1, puzzle_, solution_), sds);
    EXPECT_EQ(FormatPuzzle(2, puzzle_, solution_),
              "530|070|000\r\n600|195|000\r\n098|000|060\r\n-----------\r\n"
              "800|060|003\r\n400|803|001\r\n700|020|006\r\n-----------\r\n"
              "060|000|280\r\n000|419|005\r\n000|080|079\r\n\r\n");
    EXPECT_EQ(FormatPuzzle(3, puzzle_, solution_),
              "53..7....\r\n6..195...\r\n.98....6.\r\n8...6...3\r\n4..8.3..1\r\n"
              "7...2...6\r\n.6....28.\r\n...419..5\r\n....8..79");
    EXPECT_EQ(FormatPuzzle(4, puzzle_, solution_),
              "530070000\r\n600195000\r\n098000060\r\n800060003\r\n400803001\r\n"
              "700020006\r\n060000280\r\n000419005\r\n000080079\r\n");
    EXPECT_EQ(FormatPuzzle(5, puzzle_, solution_),
              "53..7....\r\n6..195...\r\n.98....6.\r\n8...6...3\r\n4..8.3..1\r\n"
              "7...2...6\r\n.6....28.\r\n...419..5\r\n....8..79\r\n");
    EXPECT_EQ(FormatPuzzle(6, puzzle_, solution_), std::string(kPuzzle) + "\r\n");
    std::string zero = kPuzzle;
    for (char& ch : zero)
        if (ch == '.') ch = '0';
    EXPECT_EQ(FormatPuzzle(7, puzzle_, solution_), zero + "\r\n");
    const std::array<std::size_t, 8> sizes = {166, 166, 145, 97, 99, 99, 83, 83};
    for (int t = 0; t < 8; ++t)
        EXPECT_EQ(FormatPuzzle(t, puzzle_, solution_).size(), sizes[static_cast<std::size_t>(t)]);
}

TEST_F(OutputTest, LevelFilesGrowByOneRecordAndCount) {
    const fs::path hard = base_ / "YAZ Sudoku 1" / "YAZ_Sudoku_1_Hard.sds";
    ASSERT_EQ(Save(0, 3).kind, SaveResult::Kind::Written);
    EXPECT_EQ(fs::file_size(hard), 166u);
    EXPECT_EQ(Slurp(hard), FormatPuzzle(0, puzzle_, solution_));
    ASSERT_EQ(Save(0, 3).kind, SaveResult::Kind::Written);
    EXPECT_EQ(fs::file_size(hard), 332u);
    EXPECT_EQ(CountSudokus(base_, 0)[2], "2");
    for (int i = 0; i < 3; ++i) Save(6, 6);
    EXPECT_EQ(fs::file_size(base_ / "Sudoku_81_Char" / "Sudoku_Kamikaze_.txt"), 3u * 83);
    EXPECT_EQ(CountSudokus(base_, 6)[5], "3");
}

TEST_F(OutputTest, TornLevelFileShowsAFractionAndIsRepairedByTheNextRecord) {
    const fs::path easy = base_ / "YAZ Sudoku 1" / "YAZ_Sudoku_1_Easy.sds";
    Touch(easy, 250);
    EXPECT_EQ(CountSudokus(base_, 0)[0], "1.50602409638554");
    // The torn second record is replaced: no hole of zero bytes is left.
    ASSERT_EQ(Save(0, 1).kind, SaveResult::Kind::Written);
    EXPECT_EQ(fs::file_size(easy), 332u);
    EXPECT_EQ(Slurp(easy).substr(166), FormatPuzzle(0, puzzle_, solution_));
    EXPECT_EQ(CountSudokus(base_, 0)[0], "2");
}

TEST_F(OutputTest, FullLevelFileTakesNoMore) {
    const fs::path easy = base_ / "Sudoku_81_Char_0" / "Sudoku_Easy_0.txt";
    std::string lines;
    for (int i = 0; i < 999; ++i) lines += FormatPuzzle(7, puzzle_, solution_);
    std::ofstream(easy, std::ios::binary) << lines;
    EXPECT_FALSE(LevelFull(base_, 7, 1));
    ASSERT_EQ(Save(7, 1).kind, SaveResult::Kind::Written);
    EXPECT_TRUE(LevelFull(base_, 7, 1));
    EXPECT_EQ(Save(7, 1).kind, SaveResult::Kind::Full);
    EXPECT_EQ(fs::file_size(easy), 83u * 1000);
    EXPECT_EQ(CountSudokus(base_, 7)[0], "1000");
}

TEST_F(OutputTest, NumberedFilesNeverOverwriteAStoredPuzzle) {
    const fs::path folder = base_ / "Simple Sudoku";
    ASSERT_EQ(Save(2, 1).kind, SaveResult::Kind::Written);
    EXPECT_TRUE(fs::exists(folder / "Easy_0001.ss"));
    EXPECT_EQ(CountSudokus(base_, 2)[0], "1");
    // A gap: 0001 and 0003 stored, so the count is 2 and 0003 is taken; the new
    // puzzle goes to the next free number instead of overwriting it.
    fs::remove(folder / "Easy_0001.ss");
    Touch(folder / "Easy_0001.ss", 7);
    Touch(folder / "Easy_0003.ss", 9);
    const SaveResult r = Save(2, 1);
    ASSERT_EQ(r.kind, SaveResult::Kind::Written);
    EXPECT_EQ(r.path.filename(), "Easy_0004.ss");
    EXPECT_EQ(fs::file_size(folder / "Easy_0003.ss"), 9u);
    // Any four characters match the pattern.
    Touch(folder / "Easy_abcd.ss");
    Touch(folder / "Easy_12345.ss");
    Touch(folder / "Medium_0001.sud");
    EXPECT_EQ(CountMatchingFiles(folder, 2, 1), 4);
}

TEST_F(OutputTest, NumberedLevelStopsAtOneThousand) {
    const fs::path folder = base_ / "Sudocue";
    for (int n = 1; n <= 999; ++n) Touch(folder / NumberedFileName(3, 1, n));
    EXPECT_FALSE(LevelFull(base_, 3, 1));
    const SaveResult r = Save(3, 1);
    ASSERT_EQ(r.kind, SaveResult::Kind::Written);
    EXPECT_EQ(r.path.filename(), "Easy_1000.sdk");
    EXPECT_EQ(fs::file_size(r.path), 97u);
    EXPECT_TRUE(LevelFull(base_, 3, 1));
    EXPECT_EQ(Save(3, 1).kind, SaveResult::Kind::Full);
    EXPECT_EQ(CountSudokus(base_, 3)[0], "1000");
}

TEST_F(OutputTest, WriteFailureIsReportedWithItsReason) {
    fs::remove_all(base_ / "Into Sudoku");
    const SaveResult r = Save(4, 2);
    EXPECT_EQ(r.kind, SaveResult::Kind::Failed);
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(r.path.parent_path().filename(), "Into Sudoku");
    fs::remove_all(base_ / "YAZ Sudoku 2");
    EXPECT_EQ(Save(1, 2).kind, SaveResult::Kind::Failed);
    EXPECT_EQ(CountSudokus(base_, 1)[1], "0");
}

TEST_F(OutputTest, EveryTargetReadsBack) {
    for (int t = 0; t < 8; ++t) {
        const SaveResult r = Save(t, 4);
        ASSERT_EQ(r.kind, SaveResult::Kind::Written) << t;
        Save(t, 4);  // a second puzzle of the level, for the level files
        const auto puzzles = ReadPuzzles(Slurp(r.path));
        ASSERT_EQ(puzzles.size(), kTargets[static_cast<std::size_t>(t)].levelFile ? 2u : 1u) << t;
        for (const auto& p : puzzles) {
            EXPECT_EQ(p.error, "") << "target " << t;
            EXPECT_EQ(p.grid, puzzle_) << "target " << t;
        }
    }
}

// Line files as editors and shell tools leave them: the new line goes after
// the last stored puzzle, and only a torn record (fewer than 81 cells at the
// end) is replaced.
TEST_F(OutputTest, HandEditedLineFilesKeepEveryPuzzle) {
    const auto others = GeneratedPuzzles(2, 11);
    const std::string p1 = test::GridText(others[0].first), p2 = test::GridText(others[1].first);
    const std::string line = FormatPuzzle(6, puzzle_, solution_);
    const struct {
        const char* what;
        std::string before, after;
    } cases[] = {
        {"own layout", p1 + "\r\n" + p2 + "\r\n", p1 + "\r\n" + p2 + "\r\n" + line},
        {"LF line ends (dos2unix, echo)", p1 + "\n" + p2 + "\n", p1 + "\n" + p2 + "\n" + line},
        {"last CR LF dropped", p1 + "\r\n" + p2, p1 + "\r\n" + p2 + "\r\n" + line},
        {"last LF dropped", p1 + "\n" + p2, p1 + "\n" + p2 + "\r\n" + line},
        {"only the LF dropped", p1 + "\r\n" + p2 + "\r", p1 + "\r\n" + p2 + "\r\n" + line},
        {"a note without line end", p1 + "\r\n# from the club", p1 + "\r\n# from the club\r\n" + line},
        {"torn record", p1 + "\r\n" + p2.substr(0, 40), p1 + "\r\n" + line},
        {"a single torn record", p2.substr(0, 7), line},
    };
    const fs::path file = base_ / "Sudoku_81_Char" / "Sudoku_Medium.txt";
    for (const auto& c : cases) {
        std::ofstream(file, std::ios::binary | std::ios::trunc) << c.before;
        ASSERT_EQ(Save(6, 2).kind, SaveResult::Kind::Written) << c.what;
        EXPECT_EQ(Slurp(file), c.after) << c.what;
    }
}

// Only regular files are written: a symbolic link is not followed, a FIFO does
// not block, a folder is not a level file. The thing found is left as it was.
TEST_F(OutputTest, LevelFilesMustBeRegularFiles) {
    const fs::path folder = base_ / "YAZ Sudoku 1", elsewhere = base_ / "elsewhere.sds";
    const fs::path easy = folder / LevelFileName(0, 1);
    Touch(elsewhere, 5);
    const struct {
        const char* what;
        std::function<void()> make;
    } cases[] = {
        {"symbolic link", [&] { fs::create_symlink(elsewhere, easy); }},
        {"dangling symbolic link", [&] { fs::create_symlink(base_ / "nowhere", easy); }},
        {"FIFO", [&] { ASSERT_EQ(::mkfifo(easy.c_str(), 0644), 0); }},
        {"folder", [&] { fs::create_directory(easy); }},
    };
    for (const auto& c : cases) {
        fs::remove_all(easy);
        c.make();
        const SaveResult r = Save(0, 1);
        EXPECT_EQ(r.kind, SaveResult::Kind::Failed) << c.what;
        EXPECT_EQ(r.path, easy) << c.what;
        EXPECT_NE(r.error.find("regular file"), std::string::npos) << c.what << ": " << r.error;
        EXPECT_EQ(fs::file_size(elsewhere), 5u) << c.what;
        EXPECT_FALSE(fs::exists(base_ / "nowhere")) << c.what;
    }
}

// Numbers freed by hand are used again once the numbers above are taken, so a
// level is full only when it holds 1000 puzzles.
TEST_F(OutputTest, NumberedLevelsRefillTheirHoles) {
    const fs::path folder = base_ / "Into Sudoku";
    for (int n = 1; n <= kMaxPerLevel; ++n)
        if (n != 500 && n != 7) Touch(folder / NumberedFileName(4, 3, n));
    EXPECT_FALSE(LevelFull(base_, 4, 3));
    EXPECT_EQ(Save(4, 3).path.filename(), "Hard_0007.sud");
    EXPECT_EQ(Save(4, 3).path.filename(), "Hard_0500.sud");
    EXPECT_EQ(fs::file_size(folder / "Hard_0500.sud"), 99u);
    EXPECT_TRUE(LevelFull(base_, 4, 3));
    EXPECT_EQ(Save(4, 3).kind, SaveResult::Kind::Full);
    EXPECT_EQ(CountSudokus(base_, 4)[2], "1000");
}

// A temporary left by a killed writer is never counted, and the next save into
// the folder removes it.
TEST_F(OutputTest, LeftoverTemporariesAreIgnoredAndCleaned) {
    const fs::path folder = base_ / "Sudocue";
    for (const char* tmp : {".gridwick-123.tmp", ".gridwick-4567.tmp"}) Touch(folder / tmp, 0);
    Touch(folder / ".gridwick-notes.txt", 3);  // not one of ours
    EXPECT_EQ(CountSudokus(base_, 3)[0], "0");
    ASSERT_EQ(Save(3, 1).kind, SaveResult::Kind::Written);
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".gridwick-notes.txt", "Easy_0001.sdk"}));
}

// Writers in threads of one process exclude each other as processes do: every
// record and file whole, none lost.
TEST_F(OutputTest, ConcurrentWritersLoseNothing) {
    constexpr int kThreads = 4, kEach = 25;
    for (const int target : {0, 7, 5}) {
        std::vector<std::thread> threads;
        std::atomic<int> written{0};
        for (int i = 0; i < kThreads; ++i)
            threads.emplace_back([&] {
                for (int k = 0; k < kEach; ++k) written += Save(target, 2).kind == SaveResult::Kind::Written;
            });
        for (auto& t : threads) t.join();
        EXPECT_EQ(written, kThreads * kEach) << target;
        EXPECT_EQ(CountSudokus(base_, target)[1], std::to_string(kThreads * kEach)) << target;
        const fs::path folder = TargetFolder(base_, target);
        if (kTargets[static_cast<std::size_t>(target)].levelFile) {
            std::string expected;
            for (int k = 0; k < kThreads * kEach; ++k) expected += FormatPuzzle(target, puzzle_, solution_);
            EXPECT_EQ(Slurp(folder / LevelFileName(target, 2)), expected) << target;
        } else {
            for (int n = 1; n <= kThreads * kEach; ++n)
                EXPECT_EQ(Slurp(folder / NumberedFileName(target, 2, n)), FormatPuzzle(target, puzzle_, solution_));
        }
    }
}

TEST(Reader, LinesCommentsAndErrors) {
    std::string twice = kPuzzle, bad = kPuzzle;
    twice[1] = '5';  // 5 twice in row 1
    bad[0] = 'a';
    std::string input = "# a comment\n\n";
    for (const std::string& line : {std::string(kPuzzle) + " " + kSolution + "\r", std::string("12345"), twice,
                                    std::string(81, '.'), bad})
        input.append(line).append("\n");
    const auto p = ReadPuzzles(input);
    ASSERT_EQ(p.size(), 5u);
    EXPECT_EQ(p[0].line, 3);
    EXPECT_EQ(p[0].error, "");
    EXPECT_EQ(p[0].text, kPuzzle);
    EXPECT_EQ(p[1].line, 4);
    EXPECT_EQ(p[1].error, "expected 81 cells, found 5");
    EXPECT_EQ(p[2].error, "digit 5 appears twice in row 1");
    EXPECT_EQ(p[3].error, "more than one solution");
    EXPECT_EQ(p[4].error, "invalid character 'a' at r1c1");
    Grid noSolution = test::ParseGrid(kPuzzle);
    noSolution[2] = 1;  // consistent with its units, but no completion exists
    EXPECT_EQ(CheckPuzzle(noSolution), "no solution");
}

TEST(Reader, IncompleteGridsAndTornRecords) {
    const auto rows = ReadPuzzles("53..7....\n6..195...\n\n");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].error, "incomplete grid: 2 rows of 9");
    std::string sds = FormatPuzzle(0, test::ParseGrid(kPuzzle), test::ParseGrid(kSolution));
    const auto recs = ReadPuzzles(sds + sds.substr(0, 84));
    ASSERT_EQ(recs.size(), 2u);
    EXPECT_EQ(recs[0].error, "");
    EXPECT_EQ(recs[1].line, 2);
    EXPECT_EQ(recs[1].error, "incomplete record of 84 bytes");
}

// The layouts people have: each input holds kPuzzle once in some form (or
// fails with the given reason at the given line).
TEST(Reader, InputsPeopleHave) {
    const std::string P = kPuzzle;
    auto with = [&](char blank) {
        std::string s = P;
        for (char& ch : s)
            if (ch == '.') ch = blank;
        return s;
    };
    std::string spaced, rows;
    for (std::size_t i = 0; i < 81; ++i) spaced += std::string(1, P[i]) + (i % 9 == 8 ? "  " : " ");
    for (int r = 0; r < 9; ++r) rows += P.substr(static_cast<std::size_t>(9 * r), 9) + "\r\n";
    struct Case {
        std::string input;
        int line;
        std::string error;
    };
    const Case cases[] = {
        {"\xEF\xBB\xBF" + P + "\r\n", 1, ""},                       // byte-order mark, CRLF
        {with('0') + "\n", 1, ""},
        {with('*') + "\n", 1, ""},
        {with('x') + "\n", 1, ""},
        {with('_') + "\n", 1, ""},
        {spaced + "\n", 1, ""},                                         // cells separated by spaces
        {P + " 3 Hard\n", 1, ""},                                       // puzzle level
        {"Puzzle,Solution,Difficulty\n\"" + P + "\"," + kSolution + ",Hard\n", 2, ""},  // CSV with a header
        {"# title\n" + rows + "\x1a", 2, ""},                           // nine lines of nine, DOS ^Z at the end
        {"Grid 01\n" + rows, 2, ""},                                    // a title line before the grid
        {"id,puzzle,solution\n7," + P + "," + kSolution + "\n", 2, ""},   // the header names the column
        {"7," + P + "\n", 1, ""},                                        // an index before the puzzle
        {"Grid 01\n", 1, "not a puzzle: unexpected 'G' at column 1"},  // a title of nothing is a bad line
        {P + "\n\x1a", 1, ""},                                           // ^Z does not make the file binary
        {P.substr(0, 80) + "\n", 1, "expected 81 cells, found 80"},
        {"Grid 01\n" + P.substr(0, 9) + "\n" + P.substr(9, 8) + "\n" + rows.substr(2 * 11), 2, "row 2 has 8 cells"},
        {rows.substr(0, 8 * 11) + P.substr(72) + "1\n", 1, "row 9 has 10 cells"},
        {rows.substr(0, 3 * 11) + "\n", 1, "incomplete grid: 3 rows of 9"},
        {rows.substr(0, 22) + "1 2\n", 1, "incomplete grid: 3 rows of 9, and row 3 has 2 cells"},
        {P.substr(0, 80) + " 3\n", 1, "expected 81 cells, found 80"},  // not 81 cells with the level
        {std::string("\0", 1) + P + "\n", 1, "not a puzzle: unexpected byte 0x00 at column 1"},
        {std::string(5000, '1') + "\n", 1, "line longer than 4096 bytes"},
        {"\xFF\xFE" + P, 1, "UTF-16 text is not read: save the file as UTF-8 or ASCII"},
    };
    for (const Case& c : cases) {
        const auto p = ReadPuzzles(c.input);
        ASSERT_EQ(p.size(), 1u) << c.input;
        EXPECT_EQ(p[0].line, c.line) << c.input;
        EXPECT_EQ(p[0].error, c.error) << c.input;
        if (c.error.empty()) {
            EXPECT_EQ(p[0].text, P) << c.input;
        }
    }
    // A number before each grid of nine lines is not taken for a short row.
    const auto numbered = ReadPuzzles("1\n" + rows + "2\n" + rows);
    ASSERT_EQ(numbered.size(), 4u);
    EXPECT_EQ(numbered[1].error, "");
    EXPECT_EQ(numbered[3].error, "");
    // Lines after an over-long one are still read; a line end that never comes
    // ends the reading after a bounded amount.
    const auto after = ReadPuzzles(std::string(10000, '.') + "\n" + P + "\n");
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[1].line, 2);
    EXPECT_EQ(after[1].error, "");
    const auto zeros = ReadPuzzles(std::string(3 << 20, '\0'));
    ASSERT_EQ(zeros.size(), 1u);
    EXPECT_NE(zeros[0].error.find("not a text file of puzzles"), std::string::npos);
}

// The reader hands out puzzles as their bytes arrive and holds one chunk at a
// time, whatever the input's length.
TEST(Reader, StreamsFromASource) {
    const std::string line = std::string(kPuzzle) + "\n";
    long calls = 0;
    const long lines = 20000;
    std::size_t at = 0;
    PuzzleReader reader([&](char* buf, std::size_t n) -> long {
        ++calls;
        if (calls > lines) return 0;
        (void)n;
        std::memcpy(buf, line.data(), line.size());  // one line per read, as a terminal gives
        at += line.size();
        return static_cast<long>(line.size());
    });
    InputPuzzle p;
    for (long k = 1; k <= lines; ++k) {
        ASSERT_TRUE(reader.Next(p));
        EXPECT_EQ(p.line, k);
        ASSERT_EQ(calls, k) << "a puzzle waited for more input than its own line";
    }
    EXPECT_FALSE(reader.Next(p));
    EXPECT_EQ(reader.ReadError(), 0);
    EXPECT_EQ(reader.BytesRead(), at);
}

}  // namespace
}  // namespace gw
