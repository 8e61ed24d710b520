// Hidden and naked singles, the two level-1 rungs.
#include <bit>

#include "techniques/techniques.h"

namespace gw {

// A digit with one possible cell left in a unit. Units are scanned boxes 0..8,
// then rows, then columns; within a unit the lowest such digit wins. A digit
// whose only cell has no other candidate is a naked single and is left to the
// next rung.
bool TryHiddenSingle(GradeState& s) {
    for (int i = 0; i < 27; ++i) {
        // Boxes first, then rows, then columns (units 0..17 in their order).
        const int u = i < 9 ? BoxUnit(i) : i - 9;
        unsigned once = 0, more = 0;
        for (int k = 0; k < 9; ++k) {
            const unsigned m = s.CandMask[UnitCell(u, k)];
            more |= once & m;
            once |= m;
        }
        for (unsigned single = once & ~more; single != 0; single &= single - 1) {
            const int d = std::countr_zero(single) + 1;
            for (int k = 0; k < 9; ++k) {
                const int cell = UnitCell(u, k);
                if (s.CandFlags(cell, d)) {
                    if (BitCount[s.CandMask[cell]] >= 2) {
                        if (s.pattern != nullptr)
                            s.pattern->Kind(PatternKind::Single).Digit(d).Unit(u, Role::Base).Cell(cell, DigitBit(d),
                                                                                                 Role::Target);
                        PlaceDigit(s, d, cell);
                        return true;
                    }
                    break;
                }
            }
        }
    }
    return false;
}

// The lowest-numbered cell with exactly one candidate gets that digit.
bool TryNakedSingle(GradeState& s) {
    for (int cell = 0; cell < 81; ++cell) {
        if (BitCount[s.CandMask[cell]] == 1) {
            if (s.pattern != nullptr)
                s.pattern->Kind(PatternKind::Single).Digits(s.CandMask[cell]).Cell(cell, s.CandMask[cell], Role::Target);
            PlaceDigit(s, LowestDigit(s.CandMask[cell]), cell);
            return true;
        }
    }
    return false;
}

}  // namespace gw
