#include "explain/unusable.h"

#include "explain/explain.h"
#include "generator/solution_count.h"

namespace gw::explain {

namespace {

std::string Digits81(const Grid& g) {
    std::string s(81, '0');
    for (int c = 0; c < 81; ++c) s[static_cast<std::size_t>(c)] = static_cast<char>('0' + g[c]);
    return s;
}

// A solution other than `first`: the first empty cell that can hold another
// digit than in `first`, with that digit given.
bool SecondSolution(const Grid& puzzle, const Grid& first, Grid& second) {
    for (int c = 0; c < 81; ++c) {
        if (puzzle[c] != 0) continue;
        for (int d = 1; d <= 9; ++d) {
            if (d == first[c]) continue;
            Grid q = puzzle;
            q[c] = static_cast<std::uint8_t>(d);
            const SolutionCount n = CountSolutionsBounded(q, 1, kSolutionCountGuesses, &second);
            if (n.solutions > 0) return true;
        }
    }
    return false;
}

}  // namespace

Unusable Diagnose(const Grid& puzzle, const std::string& reason, bool parsed) {
    Unusable u;
    u.reason = reason;
    u.parsed = parsed;
    u.puzzle = puzzle;
    if (!parsed) return u;
    for (int unit = 0; unit < 27 && u.unit < 0; ++unit) {
        for (int k = 0; k < 9 && u.unit < 0; ++k) {
            const int a = UnitCell(unit, k);
            for (int j = k + 1; j < 9; ++j) {
                const int b = UnitCell(unit, j);
                if (puzzle[a] != 0 && puzzle[a] == puzzle[b]) {
                    u.unit = unit;
                    u.digit = puzzle[a];
                    u.clash = {a, b};
                    u.reason += " (" + Cell(a) + " and " + Cell(b) + ")";
                    break;
                }
            }
        }
    }
    if (u.unit >= 0) return u;
    const SolutionCount count = CountSolutionsBounded(puzzle, 2, kSolutionCountGuesses, &u.first);
    if (count.solutions < 2 || !SecondSolution(puzzle, u.first, u.second)) return u;
    u.twoSolutions = true;
    for (int c = 0; c < 81; ++c)
        if (u.first[c] != u.second[c]) u.differ.push_back(c);
    u.reason += ", for instance " + Digits81(u.first) + " and " + Digits81(u.second) + ", which differ in " +
                Cells(u.differ);
    return u;
}

}  // namespace gw::explain
