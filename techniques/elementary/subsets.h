// Helpers of the subset rungs, shared with the unique-rectangle rung.
#pragma once

#include <cstdint>
#include <span>

#include "model/state.h"

namespace gw {

// Unit kinds of RemoveSubsetFromUnit: the row, column or box of the first
// subset cell.
enum UnitKind { kRowUnit = 1, kColUnit = 2, kBoxUnit = 3 };

// True when the cell has no candidate outside `digitSet` (a candidate mask).
inline bool CandidatesWithin(const GradeState& s, std::uint16_t digitSet, int cell) {
    return (s.CandMask[cell] & ~digitSet) == 0;
}

// Removes every digit of `digitSet` from every cell of the unit that is not a
// subset cell, visiting the unit in order (row left to right, column top to
// bottom, box row by row) and the digits in ascending order. True when
// anything was removed.
bool RemoveSubsetFromUnit(GradeState& s, std::uint16_t digitSet, std::span<const int> subsetCells, int unitKind);

}  // namespace gw
