// Finned X-wing.
//
// A base row holds the digit in exactly two cells, in columns c1 and c2 of
// different boxes. A second row, in another band, holds it in c1, in c2 and in
// one or two more cells (the fins), all in the box of one of those two cells,
// say the box at c1. Either the second row's digit lies in that fin box, and
// then no other cell of the box can hold it; or it lies at c2, then the base
// row's digit is at c1, and column c1 holds it outside the fin box. Either
// way the fin box's cells in column c1, off the second row, cannot hold the
// digit. The same with rows and columns exchanged.
//
// Scan: rows as base lines for digits 1..9 and base rows 0..8, second rows
// 0..8; then the same with columns. The first second row whose fins remove
// something ends the call.
#include <bit>

#include "techniques/digit_search.h"
#include "techniques/fish.h"
#include "techniques/techniques.h"

namespace gw {

namespace {

// Removes the digit from the fin box's cells on cover line `target`, except
// the second line's own cell: lines of the second line's band in order.
bool RemoveInFinBox(GradeState& s, bool rowsAreBase, int d, int second, int target) {
    bool any = false;
    const int first = 3 * (second / 3);
    for (int line = first; line < first + 3; ++line)
        if (line != second) any = RemoveCandidate(s, d, LineCell(rowsAreBase, line, target)) || any;
    return any;
}

bool Search(GradeState& s, bool rowsAreBase, unsigned digits) {
    for (int d = 1; d <= 9; ++d) {
        if (((digits >> d) & 1u) == 0) continue;
        const auto masks = LineMasks(s, d, rowsAreBase);
        for (int base = 0; base < 9; ++base) {
            // The base line holds the digit in exactly two cells, c1 < c2, in
            // different boxes.
            const unsigned pair = masks[base];
            if (BitCount[pair] != 2) continue;
            const int c1 = std::countr_zero(pair);
            const int c2 = std::countr_zero(pair & (pair - 1));
            if (c1 / 3 == c2 / 3) continue;
            for (int second = 0; second < 9; ++second) {
                if (second / 3 == base / 3 || (masks[second] & pair) != pair) continue;
                // One or two fins; on one line, two cells share a box when
                // their positions share a group of three.
                const unsigned fins = masks[second] & ~pair;
                const int finCount = BitCount[fins];
                if (finCount != 1 && finCount != 2) continue;
                const int f = std::countr_zero(fins);
                const int g = finCount == 2 ? std::countr_zero(fins & (fins - 1)) : -1;
                // Both fins in the same one of the two boxes.
                if (g >= 0 && g / 3 != f / 3) continue;
                if (f / 3 != c1 / 3 && f / 3 != c2 / 3) continue;
                const int target = f / 3 == c1 / 3 ? c1 : c2;
                if (!RemoveInFinBox(s, rowsAreBase, d, second, target)) continue;
                if (s.pattern != nullptr) {
                    // The X-Wing on the two lines and its fins.
                    RecordFish(s, d, rowsAreBase, (1u << base) | (1u << second), pair);
                    for (int x : {f, g})
                        if (x >= 0) s.pattern->Cell(LineCell(rowsAreBase, second, x), DigitBit(d), Role::Fin);
                }
                return true;
            }
        }
    }
    return false;
}

}  // namespace

bool TryFinnedXWing(GradeState& s) {
    // Only digits whose places changed since the search last found nothing
    // can hold a finned X-Wing (model/search_memo.h).
    return SearchChangedDigits(s, DigitSearch::FinnedXWing,
                               [&](unsigned digits) { return Search(s, true, digits) || Search(s, false, digits); });
}

}  // namespace gw
