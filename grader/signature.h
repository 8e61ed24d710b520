// A signature of gradings: one number that changes whenever any step of any
// grading changes (which rung acted, or any placement or removal it made).
// With the fixed benchmark set (generator/bench_set.h) it pins the behaviour
// of the whole ladder.
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

}  // namespace gw
