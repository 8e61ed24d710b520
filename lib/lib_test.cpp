// The library's calls against the engine's own results: the benchmark set's
// signature through Grade, the errors each call reports, hints, generation.
#include <gtest/gtest.h>

#include <gridwick/gridwick.h>

#include <atomic>
#include <thread>

namespace {

using gridwick::Error;

constexpr const char* kMedium = "4.....8.5.3..........7......2.....6.....8.4......1.......6.3.7.5..2.....1.4......";

TEST(Library, BenchmarkSignatureThroughGrade) {
    const std::vector<gridwick::Puzzle> set = gridwick::BenchmarkPuzzles();
    ASSERT_GT(set.size(), 1000u);
    std::vector<gridwick::Grading> gradings;
    for (const gridwick::Puzzle& p : set) gradings.push_back(gridwick::Grade(p));
    EXPECT_EQ(gridwick::Signature(gradings), "9bcd6d9cf3cc7d13");
    // Without steps the levels and scores are the same; a score lies within its level.
    for (std::size_t i = 0; i < set.size(); i += 97) {
        const gridwick::Grading quick = gridwick::Grade(set[i], gridwick::GradeOptions{"", false});
        EXPECT_EQ(quick.level, gradings[i].level);
        EXPECT_EQ(quick.score, gradings[i].score);
        EXPECT_TRUE(gradings[i].score >= gradings[i].level && gradings[i].score < gradings[i].level + 1);
    }
}

TEST(Library, ErrorsAreReported) {
    for (const char* bad : {"", "12345", "hello\n", "4.....8.5.3..........7......2.....6.....8.4......1.......6.3.7.5..2.....1.4......\n"
                                                  "4.....8.5.3..........7......2.....6.....8.4......1.......6.3.7.5..2.....1.4......"})
        EXPECT_THROW(gridwick::Parse(bad), Error) << bad;
    const gridwick::Puzzle clash = gridwick::Parse("11" + std::string(79, '.'));
    const gridwick::Puzzle open = gridwick::Parse(std::string(81, '.'));
    const gridwick::Puzzle none = gridwick::Parse("12345678.........9" + std::string(63, '.'));
    struct Case { gridwick::Puzzle p; int solutions; const char* reason; };
    for (const Case& c : {Case{clash, 0, "twice"}, Case{open, 2, "more than one"}, Case{none, 0, "no solution"}}) {
        const gridwick::CheckResult r = gridwick::Check(c.p);
        EXPECT_FALSE(r.valid);
        EXPECT_EQ(r.solutions, c.solutions);
        EXPECT_NE(r.reason.find(c.reason), std::string::npos) << r.reason;
        EXPECT_THROW(gridwick::Grade(c.p), Error);
    }
    const gridwick::Puzzle medium = gridwick::Parse(kMedium);
    EXPECT_TRUE(gridwick::Check(medium).valid);
    EXPECT_THROW(gridwick::Grade(medium, {.without = "no such technique"}), Error);
    EXPECT_THROW(gridwick::ParseLevels("Hardest"), Error);
    EXPECT_EQ(gridwick::ParseLevels("7-9"), gridwick::ParseLevels("Extreme,mayhem,9"));
    EXPECT_EQ(gridwick::ParseLevels("1-9"), gridwick::kAllLevels);
}

TEST(Library, ExplanationsAndHints) {
    const gridwick::Puzzle p = gridwick::Parse(kMedium);
    const gridwick::Grading g = gridwick::Grade(p);
    ASSERT_EQ(g.level, 2);
    ASSERT_FALSE(g.steps.empty());
    EXPECT_EQ(gridwick::Explain(g, gridwick::Format::Text).rfind(p.ToString() + " 2 Medium 2.", 0), 0u);
    EXPECT_EQ(gridwick::Explain(g, gridwick::Format::Jsonl), g.Json() + "\n");
    EXPECT_NE(gridwick::Explain(g, gridwick::Format::Html).find("<svg"), std::string::npos);
    EXPECT_EQ(gridwick::StepSvg(g, g.steps.size()).rfind("<svg", 0), 0u);
    EXPECT_THROW(gridwick::StepSvg(g, g.steps.size() + 1), std::out_of_range);
    EXPECT_NE(gridwick::SvgStyle().find(".given{"), std::string::npos);
    EXPECT_EQ(gridwick::SvgStyle().find("body{"), std::string::npos);

    // From the puzzle itself the hint is the grading's first step.
    const gridwick::Hint first = gridwick::NextHint(p, p);
    ASSERT_EQ(first.status, gridwick::Hint::Status::Step);
    EXPECT_EQ(first.step.Json(), g.steps.front().Json());
    EXPECT_EQ(first.svg, gridwick::StepSvg(g, 0));
    EXPECT_EQ(gridwick::NextHint(p, g.solution).status, gridwick::Hint::Status::Solved);
    // A solver who applies each hint, removals to the pencil marks and
    // placements to the grid, is given the grading's next step.
    gridwick::Puzzle progress = p;
    gridwick::Marks marks{};
    marks.fill(511);
    for (std::size_t k = 0; k + 1 < g.steps.size() && k < 6; ++k) {
        for (const gridwick::Change& ch : g.steps[k].changes) {
            if (ch.kind == 'R') marks[static_cast<std::size_t>(ch.cell)] &= static_cast<std::uint16_t>(~(1u << (ch.digit - 1)));
            else progress.cells[static_cast<std::size_t>(ch.cell)] = static_cast<std::uint8_t>(ch.digit);
        }
        EXPECT_EQ(gridwick::NextHint(p, progress, marks).step.Json(), g.steps[k + 1].Json()) << "step " << k + 2;
    }
    gridwick::Puzzle wrong = p;
    const int empty = static_cast<int>(p.ToString().find('.'));
    wrong.cells[static_cast<std::size_t>(empty)] = static_cast<std::uint8_t>(g.solution.cells[static_cast<std::size_t>(empty)] % 9 + 1);
    EXPECT_THROW(gridwick::NextHint(p, wrong), Error);
    gridwick::Puzzle dropped = g.solution;
    dropped.cells[0] = 0;  // r1c1 is a given
    EXPECT_THROW(gridwick::NextHint(p, dropped), Error);
    EXPECT_EQ(gridwick::Canonical(gridwick::Canonical(p)), gridwick::Canonical(p));
}

TEST(Library, GenerateIsSeededAndHalts) {
    for (gridwick::Method m : {gridwick::Method::Random, gridwick::Method::Hunt}) {
        const gridwick::GenerateOptions o{.levels = gridwick::ParseLevels("3-5"), .method = m, .seed = 7};
        const std::optional<gridwick::Generated> a = gridwick::Generate(o), b = gridwick::Generate(o);
        ASSERT_TRUE(a && b);
        EXPECT_EQ(a->puzzle, b->puzzle);
        EXPECT_GE(a->level, 3);
        EXPECT_LE(a->level, 5);
        EXPECT_EQ(gridwick::Grade(a->puzzle, gridwick::GradeOptions{"", false}).level, a->level);
        EXPECT_EQ(gridwick::Check(a->puzzle).solution, a->solution);
    }
    const std::atomic<bool> halt{true};
    EXPECT_FALSE(gridwick::Generate({.levels = gridwick::ParseLevels("9"), .halt = &halt}));
    EXPECT_FALSE(gridwick::Generate({.levels = gridwick::ParseLevels("9"), .maxTries = 3}));
}

TEST(Library, SeparateThreadsGradeAlike) {
    const std::vector<gridwick::Puzzle> set = gridwick::BenchmarkPuzzles();
    std::vector<std::string> a, b;
    auto run = [&](std::vector<std::string>& out) {
        for (std::size_t i = set.size() - 40; i < set.size(); ++i) out.push_back(gridwick::Grade(set[i]).Json());
    };
    std::thread t1(run, std::ref(a)), t2(run, std::ref(b));
    t1.join();
    t2.join();
    EXPECT_EQ(a, b);
}

}  // namespace
