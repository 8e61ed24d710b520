// Helpers of the subset rungs, shared with the unique-rectangle rung.
#pragma once

#include <cstdint>
#include <span>

#include "model/state.h"

namespace gw {

// True when the cell has no candidate outside `digitSet` (a candidate mask).
inline bool CandidatesWithin(const GradeState& s, std::uint16_t digitSet, int cell) {
    return (s.CandMask[cell] & ~digitSet) == 0;
}

// Removes every digit of `digitSet` from every cell that is not a subset cell
// in the first subset cell's unit of the given kind, visiting the unit in
// order (row left to right, column top to bottom, box row by row) and the
// digits in ascending order. True when anything was removed.
bool RemoveSubsetFromUnit(GradeState& s, std::uint16_t digitSet, std::span<const int> subsetCells, UnitKind kind);

}  // namespace gw
