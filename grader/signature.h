// A signature of gradings: one number that changes whenever any step of any
// grading changes (which rung acted, or any placement or removal it made).
// With the fixed benchmark set it pins the behaviour of the whole ladder.
#pragma once

#include <cstdint>
#include <vector>

#include "grader/grader.h"

namespace gw {

// FNV-1a, 64 bits, over every grading added, in order: the level and the
// number of steps, then for every step its rung and each change's kind, cell
// and digit.
class GradingSignature {
public:
    void Add(int level, const std::vector<Step>& steps);
    std::uint64_t Value() const { return hash_; }

private:
    void Byte(unsigned value);
    std::uint64_t hash_ = 14695981039346656037ull;
};

// The fixed benchmark set: kBenchGenerated puzzles generated from kBenchSeed,
// covering levels 1 to 7, then the stored hard puzzles of levels 8 and 9.
inline constexpr int kBenchGenerated = 1000;
inline constexpr std::uint64_t kBenchSeed = 20261207;

struct BenchPuzzles {
    std::vector<Grid> puzzles;
    int generated = 0;
    int stored = 0;
};

BenchPuzzles BenchmarkSet();

}  // namespace gw
