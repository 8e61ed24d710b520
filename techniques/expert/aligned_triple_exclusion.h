// Aligned triple exclusion, shared by the plain rung and the rung that also
// uses three-cell witness groups.
//
// A segment is the three cells that a row or column shares with a box. They
// see one another, so they take three different digits. Every assignment of
// three different candidates to them is tested against witnesses, cells or
// groups of cells of the segment's line or box that see all three segment
// cells: an assignment that leaves a witness unable to be filled is
// impossible. A segment cell keeps only the digits that some possible
// assignment gives it.
#pragma once

#include <bit>
#include <cstdint>

#include "model/state.h"

namespace gw {

// Runs aligned triple exclusion over the 54 segments (row segments row by
// row, left to right, then column segments column by column, top to bottom),
// makes every removal of the first segment that yields one and returns true;
// false when no segment yields any. Single witnesses are the cells of the line
// and the box with two or three candidates; with `withGroups` every three
// cells of the line, and every three cells of the box, with two to five
// candidates each, also act as one witness.
bool AlignedTripleExclusion(GradeState& s, bool withGroups);

// True when a witness group whose candidates together are `unionMask` strikes
// out the segment assignments that use the three digits of `tripleMask` (both
// candidate masks, bit d-1 for digit d).
//
// The rule strikes an assignment when the segment's three digits, plus one or
// two more digits (which may repeat), add up as powers of two to the group's
// mask. With p(d) = 2^d that is: union - triple, taken as numbers, is a sum of
// one or two powers p(x), x in 1..9. Shifted to bit d-1 the difference is
// positive and has one or two bits (a lone bit also covers two equal powers
// adding up to the next one). Every assignment struck leaves the three
// group cells at most two digits, so the group could not be filled.
constexpr bool GroupStrikes(unsigned unionMask, unsigned tripleMask) {
    if (tripleMask > unionMask) return false;
    const unsigned rest = unionMask - tripleMask;
    return rest != 0 && bits::Popcount(rest) <= 2;
}

}  // namespace gw
