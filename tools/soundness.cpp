// gridwick-soundness: generates puzzles, grades each with the full ladder and
// checks every placement and removal against the known solution. Prints the
// level histogram, how often each rung made progress, and the slowest grading.
//
//   gridwick-soundness [COUNT] [SEED] [JOBS] [--shared FILE]
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "generator/generator.h"
#include "grader/grader.h"
#include "output/reader.h"
#include "runs/grading.h"

namespace {

using namespace gw;

struct Tally {
    std::array<long long, 10> levels{};
    std::array<long long, kRungCount + 1> rungs{};
    long long unsound = 0;
    long long wrongSolution = 0;
    double worstMs = 0;
    std::string worstPuzzle;
    std::vector<std::string> reports;
};

std::string Text(const Grid& g) {
    std::string s(81, '.');
    for (int c = 0; c < 81; ++c)
        if (g[c]) s[static_cast<std::size_t>(c)] = static_cast<char>('0' + g[c]);
    return s;
}

void Check(const Grid& puzzle, const Grid& solution, GradeState& s, Tally& t) {
    std::vector<Step> steps;
    const auto t0 = std::chrono::steady_clock::now();
    const int level = GradePuzzle(s, puzzle, &steps);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    ++t.levels[static_cast<std::size_t>(level)];
    if (ms > t.worstMs) {
        t.worstMs = ms;
        t.worstPuzzle = Text(puzzle);
    }
    for (const Step& st : steps) {
        ++t.rungs[static_cast<std::size_t>(st.rung)];
        for (const Change& ch : st.changes) {
            const bool bad = ch.kind == 'R' ? solution[ch.cell] == ch.digit : solution[ch.cell] != ch.digit;
            if (!bad) continue;
            ++t.unsound;
            if (t.reports.size() < 20)
                t.reports.push_back("rung " + std::to_string(st.rung) + " (" + st.name + ") " + ch.kind + " " +
                                    CellName(ch.cell) + " " + std::to_string(ch.digit) + " in " + Text(puzzle));
        }
    }
    if (level >= 1 && level <= 8 && s.SolveGrid != solution) ++t.wrongSolution;
}

}  // namespace

int main(int argc, char** argv) {
    long long count = 20000;
    std::uint64_t seed = 1;
    int jobs = 2;
    std::string shared;
    std::vector<std::string> args(argv + 1, argv + argc);
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--shared" && i + 1 < args.size()) shared = args[++i];
        else positional.push_back(args[i]);
    }
    if (positional.size() > 0) count = std::atoll(positional[0].c_str());
    if (positional.size() > 1) seed = std::strtoull(positional[1].c_str(), nullptr, 10);
    if (positional.size() > 2) jobs = std::max(1, std::atoi(positional[2].c_str()));

    std::vector<std::pair<Grid, Grid>> given;
    if (!shared.empty()) {
        std::ifstream in(shared);
        std::string p, s;
        while (in >> p >> s) {
            const auto a = ReadPuzzles(p), b = ReadPuzzles(s);
            if (a.size() == 1 && b.size() == 1) given.emplace_back(a[0].grid, b[0].grid);
        }
        count = static_cast<long long>(given.size());
        if (count == 0) {
            std::fprintf(stderr, "no puzzle read from %s\n", shared.c_str());
            return 1;
        }
    }

    std::atomic<long long> next{0};
    std::mutex m;
    Tally total;
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> workers;
    for (int j = 0; j < jobs; ++j) {
        workers.emplace_back([&] {
            GenState g;
            GradeState s;
            Yielder y;
            Tally t;
            for (long long i; (i = next++) < count;) {
                if (!given.empty()) {
                    Check(given[static_cast<std::size_t>(i)].first, given[static_cast<std::size_t>(i)].second, s, t);
                    continue;
                }
                g.rng.Seed(seed * 0x9e3779b97f4a7c15ULL + static_cast<std::uint64_t>(i));
                BuildSolutionGrid(g, y);
                RemoveClues(g, y);
                Check(g.Puzzle, g.Solution, s, t);
            }
            std::lock_guard lock(m);
            for (std::size_t k = 0; k < t.levels.size(); ++k) total.levels[k] += t.levels[k];
            for (std::size_t k = 0; k < t.rungs.size(); ++k) total.rungs[k] += t.rungs[k];
            total.unsound += t.unsound;
            total.wrongSolution += t.wrongSolution;
            if (t.worstMs > total.worstMs) {
                total.worstMs = t.worstMs;
                total.worstPuzzle = t.worstPuzzle;
            }
            total.reports.insert(total.reports.end(), t.reports.begin(), t.reports.end());
        });
    }
    for (auto& w : workers) w.join();
    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::printf("%lld puzzles in %.1f s with %d jobs\nlevels:", count, secs, jobs);
    for (int l = 1; l <= 9; ++l) std::printf(" %s %lld", kLevelNames[static_cast<std::size_t>(l)], total.levels[static_cast<std::size_t>(l)]);
    std::printf("\nrungs making progress:");
    for (int r = 1; r <= kRungCount; ++r)
        if (total.rungs[static_cast<std::size_t>(r)]) std::printf(" %d:%lld", r, total.rungs[static_cast<std::size_t>(r)]);
    std::printf("\nslowest grading %.1f ms: %s\n", total.worstMs, total.worstPuzzle.c_str());
    std::printf("unsound changes %lld, wrong solutions %lld\n", total.unsound, total.wrongSolution);
    for (const auto& r : total.reports) std::printf("  %s\n", r.c_str());
    return total.unsound == 0 && total.wrongSolution == 0 ? 0 : 1;
}
