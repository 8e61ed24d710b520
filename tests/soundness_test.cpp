// Every change the grader makes is checked against the known solution, over
// the shared puzzle set and over freshly generated puzzles.
#include <gtest/gtest.h>

#include <map>

#include "test_util.h"

namespace gw {
namespace {

void CheckAll(const std::vector<std::pair<Grid, Grid>>& puzzles, const char* what) {
    std::map<int, int> levels;
    std::map<int, int> rungs;
    int unsound = 0;
    for (const auto& [puzzle, solution] : puzzles) {
        const auto rep = test::GradeAndCheck(puzzle, solution);
        unsound += rep.unsound;
        ++levels[rep.level];
        for (const Step& st : rep.steps) ++rungs[st.rung];
        if (unsound > 20) break;
    }
    EXPECT_EQ(unsound, 0);
    std::string hist;
    for (auto [l, n] : levels) hist += " L" + std::to_string(l) + ":" + std::to_string(n);
    std::string used;
    for (auto [r, n] : rungs) used += " r" + std::to_string(r) + ":" + std::to_string(n);
    std::printf("%s levels%s\n%s rungs%s\n", what, hist.c_str(), what, used.c_str());
}

TEST(Soundness, SharedPuzzles) {
    const auto puzzles = test::LoadSharedPuzzles();
    ASSERT_GE(puzzles.size(), 1000u);
    CheckAll(puzzles, "shared");
}

TEST(Soundness, GeneratedPuzzles) {
    CheckAll(GeneratedPuzzles(300, 20261207), "generated");
}

}  // namespace
}  // namespace gw
