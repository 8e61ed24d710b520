// The bounded solution count used to check users' puzzles: it agrees with the
// generator's exhaustive count, and gives up (saying so) rather than run long.
#include <gtest/gtest.h>

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

TEST(SolutionCountBounded, EdgeCasesAndTheBudget) {
    EXPECT_EQ(CountSolutionsBounded(Grid{}, 5).solutions, 5);
    Grid clash{};
    clash[0] = clash[1] = 4;
    EXPECT_EQ(CountSolutionsBounded(clash, 2).solutions, 0);
    // 17 clues, no solution; found by climbing towards the most guesses.
    const Grid crafted = test::ParseGrid(
        "......9.................1..869..........75.........3..7.6....245........1..492...");
    const SolutionCount n = CountSolutionsBounded(crafted, 2);
    EXPECT_EQ(n.solutions, 0);
    EXPECT_LE(n.guesses, kSolutionCountGuesses);
    const SolutionCount cut = CountSolutionsBounded(crafted, 2, 10);
    EXPECT_FALSE(cut.complete);
    EXPECT_EQ(cut.guesses, 10);
}

}  // namespace
}  // namespace gw
