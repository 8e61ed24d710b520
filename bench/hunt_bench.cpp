// The plain loop against the hunt, side by side in one run: each method gets
// the same budget of CPU time on one thread and the Extreme, Mayhem and Outlaw
// puzzles it makes are counted. The hunt counts only what it would save
// (distinct puzzles, at most --per-grid per solution grid).
//
//   hunt_bench [seconds=60] [seed=1] [methods=both|plain|hunt] [key=value ...]
//
// Hunt settings: pool=64 poolgrid=2 seeds=500 fresh=5 keep=0 tour=2 visits=0
// score=effort|top|level digits=solutions|random pergrid=3 list=32 pick=score|yield
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "generator/generator.h"
#include "generator/hunt.h"
#include "grader/grader.h"

namespace {

double ThreadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

struct Tally {
    std::array<long long, 10> perLevel{};
    double cpu = 0;
    long long made = 0;
};

Tally RunPlain(double budget, std::uint64_t seed) {
    gw::GenState g;
    g.rng.Seed(seed);
    gw::GradeState s;
    gw::Yielder y;
    Tally t;
    const double start = ThreadCpuSeconds();
    while ((t.cpu = ThreadCpuSeconds() - start) < budget) {
        gw::BuildSolutionGrid(g, y);
        gw::RemoveClues(g, y);
        ++t.perLevel[static_cast<std::size_t>(gw::GradePuzzle(s, g.Puzzle))];
        ++t.made;
    }
    return t;
}

Tally RunHunt(double budget, std::uint64_t seed, const gw::HuntOptions& o, gw::HuntCounts& counts) {
    gw::HuntPool pool(o);
    gw::Yielder y;
    gw::Hunter hunter(pool, seed, y);
    std::optional<gw::HuntPuzzle> found;
    Tally t;
    const double start = ThreadCpuSeconds();
    while ((t.cpu = ThreadCpuSeconds() - start) < budget) {
        hunter.Turn(found);
        if (found) {
            ++t.perLevel[static_cast<std::size_t>(found->level)];
            ++t.made;
        }
    }
    counts = hunter.counts();
    return t;
}

bool Setting(const std::string& key, const std::string& v, gw::HuntOptions& o) {
    const int n = std::atoi(v.c_str());
    if (key == "pool") o.poolSize = n;
    else if (key == "poolgrid") o.poolPerGrid = n;
    else if (key == "seeds") o.seedPuzzles = n;
    else if (key == "fresh") o.freshPercent = n;
    else if (key == "keep") o.keepGridPercent = n;
    else if (key == "tour") o.tournament = n;
    else if (key == "visits") o.maxVisits = n;
    else if (key == "pergrid") o.perGrid = n;
    else if (key == "list") o.listLimit = n;
    else if (key == "pick" && v == "score") o.pick = gw::HuntOptions::Pick::Score;
    else if (key == "pick" && v == "yield") o.pick = gw::HuntOptions::Pick::Yield;
    else if (key == "score" && v == "effort") o.score = gw::HuntOptions::Score::Effort;
    else if (key == "score" && v == "top") o.score = gw::HuntOptions::Score::TopRung;
    else if (key == "score" && v == "level") o.score = gw::HuntOptions::Score::Level;
    else if (key == "digits" && v == "solutions") o.digits = gw::HuntOptions::Digits::FromSolutions;
    else if (key == "digits" && v == "random") o.digits = gw::HuntOptions::Digits::Random;
    else return false;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    double budget = 60;
    std::uint64_t seed = 1;
    std::string methods = "both";
    gw::HuntOptions o;
    o.levels = (1u << 7) | (1u << 8) | (1u << 9);
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const std::size_t eq = arg.find('=');
        if (eq == std::string::npos) {
            if (positional == 0) budget = std::atof(arg.c_str());
            else seed = std::strtoull(arg.c_str(), nullptr, 10);
            ++positional;
            continue;
        }
        const std::string key = arg.substr(0, eq), value = arg.substr(eq + 1);
        if (key == "methods") methods = value;
        else if (!Setting(key, value, o)) {
            std::fprintf(stderr, "hunt_bench: unknown setting %s\n", arg.c_str());
            return 2;
        }
    }

    std::printf("CPU budget %.0f s per method, seed %llu\n", budget, static_cast<unsigned long long>(seed));
    Tally plain, hunt;
    gw::HuntCounts counts;
    if (methods != "hunt") plain = RunPlain(budget, seed);
    if (methods != "plain") hunt = RunHunt(budget, seed, o, counts);

    auto rate = [](const Tally& t, int l) { return t.cpu > 0 ? static_cast<double>(t.perLevel[l]) / t.cpu : 0.0; };
    std::printf("\n%-8s %10s %12s %10s %12s %8s\n", "Level", "plain", "plain/cpu-s", "hunt", "hunt/cpu-s", "ratio");
    for (int l = 7; l <= 9; ++l) {
        const double p = rate(plain, l), h = rate(hunt, l);
        char ratio[32] = "-";
        if (p > 0) std::snprintf(ratio, sizeof ratio, "%.1fx", h / p);
        std::printf("%-8s %10lld %12.4f %10lld %12.4f %8s\n", gw::kLevelNames[static_cast<std::size_t>(l)],
                    plain.perLevel[static_cast<std::size_t>(l)], p, hunt.perLevel[static_cast<std::size_t>(l)], h, ratio);
    }
    std::printf("\nplain: %lld puzzles in %.1f CPU-s\n", plain.made, plain.cpu);
    std::printf("hunt: %lld plain, %lld neighbours (%lld unique, %lld new and graded) in %.1f CPU-s\n", counts.plain,
                counts.neighbours, counts.unique, counts.graded, hunt.cpu);
    std::printf("hunt graded per level:");
    for (int l = 1; l <= 9; ++l) std::printf(" %lld", counts.levels[static_cast<std::size_t>(l)]);
    std::printf("\n");
    return 0;
}
