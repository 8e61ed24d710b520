// Time per call of rungs 37 (ALS-XZ), 38 (four-digit count) and 39 (forcing
// chains) on stuck grids: states of the shared puzzles where every lower rung
// has nothing left to do, i.e. exactly the states the driver calls them on.
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>
#include <vector>

#include "grader/grader.h"
#include "techniques/techniques.h"

namespace gw {
namespace {

Grid ParseLine(const std::string& text) {
    Grid g{};
    for (int i = 0; i < 81 && i < static_cast<int>(text.size()); ++i)
        g[i] = static_cast<std::uint8_t>(text[i] >= '1' && text[i] <= '9' ? text[i] - '0' : 0);
    return g;
}

// Up to `limit` states per rung, collected by walking shared puzzles with rungs
// 1..rung-1 and then the rung itself while it makes progress.
std::vector<GradeState> StuckStates(int rung, std::size_t limit) {
    std::vector<GradeState> out;
    std::ifstream in(std::string(GRIDWICK_TEST_DATA) + "/random.txt");
    std::string puzzle, solution;
    while (out.size() < limit && in >> puzzle >> solution) {
        GradeState s;
        ResetGradeState(s, ParseLine(puzzle));
        for (;;) {
            if (IsSolved(s)) break;
            bool lower = false;
            for (int r = 1; r < rung && !lower; ++r) lower = RunRung(s, r);
            if (lower) continue;
            out.push_back(s);
            if (out.size() >= limit || !RunRung(s, rung)) break;
        }
    }
    return out;
}

// With `fruitless`, only the states on which the rung finds nothing: the
// whole search runs to its end there.
void RunOnStates(benchmark::State& state, int rung, bool (*technique)(GradeState&), bool fruitless = false) {
    std::vector<GradeState> states = StuckStates(rung, fruitless ? 3000 : 200);
    if (fruitless) {
        std::vector<GradeState> keep;
        for (const GradeState& st : states) {
            GradeState copy = st;
            if (!technique(copy)) keep.push_back(st);
        }
        states.swap(keep);
    }
    if (states.empty()) {
        state.SkipWithError("no stuck states");
        return;
    }
    std::size_t i = 0;
    int progress = 0;
    for (auto _ : state) {
        GradeState s = states[i];
        progress += technique(s) ? 1 : 0;
        benchmark::DoNotOptimize(s.CandMask);
        if (++i == states.size()) i = 0;
    }
    state.counters["states"] = static_cast<double>(states.size());
    state.counters["progress_share"] =
        benchmark::Counter(progress, benchmark::Counter::kAvgIterations);
}

void BM_AlsXZ(benchmark::State& state) { RunOnStates(state, 37, TryAlsXZ); }
void BM_FourDigitOpenRowCount(benchmark::State& state) { RunOnStates(state, 38, TryFourDigitOpenRowCount); }
void BM_ForcingChains(benchmark::State& state) { RunOnStates(state, 39, TryForcingChains); }
void BM_AlsXZ_NothingFound(benchmark::State& state) { RunOnStates(state, 37, TryAlsXZ, true); }

BENCHMARK(BM_AlsXZ)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FourDigitOpenRowCount)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ForcingChains)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AlsXZ_NothingFound)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace gw

BENCHMARK_MAIN();
