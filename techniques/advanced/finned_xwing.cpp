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
// 0..8, fins left to right; then the same with columns. The first fin (or fin
// pair) that removes something ends the call.
#include <array>

#include "techniques/techniques.h"

namespace gw {

namespace {

// Cell where base line `line` meets cross line `x`.
int CellOf(bool rowsAsBase, int line, int x) { return rowsAsBase ? CellAt[line][x] : CellAt[x][line]; }

// Removes the digit from the fin box's cells on cross line `target`, except
// the second line's own cell: lines of the second line's band in order.
bool RemoveInFinBox(GradeState& s, bool rowsAsBase, int d, int second, int target) {
    bool any = false;
    const int first = 3 * (second / 3);
    for (int line = first; line < first + 3; ++line)
        if (line != second) any = RemoveCandidate(s, d, CellOf(rowsAsBase, line, target)) || any;
    return any;
}

bool Search(GradeState& s, bool rowsAsBase) {
    for (int d = 1; d <= 9; ++d) {
        auto has = [&](int line, int x) { return s.CandFlags(CellOf(rowsAsBase, line, x), d); };
        std::array<int, 9> count{};
        for (int line = 0; line < 9; ++line)
            for (int x = 0; x < 9; ++x) count[line] += has(line, x);

        for (int base = 0; base < 9; ++base) {
            if (count[base] != 2) continue;
            for (int c1 = 0; c1 < 8; ++c1) {
                for (int c2 = c1 + 1; c2 < 9; ++c2) {
                    if (!has(base, c1) || !has(base, c2) || c1 / 3 == c2 / 3) continue;
                    for (int second = 0; second < 9; ++second) {
                        if (second / 3 == base / 3) continue;
                        if (count[second] != 3 && count[second] != 4) continue;
                        if (!has(second, c1) || !has(second, c2)) continue;
                        const int box1 = BoxOf[CellOf(rowsAsBase, second, c1)];
                        const int box2 = BoxOf[CellOf(rowsAsBase, second, c2)];
                        auto boxAt = [&](int x) { return BoxOf[CellOf(rowsAsBase, second, x)]; };
                        auto isFin = [&](int x) { return x != c1 && x != c2 && has(second, x); };
                        // Explanations: the X-Wing on the two lines and its fins.
                        auto record = [&](int f, int g) {
                            RecordFish(s, d, rowsAsBase, (1u << base) | (1u << second), (1u << c1) | (1u << c2));
                            for (int x : {f, g})
                                if (x >= 0) s.pattern->Cell(CellOf(rowsAsBase, second, x), DigitBit(d), Role::Fin);
                        };
                        if (count[second] == 3) {
                            for (int f = 0; f < 9; ++f) {
                                if (!isFin(f)) continue;
                                const int finBox = boxAt(f);
                                if (finBox != box1 && finBox != box2) continue;
                                const int target = finBox == box1 ? c1 : c2;
                                if (RemoveInFinBox(s, rowsAsBase, d, second, target)) {
                                    if (s.pattern != nullptr) record(f, -1);
                                    return true;
                                }
                            }
                        } else {
                            for (int f = 0; f < 8; ++f) {
                                if (!isFin(f)) continue;
                                for (int g = f + 1; g < 9; ++g) {
                                    if (!isFin(g)) continue;
                                    const int finBox = boxAt(f);
                                    // Both fins in the same one of the two boxes.
                                    if (boxAt(g) != finBox || (finBox != box1 && finBox != box2)) continue;
                                    const int target = finBox == box1 ? c1 : c2;
                                    if (RemoveInFinBox(s, rowsAsBase, d, second, target)) {
                                        if (s.pattern != nullptr) record(f, g);
                                        return true;
                                    }
                                }
                            }
                        }
                    }
                }
            }
        }
    }
    return false;
}

}  // namespace

bool TryFinnedXWing(GradeState& s) {
    if (Search(s, true)) return true;
    return Search(s, false);
}

}  // namespace gw
