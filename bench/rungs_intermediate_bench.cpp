// Time per call of rung 24 (bivalue colour propagation) and rung 25
// (intersection sets) on stuck grids: grading states, taken from real
// gradings of the shared puzzles, in which rungs 1 to 23 find nothing, so that
// the ladder would call rung 24 next.
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>
#include <vector>

#include "grader/grader.h"
#include "techniques/techniques.h"

namespace gw {
namespace {

std::vector<Grid> LoadPuzzles() {
    std::vector<Grid> out;
    std::ifstream in(std::string(GRIDWICK_TEST_DATA) + "/random.txt");
    std::string p, sol;
    while (in >> p >> sol) {
        Grid g{};
        for (int c = 0; c < 81 && c < static_cast<int>(p.size()); ++c) g[c] = static_cast<std::uint8_t>(p[c] - '0');
        out.push_back(g);
    }
    return out;
}

// Walks the ladder on each puzzle as the driver does and keeps a copy of the
// state every time rungs 1 to 23 are all stuck. Gradings stop when the ladder
// up to rung 41 is stuck (trial solving is left out).
const std::vector<GradeState>& StuckGrids() {
    static const std::vector<GradeState> grids = [] {
        std::vector<GradeState> out;
        for (const Grid& puzzle : LoadPuzzles()) {
            GradeState s;
            ResetGradeState(s, puzzle);
            while (!IsSolved(s) && out.size() < 2000) {
                int made = 0;
                for (int r = 1; r <= 41 && made == 0; ++r) {
                    if (r == 24) out.push_back(s);
                    if (RunRung(s, r)) made = r;
                }
                if (made == 0) break;
            }
        }
        return out;
    }();
    return grids;
}

template <bool (*Rung)(GradeState&)>
void BM_Rung(benchmark::State& state) {
    const auto& grids = StuckGrids();
    if (grids.empty()) {
        state.SkipWithError("no stuck grids");
        return;
    }
    std::size_t i = 0, found = 0;
    for (auto _ : state) {
        GradeState s = grids[i];
        found += Rung(s) ? 1 : 0;
        benchmark::DoNotOptimize(s.CandMask);
        if (++i == grids.size()) i = 0;
    }
    state.counters["grids"] = static_cast<double>(grids.size());
    state.counters["found%"] = 100.0 * static_cast<double>(found) / static_cast<double>(state.iterations());
}

// The same grids restricted to those where the rung finds nothing: a full scan.
template <bool (*Rung)(GradeState&)>
void BM_RungFullScan(benchmark::State& state) {
    std::vector<GradeState> empty;
    for (const GradeState& g : StuckGrids()) {
        GradeState s = g;
        if (!Rung(s)) empty.push_back(g);
    }
    if (empty.empty()) {
        state.SkipWithError("the rung finds something on every stuck grid");
        return;
    }
    std::size_t i = 0;
    for (auto _ : state) {
        GradeState s = empty[i];
        benchmark::DoNotOptimize(Rung(s));
        if (++i == empty.size()) i = 0;
    }
    state.counters["grids"] = static_cast<double>(empty.size());
}

BENCHMARK(BM_Rung<TryBivalueColourPropagation>)->Name("Rung24_ColourPropagation")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RungFullScan<TryBivalueColourPropagation>)
    ->Name("Rung24_ColourPropagation_NothingFound")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Rung<TryIntersectionSets>)->Name("Rung25_IntersectionSets")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RungFullScan<TryIntersectionSets>)
    ->Name("Rung25_IntersectionSets_NothingFound")
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace gw

BENCHMARK_MAIN();
