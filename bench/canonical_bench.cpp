// Canonical form per puzzle: the shared puzzles, generated ones and the hard
// ones (sparser, not symmetric). BM_Canonical gives the mean CPU time per
// call; BM_CanonicalDistribution the median, p99 and worst call.
#include "bench_util.h"
#include "model/canonical.h"

namespace gw::bench {
namespace {

std::vector<Grid> Puzzles(int set) {
    const auto pairs = set == 0 ? SharedPuzzles() : set == 1 ? GeneratedPuzzles(2000, 13) : HardPuzzles();
    std::vector<Grid> out;
    for (const auto& p : pairs) out.push_back(p.first);
    return out;
}

void BM_Canonical(benchmark::State& state) {
    const std::vector<Grid> puzzles = Puzzles(static_cast<int>(state.range(0)));
    if (puzzles.empty()) {
        state.SkipWithError("no puzzles in the data files");
        return;
    }
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(CanonicalForm(puzzles[i]));
        if (++i == puzzles.size()) i = 0;
    }
}
// set 0: shared puzzles, 1: generated, 2: hard.
BENCHMARK(BM_Canonical)->Arg(0)->Arg(1)->Arg(2)->ArgName("set");

void BM_CanonicalDistribution(benchmark::State& state) {
    const std::vector<Grid> puzzles = Puzzles(static_cast<int>(state.range(0)));
    ReportDistribution(state, puzzles, [](const Grid& g) { benchmark::DoNotOptimize(CanonicalForm(g)); });
}
BENCHMARK(BM_CanonicalDistribution)->Arg(0)->Arg(1)->Arg(2)->ArgName("set")->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace gw::bench

BENCHMARK_MAIN();
