// Naked subsets (sizes 2 to 5) and hidden subsets (sizes 2 and 3).
#include "techniques/elementary/subsets.h"

#include <algorithm>

#include "techniques/combinations.h"
#include "techniques/techniques.h"

namespace gw {

namespace {

// The nine cells of unit u in unit order: rows 0..8, columns 9..17, boxes 18..26.
std::array<int, 9> UnitCellsOf(int u) {
    std::array<int, 9> cells{};
    for (int k = 0; k < 9; ++k) cells[k] = UnitCell(u, k);
    return cells;
}

// A unit as the subset searches see it, for their memo of units in which
// they found nothing (model/search_memo.h): a search finds the same in a unit
// whose cells are unchanged, so such a unit is passed over.
UnitCells UnitKey(const GradeState& s, const std::array<int, 9>& cells) {
    UnitCells key{};
    for (int k = 0; k < 9; ++k)
        key[k] = static_cast<std::uint16_t>(s.CandMask[cells[k]] | (s.SolveGrid[cells[k]] << 9));
    return key;
}

// Explanations: the digits and cells of the subset, and its unit.
void RecordSubset(const GradeState& s, int unit, std::uint16_t digits, const int* cells, int n) {
    s.pattern->Kind(PatternKind::Subset).Digits(digits).Unit(unit, Role::Base);
    for (int i = 0; i < n; ++i) s.pattern->Cell(cells[i], s.CandMask[cells[i]] & digits, Role::Set);
}

bool NakedSubset(GradeState& s, int size) {
    // The ladder's sizes 2..5 keep a memo each.
    const bool memo = size >= 2 && size <= 5;
    const auto search = static_cast<UnitSearch>(static_cast<int>(UnitSearch::NakedPair) + (memo ? size - 2 : 0));
    for (int u = 0; u < 27; ++u) {
        const auto cells = UnitCellsOf(u);
        std::uint16_t open = kAllDigits;
        for (int c : cells)
            if (s.SolveGrid[c] != 0) open &= static_cast<std::uint16_t>(~DigitBit(s.SolveGrid[c]));
        // A subset needs `size` unsolved cells with at most `size` candidates;
        // a unit with fewer cannot hold one. Only those cells can lie within
        // a combination of `size` digits, so they are the ones tried, in unit
        // order.
        std::array<int, 9> small{};
        int nSmall = 0;
        for (int c : cells)
            if (s.SolveGrid[c] == 0 && BitCount[s.CandMask[c]] <= size) small[nSmall++] = c;
        if (nSmall < size) continue;
        const UnitCells key = UnitKey(s, cells);
        if (memo && s.memo.UnitFailedBefore(search, u, key)) continue;
        const UnitKind kind = KindOfUnit(u);
        const bool found = ForEachCombination(open, size, [&](std::uint16_t combo) {
            std::array<int, 9> match{};
            int n = 0;
            for (int i = 0; i < nSmall; ++i)
                if (CandidatesWithin(s, combo, small[i])) match[n++] = small[i];
            if (n != size || !RemoveSubsetFromUnit(s, combo, std::span<const int>(match.data(), static_cast<std::size_t>(n)), kind))
                return false;
            if (s.pattern != nullptr) RecordSubset(s, u, combo, match.data(), n);
            return true;
        });
        if (found) return true;
        if (memo) s.memo.UnitFailed(search, u, key);
    }
    return false;
}

bool HiddenSubset(GradeState& s, int size) {
    if (size != 2 && size != 3) return false;
    const auto search = size == 2 ? UnitSearch::HiddenPair : UnitSearch::HiddenTriple;
    for (int u = 0; u < 27; ++u) {
        const auto cells = UnitCellsOf(u);
        const UnitCells key = UnitKey(s, cells);
        if (s.memo.UnitFailedBefore(search, u, key)) continue;
        // A digit that is a candidate in more than `size` cells can be part of
        // no hidden subset of this size; leaving it out skips only
        // combinations that could never match, so the order stays the same.
        std::uint16_t eligible = 0;
        for (int d = 1; d <= 9; ++d) {
            int n = 0;
            for (int c : cells) n += (s.CandMask[c] & DigitBit(d)) != 0;
            if (n >= 1 && n <= size) eligible |= DigitBit(d);
        }
        const bool found = ForEachCombination(eligible, size, [&](std::uint16_t combo) {
            std::array<int, 9> match{};
            int n = 0;
            for (int c : cells)
                if (s.CandMask[c] & combo) match[n++] = c;
            if (n != size) return false;
            bool removed = false;
            for (int i = 0; i < n; ++i)
                for (int d = 1; d <= 9; ++d)
                    if (!(combo & DigitBit(d))) removed = RemoveCandidate(s, d, match[i]) || removed;
            if (removed && s.pattern != nullptr) RecordSubset(s, u, combo, match.data(), n);
            return removed;
        });
        if (found) return true;
        s.memo.UnitFailed(search, u, key);
    }
    return false;
}

}  // namespace

bool RemoveSubsetFromUnit(GradeState& s, std::uint16_t digitSet, std::span<const int> subsetCells, UnitKind kind) {
    const int u = UnitOfCell(subsetCells[0], kind);
    bool removed = false;
    for (int k = 0; k < 9; ++k) {
        const int cell = UnitCell(u, k);
        if (std::find(subsetCells.begin(), subsetCells.end(), cell) != subsetCells.end()) continue;
        for (int d = 1; d <= 9; ++d)
            if (digitSet & DigitBit(d)) removed = RemoveCandidate(s, d, cell) || removed;
    }
    return removed;
}

// Naked subsets: `size` cells of a unit whose candidates lie within `size`
// digits; those digits leave the unit's other cells. Hidden subsets: `size`
// digits of a unit confined to `size` cells; those cells lose every other
// candidate. Units go rows, columns, boxes; digit combinations ascend.
bool TrySubset(GradeState& s, const RungParams& params) {
    return params.naked ? NakedSubset(s, params.size) : HiddenSubset(s, params.size);
}

}  // namespace gw
