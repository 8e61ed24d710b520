// The plain loop against the hunt, side by side in one run: each run gets the
// same budget of CPU time on one thread and the Extreme, Mayhem and Outlaw
// puzzles it makes are counted. The plain loop runs once (what it makes does
// not depend on the levels asked for); the hunt runs as `--levels 7` for the
// Extreme figure and as `--levels 8,9` for Mayhem and Outlaw, since it hunts
// differently for them. The hunt counts only what it would save (distinct
// puzzles of the run's levels, at most --per-grid per solution grid, none
// sharing more givens with another than --max-shared allows).
//
//   hunt_bench [seconds=60] [seed=1] [methods=both|plain|hunt] [levels=7,89] [runs=1] [shared=0.5,off]
//              [key=value ...]
//
// shared: the limits on shared givens to compare, each as --max-shared takes
// it. The hunts run once per limit; the plain loop runs once and its puzzles
// of levels 7 to 9 are held to each limit in the order made. For each saved
// puzzle the largest share of givens it has with another of the run is
// counted into tenths.
//
// runs: each hunt runs that many times, from `seed` on, and its rate is the
// mean of theirs; the sorted rates of the runs and their median are printed
// too. A hunt's rate varies widely from seed to seed: it depends on when the
// hunt happens upon a family of puzzles that are cheap to grade.
//
// levels: the hunts to run, each given by the digits of its levels.
// Hunt settings: pool=64 poolgrid=2 seeds=500 fresh=5 keep=0 tour=2 wtour=8 trial=2 perwork=1 makework=200
// visits=0 score=effort|top|level|fine digits=solutions|random pergrid=3 list=32
// pick=auto|score|yield|wanted farparents=1 climb=0|1 (default: when Outlaw is wanted) pairs=1 famcap=0
// patience=0
//
// The hunts count what they would save under the variety rule: with a limit
// on shared givens, none shares more than it with another of its level, and
// none is another in disguise.
//
// For Mayhem and Outlaw (40 CPU-seconds per run, seeds 1-2, rule on; the
// figures are in docs/hunt.md): climbing (climb=1, kept for hunts that want
// Outlaw) raised Outlaw from 0.37 to 1.5 per CPU-minute and cut Mayhem in the
// same hunt from 1.48 to 0.23 per CPU-second; moves of up to two pairs
// (pairs=2) turned most neighbours of Mayhem parents into Easy puzzles and gave
// no more of either.
//
// Measured for Extreme and not kept as defaults (40 CPU-seconds, several
// seeds): picking parents by score (1.4-1.8x the plain loop), by the hardness
// of their neighbours (pick=yield, about 1.9x, with Mayhem unreliable), by how
// often their neighbours were wanted per neighbour (perwork=0: about 47 Extreme
// per CPU-second on seeds 2-8, with three-way tournaments and trials of 16
// neighbours, the earlier defaults; 46 with wtour=8 trial=8), per unit of work
// with those settings (45), an upper-confidence pick over the whole pool
// instead of a tournament (45), keeping only parents that grade cheaply (the
// pool starves: 8), wtour=16 (65 on six seeds), trial=1 (54), trial=4 (98,
// but lower in the middle), a new parent credited with one imagined neighbour
// or four instead of two (no better), and never again taking out a clue pair
// whose removal gave no neighbour (about 39 on six seeds). Also not kept: fewer
// listed solutions per neighbour (list=8), random digits, keeping the solution
// grid (keep=30/100: mostly puzzles seen before), pools of 32 or 128. For the
// uniqueness tests of the reduction, the bounded count that fills singles
// before each guess was twice as slow on these puzzles, and testing a pair by
// trying the other digits in its cells was slower too.
//
// Under the rule on shared givens (0.5), tried on seed 1 for 25-40 CPU-seconds
// (Extreme / Mayhem per CPU-second; without the rule about 80 / 2.8): keeping
// near-copies as parents and only refusing to save them, 2.8 / 0.30; moving a
// near-copy on by up to 8 further moves before grading it, 3.2 (and 3.4 when
// only a tenth of the near-copies left were graded; Mayhem 0.23); tournaments
// weighted by a parent's distance from the saved puzzles with only saved
// neighbours counted as wanted, 4.4; cutting the parent's solution grid afresh
// (its Extreme share is the 1.1% of any random grid: the hardness is not in
// the grid), 6.2, and for 30% of the neighbours, 10.3 / 0.36. Kept: dropping
// the parents near each saved puzzle and taking no near-copy as a parent
// (farparents=1), 16.8 / 1.20; moving on by 4 moves on top of it, Mayhem 1.08.
#include <time.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "generator/generator.h"
#include "generator/hunt.h"
#include "generator/near_copies.h"
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
    std::vector<gw::Grid> saved;  // what the run would save, in order
    std::vector<gw::Grid> grids;  // and their solution grids
};

// Solution grids and clue patterns (the cells given, whatever their digits)
// among the saved puzzles.
std::pair<std::size_t, std::size_t> DistinctGridsAndPatterns(const Tally& t) {
    std::set<gw::Grid> grids(t.grids.begin(), t.grids.end()), patterns;
    for (gw::Grid g : t.saved) {
        for (auto& d : g) d = d != 0;
        patterns.insert(g);
    }
    return {grids.size(), patterns.size()};
}

// The plain loop saves the puzzles of levels 7 to 9 that the rule admits. The
// rule is applied afterwards, in the order made: its checks take microseconds.
Tally Admitted(const Tally& plain, const std::vector<int>& levels, const gw::SharedLimit& limit) {
    gw::NearCopyGuard guard(limit, limit.On());
    Tally t;
    t.cpu = plain.cpu;
    for (std::size_t i = 0; i < plain.saved.size(); ++i) {
        if (!guard.Admit(plain.saved[i], levels[i])) continue;
        ++t.perLevel[static_cast<std::size_t>(levels[i])];
        ++t.made;
        t.saved.push_back(plain.saved[i]);
        t.grids.push_back(plain.grids[i]);
    }
    return t;
}

Tally RunPlain(double budget, std::uint64_t seed, std::vector<int>& levels) {
    gw::GenState g;
    g.rng.Seed(seed);
    gw::GradeState s;
    gw::Yielder y;
    Tally t;
    const double start = ThreadCpuSeconds();
    while ((t.cpu = ThreadCpuSeconds() - start) < budget) {
        gw::BuildSolutionGrid(g, y);
        gw::RemoveClues(g, y);
        const int level = gw::GradePuzzle(s, g.Puzzle);
        ++t.perLevel[static_cast<std::size_t>(level)];
        ++t.made;
        if (level >= 7) {
            t.saved.push_back(g.Puzzle);
            t.grids.push_back(g.Solution);
            levels.push_back(level);
        }
    }
    return t;
}

Tally RunHunt(double budget, std::uint64_t seed, const gw::HuntOptions& o, const gw::SharedLimit& limit,
              gw::HuntCounts& counts) {
    // The hunt's variety rule: with a limit on shared givens, no two puzzles of
    // a level are one puzzle in disguise either.
    gw::NearCopyGuard guard(limit, limit.On());
    gw::HuntPool pool(o, &guard);
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
            t.saved.push_back(found->puzzle);
            t.grids.push_back(found->solution);
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
    else if (key == "wtour") o.wantedTournament = n;
    else if (key == "trial") o.trialVisits = n;
    else if (key == "perwork") o.perWork = n != 0;
    else if (key == "makework") o.makeWork = n;
    else if (key == "farparents") o.farParents = n != 0;
    else if (key == "pairs") o.pairsOut = n;
    else if (key == "climb") o.climb = n != 0 ? gw::HuntOptions::Climb::Yes : gw::HuntOptions::Climb::No;
    else if (key == "famcap") o.familyCap = n;
    else if (key == "patience") o.familyPatience = n;
    else if (key == "pick" && v == "auto") o.pick = gw::HuntOptions::Pick::Auto;
    else if (key == "pick" && v == "wanted") o.pick = gw::HuntOptions::Pick::Wanted;
    else if (key == "pick" && v == "score") o.pick = gw::HuntOptions::Pick::Score;
    else if (key == "pick" && v == "yield") o.pick = gw::HuntOptions::Pick::Yield;
    else if (key == "score" && v == "effort") o.score = gw::HuntOptions::Score::Effort;
    else if (key == "score" && v == "fine") o.score = gw::HuntOptions::Score::Fine;
    else if (key == "score" && v == "top") o.score = gw::HuntOptions::Score::TopRung;
    else if (key == "score" && v == "level") o.score = gw::HuntOptions::Score::Level;
    else if (key == "digits" && v == "solutions") o.digits = gw::HuntOptions::Digits::FromSolutions;
    else if (key == "digits" && v == "random") o.digits = gw::HuntOptions::Digits::Random;
    else return false;
    return true;
}

std::vector<std::string> Split(const std::string& list) {
    std::vector<std::string> items;
    for (std::size_t from = 0; from <= list.size();) {
        std::size_t to = list.find(',', from);
        if (to == std::string::npos) to = list.size();
        if (to > from) items.push_back(list.substr(from, to - from));
        from = to + 1;
    }
    return items;
}

unsigned LevelDigits(const std::string& digits) {
    unsigned levels = 0;
    for (const char ch : digits)
        if (ch >= '1' && ch <= '9') levels |= 1u << (ch - '0');
    return levels;
}

void PrintHunt(const char* name, const Tally& t, const gw::HuntCounts& c) {
    std::printf("\nhunt %s: %lld plain, %lld neighbours (%lld unique, %lld new and graded) in %.1f CPU-s\n", name,
                c.plain, c.neighbours, c.unique, c.graded, t.cpu);
    const auto [grids, patterns] = DistinctGridsAndPatterns(t);
    std::printf("  saved per level 7-9: %lld %lld %lld; %zu solution grids, %zu clue patterns among them\n",
                t.perLevel[7], t.perLevel[8], t.perLevel[9], grids, patterns);
    std::printf("  graded per level 1-9:");
    for (int l = 1; l <= 9; ++l) std::printf(" %lld", c.levels[static_cast<std::size_t>(l)]);
    std::printf("\n  CPU-s: plain %.1f, neighbours made %.1f, reduced %.1f, graded per level 1-9:", c.plainSeconds,
                c.makeSeconds, c.reduceSeconds);
    for (int l = 1; l <= 9; ++l) std::printf(" %.1f", c.gradeSeconds[static_cast<std::size_t>(l)]);
    std::printf("\n  neighbours graded per level 1-9, by the parent's level:\n");
    for (int a = 1; a <= 9; ++a) {
        const auto& row = c.byParent[static_cast<std::size_t>(a)];
        long long sum = 0;
        for (const long long k : row) sum += k;
        if (sum == 0) continue;
        std::printf("    %d:", a);
        for (int l = 1; l <= 9; ++l) std::printf(" %6lld", row[static_cast<std::size_t>(l)]);
        std::printf("\n");
    }
}

// For each saved puzzle of a run, the largest share of givens it has with
// another puzzle of the run, counted into tenths: bucket k holds shares above
// (k-1)/10 up to k/10 (bucket 0: none shared).
using ShareHistogram = std::array<long long, 11>;

void AddShares(const std::vector<gw::Grid>& saved, ShareHistogram& h, std::vector<double>& all) {
    gw::GivenIndex index;
    for (const gw::Grid& g : saved) index.Add(g);
    for (std::size_t i = 0; i < saved.size(); ++i) {
        const double share = index.LargestShare(saved[i], static_cast<int>(i));
        ++h[static_cast<std::size_t>(std::ceil(share * 10 - 1e-9))];
        all.push_back(share);
    }
}

void PrintShares(const char* name, const ShareHistogram& h, std::vector<double> all) {
    std::printf("  %-22s", name);
    for (const long long n : h) std::printf(" %5lld", n);
    if (!all.empty()) {
        std::sort(all.begin(), all.end());
        std::printf("   median %.2f, max %.2f (%zu puzzles)", all[all.size() / 2], all.back(), all.size());
    }
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    double budget = 60;
    std::uint64_t seed = 1;
    std::string methods = "both";
    std::string hunts = "7,89";
    std::string rules = "0.5,off";
    int runsPerHunt = 1;
    gw::HuntOptions o;
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
        else if (key == "runs" && std::atoi(value.c_str()) > 0) runsPerHunt = std::atoi(value.c_str());
        else if (key == "levels") hunts = value;
        else if (key == "shared") rules = value;
        else if (!Setting(key, value, o)) {
            std::fprintf(stderr, "hunt_bench: unknown setting %s\n", arg.c_str());
            return 2;
        }
    }
    std::vector<std::pair<std::string, gw::SharedLimit>> limits;
    for (const std::string& text : Split(rules)) {
        gw::SharedLimit limit;
        std::string error;
        if (!gw::ParseSharedLimit(text, limit, error)) {
            std::fprintf(stderr, "hunt_bench: shared: %s\n", error.c_str());
            return 2;
        }
        limits.push_back({text, limit});
    }

    std::printf("CPU budget %.0f s per run, seed %llu", budget, static_cast<unsigned long long>(seed));
    if (runsPerHunt > 1) std::printf(" (the hunts: seeds %llu-%llu)", static_cast<unsigned long long>(seed), static_cast<unsigned long long>(seed) + static_cast<unsigned long long>(runsPerHunt) - 1);
    std::printf("\n");
    Tally plainMade;
    std::vector<int> plainLevels;
    if (methods != "hunt") plainMade = RunPlain(budget, seed, plainLevels);
    std::vector<std::pair<std::string, std::pair<Tally, gw::HuntCounts>>> runs;
    for (const auto& [ruleText, limit] : limits) {
        const Tally plain = Admitted(plainMade, plainLevels, limit);
        // Per level, the hunt that measures it: the first run whose levels hold it.
        std::array<Tally, 10> huntFor{};
        std::array<std::string, 10> huntName{};
        std::array<std::vector<double>, 10> perSeedRates{};  // per hunt, of its lowest level
        std::vector<std::pair<std::string, std::pair<ShareHistogram, std::vector<double>>>> shares;
        if (methods != "hunt") {
            ShareHistogram h{};
            std::vector<double> all;
            AddShares(plain.saved, h, all);
            shares.push_back({"plain (levels 7-9)", {h, all}});
        }
        if (methods != "plain") {
            for (const std::string& digits : Split(hunts)) {
                if (LevelDigits(digits) == 0) continue;
                gw::HuntOptions ho = o;
                ho.levels = LevelDigits(digits);
                // Several seeds pool their counts and time: the rate is then the
                // mean of the runs' rates.
                Tally pooled;
                ShareHistogram h{};
                std::vector<double> all;
                for (int k = 0; k < runsPerHunt; ++k) {
                    gw::HuntCounts counts;
                    const std::uint64_t runSeed = seed + static_cast<std::uint64_t>(k);
                    const Tally t = RunHunt(budget, runSeed, ho, limit, counts);
                    runs.push_back({"levels " + digits + ", seed " + std::to_string(runSeed) + ", shared " + ruleText,
                                    {t, counts}});
                    for (std::size_t l = 0; l < t.perLevel.size(); ++l) pooled.perLevel[l] += t.perLevel[l];
                    pooled.cpu += t.cpu;
                    pooled.made += t.made;
                    AddShares(t.saved, h, all);
                    const int low = std::countr_zero(ho.levels);
                    perSeedRates[static_cast<std::size_t>(low)].push_back(t.cpu > 0 ? static_cast<double>(t.perLevel[static_cast<std::size_t>(low)]) / t.cpu : 0.0);
                }
                shares.push_back({"hunt levels " + digits, {h, all}});
                for (int l = 1; l <= 9; ++l)
                    if ((ho.levels >> l) & 1u && huntName[static_cast<std::size_t>(l)].empty()) {
                        huntFor[static_cast<std::size_t>(l)] = pooled;
                        huntName[static_cast<std::size_t>(l)] = digits;
                    }
            }
        }

        std::printf("\nSaved puzzles share at most: %s\n", limit.Text().c_str());
        auto rate = [](const Tally& t, int l) { return t.cpu > 0 ? static_cast<double>(t.perLevel[l]) / t.cpu : 0.0; };
        std::printf("%-8s %10s %12s %7s %10s %12s %8s\n", "Level", "plain", "plain/cpu-s", "hunt", "found",
                    "hunt/cpu-s", "ratio");
        for (int l = 7; l <= 9; ++l) {
            const std::size_t L = static_cast<std::size_t>(l);
            const double p = rate(plain, l), h = rate(huntFor[L], l);
            char ratio[32] = "-";
            if (p > 0) std::snprintf(ratio, sizeof ratio, "%.1fx", h / p);
            std::printf("%-8s %10lld %12.4f %7s %10lld %12.4f %8s\n", gw::kLevelNames[L], plain.perLevel[L], p,
                        huntName[L].empty() ? "-" : huntName[L].c_str(), huntFor[L].perLevel[L], h, ratio);
        }
        for (int l = 7; l <= 9; ++l) {
            std::vector<double> r = perSeedRates[static_cast<std::size_t>(l)];
            if (r.size() < 2) continue;
            std::sort(r.begin(), r.end());
            const double median = r.size() % 2 ? r[r.size() / 2] : (r[r.size() / 2 - 1] + r[r.size() / 2]) / 2;
            std::printf("%s per seed, sorted:", gw::kLevelNames[static_cast<std::size_t>(l)]);
            for (const double x : r) std::printf(" %.1f", x);
            std::printf(" (median %.1f", median);
            if (rate(plain, l) > 0) std::printf(", %.1fx the plain loop", median / rate(plain, l));
            std::printf(")\n");
        }
        std::printf("Largest share of givens per saved puzzle, puzzles per tenth (none, up to .1, .2, ... 1):\n");
        for (const auto& [name, h] : shares) PrintShares(name.c_str(), h.first, h.second);
    }
    std::printf("\nplain: %lld puzzles in %.1f CPU-s\n", plainMade.made, plainMade.cpu);
    for (const auto& [name, r] : runs) PrintHunt(name.c_str(), r.first, r.second);
    return 0;
}
