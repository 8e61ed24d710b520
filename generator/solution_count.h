// The solution count behind every uniqueness test: the clue removal's, the
// hunt's, and the check of puzzles that users bring. It must stay fast on any
// input, including puzzles crafted to have no solution: it fills naked and
// hidden singles before every guess (and locked candidates too once a search
// has guessed a few hundred times), branches on a cell with two candidates
// when there is one, and gives up after a fixed number of guesses.
#pragma once

#include "model/control.h"
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
// first solution found goes to `first` when given. A halt seen through `y`
// ends the count early (it is then incomplete).
SolutionCount CountSolutionsBounded(const Grid& puzzle, int limit, long maxGuesses = kSolutionCountGuesses,
                                    Grid* first = nullptr, Yielder* y = nullptr);

}  // namespace gw
