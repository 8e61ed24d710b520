// The difficulty score: its order on hand-made step lists, its bounds, that
// it is the same however the grading was recorded, and the ranges that
// select by it.
#include "grader/score.h"

#include "test_util.h"

namespace gw {
namespace {

constexpr int R(const char* player) { return RungNamed(player).number; }

ScoredStep Chain(const char* player, int nodes) { return {R(player), {.nodes = static_cast<std::uint16_t>(nodes)}}; }

ScoredStep Forcing(int branches, int nodes) {
    return {R("Forcing Chain"), {.nodes = static_cast<std::uint16_t>(nodes), .branches = static_cast<std::uint16_t>(branches)}};
}

ScoredStep Trial(int fill) { return {R("Bivalue Trial"), {.fill = static_cast<std::uint16_t>(fill)}}; }

// `n` copies of a step, after some singles.
std::vector<ScoredStep> Path(std::initializer_list<std::pair<int, ScoredStep>> parts) {
    std::vector<ScoredStep> out(30, ScoredStep{R("Hidden Single"), {}});
    for (const auto& [n, st] : parts) out.insert(out.end(), static_cast<std::size_t>(n), st);
    return out;
}

TEST(Score, HarderPathsScoreHigherWithinTheLevel) {
    struct Case {
        const char* what;
        int level;
        std::vector<ScoredStep> easier, harder;
    };
    const std::vector<Case> cases = {
        {"a longer chain of the same kind", 6, Path({{1, Chain("Alternating Inference Chain (length 10)", 6)}}),
         Path({{1, Chain("Alternating Inference Chain (length 10)", 10)}})},
        {"a longer cycle", 7, Path({{1, Chain("X-Cycle (any length)", 6)}}), Path({{1, Chain("X-Cycle (any length)", 14)}})},
        {"a larger colour cluster", 6, Path({{1, Chain("3D Medusa", 10)}}), Path({{1, Chain("3D Medusa", 30)}})},
        {"larger almost-locked sets", 7, Path({{1, Chain("ALS-XZ", 4)}}), Path({{1, Chain("ALS-XZ", 9)}})},
        {"a forcing chain with more branches", 7, Path({{1, Forcing(2, 10)}}), Path({{1, Forcing(3, 10)}})},
        {"a forcing chain with more nodes", 7, Path({{1, Forcing(3, 10)}}), Path({{1, Forcing(3, 30)}})},
        {"more hard steps", 6, Path({{1, Chain("Alternating Inference Chain (length 10)", 8)}}),
         Path({{4, Chain("Alternating Inference Chain (length 10)", 8)}})},
        {"more forcing chains", 7, Path({{1, Forcing(2, 10)}}), Path({{5, Forcing(2, 10)}})},
        {"a harder technique", 7, Path({{1, Chain("XY-Chain", 6)}}), Path({{1, Forcing(2, 6)}})},
        {"a harder technique at Insane", 5, Path({{1, {R("Skyscraper"), {}}}}), Path({{1, {R("XYZ-Wing"), {}}}})},
        {"a longer trial fill", 8, Path({{1, Trial(10)}}), Path({{1, Trial(30)}})},
    };
    for (const Case& c : cases) {
        const double easier = Score(c.level, c.easier), harder = Score(c.level, c.harder);
        EXPECT_LT(easier, harder) << c.what;
        EXPECT_EQ(std::floor(easier), c.level) << c.what;
        EXPECT_EQ(std::floor(harder), c.level) << c.what;
    }
}

TEST(Score, StaysWithinItsLevel) {
    // The easiest and the hardest paths each level can have: a single step,
    // and hundreds of the largest steps.
    for (int level = 1; level <= 9; ++level) {
        int lowest = kRungCount, highest = 1;
        for (const Rung& r : kLadder)
            if (r.level == std::min(level, 8)) {
                lowest = std::min(lowest, r.number);
                highest = std::max(highest, r.number);
            }
        const StepSize huge{.nodes = 900, .branches = 9, .fill = 81, .tries = 400};
        const std::vector<ScoredStep> easiest = {{lowest, {}}};
        const std::vector<ScoredStep> hardest(500, ScoredStep{highest, huge});
        for (const auto& steps : {easiest, hardest}) {
            const double score = Score(level, steps);
            EXPECT_GE(score, level) << "level " << level;
            EXPECT_LT(score, level + 1) << "level " << level;
            EXPECT_EQ(ScoreText(score).substr(0, 2), std::to_string(level) + ".") << "level " << level;
        }
    }
    EXPECT_EQ(Score(0, std::vector<ScoredStep>{}), 0);
    EXPECT_EQ(ScoreText(0), "");
}

// The sizes a step records do not depend on whether its pattern is recorded
// too: the score of a grading with steps is that of one without.
TEST(Score, SameWithAndWithoutSteps) {
    std::vector<std::pair<Grid, Grid>> puzzles = test::LoadSharedPuzzles("trial.txt");
    const auto random = test::LoadSharedPuzzles();
    for (std::size_t i = 0; i < random.size(); i += 150) puzzles.push_back(random[i]);
    ASSERT_GT(puzzles.size(), 20u);
    GradeState s;
    int sized = 0;
    for (const auto& [puzzle, solution] : puzzles) {
        std::vector<Step> steps;
        const Graded with = GradeAndScore(s, puzzle, &steps);
        GradeTrace trace;
        const int level = GradePuzzle(s, puzzle, trace);
        ASSERT_EQ(with.level, level);
        ASSERT_EQ(steps.size(), trace.sizes.size());
        for (std::size_t k = 0; k < steps.size(); ++k) {
            EXPECT_EQ(steps[k].size, trace.sizes[k]) << test::GridText(puzzle) << " step " << k;
            sized += steps[k].size.nodes > 0 || steps[k].size.fill > 0;
        }
        EXPECT_EQ(with.score, Score(level, trace));
        EXPECT_EQ(with.score, Score(level, steps));
        EXPECT_EQ(with.score, GradeAndScore(s, puzzle).score);
    }
    EXPECT_GT(sized, 0);
}

TEST(Score, Ranges) {
    struct Case {
        const char* text;
        bool ok;
        double low, high;
    };
    const Case cases[] = {
        {"6.5-7.2", true, 6.5, 7.2}, {"7", true, 7, 7.99},     {"7.5", true, 7.5, 7.5}, {"7-", true, 7, 100},
        {"-3.5", true, 0, 3.5},      {"7.2-6.5", false, 0, 0}, {"-", false, 0, 0},      {"", false, 0, 0},
        {"x", false, 0, 0},          {"1e3", false, 0, 0},     {"6.5-7.2-8", false, 0, 0},
    };
    for (const Case& c : cases) {
        ScoreRange r;
        ASSERT_EQ(ParseScoreRange(c.text, r), c.ok) << c.text;
        if (!c.ok) continue;
        EXPECT_DOUBLE_EQ(r.low, c.low) << c.text;
        EXPECT_DOUBLE_EQ(r.high, c.high) << c.text;
    }
    ScoreRange r;
    ASSERT_TRUE(ParseScoreRange("6.5-7.2", r));
    EXPECT_TRUE(r.Contains(6.5) && r.Contains(7.2) && r.Contains(7.0));
    EXPECT_FALSE(r.Contains(6.49) || r.Contains(7.21));
}

}  // namespace
}  // namespace gw
