// Generator and pipeline speed: one uniqueness check on the clue-removal
// workload, one grid build, and build + removal + grading per puzzle.
#include "bench_util.h"

namespace gw::bench {
namespace {

// The puzzles that the clue removal hands to the uniqueness test: every
// intermediate state of 200 removals.
std::vector<Grid> RemovalWorkload() {
    std::vector<Grid> work;
    GenState g;
    g.rng.Seed(1);
    Yielder y;
    for (int i = 0; i < 200; ++i) {
        BuildSolutionGrid(g, y);
        std::array<int, 41> order{};
        for (int k = 0; k < 41; ++k) order[k] = k;
        for (int k = 0; k < 200; ++k) std::swap(order[g.rng.Below(41)], order[g.rng.Below(41)]);
        Grid p = g.Solution;
        for (int c : order) {
            p[c] = p[80 - c] = 0;
            work.push_back(p);
            if (!HasUniqueSolution(p)) {
                p[c] = g.Solution[c];
                p[80 - c] = g.Solution[80 - c];
            }
        }
    }
    return work;
}

void BM_HasUniqueSolution(benchmark::State& state) {
    static const std::vector<Grid> work = RemovalWorkload();
    ReportDistribution(state, work, [](const Grid& p) { benchmark::DoNotOptimize(HasUniqueSolution(p)); });
}
BENCHMARK(BM_HasUniqueSolution)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_BuildSolutionGrid(benchmark::State& state) {
    GenState g;
    g.rng.Seed(2);
    Yielder y;
    for (auto _ : state) {
        BuildSolutionGrid(g, y);
        benchmark::DoNotOptimize(g.Solution);
    }
}
BENCHMARK(BM_BuildSolutionGrid)->Unit(benchmark::kMicrosecond);

void BM_BuildAndRemoveClues(benchmark::State& state) {
    GenState g;
    g.rng.Seed(3);
    Yielder y;
    for (auto _ : state) {
        BuildSolutionGrid(g, y);
        RemoveClues(g, y);
        benchmark::DoNotOptimize(g.Puzzle);
    }
}
BENCHMARK(BM_BuildAndRemoveClues)->Unit(benchmark::kMicrosecond);

// Grading of puzzles that singles finish.
void BM_GradeEasy(benchmark::State& state) {
    static const std::vector<Grid> easy = [] {
        std::vector<Grid> out;
        GradeState s;
        for (const auto& [p, sol] : GeneratedPuzzles(400, 4))
            if (GradePuzzle(s, p) == 1) out.push_back(p);
        return out;
    }();
    GradeState s;
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(GradePuzzle(s, easy[i]));
        i = (i + 1) % easy.size();
    }
}
BENCHMARK(BM_GradeEasy)->Unit(benchmark::kMicrosecond);

// The whole per-puzzle pipeline without file output, every level.
void BM_Pipeline(benchmark::State& state) {
    GenState g;
    g.rng.Seed(5);
    GradeState s;
    Yielder y;
    for (auto _ : state) {
        BuildSolutionGrid(g, y);
        RemoveClues(g, y);
        benchmark::DoNotOptimize(GradePuzzle(s, g.Puzzle));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Pipeline)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace gw::bench

BENCHMARK_MAIN();
