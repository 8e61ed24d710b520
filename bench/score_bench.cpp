// How well the difficulty score orders puzzles: Spearman's rank correlation
// between the score and an outside rating (ER: the outside program's rating
// of the hardest step of its own path), within each level and over all
// levels, on the tuning set (bench/data/rated-tuning.tsv), the held-out set
// (rated-heldout.tsv) and both. Two other ways of scoring the same steps are
// shown beside it: the highest step rating alone with smaller length bonuses
// ("max"), and a sum of fixed per-step points ("sum").
//
// usage: score_bench [FILE...]   (default: the two sets above)
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <numeric>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "grader/score.h"

namespace {

using namespace gw;

struct Rated {
    int level = 0;
    double er = 0;
    double score = 0, max = 0, sum = 0;
};

std::vector<Rated> Read(const std::string& path, GradeState& s) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("benchmark data missing: " + path);
    std::vector<Rated> out;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string text;
        int given = 0;
        Rated r;
        fields >> text >> given >> r.er;
        if (text.size() != 81 || !fields) throw std::runtime_error("bad line in " + path + ": " + line);
        Grid g{};
        for (int c = 0; c < 81; ++c) g[c] = static_cast<std::uint8_t>(text[c] >= '1' && text[c] <= '9' ? text[c] - '0' : 0);
        GradeTrace trace;
        r.level = GradePuzzle(s, g, trace);
        if (r.level != given) throw std::runtime_error("the grading changed: " + text);
        r.score = Score(r.level, trace);
        for (std::size_t i = 0; i < trace.rungs.size(); ++i) {
            const int rung = trace.rungs[i];
            const double base = kBaseRating[static_cast<std::size_t>(rung - 1)];
            // The highest step with a bonus of 0.1 per length step of any
            // sized step, and the sum of points that double with every point
            // of base rating.
            r.max = std::max(r.max, base + 0.1 * LengthSteps(trace.sizes[i].nodes));
            r.sum += std::round(10 * std::exp2(base - 1));
        }
        out.push_back(r);
    }
    if (out.empty()) throw std::runtime_error("benchmark data holds no puzzle: " + path);
    return out;
}

std::vector<double> Ranks(const std::vector<double>& v) {
    std::vector<std::size_t> idx(v.size());
    std::iota(idx.begin(), idx.end(), 0);
    std::sort(idx.begin(), idx.end(), [&](std::size_t a, std::size_t b) { return v[a] < v[b]; });
    std::vector<double> r(v.size());
    for (std::size_t i = 0; i < idx.size();) {
        std::size_t j = i;
        while (j + 1 < idx.size() && v[idx[j + 1]] == v[idx[i]]) ++j;
        for (std::size_t k = i; k <= j; ++k) r[idx[k]] = (static_cast<double>(i) + static_cast<double>(j)) / 2;
        i = j + 1;
    }
    return r;
}

// Spearman's rho (Pearson's on ranks, ties at their mean rank); NaN when
// either side is constant.
double Spearman(const std::vector<double>& a, const std::vector<double>& b) {
    const std::vector<double> ra = Ranks(a), rb = Ranks(b);
    const double n = static_cast<double>(a.size());
    const double ma = std::accumulate(ra.begin(), ra.end(), 0.0) / n;
    const double mb = std::accumulate(rb.begin(), rb.end(), 0.0) / n;
    double sab = 0, saa = 0, sbb = 0;
    for (std::size_t i = 0; i < ra.size(); ++i) {
        sab += (ra[i] - ma) * (rb[i] - mb);
        saa += (ra[i] - ma) * (ra[i] - ma);
        sbb += (rb[i] - mb) * (rb[i] - mb);
    }
    return saa == 0 || sbb == 0 ? NAN : sab / std::sqrt(saa * sbb);
}

template <typename Get>
double Rho(const std::vector<Rated>& set, int level, Get get) {
    std::vector<double> x, er;
    for (const Rated& r : set)
        if (level == 0 || r.level == level) {
            x.push_back(get(r));
            er.push_back(r.er);
        }
    return x.size() < 3 ? NAN : Spearman(x, er);
}

void Report(const char* name, const std::vector<Rated>& set) {
    std::printf("%s: %zu puzzles; Spearman with ER\n", name, set.size());
    std::printf("  %-6s", "");
    for (int level = 1; level <= 8; ++level) std::printf(" %8.8s", kLevelNames[static_cast<std::size_t>(level)]);
    std::printf("  all levels  under the level\n");
    // Over all levels, the figure alone, and the figure ranked under the
    // level (each puzzle after every puzzle of a lower level), as the score's
    // integer part does.
    const auto row = [&](const char* label, auto get) {
        std::printf("  %-6s", label);
        for (int level = 1; level <= 8; ++level) std::printf(" %8.2f", Rho(set, level, get));
        std::printf("  %10.4f  %.4f\n", Rho(set, 0, get),
                    Rho(set, 0, [&](const Rated& r) { return 100.0 * r.level + get(r); }));
    };
    row("score", [](const Rated& r) { return r.score; });
    row("max", [](const Rated& r) { return r.max; });
    row("sum", [](const Rated& r) { return r.sum; });
    std::printf("  %-6s %72s  %10.4f\n", "level", "", Rho(set, 0, [](const Rated& r) { return double(r.level); }));
}

}  // namespace

int main(int argc, char** argv) {
    try {
        std::vector<std::string> files;
        for (int i = 1; i < argc; ++i) files.emplace_back(argv[i]);
        GradeState s;
        if (!files.empty()) {
            for (const std::string& f : files) Report(f.c_str(), Read(f, s));
            return 0;
        }
        const std::string dir = GRIDWICK_BENCH_DATA;
        const std::vector<Rated> tuning = Read(dir + "/rated-tuning.tsv", s);
        const std::vector<Rated> heldOut = Read(dir + "/rated-heldout.tsv", s);
        std::vector<Rated> both = tuning;
        both.insert(both.end(), heldOut.begin(), heldOut.end());
        Report("tuning set", tuning);
        Report("held-out set", heldOut);
        Report("both", both);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "score_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
