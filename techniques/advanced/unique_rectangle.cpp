// Unique rectangles.
//
// Four cells at the corners of a rectangle over two rows, two columns and two
// boxes can never all be reduced to the same two digits {j, i}: the two
// digits could then be swapped around the rectangle and the puzzle would have
// a second solution. Starting from a floor of two bivalue cells {j, i} in one
// row (or one column), the two roof cells across from them must keep at least
// one digit outside {j, i}, which gives four patterns:
//
//  - type 1: a third corner is {j, i} too, so the fourth loses j and i;
//  - type 2: both roof cells are {j, i, z}: one of them is z, so z leaves
//    every cell that sees both;
//  - type 3: the roof cells hold two extra digits {x, y} between them and act
//    as one cell holding x or y; with a cell {x, y} of the roof line (or of the
//    roof box) they form a naked pair that clears x and y from that unit;
//  - type 4: j is confined to the roof cells in the roof line, so one of them
//    is j and the other cannot be i (that would complete the rectangle): i
//    leaves both roof cells.
//
// Digit pairs are scanned j < i in lexicographic order, floor pairs in cell
// order, and for each floor the types in order 1 to 4; the first pattern that
// removes something ends the call.
#include <array>
#include <cstdint>
#include <span>

#include "techniques/combinations.h"
#include "techniques/elementary/subsets.h"
#include "techniques/techniques.h"

namespace gw {

namespace {

// Cells holding both digits of the pair, sorted by how many candidates they
// have. Lists are in cell order; every cell can be listed, so no room runs out.
struct PairLists {
    std::array<int, 81> l2{}, l3{}, l34{}, l4{};
    int n2 = 0, n3 = 0, n34 = 0, n4 = 0;

    PairLists(const GradeState& s, std::uint16_t pair) {
        for (int c = 0; c < 81; ++c) {
            const std::uint16_t m = s.CandMask[c];
            if ((m & pair) != pair) continue;
            const int n = BitCount[m];
            if (n == 2) l2[n2++] = c;
            if (n == 3) l3[n3++] = c;
            if (n == 3 || n == 4) l34[n34++] = c;
            if (n >= 4) l4[n4++] = c;
        }
    }
};

// The rectangle on a floor pair. For a row floor the roof is a row and the
// roof cells lie in the floor columns; a column floor is the same with rows
// and columns exchanged.
struct Floor {
    int f1, f2;
    bool rowFloor;  // floor cells share a row (else a column)
    bool sameBox;   // floor cells share a box

    // The line index of a cell across the floor (its column for a row floor).
    int Across(int c) const { return rowFloor ? ColOf[c] : RowOf[c]; }
    // The line index of a cell along the floor (its row for a row floor).
    int Along(int c) const { return rowFloor ? RowOf[c] : ColOf[c]; }

    // The roof corner opposite to r1 in the rectangle, or -1 when r1 is not a
    // roof cell of this floor. With the floor cells in two boxes, the roof
    // must lie in those two boxes: otherwise the rectangle spans four boxes
    // and swapping its digits would break the boxes.
    int Partner(int r1) const {
        if (r1 == f1 || r1 == f2 || Along(r1) == Along(f1)) return -1;
        int other;
        if (Across(r1) == Across(f1)) other = Across(f2);
        else if (Across(r1) == Across(f2)) other = Across(f1);
        else return -1;
        if (!sameBox && BoxOf[r1] != BoxOf[f1] && BoxOf[r1] != BoxOf[f2]) return -1;
        return rowFloor ? CellAt[RowOf[r1]][other] : CellAt[other][ColOf[r1]];
    }

    // The k-th cell of the roof line through r1.
    int RoofCell(int r1, int k) const { return rowFloor ? CellAt[RowOf[r1]][k] : CellAt[k][ColOf[r1]]; }
    UnitKind RoofKind() const { return rowFloor ? kRowUnit : kColUnit; }
};

// Explanations: the two corners beyond the floor.
void RecordRoof(const GradeState& s, int r1, int r2) {
    if (s.pattern != nullptr) s.pattern->Cell(r1, s.CandMask[r1], Role::Cover).Cell(r2, s.CandMask[r2], Role::Cover);
}

bool HoldsPairAndMore(const GradeState& s, int cell, std::uint16_t pair) {
    return (s.CandMask[cell] & pair) == pair && BitCount[s.CandMask[cell]] > 2;
}

bool Type1(GradeState& s, const PairLists& L, const Floor& f, int j, int i, std::uint16_t pair) {
    for (int k = 0; k < L.n2; ++k) {
        const int r2 = f.Partner(L.l2[k]);
        if (r2 < 0 || !HoldsPairAndMore(s, r2, pair)) continue;
        RemoveCandidate(s, j, r2);
        RemoveCandidate(s, i, r2);
        s.stepNote = "Unique Rectangle type 1";
        RecordRoof(s, L.l2[k], r2);
        return true;
    }
    return false;
}

bool Type2(GradeState& s, const PairLists& L, const Floor& f, std::uint16_t pair) {
    for (int k = 0; k < L.n3; ++k) {
        const int r1 = L.l3[k];
        const int r2 = f.Partner(r1);
        if (r2 < 0 || s.CandMask[r1] != s.CandMask[r2]) continue;
        const int z = LowestDigit(s.CandMask[r1] & ~pair);
        if (RemoveFromCommonPeers(s, r1, r2, z)) {
            s.stepNote = "Unique Rectangle type 2";
            RecordRoof(s, r1, r2);
            return true;
        }
    }
    return false;
}

// First cell of a unit whose candidates are exactly `xy`, or -1.
template <typename CellOf>
int FindPairCell(const GradeState& s, std::uint16_t xy, CellOf cellOf) {
    for (int k = 0; k < 9; ++k)
        if (s.CandMask[cellOf(k)] == xy) return cellOf(k);
    return -1;
}

bool Type3(GradeState& s, const PairLists& L, const Floor& f, std::uint16_t pair) {
    for (int k = 0; k < L.n34; ++k) {
        const int r1 = L.l34[k];
        const int r2 = f.Partner(r1);
        if (r2 < 0) continue;
        const int n2 = BitCount[s.CandMask[r2]];
        if ((s.CandMask[r2] & pair) != pair || n2 < 3 || n2 > 4) continue;
        const std::uint16_t all = s.CandMask[r1] | s.CandMask[r2];
        if (BitCount[all] != 4) continue;
        const auto xy = static_cast<std::uint16_t>(all & ~pair);

        const int inLine = FindPairCell(s, xy, [&](int n) { return f.RoofCell(r1, n); });
        if (inLine >= 0) {
            const std::array<int, 3> cells = {r1, r2, inLine};
            if (RemoveSubsetFromUnit(s, xy, cells, f.RoofKind())) {
                s.stepNote = "Unique Rectangle type 3";
                RecordRoof(s, r1, r2);
                return true;
            }
        }
        // The roof cells act as one cell of the box only when they both lie
        // in it; roof cells in two boxes could hold x and y each, one per box.
        if (BoxOf[r1] != BoxOf[r2]) continue;
        const int inBox = FindPairCell(s, xy, [&](int n) { return BoxCell[BoxOf[r1]][n]; });
        if (inBox >= 0) {
            const std::array<int, 3> cells = {r1, r2, inBox};
            if (RemoveSubsetFromUnit(s, xy, cells, kBoxUnit)) {
                s.stepNote = "Unique Rectangle type 3";
                RecordRoof(s, r1, r2);
                return true;
            }
        }
    }
    return false;
}

// True when `d` is a candidate of no cell of the roof line other than r1, r2.
bool ConfinedToRoof(const GradeState& s, const Floor& f, int r1, int r2, int d) {
    for (int k = 0; k < 9; ++k) {
        const int c = f.RoofCell(r1, k);
        if (c != r1 && c != r2 && s.CandFlags(c, d)) return false;
    }
    return true;
}

bool Type4With(GradeState& s, const Floor& f, int r1, int j, int i, std::uint16_t pair) {
    const int r2 = f.Partner(r1);
    if (r2 < 0 || !HoldsPairAndMore(s, r2, pair)) return false;
    int drop;
    if (ConfinedToRoof(s, f, r1, r2, j)) drop = i;
    else if (ConfinedToRoof(s, f, r1, r2, i)) drop = j;
    else return false;
    RemoveCandidate(s, drop, r1);
    RemoveCandidate(s, drop, r2);
    s.stepNote = "Unique Rectangle type 4";
    RecordRoof(s, r1, r2);
    return true;
}

bool Type4(GradeState& s, const PairLists& L, const Floor& f, int j, int i, std::uint16_t pair) {
    for (int k = 0; k < L.n3; ++k)
        if (Type4With(s, f, L.l3[k], j, i, pair)) return true;
    for (int k = 0; k < L.n4; ++k)
        if (Type4With(s, f, L.l4[k], j, i, pair)) return true;
    return false;
}

}  // namespace

bool TryUniqueRectangle(GradeState& s) {
    // Digit pairs j < i in lexicographic order.
    return ForEachCombination(kAllDigits, 2, [&](unsigned digits, std::span<const int> place) {
        const int j = place[0] + 1, i = place[1] + 1;
        const auto pair = static_cast<std::uint16_t>(digits);
        const PairLists L(s, pair);
        if (L.n2 < 2) return false;
        for (int a = 0; a + 1 < L.n2; ++a) {
            for (int b = a + 1; b < L.n2; ++b) {
                const int f1 = L.l2[a];
                const int f2 = L.l2[b];
                const bool sameRow = RowOf[f1] == RowOf[f2];
                if (!sameRow && ColOf[f1] != ColOf[f2]) continue;
                const Floor f{f1, f2, sameRow, BoxOf[f1] == BoxOf[f2]};
                // Type 1 needs a floor in one box: its third corner may
                // then sit in any other band and still leave two boxes.
                if ((f.sameBox && Type1(s, L, f, j, i, pair)) || Type2(s, L, f, pair) || Type3(s, L, f, pair) ||
                    Type4(s, L, f, j, i, pair)) {
                    if (s.pattern != nullptr) {
                        s.pattern->Kind(PatternKind::Rectangle).Digits(pair).Cell(f1, pair, Role::Base).Cell(
                            f2, pair, Role::Base);
                        s.pattern->note = s.stepNote + sizeof "Unique Rectangle";  // "type N"
                    }
                    return true;
                }
            }
        }
        return false;
    });
}

}  // namespace gw
