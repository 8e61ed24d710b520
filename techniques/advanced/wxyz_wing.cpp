// WXYZ-wing: a pivot cell and three two-candidate wings over four digits.
//
// Every wing holds z and one other digit of the set, and shares a unit with
// the pivot. If no wing held z, the wings would hold the three other digits,
// one each; the pivot, whose candidates lie among the set, would then need z
// or one of those three digits, and each of the three is taken by a wing that
// sees it. So when the pivot has all four digits, z is in the pivot or in a
// wing, and it goes from every cell that sees all four of them; when the pivot
// lacks z, z is in a wing, and it goes from every cell that sees the three
// wings.
//
// Search order: the whole four-digit-pivot form first, then the
// three-digit-pivot form; within each, digit sets in lexicographic order,
// pivots 0..80, z over the set's digits ascending, then the unit kinds of the
// three wings in a fixed order (a table below) and the wing cells in unit
// order, wing 1 outermost. The first pattern that removes something ends the
// call.
#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>

#include "techniques/combinations.h"
#include "techniques/pair_peers.h"
#include "techniques/techniques.h"

namespace gw {

namespace {

enum UnitOfPivot { kRow = 0, kColumn = 1, kBox = 2 };

// Unit kinds of (wing 1, wing 2, wing 3), in the order they are tried. All
// three wings in the same kind of unit are left out: with the pivot that is a
// naked quad of one unit.
constexpr std::array<std::array<UnitOfPivot, 3>, 24> kWingUnits = {{
    {kRow, kRow, kBox},          {kRow, kRow, kColumn},
    {kRow, kColumn, kRow},       {kRow, kColumn, kBox},       {kRow, kColumn, kColumn},
    {kRow, kBox, kRow},          {kRow, kBox, kBox},          {kRow, kBox, kColumn},
    {kColumn, kRow, kRow},       {kColumn, kRow, kBox},       {kColumn, kRow, kColumn},
    {kColumn, kColumn, kBox},    {kColumn, kColumn, kRow},
    {kColumn, kBox, kRow},       {kColumn, kBox, kBox},       {kColumn, kBox, kColumn},
    {kBox, kRow, kRow},          {kBox, kRow, kBox},          {kBox, kRow, kColumn},
    {kBox, kBox, kColumn},       {kBox, kBox, kRow},
    {kBox, kColumn, kRow},       {kBox, kColumn, kBox},       {kBox, kColumn, kColumn},
}};

// The k-th cell of the pivot's row (left to right), column (top to bottom) or
// box (row by row).
int PivotUnitCell(int pivot, UnitOfPivot kind, int k) {
    switch (kind) {
        case kRow: return CellAt[RowOf[pivot]][k];
        case kColumn: return CellAt[k][ColOf[pivot]];
        case kBox: return BoxStartOf[pivot] + 9 * (k / 3) + k % 3;
    }
    return pivot;
}

// Cells of one unit of the pivot whose candidates are exactly one wing's pair.
struct WingCells {
    std::array<int, 9> cell{};
    int count = 0;
};

// Removes z from every cell that sees each of the `seen` cells and is not one
// of the `spared` cells, in cell order. True when anything was removed.
bool RemoveFromCellsSeeingAll(GradeState& s, std::initializer_list<int> seen, std::initializer_list<int> spared,
                              int z) {
    bool any = false;
    for (int x = 0; x < 81; ++x) {
        if (!s.CandFlags(x, z)) continue;
        bool skip = false;
        for (int c : spared) skip = skip || c == x;
        for (int c : seen) skip = skip || !Sees(x, c);
        if (!skip) any = RemoveCandidate(s, z, x) || any;
    }
    return any;
}

// Looks for the three wings {z, p[i]} of one pivot and tries each complete
// set in turn. `pivotHasZ`: the four-digit form (the cells must also see the
// pivot); otherwise the three-digit form.
bool TryWings(GradeState& s, int pivot, int z, const std::array<int, 3>& p, bool pivotHasZ) {
    // wings[i][kind]: candidate cells for wing i in that unit of the pivot.
    std::array<std::array<WingCells, 3>, 3> wings{};
    for (int i = 0; i < 3; ++i) {
        const auto pair = static_cast<std::uint16_t>(DigitBit(z) | DigitBit(p[i]));
        for (int kind = kRow; kind <= kBox; ++kind) {
            WingCells& w = wings[i][kind];
            for (int k = 0; k < 9; ++k) {
                const int cell = PivotUnitCell(pivot, static_cast<UnitOfPivot>(kind), k);
                if (s.CandMask[cell] == pair) w.cell[w.count++] = cell;
            }
        }
    }
    for (const auto& units : kWingUnits) {
        const WingCells& w1 = wings[0][units[0]];
        const WingCells& w2 = wings[1][units[1]];
        const WingCells& w3 = wings[2][units[2]];
        for (int i1 = 0; i1 < w1.count; ++i1) {
            for (int i2 = 0; i2 < w2.count; ++i2) {
                for (int i3 = 0; i3 < w3.count; ++i3) {
                    const int a = w1.cell[i1], b = w2.cell[i2], c = w3.cell[i3];
                    const bool removed = pivotHasZ
                                             ? RemoveFromCellsSeeingAll(s, {pivot, a, b, c}, {pivot, a, b, c}, z)
                                             : RemoveFromCellsSeeingAll(s, {a, b, c}, {pivot, a, b, c}, z);
                    if (removed && s.pattern != nullptr)
                        RecordWing(s, z, pivot, s.CandMask[pivot], {{a, s.CandMask[a]}, {b, s.CandMask[b]}, {c, s.CandMask[c]}});
                    if (removed) return true;
                }
            }
        }
    }
    return false;
}

bool SearchForm(GradeState& s, bool pivotHasZ) {
    // Cells with the pivot's number of candidates, ascending; the digit-set
    // loops below only look at these.
    const int pivotSize = pivotHasZ ? 4 : 3;
    std::array<int, 81> pivots{};
    int pivotCount = 0;
    for (int cell = 0; cell < 81; ++cell)
        if (BitCount[s.CandMask[cell]] == pivotSize) pivots[pivotCount++] = cell;
    if (pivotCount == 0) return false;
    // The two-candidate peers of each pivot, by digits: a wing {z, y} lies in
    // a unit of the pivot, so among its peers.
    std::array<std::array<std::uint16_t, 10>, 81> pairs;
    for (int n = 0; n < pivotCount; ++n) pairs[static_cast<std::size_t>(n)] = PairsAmongPeers(s.CandMask, pivots[n]);

    // Digit sets a < b < c < d in lexicographic order.
    return ForEachCombination(kAllDigits, 4, [&](unsigned set, std::span<const int> place) {
        const std::array<int, 4> digits = {place[0] + 1, place[1] + 1, place[2] + 1, place[3] + 1};
        for (int n = 0; n < pivotCount; ++n) {
            const int pivot = pivots[n];
            const std::uint16_t mask = s.CandMask[pivot];
            if ((mask & ~set) != 0) continue;
            for (int zi = 0; zi < 4; ++zi) {
                const int z = digits[zi];
                // Three-digit pivot: z is the digit of the set it lacks.
                if (!pivotHasZ && (mask & DigitBit(z)) != 0) continue;
                // All three wings {z, y} must be there to be found.
                const unsigned others = set & ~unsigned{DigitBit(z)};
                if ((pairs[static_cast<std::size_t>(n)][z] & others) != others) continue;
                std::array<int, 3> p{};
                for (int k = 0, m = 0; k < 4; ++k)
                    if (k != zi) p[m++] = digits[k];
                if (TryWings(s, pivot, z, p, pivotHasZ)) return true;
            }
        }
        return false;
    });
}

}  // namespace

bool TryWXYZWing(GradeState& s) {
    if (SearchForm(s, true)) return true;
    return SearchForm(s, false);
}

}  // namespace gw
