// Helpers for the benchmarks: puzzle sets and per-call time distributions.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "generator/generator.h"
#include "grader/grader.h"

namespace gw::bench {

inline Grid ParseGrid(const std::string& text) {
    Grid g{};
    for (int c = 0; c < 81 && c < static_cast<int>(text.size()); ++c)
        g[c] = static_cast<std::uint8_t>(text[static_cast<std::size_t>(c)] >= '1' && text[static_cast<std::size_t>(c)] <= '9' ? text[static_cast<std::size_t>(c)] - '0' : 0);
    return g;
}

// Puzzles with their solutions ("puzzle solution" a line; lines starting with
// '#' are comments). A missing or empty file stops the benchmark: figures
// measured over no puzzles would mean nothing.
inline std::vector<std::pair<Grid, Grid>> ReadPuzzleFile(const std::string& path) {
    std::vector<std::pair<Grid, Grid>> out;
    std::ifstream in(path);
    if (!in) throw std::runtime_error("benchmark data missing: " + path);
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        if (line.size() < 163) throw std::runtime_error("bad line in " + path + ": " + line);
        out.emplace_back(ParseGrid(line.substr(0, 81)), ParseGrid(line.substr(82, 81)));
    }
    if (out.empty()) throw std::runtime_error("benchmark data holds no puzzle: " + path);
    return out;
}

// The test suite's puzzles (tests/data/random.txt).
inline std::vector<std::pair<Grid, Grid>> SharedPuzzles() {
    return ReadPuzzleFile(std::string(GRIDWICK_TEST_DATA) + "/random.txt");
}

// Puzzles of levels 8 and 9 (bench/data/hard.txt).
inline std::vector<std::pair<Grid, Grid>> HardPuzzles() {
    return ReadPuzzleFile(std::string(GRIDWICK_BENCH_DATA) + "/hard.txt");
}

// A fixed set of Extreme puzzles (bench/data/extreme.txt).
inline std::vector<std::pair<Grid, Grid>> ExtremePuzzles() {
    return ReadPuzzleFile(std::string(GRIDWICK_BENCH_DATA) + "/extreme.txt");
}

// Times fn(item) once per item and reports the distribution in microseconds
// as counters: mean, median, p99 and worst, plus the number of items.
template <typename T, typename F>
void ReportDistribution(benchmark::State& state, const std::vector<T>& items, F&& fn) {
    std::vector<double> us;
    for (auto _ : state) {
        us.clear();
        for (const T& item : items) {
            const auto t0 = std::chrono::steady_clock::now();
            fn(item);
            const auto t1 = std::chrono::steady_clock::now();
            us.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
        }
    }
    if (us.empty()) return;
    std::sort(us.begin(), us.end());
    state.counters["items"] = static_cast<double>(us.size());
    double sum = 0;
    for (const double t : us) sum += t;
    state.counters["mean_us"] = sum / static_cast<double>(us.size());
    state.counters["median_us"] = us[us.size() / 2];
    state.counters["p99_us"] = us[std::min(us.size() - 1, us.size() * 99 / 100)];
    state.counters["worst_us"] = us.back();
}

}  // namespace gw::bench
