// Cost of one call of each level-2 and level-4 rung, averaged over the states
// that gradings of shared puzzles pass through (ladder up to rung 14).
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>
#include <vector>

#include "grader/grader.h"
#include "techniques/techniques.h"

namespace {

gw::Grid Parse(const std::string& text) {
    gw::Grid g{};
    for (int i = 0; i < 81 && i < static_cast<int>(text.size()); ++i)
        g[i] = static_cast<std::uint8_t>(text[i] >= '1' && text[i] <= '9' ? text[i] - '0' : 0);
    return g;
}

const std::vector<gw::GradeState>& States() {
    static const std::vector<gw::GradeState> states = [] {
        std::vector<gw::GradeState> out;
        std::ifstream in(std::string(GRIDWICK_TEST_DATA) + "/random.txt");
        std::string p, sol;
        for (int n = 0; n < 300 && in >> p >> sol; ++n) {
            gw::GradeState s;
            gw::ResetGradeState(s, Parse(p));
            while (!gw::IsSolved(s)) {
                out.push_back(s);
                bool moved = false;
                for (int r = 1; r <= 14 && !moved; ++r) moved = gw::RunRung(s, r);
                if (!moved) break;
            }
        }
        return out;
    }();
    return states;
}

template <bool (*Technique)(gw::GradeState&)>
void BM_Rung(benchmark::State& st) {
    const auto& states = States();
    std::size_t i = 0;
    for (auto _ : st) {
        gw::GradeState s = states[i];
        benchmark::DoNotOptimize(Technique(s));
        if (++i == states.size()) i = 0;
    }
    st.counters["states"] = static_cast<double>(states.size());
}

BENCHMARK(BM_Rung<gw::TryPointing>)->Name("TryPointing");
BENCHMARK(BM_Rung<gw::TryClaiming>)->Name("TryClaiming");
BENCHMARK(BM_Rung<gw::TryXWing>)->Name("TryXWing");
BENCHMARK(BM_Rung<gw::TrySwordfish>)->Name("TrySwordfish");
BENCHMARK(BM_Rung<gw::TryBivalueConjugateLoop>)->Name("TryBivalueConjugateLoop");
BENCHMARK(BM_Rung<gw::TryEmptyRectangle>)->Name("TryEmptyRectangle");

}  // namespace

BENCHMARK_MAIN();
