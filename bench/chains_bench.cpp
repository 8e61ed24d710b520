// Time per call of the chain rungs (31 and 35: X-cycles at levels 6 and 7;
// 32, 36 and 41: alternating chains with limits 10, 20 and 30) on the states in
// which the ladder reaches them: the shared puzzles graded with that rung and
// every later one switched off, wherever the grading got stuck. The full ladder
// never leaves a shared puzzle to rung 41, so its states are those in which the
// grading gets stuck with the level-7 and level-8 rungs before it (33 to 40)
// switched off too: the deepest searches the set has.
//
// Counters: states = stuck states measured; worst_ms = the slowest single call
// and mean_us = the mean time per call over all states, both in thread CPU time
// (best of three per state, so that a busy machine does not inflate them);
// over_20ms = states on which one call takes more than 20 ms.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "grader/grader.h"
#include "techniques/techniques.h"

namespace {

using gw::GradeState;

int CallRung(GradeState& s, int rung) {
    switch (rung) {
        case 31: return gw::TryXCycles(s, 6);
        case 32: return gw::TryAlternatingChains(s, 10, 6);
        case 35: return gw::TryXCycles(s, 7);
        case 36: return gw::TryAlternatingChains(s, 20, 7);
        default: return gw::TryAlternatingChains(s, 30, 8);
    }
}

double ThreadCpuMicros() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

std::vector<gw::Grid> LoadPuzzles() {
    std::vector<gw::Grid> out;
    std::ifstream in(std::string(GRIDWICK_TEST_DATA) + "/random.txt");
    std::string p, sol;
    while (in >> p >> sol) {
        gw::Grid g{};
        for (int c = 0; c < 81 && c < static_cast<int>(p.size()); ++c)
            g[c] = static_cast<std::uint8_t>(p[c] - '0');
        out.push_back(g);
    }
    return out;
}

// The states in which rung `rung` is called: every rung before it stuck.
const std::vector<GradeState>& StuckStates(int rung) {
    static const std::map<int, std::vector<GradeState>> all = [] {
        const auto puzzles = LoadPuzzles();
        std::map<int, std::vector<GradeState>> m;
        for (int r : {31, 32, 35, 36, 41}) {
            for (const auto& p : puzzles) {
                GradeState s;
                for (int x = r; x <= gw::kRungCount; ++x) s.disabledRungs.set(static_cast<std::size_t>(x));
                if (r == 41)
                    for (int x = 33; x <= 40; ++x) s.disabledRungs.set(static_cast<std::size_t>(x));
                if (gw::GradePuzzle(s, p) != 9) continue;
                s.disabledRungs.reset();
                m[r].push_back(s);
            }
        }
        return m;
    }();
    static const std::vector<GradeState> none;
    const auto it = all.find(rung);
    return it == all.end() ? none : it->second;
}

void BM_ChainRung(benchmark::State& state) {
    const int rung = static_cast<int>(state.range(0));
    const auto& states = StuckStates(rung);
    if (states.empty()) {
        state.SkipWithError("no stuck states");
        return;
    }
    std::size_t i = 0;
    for (auto _ : state) {
        GradeState s = states[i];
        benchmark::DoNotOptimize(CallRung(s, rung));
        i = (i + 1) % states.size();
    }

    double worst = 0;
    double total = 0;
    int over = 0;
    for (const GradeState& base : states) {
        double best = 1e30;
        for (int rep = 0; rep < 3; ++rep) {
            GradeState s = base;
            const double t0 = ThreadCpuMicros();
            benchmark::DoNotOptimize(CallRung(s, rung));
            best = std::min(best, ThreadCpuMicros() - t0);
        }
        worst = std::max(worst, best);
        total += best;
        over += best > 20000.0;
    }
    state.counters["states"] = static_cast<double>(states.size());
    state.counters["worst_ms"] = worst / 1000.0;
    state.counters["mean_us"] = total / static_cast<double>(states.size());
    state.counters["over_20ms"] = over;
}

BENCHMARK(BM_ChainRung)->Arg(31)->Arg(32)->Arg(35)->Arg(36)->Arg(41)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

}  // namespace

BENCHMARK_MAIN();
