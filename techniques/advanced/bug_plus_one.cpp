// Bivalue universal grave plus one.
//
// When every open cell is bivalue and each digit occurs exactly twice in each
// unit, the grid has either no solution or several (the two candidates of
// every cell can be swapped consistently). A puzzle with one solution can
// therefore be one candidate away from that state at most: when all open
// cells but one are bivalue and that one cell holds three candidates, the
// cell must take the digit that makes it stand out, the one that occurs three
// times in its units. A candidate of the cell that occurs only twice in the
// cell's row, column or box is not that digit and is removed.
//
// With no single left in the grid the counts are forced: a unit with n open
// cells holds n open digits, each at least twice, so in a unit without the
// extra cell every digit occurs exactly twice and in a unit with it exactly
// one digit occurs three times. Should the units of the extra cell disagree
// about that digit, every candidate of the cell would qualify for removal; the
// pattern is then not what it seems and nothing is changed.
#include <array>
#include <cstdint>

#include "techniques/techniques.h"

namespace gw {

bool TryBugPlusOne(GradeState& s) {
    // How often each digit is a candidate in each row, column and box.
    std::array<std::array<int, 10>, 9> inRow{}, inCol{}, inBox{};
    int open = 0;
    int bivalue = 0;
    int extra = -1;
    for (int c = 0; c < 81; ++c) {
        const std::uint16_t m = s.CandMask[c];
        for (int d = 1; d <= 9; ++d) {
            if (!(m & DigitBit(d))) continue;
            ++inRow[RowOf[c]][d];
            ++inCol[ColOf[c]][d];
            ++inBox[BoxOf[c]][d];
        }
        if (m == 0) continue;
        ++open;
        if (BitCount[m] == 2) ++bivalue;
        else extra = c;  // the last non-bivalue open cell
    }
    if (open != bivalue + 1 || BitCount[s.CandMask[extra]] != 3) return false;

    const std::uint16_t m = s.CandMask[extra];
    std::uint16_t drop = 0;
    for (int d = 1; d <= 9; ++d) {
        if (!(m & DigitBit(d))) continue;
        if (inBox[BoxOf[extra]][d] == 2 || inCol[ColOf[extra]][d] == 2 || inRow[RowOf[extra]][d] == 2)
            drop |= DigitBit(d);
    }
    if (drop == 0 || drop == m) return false;
    if (s.pattern != nullptr) s.pattern->Kind(PatternKind::Bug).Digits(m & ~drop).Cell(extra, m, Role::Target);
    for (int d = 1; d <= 9; ++d)
        if (drop & DigitBit(d)) RemoveCandidate(s, d, extra);
    return true;
}

}  // namespace gw
