// Solution count for puzzles that users bring. Unlike the generator's search
// (which only ever sees puzzles cut from a valid grid), it must stay fast on
// any input, including puzzles crafted to have no solution: it fills naked and
// hidden singles and locked candidates before every guess, and gives up after
// a fixed number of guesses.
#pragma once

#include "model/state.h"

namespace gw {

// Guesses after which a count gives up. Valid puzzles from public collections
// need a few hundred at most, 17-clue puzzles crafted without a solution a few
// thousand (bench/data/unsolvable.txt); the budget is far past both, and still
// bounds a count to a fraction of a second.
inline constexpr long kSolutionCountGuesses = 100000;

struct SolutionCount {
    int solutions = 0;      // up to the limit
    bool complete = true;   // false when the guess budget ran out first
    long guesses = 0;       // branch points tried
};

// Counts the solutions of `puzzle` up to `limit`; clashing givens count 0. The
// first solution found goes to `first` when given.
SolutionCount CountSolutionsBounded(const Grid& puzzle, int limit, long maxGuesses = kSolutionCountGuesses,
                                    Grid* first = nullptr);

}  // namespace gw
