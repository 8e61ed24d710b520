// Time per call of rungs 26 to 30 (pair exclusion, unique rectangles, avoidable
// rectangles, aligned pair exclusion, bivalue grave plus one) on stuck grids:
// the states of real gradings in which rungs 1 to 25 find nothing, which is
// where the ladder calls them.
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
        g[i] = static_cast<std::uint8_t>(text[i] == '.' ? 0 : text[i] - '0');
    return g;
}

// Grades the shared puzzles with rungs 1..30 and keeps every state in which
// rungs 1..25 are stuck.
const std::vector<GradeState>& StuckStates() {
    static const std::vector<GradeState> states = [] {
        std::vector<GradeState> out;
        std::ifstream in(std::string(GRIDWICK_TEST_DATA) + "/random.txt");
        std::string puzzle, solution;
        while (in >> puzzle >> solution && out.size() < 2000) {
            GradeState s;
            ResetGradeState(s, ParseLine(puzzle));
            while (!IsSolved(s)) {
                int made = 0;
                for (int r = 1; r <= 30 && made == 0; ++r) {
                    if (r == 26) out.push_back(s);
                    if (RunRung(s, r)) made = r;
                }
                if (made == 0) break;
            }
        }
        return out;
    }();
    return states;
}

template <typename F>
void RunOnStuckStates(benchmark::State& state, F technique) {
    const auto& states = StuckStates();
    if (states.empty()) {
        state.SkipWithError("no stuck states");
        return;
    }
    std::size_t k = 0;
    std::int64_t acted = 0;
    for (auto _ : state) {
        GradeState s = states[k];
        acted += technique(s) ? 1 : 0;
        benchmark::DoNotOptimize(s.CandMask);
        if (++k == states.size()) k = 0;
    }
    state.counters["states"] = static_cast<double>(states.size());
    state.counters["acting"] = benchmark::Counter(static_cast<double>(acted) / static_cast<double>(state.iterations()),
                                                  benchmark::Counter::kDefaults);
}

// The copy of a state that every measurement below includes.
void BM_CopyOnly(benchmark::State& state) { RunOnStuckStates(state, [](GradeState&) { return false; }); }
void BM_PairExclusion(benchmark::State& state) { RunOnStuckStates(state, TryPairExclusion); }
void BM_UniqueRectangles(benchmark::State& state) { RunOnStuckStates(state, TryUniqueRectangles); }
void BM_AvoidableRectangles(benchmark::State& state) { RunOnStuckStates(state, TryAvoidableRectangles); }
void BM_AlignedPairExclusion(benchmark::State& state) { RunOnStuckStates(state, TryAlignedPairExclusion); }
void BM_BivalueGravePlusOne(benchmark::State& state) { RunOnStuckStates(state, TryBivalueGravePlusOne); }

BENCHMARK(BM_CopyOnly);
BENCHMARK(BM_PairExclusion);
BENCHMARK(BM_UniqueRectangles);
BENCHMARK(BM_AvoidableRectangles);
BENCHMARK(BM_AlignedPairExclusion);
BENCHMARK(BM_BivalueGravePlusOne);

}  // namespace
}  // namespace gw

BENCHMARK_MAIN();
