// Canonical form per puzzle: the shared puzzles and the hard ones (sparser,
// not symmetric), one call per iteration over the whole set.
#include <fstream>

#include "bench_util.h"
#include "model/canonical.h"

namespace gw::bench {
namespace {

std::vector<Grid> Puzzles(bool hard) {
    std::vector<Grid> out;
    if (hard) {
        std::ifstream in(std::string(GRIDWICK_BENCH_DATA) + "/hard.txt");
        std::string line;
        while (std::getline(in, line))
            if (line.size() >= 81 && line[0] != '#') out.push_back(ParseGrid(line.substr(0, 81)));
    } else {
        for (const auto& p : SharedPuzzles()) out.push_back(p.first);
    }
    return out;
}

void BM_Canonical(benchmark::State& state) {
    const std::vector<Grid> puzzles = Puzzles(state.range(0) == 1);
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
BENCHMARK(BM_Canonical)->Arg(0)->Arg(1)->ArgName("hard");

}  // namespace
}  // namespace gw::bench

BENCHMARK_MAIN();
