// The solution count on puzzles crafted against it (17 clues, no solution,
// climbed towards the most guesses), on the hard puzzles and on finished
// generated puzzles: CPU time per puzzle, worst puzzle, and how many hit the
// guess budget.
#include <benchmark/benchmark.h>

#include <ctime>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "generator/generator.h"
#include "generator/solution_count.h"

namespace {

std::vector<gw::Grid> Load(const std::string& file) {
    if (file == "generated") {
        // Finished puzzles of the plain loop, as the hunt's tests see them.
        std::vector<gw::Grid> out;
        for (const auto& [puzzle, solution] : gw::GeneratedPuzzles(400, 6)) out.push_back(puzzle);
        return out;
    }
    std::ifstream in(std::string(GRIDWICK_BENCH_DATA) + "/" + file);
    std::vector<gw::Grid> out;
    for (std::string line; std::getline(in, line);) {
        if (line.size() < 81 || line[0] == '#') continue;
        gw::Grid g{};
        for (int c = 0; c < 81; ++c) g[c] = line[c] >= '1' && line[c] <= '9' ? static_cast<std::uint8_t>(line[c] - '0') : 0;
        out.push_back(g);
    }
    if (out.empty()) throw std::runtime_error("no puzzles in " + file);
    return out;
}

double CpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

void BM_CountSolutionsBounded(benchmark::State& state, const char* file) {
    const std::vector<gw::Grid> puzzles = Load(file);
    double worst = 0, total = 0;
    long undecided = 0, worstGuesses = 0, counted = 0;
    for (auto _ : state) {
        undecided = 0;
        for (const gw::Grid& g : puzzles) {
            const double t0 = CpuSeconds();
            const gw::SolutionCount n = gw::CountSolutionsBounded(g, 2);
            const double t = CpuSeconds() - t0;
            worst = std::max(worst, t);
            total += t;
            ++counted;
            worstGuesses = std::max(worstGuesses, n.guesses);
            undecided += n.complete ? 0 : 1;
            benchmark::DoNotOptimize(n);
        }
    }
    state.counters["puzzles"] = static_cast<double>(puzzles.size());
    state.counters["mean_us"] = total * 1e6 / static_cast<double>(counted);
    state.counters["worst_ms"] = worst * 1e3;
    state.counters["worst_guesses"] = static_cast<double>(worstGuesses);
    state.counters["undecided"] = static_cast<double>(undecided);
}

BENCHMARK_CAPTURE(BM_CountSolutionsBounded, crafted_unsolvable, "unsolvable.txt")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CountSolutionsBounded, hard, "hard.txt")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CountSolutionsBounded, finished, "generated")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
