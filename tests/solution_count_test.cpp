// The bounded solution count used to check users' puzzles: it agrees with the
// generator's exhaustive count, and gives up (saying so) rather than run long.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "generator/generator.h"
#include "generator/solution_count.h"
#include "test_util.h"

namespace gw {
namespace {

TEST(SolutionCountBounded, AgreesWithTheExhaustiveCount) {
    int checked = 0;
    for (const auto& [puzzle, solution] : test::SharedAndGenerated(20, 99)) {
        // The puzzle, a version with a pair of clues fewer (often several
        // solutions) and one with a wrong clue (often none).
        Grid fewer = puzzle, wrong = puzzle;
        for (int c = 0; c < 81; ++c)
            if (puzzle[c] != 0) {
                fewer[c] = fewer[80 - c] = 0;
                wrong[c] = static_cast<std::uint8_t>(puzzle[c] % 9 + 1);
                break;
            }
        for (const Grid& g : {puzzle, fewer, wrong}) {
            Grid first{}, firstExhaustive{};
            const SolutionCount n = CountSolutionsBounded(g, 2, kSolutionCountGuesses, &first);
            ASSERT_TRUE(n.complete) << test::GridText(g);
            ASSERT_EQ(n.solutions, CountSolutions(g, 2, &firstExhaustive)) << test::GridText(g);
            if (n.solutions == 1) {
                EXPECT_EQ(first, firstExhaustive);
            }
            ++checked;
        }
    }
    EXPECT_GT(checked, 3000);
}

// The puzzles of a file, one a line (lines that start with '#' left out).
std::vector<Grid> PuzzleLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<Grid> out;
    for (std::string line; std::getline(in, line);)
        if (line.size() >= 81 && line[0] != '#') out.push_back(test::ParseGrid(line.substr(0, 81)));
    return out;
}

// Valid puzzles that are slow to prove unique are accepted, and crafted ones
// without a solution are decided, all within the budget.
TEST(SolutionCountBounded, DecidesHardValidAndCraftedUnsolvablePuzzles) {
    const struct {
        std::string file;
        int solutions;
        std::size_t atLeast;
    } kSets[] = {
        {std::string(GRIDWICK_TEST_DATA) + "/hard-to-prove-unique.txt", 1, 4},
        {std::string(GRIDWICK_TEST_DATA) + "/../../bench/data/unsolvable.txt", 0, 41},
    };
    for (const auto& set : kSets) {
        const std::vector<Grid> puzzles = PuzzleLines(set.file);
        ASSERT_GE(puzzles.size(), set.atLeast) << set.file;
        for (const Grid& g : puzzles) {
            const SolutionCount n = CountSolutionsBounded(g, 2);
            EXPECT_TRUE(n.complete) << test::GridText(g);
            EXPECT_EQ(n.solutions, set.solutions) << test::GridText(g);
        }
    }
}

TEST(SolutionCountBounded, EdgeCasesAndTheBudget) {
    EXPECT_EQ(CountSolutionsBounded(Grid{}, 5).solutions, 5);
    Grid clash{};
    clash[0] = clash[1] = 4;
    EXPECT_EQ(CountSolutionsBounded(clash, 2).solutions, 0);
    // 17 clues, no solution; found by climbing towards the most guesses (the
    // hardest of bench/data/unsolvable.txt, a few thousand guesses).
    const Grid crafted = test::ParseGrid(
        "2....3..4.....6.3..7...9..8...............47...7..2.1..9.58.......1..............");
    const SolutionCount n = CountSolutionsBounded(crafted, 2);
    EXPECT_EQ(n.solutions, 0);
    EXPECT_TRUE(n.complete);
    EXPECT_GT(n.guesses, 1000);
    const SolutionCount cut = CountSolutionsBounded(crafted, 2, 10);
    EXPECT_FALSE(cut.complete);
    EXPECT_EQ(cut.guesses, 10);
}

}  // namespace
}  // namespace gw
