// The canonical form of a puzzle: one representative of all the puzzles that
// are the same puzzle in disguise.
#pragma once

#include <string>

#include "model/state.h"

namespace gw {

// The lexicographically smallest grid (cells in row-major order, 0 for an
// empty cell compares lowest) among every grid reachable from `puzzle` by
// relabelling the digits, permuting rows within their band and columns within
// their stack, permuting the bands and the stacks, and transposing. Two puzzles
// have the same canonical form exactly when one is a disguise of the other.
Grid CanonicalForm(const Grid& puzzle);

// The canonical form as 81 characters, '.' for an empty cell.
std::string CanonicalText(const Grid& puzzle);

}  // namespace gw
