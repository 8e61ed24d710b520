// Soundness of the rungs from pointing to the empty rectangle (pointing,
// claiming, subsets, X-Wing, swordfish, bivalue conjugate loop, empty
// rectangle) over many puzzles with known solutions: in gradings with the
// ladder up to the empty rectangle, and on every
// state such a grading passes through, where each technique is also tried on
// its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>

#include "techniques/techniques.h"
#include "test_util.h"

namespace gw {
namespace {

struct Technique {
    int rung;
    bool (*run)(GradeState&);
    bool mustFire;  // known to make progress somewhere in these puzzles
};

constexpr Technique Named(std::string_view name, bool mustFire) {
    return {RungNamed(name).number, RungNamed(name).run, mustFire};
}

constexpr std::array<Technique, 12> kTechniques = {{
    Named("Pointing", true),
    Named("Claiming", true),
    Named("Naked Pair", false),
    Named("Naked Triple", false),
    Named("Hidden Pair", false),
    Named("Naked Quad", false),
    Named("Hidden Triple", false),
    Named("Naked Quint", false),
    Named("X-Wing", true),
    Named("Swordfish", true),
    Named("Bivalue Conjugate Loop", true),
    Named("Empty Rectangle", true),
}};

constexpr int kTopRung = test::RungNo("Empty Rectangle");

// Rungs above the empty rectangle switched off, trial solving kept: the
// gradings then do not depend on the higher rungs.
RungSet LowerLadderOnly() { return test::RungsOffFrom(kTopRung + 1, kRungCount); }

TEST(LowerLadderSoundness, GradingsAreSoundAndUseEveryRung) {
    auto puzzles = test::LoadSharedPuzzles();
    ASSERT_GE(puzzles.size(), 1000u);
    const auto generated = GeneratedPuzzles(300, 7);
    puzzles.insert(puzzles.end(), generated.begin(), generated.end());
    std::map<int, int> progressByRung;
    int unsound = 0;
    for (const auto& [puzzle, solution] : puzzles) {
        const auto rep = test::GradeAndCheck(puzzle, solution, LowerLadderOnly());
        unsound += rep.unsound;
        for (const Step& st : rep.steps) ++progressByRung[st.rung];
        if (unsound > 10) break;
    }
    EXPECT_EQ(unsound, 0);
    for (const Technique& t : kTechniques)
        if (t.mustFire) {
            EXPECT_GT(progressByRung[t.rung], 0) << "rung " << t.rung;
        }
}

// Walks the grading of each puzzle with the rungs up to the empty rectangle; on every state along the
// way each technique runs on a copy. Every change must agree with the
// solution, and progress must be reported exactly when something changed.
TEST(LowerLadderSoundness, EachTechniqueIsSoundOnEveryStateAlongTheWay) {
    auto puzzles = test::LoadSharedPuzzles();
    puzzles.resize(std::min<std::size_t>(puzzles.size(), 600));
    const auto generated = GeneratedPuzzles(100, 11);
    puzzles.insert(puzzles.end(), generated.begin(), generated.end());
    std::array<int, kTechniques.size()> fired{};
    int failures = 0;
    for (const auto& [puzzle, solution] : puzzles) {
        GradeState s;
        ResetGradeState(s, puzzle);
        // Every technique on a copy of the state at the start of each pass.
        test::WalkLadder(s, kTopRung + 1, [&](int rung, const GradeState& at) {
            if (failures >= 10) return test::Then::Skip;
            if (rung != 1) return test::Then::Run;
            for (std::size_t i = 0; i < kTechniques.size(); ++i) {
                const auto call = test::CheckOnCopy(at, kTechniques[i].run, solution, puzzle,
                                                    "rung " + std::to_string(kTechniques[i].rung));
                failures += call.Failures();
                fired[i] += call.progress;
            }
            return test::Then::Run;
        });
    }
    EXPECT_EQ(failures, 0);
    for (std::size_t i = 0; i < kTechniques.size(); ++i)
        if (kTechniques[i].mustFire) {
            EXPECT_GT(fired[i], 0) << "rung " << kTechniques[i].rung << " never applied";
        }
}

}  // namespace
}  // namespace gw
