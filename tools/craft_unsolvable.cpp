// Builds a set of puzzles that are hard for a solution count: 17-clue puzzles
// with no solution (every given consistent with its units), found by climbing
// towards the largest number of guesses of CountSolutionsBounded. The set in
// bench/data/unsolvable.txt came from a run with COUNT 40, SEED 2026.
//   usage: build/gridwick-craft-unsolvable COUNT SEED > unsolvable.txt
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "generator/generator.h"
#include "generator/solution_count.h"

namespace {

using namespace gw;

bool UnitsClash(const Grid& g) {
    for (int u = 0; u < 27; ++u) {
        unsigned seen = 0;
        for (int k = 0; k < 9; ++k) {
            const int d = g[UnitCell(u, k)];
            if (d == 0) continue;
            if (seen & DigitBit(d)) return true;
            seen |= DigitBit(d);
        }
    }
    return false;
}

// Guesses needed to show the puzzle has no solution; -1 when it has one.
long Hardness(const Grid& g) {
    if (UnitsClash(g)) return -1;
    const SolutionCount n = CountSolutionsBounded(g, 1);
    if (!n.complete) return n.guesses;
    return n.solutions == 0 ? n.guesses : -1;
}

std::string Text(const Grid& g) {
    std::string s(81, '.');
    for (int c = 0; c < 81; ++c)
        if (g[c]) s[static_cast<std::size_t>(c)] = static_cast<char>('0' + g[c]);
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 100;
    Rng rng(argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1);
    GenState gen;
    Yielder y;
    for (int made = 0; made < count;) {
        // Start: 17 clues of a random grid, one of them changed.
        gen.rng.Seed(rng.Next());
        BuildSolutionGrid(gen, y);
        Grid g{};
        std::vector<int> cells(81);
        for (int i = 0; i < 81; ++i) cells[static_cast<std::size_t>(i)] = i;
        for (int i = 80; i > 0; --i) std::swap(cells[static_cast<std::size_t>(i)], cells[static_cast<std::size_t>(rng.Below(i + 1))]);
        for (int i = 0; i < 17; ++i) g[cells[static_cast<std::size_t>(i)]] = gen.Solution[cells[static_cast<std::size_t>(i)]];
        g[cells[0]] = static_cast<std::uint8_t>(g[cells[0]] % 9 + 1);
        long best = Hardness(g);
        if (best < 0) continue;
        // Climb: move a clue or change its digit while the puzzle stays
        // unsolvable and needs at least as many guesses.
        for (int step = 0; step < 400; ++step) {
            Grid next = g;
            std::vector<int> clues;
            for (int c = 0; c < 81; ++c)
                if (next[c]) clues.push_back(c);
            const int from = clues[static_cast<std::size_t>(rng.Below(static_cast<int>(clues.size())))];
            const int d = next[from];
            next[from] = 0;
            int to = from;
            if (rng.Below(2) == 0) {
                do to = rng.Below(81);
                while (next[to] != 0);
            }
            next[to] = static_cast<std::uint8_t>(rng.Below(2) == 0 ? d : rng.Below(9) + 1);
            const long h = Hardness(next);
            if (h >= best) {
                best = h;
                g = next;
            }
        }
        std::printf("%s %ld\n", Text(g).c_str(), best);
        std::fflush(stdout);
        ++made;
    }
    return 0;
}
