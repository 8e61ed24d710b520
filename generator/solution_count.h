// Solution count for puzzles that users bring. Unlike the generator's search
// (which only ever sees puzzles cut from a valid grid), it must stay fast on
// any input, including puzzles crafted to have no solution: it fills naked and
// hidden singles before every guess and gives up after a fixed number of
// guesses.
#pragma once

#include "model/state.h"

namespace gw {

// Guesses after which a count gives up, under 10 ms of work: twenty times
// what the hardest puzzles of the test and benchmark data need (at most 128).
inline constexpr long kSolutionCountGuesses = 3000;

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
