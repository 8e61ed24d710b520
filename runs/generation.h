// A generation run: the loop that every front end drives (workers that build,
// reduce and grade puzzles, one writer that saves them in order), with its
// seeds, its limits and its progress. The front ends only show what it does.
#pragma once

#include <cstdint>

namespace gw {

// The random stream of the puzzle numbered `seq` of a run seeded with
// `runSeed` (and of the hunt's worker numbered `seq`): a seeded run makes the
// same puzzles whatever front end runs it and however many workers it has.
std::uint64_t PuzzleSeed(std::uint64_t runSeed, std::uint64_t seq);

}  // namespace gw
