// Hidden and naked singles, the two level-1 rungs.
#include "techniques/techniques.h"

namespace gw {

// A digit with one possible cell left in a unit. Units are scanned boxes 0..8
// (each box column by column), then rows, then columns. A digit whose only
// cell has no other candidate is a naked single and is left to the next rung.
bool TryHiddenSingle(GradeState& s) {
    std::array<int, 81> cellCandCount{};
    auto scanUnit = [&](const std::array<int, 9>& cells) -> bool {
        std::array<int, 10> digitCount{};
        std::array<int, 10> digitLastCell{};
        for (int cell : cells) {
            cellCandCount[cell] = 0;
            for (int d = 1; d <= 9; ++d) {
                if (!s.CandFlags(cell, d)) continue;
                digitLastCell[d] = cell;
                ++digitCount[d];
                ++cellCandCount[cell];
            }
        }
        for (int d = 1; d <= 9; ++d) {
            if (digitCount[d] == 1 && cellCandCount[digitLastCell[d]] >= 2) {
                PlaceDigit(s, d, digitLastCell[d]);
                return true;
            }
        }
        return false;
    };
    std::array<int, 9> cells{};
    for (int b = 0; b < 9; ++b) {
        int n = 0;
        for (int co = 0; co < 3; ++co)
            for (int ro = 0; ro < 3; ++ro) cells[n++] = BoxStart[b] + 9 * ro + co;
        if (scanUnit(cells)) return true;
    }
    for (int r = 0; r < 9; ++r) {
        for (int k = 0; k < 9; ++k) cells[k] = CellAt[r][k];
        if (scanUnit(cells)) return true;
    }
    for (int c = 0; c < 9; ++c) {
        for (int k = 0; k < 9; ++k) cells[k] = CellAt[k][c];
        if (scanUnit(cells)) return true;
    }
    return false;
}

// The lowest-numbered cell with exactly one candidate gets that digit.
bool TryNakedSingle(GradeState& s) {
    for (int cell = 0; cell < 81; ++cell) {
        if (BitCount[s.CandMask[cell]] == 1) {
            PlaceDigit(s, LowestDigit(s.CandMask[cell]), cell);
            return true;
        }
    }
    return false;
}

}  // namespace gw
