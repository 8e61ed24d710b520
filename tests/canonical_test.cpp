// The canonical form: every disguise of a puzzle gives the same form, the form
// is the smallest disguise, and different puzzles keep different forms.
#include <set>

#include "model/canonical.h"
#include "test_util.h"

namespace gw {
namespace {

// A disguise with its digits renamed in order of first appearance: the
// smallest grid among the relabellings of one arrangement.
Grid FirstAppearanceNames(const Grid& g) {
    std::uint8_t name[10] = {};
    std::uint8_t next = 1;
    Grid out{};
    for (int c = 0; c < 81; ++c) {
        const int d = g[static_cast<std::size_t>(c)];
        if (d == 0) continue;
        if (name[d] == 0) name[d] = next++;
        out[static_cast<std::size_t>(c)] = name[d];
    }
    return out;
}

TEST(CanonicalForm, DisguisesAgreeAndNoneIsSmaller) {
    const auto puzzles = test::LoadSharedPuzzles();
    std::mt19937 rng(13);
    std::set<Grid> forms;
    const std::size_t count = std::min<std::size_t>(puzzles.size(), 300);
    for (std::size_t i = 0; i < count; ++i) {
        const Grid& puzzle = puzzles[i].first;
        const Grid form = CanonicalForm(puzzle);
        forms.insert(form);
        EXPECT_EQ(std::count_if(form.begin(), form.end(), [](auto d) { return d != 0; }),
                  std::count_if(puzzle.begin(), puzzle.end(), [](auto d) { return d != 0; }));
        for (int k = 0; k < 20; ++k) {
            const Grid disguise = test::RandomDisguise(puzzle, rng);
            ASSERT_EQ(CanonicalForm(disguise), form) << test::GridText(puzzle) << " as " << test::GridText(disguise);
            EXPECT_LE(form, FirstAppearanceNames(disguise)) << test::GridText(puzzle);
        }
        EXPECT_EQ(CanonicalForm(form), form);
    }
    // The shared puzzles are all different puzzles, so their forms differ.
    EXPECT_EQ(forms.size(), count);
}

TEST(CanonicalForm, SolvedGridsAndTextForm) {
    const auto puzzles = test::LoadSharedPuzzles();
    std::mt19937 rng(7);
    const Grid& solution = puzzles[0].second;
    const Grid form = CanonicalForm(solution);
    EXPECT_EQ(test::GridText(form).substr(0, 9), "123456789");
    EXPECT_EQ(CanonicalForm(test::RandomDisguise(solution, rng)), form);
    EXPECT_EQ(CanonicalText(puzzles[1].first), test::GridText(CanonicalForm(puzzles[1].first)));
}

}  // namespace
}  // namespace gw
