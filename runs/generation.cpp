#include "runs/generation.h"

namespace gw {

std::uint64_t PuzzleSeed(std::uint64_t runSeed, std::uint64_t seq) {
    // Consecutive numbers land far apart (the golden-ratio step of splitmix64),
    // and seed 0 does not give puzzle 0 the seed 0.
    return runSeed ^ (seq * 0x9e3779b97f4a7c15ULL + 0x632be59bd9b4e019ULL);
}

}  // namespace gw
