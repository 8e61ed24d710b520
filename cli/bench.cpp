// `gridwick bench`: grades a fixed set of puzzles covering every level and
// prints the time taken and a signature of every step of every grading. The
// signature changes whenever any grading changes; a test pins it.
#include <CLI/CLI.hpp>

#include <array>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <ctime>

#include "cli/commands.h"
#include "grader/grader.h"
#include "grader/signature.h"

namespace gw::cli {

namespace {

double CpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

int RunBench() {
    const BenchPuzzles set = BenchmarkSet();
    GradingSignature signature;
    std::array<int, 10> perLevel{};
    GradeState s;
    std::vector<Step> steps;
    const double cpu0 = CpuSeconds();
    const auto wall0 = std::chrono::steady_clock::now();
    for (const Grid& puzzle : set.puzzles) {
        steps.clear();
        const int level = GradePuzzle(s, puzzle, &steps);
        ++perLevel[static_cast<std::size_t>(level)];
        signature.Add(level, steps);
    }
    const double cpu = CpuSeconds() - cpu0;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();

    std::printf("graded %zu puzzles (%d generated from seed %" PRIu64 ", %d stored hard ones)\n",
                set.puzzles.size(), set.generated, kBenchSeed, set.stored);
    std::printf("levels:");
    for (int level = 1; level <= 9; ++level)
        std::printf(" %s %d%s", kLevelNames[static_cast<std::size_t>(level)], perLevel[static_cast<std::size_t>(level)],
                    level < 9 ? "," : "\n");
    std::printf("time: %.3f s CPU, %.3f s elapsed\n", cpu, wall);
    std::printf("signature: %016" PRIx64 "\n", signature.Value());
    return 0;
}

}  // namespace

Runner DefineBench(CLI::App&) { return RunBench; }

}  // namespace gw::cli
