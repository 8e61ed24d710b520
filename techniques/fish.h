// Single-digit fish, shared by X-Wing, Swordfish, Jellyfish and the finned
// X-Wing.
//
// A fish of size n takes n base lines (rows, say) whose candidates of a digit
// all lie within the same n cover lines (columns). The base lines place the
// digit once each, and no two in one cover line, so they fill all n cover
// lines: no other cell of a cover line can hold the digit. The same holds
// with rows and columns exchanged.
#pragma once

#include <array>

#include "model/state.h"

namespace gw {

// The cell where base line `line` meets cover line `pos`: rows are the base
// lines when `rowsAreBase`, columns otherwise.
constexpr int LineCell(bool rowsAreBase, int line, int pos) {
    return rowsAreBase ? CellAt[line][pos] : CellAt[pos][line];
}

// Bit k of entry i is set when digit d is still a candidate where base line i
// meets cover line k.
std::array<unsigned, 9> LineMasks(const GradeState& s, int d, bool rowsAreBase);

// Removes d from the cover lines (a bit set of positions) in every line that
// is not a base line (a bit set of lines): lines 0..8 in order, the cover
// lines ascending within each. True when anything was removed.
bool RemoveFromCoverLines(GradeState& s, int d, bool rowsAreBase, unsigned baseLines, unsigned coverLines);

// The fish of `size` lines: rows as base lines for digits 1..9, then columns.
// For each digit the sets of cover lines go in lexicographic order, and the
// base lines of a set are the lines holding the digit inside it, at least
// `fewestInLine` times. The first fish with exactly `size` base lines that
// removes something ends the search.
bool FindFish(GradeState& s, int size, int fewestInLine);

}  // namespace gw
