// Four-digit open-row count.
//
// Take four digits. A row where none of them is placed yet ("open") still
// needs all four, so R open rows need 4R placements of the four digits. Each
// placement lands either in an empty cell where an open row crosses an open
// column (such a cell takes at most one digit), or in a closed column, where
// each of the four digits still missing from that column can go at most once.
// When those places number exactly 4R, every one of them is used:
//   - each crossing cell holds one of the four digits, so its other candidates
//     go;
//   - each digit missing from a closed column is placed in that column inside
//     an open row, so the four digits leave every cell of a closed row and a
//     closed column.
// Rows are always the open lines and columns the crossing lines.
#include <array>
#include <span>

#include "techniques/combinations.h"
#include "techniques/techniques.h"

namespace gw {

namespace {

// With at most five open rows the count can only match when the crossing cells
// number at most 20; a set with more crossing cells than this list holds can
// never match and is passed over.
constexpr int kCrossingRoom = 25;

}  // namespace

bool TryFourDigitRowCount(GradeState& s) {
    // Bit (d - 1) set in placedInRow[r] when d is placed somewhere in row r.
    std::array<std::uint16_t, 9> placedInRow{};
    std::array<std::uint16_t, 9> placedInCol{};
    for (int cell = 0; cell < 81; ++cell) {
        const int d = s.SolveGrid[cell];
        if (d < 1 || d > 9) continue;
        placedInRow[RowOf[cell]] |= DigitBit(d);
        placedInCol[ColOf[cell]] |= DigitBit(d);
    }

    // Digit sets in lexicographic order; the first set whose count
    // removes something ends the call.
    bool found = false;
    ForEachCombination(kAllDigits, 4, [&](unsigned set, std::span<const int> place) {
        const std::array<int, 4> digits{place[0] + 1, place[1] + 1, place[2] + 1, place[3] + 1};

        std::array<bool, 9> openRow{};
        std::array<bool, 9> openCol{};
        int openRows = 0;
        for (int k = 0; k < 9; ++k) {
            openRow[k] = (placedInRow[k] & set) == 0;
            openCol[k] = (placedInCol[k] & set) == 0;
            if (openRow[k]) ++openRows;
        }
        if (openRows < 3 || openRows > 5) return false;

        // Empty cells where an open row crosses an open column, row-major.
        std::array<int, kCrossingRoom> crossing{};
        int crossingCount = 0;
        bool overflow = false;
        for (int r = 0; r < 9 && !overflow; ++r) {
            if (!openRow[r]) continue;
            for (int col = 0; col < 9; ++col) {
                const int cell = CellAt[r][col];
                if (!openCol[col] || s.SolveGrid[cell] != 0) continue;
                if (crossingCount == kCrossingRoom) {
                    overflow = true;
                    break;
                }
                crossing[crossingCount++] = cell;
            }
        }
        if (overflow) return false;

        // Digits of the set still missing from the closed columns.
        int missing = 0;
        for (int col = 0; col < 9; ++col) {
            if (openCol[col]) continue;
            for (int d : digits)
                if ((placedInCol[col] & DigitBit(d)) == 0) ++missing;
        }
        if (crossingCount + missing != 4 * openRows) return false;

        // Only act when the count removes something.
        bool removable = false;
        for (int cell = 0; cell < 81 && !removable; ++cell)
            if (!openRow[RowOf[cell]] && !openCol[ColOf[cell]] && (s.CandMask[cell] & set) != 0)
                removable = true;
        for (int i = 0; i < crossingCount && !removable; ++i)
            if ((s.CandMask[crossing[i]] & ~set & kAllDigits) != 0) removable = true;
        if (!removable) return false;

        bool changed = false;
        for (int r = 0; r < 9; ++r) {
            if (openRow[r]) continue;
            for (int col = 0; col < 9; ++col) {
                if (openCol[col]) continue;
                for (int d : digits) changed = RemoveCandidate(s, d, CellAt[r][col]) || changed;
            }
        }
        for (int i = 0; i < crossingCount; ++i)
            for (int d = 1; d <= 9; ++d)
                if ((set & DigitBit(d)) == 0) changed = RemoveCandidate(s, d, crossing[i]) || changed;
        if (changed && s.pattern != nullptr) {
            // The rows still open for the four digits, and their open cells in open columns.
            s.pattern->Kind(PatternKind::Count).Digits(set);
            for (int k = 0; k < 9; ++k)
                if (openRow[k]) s.pattern->Unit(RowUnit(k), Role::Base);
            for (int k = 0; k < 9; ++k)
                if (openCol[k]) s.pattern->Unit(ColUnit(k), Role::Cover);
            for (int i = 0; i < crossingCount; ++i) s.pattern->Cell(crossing[i], set, Role::Set);
        }
        // The count is settled here, whatever it removed.
        found = changed;
        return true;
    });
    return found;
}

}  // namespace gw
