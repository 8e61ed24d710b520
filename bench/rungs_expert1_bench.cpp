// Time per call of rungs 33 (XY-chain), 34 (aligned triple exclusion) and 40
// (aligned triple exclusion with witness groups) on grids where the grading
// got stuck below the rung, taken from the shared puzzle set.
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
        if (p.size() != 81) continue;
        Grid g{};
        for (int c = 0; c < 81; ++c) g[c] = static_cast<std::uint8_t>(p[c] == '.' ? 0 : p[c] - '0');
        out.push_back(g);
    }
    return out;
}

// Gradings stopped where every rung below `rung` is stuck (rungs from `rung`
// up switched off), at most `limit` of them.
std::vector<GradeState> StuckBelow(int rung, std::size_t limit) {
    std::vector<GradeState> out;
    for (const Grid& puzzle : LoadPuzzles()) {
        GradeState s;
        for (int r = rung; r <= kRungCount; ++r) s.disabledRungs.set(static_cast<std::size_t>(r));
        GradePuzzle(s, puzzle);
        if (IsSolved(s)) continue;
        s.disabledRungs.reset();
        out.push_back(s);
        if (out.size() == limit) break;
    }
    return out;
}

const std::vector<GradeState>& StuckStates(int rung) {
    static const std::vector<GradeState> below33 = StuckBelow(33, 300);
    static const std::vector<GradeState> below40 = StuckBelow(40, 300);
    return rung == 40 ? below40 : below33;
}

template <bool (*Rung)(GradeState&)>
void RunOnStuck(benchmark::State& state, int rung) {
    const auto& grids = StuckStates(rung);
    if (grids.empty()) {
        state.SkipWithError("no stuck grid");
        return;
    }
    std::size_t i = 0;
    int found = 0;
    for (auto _ : state) {
        GradeState s = grids[i];
        found += Rung(s);
        benchmark::DoNotOptimize(s.CandMask);
        if (++i == grids.size()) i = 0;
    }
    state.counters["grids"] = static_cast<double>(grids.size());
    state.counters["found%"] = 100.0 * found / static_cast<double>(state.iterations());
}

void BM_XYChain_Stuck(benchmark::State& state) { RunOnStuck<TryConjugateXYChain>(state, 33); }
void BM_AlignedTriple_Stuck(benchmark::State& state) { RunOnStuck<TryAlignedTripleExclusion>(state, 33); }
void BM_AlignedTripleGroups_Stuck(benchmark::State& state) { RunOnStuck<TryAlignedTripleGroups>(state, 40); }

// Every cell holds its digits of two different solutions: conjugate links
// everywhere and no chain that acts, the XY-chain search's worst case.
void BM_XYChain_TwoSolutionGrid(benchmark::State& state) {
    GradeState grid;
    for (int c = 0; c < 81; ++c) {
        const int r = c / 9;
        const int v = (3 * r + r / 3 + c % 9) % 9 + 1;
        grid.CandMask[c] = static_cast<std::uint16_t>(DigitBit(v) | DigitBit(v % 9 + 1));
    }
    for (auto _ : state) {
        GradeState s = grid;
        benchmark::DoNotOptimize(TryConjugateXYChain(s));
    }
}

// An empty grid: every segment open, 504 assignments each, nothing struck.
void BM_AlignedTripleGroups_EmptyGrid(benchmark::State& state) {
    GradeState grid;
    grid.CandMask.fill(kAllDigits);
    for (auto _ : state) {
        GradeState s = grid;
        benchmark::DoNotOptimize(TryAlignedTripleGroups(s));
    }
}

BENCHMARK(BM_XYChain_Stuck)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_XYChain_TwoSolutionGrid)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AlignedTriple_Stuck)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AlignedTripleGroups_Stuck)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AlignedTripleGroups_EmptyGrid)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace gw

BENCHMARK_MAIN();
