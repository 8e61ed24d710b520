// Random complete grids and symmetric clue removal.
#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "model/control.h"
#include "model/state.h"

namespace gw {

// Small, fast pseudo-random source (xoshiro256**), seeded by splitmix64.
class Rng {
public:
    explicit Rng(std::uint64_t seed = 0) { Seed(seed); }
    void Seed(std::uint64_t seed);
    std::uint64_t Next();
    // Uniform in [0, 1).
    double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    // floor(Uniform() * n)
    int Below(int n) { return static_cast<int>(Uniform() * n); }

private:
    std::array<std::uint64_t, 4> s_{};
};

// A seed taken from the clock, for runs that need no reproducibility.
std::uint64_t ClockSeed();

struct GenState {
    Grid Solution{};
    Grid Puzzle{};
    Rng rng;
};

// Fills `Solution` with a random complete grid. False when halted (the grid is
// then incomplete and must not be used).
bool BuildSolutionGrid(GenState& g, Yielder& y);

// The same search for a fixed cell order; the randomness of a build lies only
// in that order.
bool BuildSolutionGridFromOrder(GenState& g, std::array<int, 81> cellOrder, Yielder& y);

// Turns `Solution` into `Puzzle`, removing half-turn-symmetric clue pairs in
// random order while the solution stays unique. False when halted.
bool RemoveClues(GenState& g, Yielder& y);

// True when the puzzle has at most one solution (exactly one for a puzzle cut
// from a valid grid). False when a second solution exists or when halted.
bool HasUniqueSolution(const Grid& puzzle, Yielder* y = nullptr);

// The first `count` puzzles of the plain loop from `seed` (a random grid, then
// clue removal), each with its solution: a fixed set for checks and benchmarks.
std::vector<std::pair<Grid, Grid>> GeneratedPuzzles(int count, std::uint64_t seed);

// Counts solutions up to `limit`; the first one found goes to `first`.
// A puzzle whose givens clash counts 0.
int CountSolutions(const Grid& puzzle, int limit, Grid* first = nullptr, Yielder* y = nullptr);

// Lists solutions (at most `limit`) in `out`, in the order the count of
// generator/solution_count.h finds them.
int ListSolutions(const Grid& puzzle, int limit, std::vector<Grid>& out, Yielder* y = nullptr);

}  // namespace gw
