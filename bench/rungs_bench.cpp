// Time per call of every rung of the ladder (the trial excepted), one
// benchmark per row of the ladder table, named "Rung/<number> <player's name>".
//
// A rung is measured on the states in which the ladder calls it after every
// rung below it is stuck: the shared puzzles graded with that rung and every
// later one switched off, wherever the grading got stuck (at most 300 states).
// A rung the full ladder hardly ever reaches (the longest chains) gets too few
// such states; for it the rungs of levels 7 and 8 below it are switched off
// too, which gives the deepest searches the set has.
//
// Counters: states = states measured; found% = share of them on which the rung
// acts; mean_us and worst_ms = mean and slowest time of one call, in thread
// CPU time (best of three per state, so that a busy machine does not inflate
// them); over_20ms = states on which one call takes more than 20 ms.
// A few extra benchmarks time the searches on hand-made worst cases.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "bench_util.h"
#include "techniques/techniques.h"

namespace gw::bench {
namespace {

constexpr std::size_t kMaxStates = 300;
constexpr std::size_t kFewStates = 20;

double ThreadCpuMicros() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

// Grades the puzzles with `off` switched off and keeps the states where the
// grading got stuck, no rung left off.
std::vector<GradeState> StuckStates(const std::vector<std::pair<Grid, Grid>>& puzzles,
                                    const RungSet& off) {
    std::vector<GradeState> out;
    for (const auto& [puzzle, solution] : puzzles) {
        GradeState s;
        GradeRun run{.disabledRungs = off};
        s.run = &run;
        if (GradePuzzle(s, puzzle) != 9) continue;
        s.run = nullptr;
        out.push_back(s);
        if (out.size() == kMaxStates) break;
    }
    return out;
}

const std::vector<GradeState>& StatesFor(const Rung& rung) {
    static std::map<int, std::vector<GradeState>> cache;
    static const auto puzzles = SharedPuzzles();
    auto it = cache.find(rung.number);
    if (it != cache.end()) return it->second;
    RungSet off;
    for (int r = rung.number; r <= kRungCount; ++r) off.set(static_cast<std::size_t>(r));
    auto states = StuckStates(puzzles, off);
    if (states.size() < kFewStates) {
        for (const Rung& r : kLadder)
            if (r.level >= 7 && r.number < rung.number) off.set(static_cast<std::size_t>(r.number));
        states = StuckStates(puzzles, off);
    }
    return cache.emplace(rung.number, std::move(states)).first->second;
}

void BM_Rung(benchmark::State& state, const Rung& rung) {
    const auto& states = StatesFor(rung);
    if (states.empty()) {
        state.SkipWithError("no stuck states");
        return;
    }
    std::size_t i = 0;
    for (auto _ : state) {
        GradeState s = states[i];
        benchmark::DoNotOptimize(rung.run(s));
        i = (i + 1) % states.size();
    }

    double worst = 0;
    double total = 0;
    int over = 0;
    int found = 0;
    for (const GradeState& base : states) {
        double best = 1e30;
        for (int rep = 0; rep < 3; ++rep) {
            GradeState s = base;
            const double t0 = ThreadCpuMicros();
            const bool acted = rung.run(s);
            best = std::min(best, ThreadCpuMicros() - t0);
            if (rep == 0) found += acted;
        }
        worst = std::max(worst, best);
        total += best;
        over += best > 20000.0;
    }
    const auto n = static_cast<double>(states.size());
    state.counters["states"] = n;
    state.counters["found%"] = 100.0 * found / n;
    state.counters["mean_us"] = total / n;
    state.counters["worst_ms"] = worst / 1000.0;
    state.counters["over_20ms"] = over;
}

// Every cell holds its digits of two different solutions: conjugate links
// everywhere and no chain that acts, the XY-chain search's worst case.
void BM_XYChain_TwoSolutionGrid(benchmark::State& state) {
    GradeState grid;
    for (int c = 0; c < 81; ++c) {
        const int r = c / 9;
        const int v = (3 * r + r / 3 + c % 9) % 9 + 1;
        grid.CandMask[c] = static_cast<std::uint16_t>(DigitBit(v) | DigitBit(v % 9 + 1));
    }
    const Rung& rung = RungNamed("XY-Chain");
    for (auto _ : state) {
        GradeState s = grid;
        benchmark::DoNotOptimize(rung.run(s));
    }
}
BENCHMARK(BM_XYChain_TwoSolutionGrid)->Unit(benchmark::kMicrosecond);

// An empty grid: every segment open, 504 assignments each, nothing struck.
void BM_AlignedTripleGroups_EmptyGrid(benchmark::State& state) {
    GradeState grid;
    grid.CandMask.fill(kAllDigits);
    const Rung& rung = RungNamed("Aligned Triple Exclusion (witness groups)");
    for (auto _ : state) {
        GradeState s = grid;
        benchmark::DoNotOptimize(rung.run(s));
    }
}
BENCHMARK(BM_AlignedTripleGroups_EmptyGrid)->Unit(benchmark::kMicrosecond);

// The copy of a state that every per-call figure above includes.
void BM_CopyOnly(benchmark::State& state) {
    GradeState grid;
    grid.CandMask.fill(kAllDigits);
    for (auto _ : state) {
        GradeState s = grid;
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(BM_CopyOnly);

}  // namespace
}  // namespace gw::bench

int main(int argc, char** argv) {
    for (const gw::Rung& rung : gw::kLadder) {
        if (rung.number == gw::kRungCount) continue;  // the trial runs the whole ladder: see grading_bench
        const std::string name = "Rung/" + std::to_string(rung.number) + " " + rung.player;
        benchmark::RegisterBenchmark(name.c_str(), [&rung](benchmark::State& st) { gw::bench::BM_Rung(st, rung); })
            ->Unit(benchmark::kMicrosecond)
            ->MeasureProcessCPUTime();
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
