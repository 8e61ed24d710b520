// Sue de Coq: intersection sets where a line crosses a box.
//
// Where a line (row or column) crosses a box, take a set C of two or three
// unsolved cells of the crossing, whose candidates together form the digit set
// V with |V| >= |C| + 2. Add a non-empty set L of unsolved cells of the line
// outside the box and a non-empty set B of unsolved cells of the box outside
// the line, every one of them with candidates inside V, such that
//   - the digits of L (DL) and the digits of B (DB) have none in common, and
//   - |C| + |L| + |B| = |V|.
// Every cell of C u L u B holds a digit of V, and no digit can occur twice
// among them: C and L lie in one line, C and B in one box, and a cell of L
// never shares a digit with a cell of B. So the |V| cells hold each digit of V
// exactly once. A digit outside DB is then placed in C or L, inside the line;
// a digit outside DL in C or B, inside the box. Hence:
//   - V minus DB is removed from the other cells of the line (not C, not L);
//   - V minus DL is removed from the other cells of the box (not C, not B).
// (A crossing cell left out of C gets both, that is all of V.)
//
// Scan order: lines rows 0-8, then columns 0-8; along a line, the three boxes
// it crosses in line order; in a crossing, C runs over the pairs of unsolved
// cells (positions along the line (0,1), (0,2), (1,2)) and then the triple.
// The cells eligible for L (the line's unsolved cells outside the box with
// candidates inside V, in line order) and for B (the box's, in box order) are
// numbered from 0, and L and B run over bit masks of those numbers in
// ascending value, L outer, B inner. The first instance that removes something
// ends the call, with all of its removals made: the line's other cells in line
// order, then the box's other cells in box order, digits ascending in each.
#include <array>

#include "techniques/techniques.h"

namespace gw {

namespace {

// Removes the digits of `digits` from the given cells, in order; true when
// anything was removed.
bool RemoveDigits(GradeState& s, const std::array<int, 9>& cells, int n, std::uint16_t digits) {
    bool removed = false;
    for (int i = 0; i < n; ++i)
        for (int d = 1; d <= 9; ++d)
            if (digits & DigitBit(d)) removed = RemoveCandidate(s, d, cells[i]) || removed;
    return removed;
}

}  // namespace

bool TrySueDeCoq(GradeState& s) {
    const Masks cand = s.CandMask;
    const auto unsolved = [&](int cell) { return s.SolveGrid[cell] == 0 && cand[cell] != 0; };

    // The lines are the row and column units.
    for (int line = 0; line < BoxUnit(0); ++line) {
        s.Pump();
        for (int crossing = 0; crossing < 3; ++crossing) {
            const bool isRow = KindOfUnit(line) == kRowUnit;
            const int index = IndexOfUnit(line);
            const int box = isRow ? BoxAt[index][3 * crossing] : BoxAt[3 * crossing][index];
            const int boxUnit = BoxUnit(box);
            // The line's three cells inside the box, in line order.
            std::array<int, 3> cross{};
            int nc = 0;
            for (int k = 0; k < 9; ++k) {
                const int cell = UnitCell(line, k);
                if (BoxOf[cell] == box) cross[nc++] = cell;
            }
            const auto inLine = [isRow, index](int cell) { return (isRow ? RowOf[cell] : ColOf[cell]) == index; };

            // C: the pairs, then the triple, of crossing positions.
            constexpr std::array<std::uint8_t, 4> kSubsets = {0b011, 0b101, 0b110, 0b111};
            for (std::uint8_t sub : kSubsets) {
                std::uint16_t v = 0;
                int size = 0;
                bool usable = true;
                for (int i = 0; i < 3; ++i) {
                    if (!(sub & (1u << i))) continue;
                    if (!unsolved(cross[i])) usable = false;
                    v |= cand[cross[i]];
                    ++size;
                }
                if (!usable || BitCount[v] < size + 2) continue;
                const int needed = BitCount[v] - size;  // cells still to find in L and B
                const auto inC = [&](int cell) {
                    for (int i = 0; i < 3; ++i)
                        if ((sub & (1u << i)) && cross[i] == cell) return true;
                    return false;
                };

                // Eligible cells of the line outside the box and of the box
                // outside the line.
                std::array<int, 6> lineCells{}, boxCells{};
                int nl = 0, nb = 0;
                for (int k = 0; k < 9; ++k) {
                    const int cell = UnitCell(line, k);
                    if (BoxOf[cell] != box && unsolved(cell) && (cand[cell] & ~v) == 0) lineCells[nl++] = cell;
                }
                for (int k = 0; k < 9; ++k) {
                    const int cell = UnitCell(boxUnit, k);
                    if (!inLine(cell) && unsolved(cell) && (cand[cell] & ~v) == 0) boxCells[nb++] = cell;
                }

                for (unsigned lm = 1; lm < (1u << nl); ++lm) {
                    const int sizeL = BitCount[lm];
                    if (sizeL >= needed) continue;
                    std::uint16_t dl = 0;
                    for (int i = 0; i < nl; ++i)
                        if (lm & (1u << i)) dl |= cand[lineCells[i]];
                    for (unsigned bm = 1; bm < (1u << nb); ++bm) {
                        if (sizeL + BitCount[bm] != needed) continue;
                        std::uint16_t db = 0;
                        for (int i = 0; i < nb; ++i)
                            if (bm & (1u << i)) db |= cand[boxCells[i]];
                        if (dl & db) continue;

                        // The other cells of the line and of the box.
                        std::array<int, 9> lineRest{}, boxRest{};
                        int nlr = 0, nbr = 0;
                        for (int k = 0; k < 9; ++k) {
                            const int cell = UnitCell(line, k);
                            bool inL = false;
                            for (int i = 0; i < nl; ++i)
                                if ((lm & (1u << i)) && lineCells[i] == cell) inL = true;
                            if (!inC(cell) && !inL) lineRest[nlr++] = cell;
                        }
                        for (int k = 0; k < 9; ++k) {
                            const int cell = UnitCell(boxUnit, k);
                            bool inB = false;
                            for (int i = 0; i < nb; ++i)
                                if ((bm & (1u << i)) && boxCells[i] == cell) inB = true;
                            if (!inC(cell) && !inB) boxRest[nbr++] = cell;
                        }
                        bool removed = RemoveDigits(s, lineRest, nlr, static_cast<std::uint16_t>(v & ~db));
                        removed = RemoveDigits(s, boxRest, nbr, static_cast<std::uint16_t>(v & ~dl)) || removed;
                        if (removed && s.pattern != nullptr) {
                            // The crossing cells, the line's cells and the box's cells as three sets.
                            Pattern& pat = s.pattern->Kind(PatternKind::Als).Digits(v);
                            pat.Unit(line, Role::Base).Unit(boxUnit, Role::Base);
                            for (int i = 0; i < 3; ++i)
                                if (sub & (1u << i)) pat.Cell(cross[i], cand[cross[i]], Role::Set, 0);
                            for (int i = 0; i < nl; ++i)
                                if (lm & (1u << i)) pat.Cell(lineCells[i], cand[lineCells[i]], Role::Set, 1);
                            for (int i = 0; i < nb; ++i)
                                if (bm & (1u << i)) pat.Cell(boxCells[i], cand[boxCells[i]], Role::Set, 2);
                        }
                        if (removed) return true;
                    }
                }
            }
        }
    }
    return false;
}

}  // namespace gw
