// Soundness of the level-2 and level-4 rungs (pointing, claiming, X-Wing,
// swordfish, bivalue conjugate loop, empty rectangle) over many puzzles with
// known solutions: in gradings with the ladder up to rung 14, and on every
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
};

constexpr std::array<Technique, 6> kTechniques = {{
    {3, TryPointing},
    {4, TryClaiming},
    {11, TryXWing},
    {12, TrySwordfish},
    {13, TryBivalueConjugateLoop},
    {14, TryEmptyRectangle},
}};

constexpr int kTopRung = 14;

// Rungs above 14 switched off, trial solving (rung 42) kept: the gradings then
// do not depend on the higher rungs.
std::bitset<kRungCount + 1> LowerLadderOnly() {
    std::bitset<kRungCount + 1> off;
    for (int r = kTopRung + 1; r < kRungCount; ++r) off.set(static_cast<std::size_t>(r));
    return off;
}

TEST(LowerLadderSoundness, GradingsAreSoundAndUseEveryRung) {
    auto puzzles = test::LoadSharedPuzzles();
    ASSERT_GE(puzzles.size(), 1000u);
    const auto generated = test::GeneratePuzzles(300, 7);
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
    for (const Technique& t : kTechniques) EXPECT_GT(progressByRung[t.rung], 0) << "rung " << t.rung;
}

// Walks the grading of each puzzle with rungs 1..14; on every state along the
// way each technique runs on a copy. Every change must agree with the
// solution, and progress must be reported exactly when something changed.
TEST(LowerLadderSoundness, EachTechniqueIsSoundOnEveryStateAlongTheWay) {
    auto puzzles = test::LoadSharedPuzzles();
    puzzles.resize(std::min<std::size_t>(puzzles.size(), 1500));
    const auto generated = test::GeneratePuzzles(200, 11);
    puzzles.insert(puzzles.end(), generated.begin(), generated.end());
    std::array<int, kTechniques.size()> fired{};
    int failures = 0;
    for (const auto& [puzzle, solution] : puzzles) {
        GradeState s;
        ResetGradeState(s, puzzle);
        while (!IsSolved(s) && failures < 10) {
            for (std::size_t i = 0; i < kTechniques.size(); ++i) {
                GradeState copy = s;
                std::vector<Change> log;
                copy.log = &log;
                const bool progress = kTechniques[i].run(copy);
                if (progress != !log.empty()) {
                    ++failures;
                    ADD_FAILURE() << "rung " << kTechniques[i].rung << " reported " << progress << " with "
                                  << log.size() << " changes in " << test::GridText(puzzle);
                }
                fired[i] += progress;
                for (const Change& ch : log) {
                    const bool bad = ch.kind == 'R' ? solution[ch.cell] == ch.digit : solution[ch.cell] != ch.digit;
                    if (bad) {
                        ++failures;
                        ADD_FAILURE() << "rung " << kTechniques[i].rung << " unsound " << ch.kind << " cell "
                                      << int(ch.cell) << " digit " << int(ch.digit) << " in "
                                      << test::GridText(puzzle);
                    }
                }
            }
            bool moved = false;
            for (int r = 1; r <= kTopRung && !moved; ++r) moved = RunRung(s, r);
            if (!moved) break;
        }
    }
    EXPECT_EQ(failures, 0);
    for (std::size_t i = 0; i < kTechniques.size(); ++i)
        EXPECT_GT(fired[i], 0) << "rung " << kTechniques[i].rung << " never applied";
}

}  // namespace
}  // namespace gw
