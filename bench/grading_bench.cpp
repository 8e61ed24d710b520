// Grading time per puzzle by level (mean, median, 99th percentile, worst) over
// a fixed set: the shared puzzles, generated ones, and the hard and Extreme files.
#include <map>

#include "bench_util.h"

namespace gw::bench {
namespace {

const std::map<int, std::vector<Grid>>& ByLevel() {
    static const std::map<int, std::vector<Grid>> byLevel = [] {
        std::map<int, std::vector<Grid>> out;
        GradeState s;
        auto puzzles = SharedPuzzles();
        // The rare levels 8 and 9 come from a file of hard puzzles, and a
        // fixed set of Extreme puzzles weighs level 7.
        const auto hard = HardPuzzles();
        puzzles.insert(puzzles.end(), hard.begin(), hard.end());
        const auto extreme = ExtremePuzzles();
        puzzles.insert(puzzles.end(), extreme.begin(), extreme.end());
        const auto more = GeneratedPuzzles(2000, 6);
        puzzles.insert(puzzles.end(), more.begin(), more.end());
        for (const auto& [p, sol] : puzzles) out[GradePuzzle(s, p)].push_back(p);
        return out;
    }();
    return byLevel;
}

void BM_GradeLevel(benchmark::State& state) {
    const int level = static_cast<int>(state.range(0));
    const auto it = ByLevel().find(level);
    if (it == ByLevel().end()) {
        state.SkipWithError("no puzzle of this level in the set");
        for (auto _ : state) {
        }
        return;
    }
    GradeState s;
    ReportDistribution(state, it->second, [&](const Grid& p) { benchmark::DoNotOptimize(GradePuzzle(s, p)); });
}
BENCHMARK(BM_GradeLevel)->DenseRange(1, 9)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace gw::bench

BENCHMARK_MAIN();
