// Time per call of the first four level-6 rungs (jellyfish, WXYZ-wing,
// multi-colouring, finned X-wing) on stuck grids: positions from the shared
// puzzles where the singles and subsets can do nothing more. Each call works on
// a fresh copy of a position; BM_CopyOnly measures that copy alone.
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>
#include <vector>

#include "grader/grader.h"
#include "techniques/techniques.h"

namespace {

using gw::GradeState;

gw::Grid ParseGrid(const std::string& text) {
    gw::Grid g{};
    for (int i = 0; i < 81 && i < static_cast<int>(text.size()); ++i)
        g[i] = static_cast<std::uint8_t>(text[i] >= '1' && text[i] <= '9' ? text[i] - '0' : 0);
    return g;
}

// Up to 300 grids on which rungs 1..10 are stuck, in file order.
const std::vector<GradeState>& StuckGrids() {
    static const std::vector<GradeState> grids = [] {
        std::vector<GradeState> out;
        std::ifstream in(std::string(GRIDWICK_TEST_DATA) + "/random.txt");
        std::string puzzle, solution;
        std::bitset<gw::kRungCount + 1> off;
        for (int r = 11; r <= gw::kRungCount; ++r) off.set(static_cast<std::size_t>(r));
        while (out.size() < 300 && in >> puzzle >> solution) {
            GradeState s;
            s.disabledRungs = off;
            if (gw::GradePuzzle(s, ParseGrid(puzzle)) == 9) {
                s.disabledRungs.reset();
                out.push_back(s);
            }
        }
        return out;
    }();
    return grids;
}

template <typename Rung>
void RunOnStuckGrids(benchmark::State& state, Rung rung) {
    const auto& grids = StuckGrids();
    if (grids.empty()) {
        state.SkipWithError("no stuck grids (shared puzzles missing?)");
        return;
    }
    std::size_t i = 0;
    std::int64_t progress = 0;
    for (auto _ : state) {
        GradeState s = grids[i];
        progress += rung(s) ? 1 : 0;
        benchmark::DoNotOptimize(s.CandMask);
        if (++i == grids.size()) i = 0;
    }
    state.counters["grids"] = static_cast<double>(grids.size());
    state.counters["found"] = benchmark::Counter(static_cast<double>(progress), benchmark::Counter::kAvgIterations);
}

void BM_CopyOnly(benchmark::State& state) {
    RunOnStuckGrids(state, [](GradeState& s) { return s.CandMask[0] == 0; });
}
void BM_Jellyfish(benchmark::State& state) {
    RunOnStuckGrids(state, [](GradeState& s) { return gw::TryJellyfish(s); });
}
void BM_WxyzWing(benchmark::State& state) {
    RunOnStuckGrids(state, [](GradeState& s) { return gw::TryWxyzWing(s); });
}
void BM_MultiColoring(benchmark::State& state) {
    RunOnStuckGrids(state, [](GradeState& s) { return gw::TryMultiColoring(s) >= 0; });
}
void BM_FinnedXWing(benchmark::State& state) {
    RunOnStuckGrids(state, [](GradeState& s) { return gw::TryFinnedXWing(s); });
}

BENCHMARK(BM_CopyOnly);
BENCHMARK(BM_Jellyfish);
BENCHMARK(BM_WxyzWing);
BENCHMARK(BM_MultiColoring);
BENCHMARK(BM_FinnedXWing);

}  // namespace

BENCHMARK_MAIN();
