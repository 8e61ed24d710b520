// Bivalue conjugate loop: four two-candidate cells closing a loop.
//
// Base unit U1 holds digit a in exactly two cells P1 = {a, l} and P2 = {a, m};
// base unit U2 (same kind) holds b in exactly two cells Q1 = {b, l} and
// Q2 = {b, m}. P1 and Q1 share a unit (the l-link), P2 and Q2 share another
// unit of the same kind (the m-link). Going round the loop P1-P2-Q2-Q1 each
// cell forces the next: if P1 is a then P2 is m, Q2 is b and Q1 is l; if P2 is
// a then P1 is l, Q1 is b and Q2 is m. Either way l sits in P1 or Q1 and m in
// P2 or Q2, so l leaves the rest of the l-link unit and m the rest of the
// m-link unit.
#include <array>
#include <bit>
#include <span>
#include <utility>

#include "model/cellset.h"
#include "techniques/combinations.h"
#include "techniques/techniques.h"

namespace gw {

namespace {

// Row, column or box number of the unit of `kind` that holds the cell.
int UnitOf(UnitKind kind, int cell) { return IndexOfUnit(UnitOfCell(cell, kind)); }

// k-th cell of unit `unit` (row, column or box number) of `kind`.
int CellOf(UnitKind kind, int unit, int k) { return UnitCell(UnitNumber(kind, unit), k); }

// Candidates and per-unit digit counts as they stand at the start of the call.
struct LoopTables {
    Masks cand{};
    std::array<std::array<std::array<int, 9>, 10>, 3> count{};  // [kind][digit][unit]
    // [kind][unit]: the digits (bit d) held by exactly two cells of the unit,
    // both of them two-candidate cells. Only such a pair can be a base pair.
    std::array<std::array<unsigned, 9>, 3> bivaluePairs{};
};

LoopTables BuildTables(const GradeState& s) {
    LoopTables t;
    t.cand = s.CandMask;
    CellSet bivalue;
    for (int cell = 0; cell < 81; ++cell)
        if (BitCount[t.cand[cell]] == 2) bivalue.Set(cell);
    const DigitPlaces places = PlacesOfDigits(t.cand);
    for (int d = 1; d <= 9; ++d)
        for (int u = 0; u < 27; ++u) {
            const CellSet in = places[d] & UnitSet[u];
            const int n = in.Count();
            const auto kind = static_cast<std::size_t>(KindOfUnit(u));
            const auto index = static_cast<std::size_t>(IndexOfUnit(u));
            t.count[kind][static_cast<std::size_t>(d)][index] = n;
            if (n == 2 && in.Without(bivalue).Empty()) t.bivaluePairs[kind][index] |= 1u << d;
        }
    return t;
}

bool IsBivalue(const LoopTables& t, int cell) { return BitCount[t.cand[cell]] == 2; }

// Removes `digit` from every cell of the link unit except the loop's two ends.
void ClearLink(GradeState& s, UnitKind kind, int unit, int digit, int endA, int endB) {
    for (int k = 0; k < 9; ++k) {
        const int cell = CellOf(kind, unit, k);
        if (cell == endA || cell == endB || !s.CandFlags(cell, digit)) continue;
        RemoveCandidate(s, digit, cell);
    }
}

// The loop's four cells are aligned for links of `linkKind`: look for the
// outer digits l and m. Only one (l, m) can match the exact candidate sets;
// the search order of l, then m, is kept for clarity. The count condition
// guarantees at least one removal.
bool TryLinks(GradeState& s, const LoopTables& t, int a, int b, int p1, int p2, int q1, int q2, UnitKind linkKind) {
    const int lUnit = UnitOf(linkKind, p1);
    const int mUnit = UnitOf(linkKind, p2);
    for (int l = 1; l <= 9; ++l) {
        if (l == a || l == b) continue;
        for (int m = 1; m <= 9; ++m) {
            if (m == l || m == a || m == b) continue;
            if (t.count[linkKind][l][lUnit] <= 2 && t.count[linkKind][m][mUnit] <= 2) continue;
            if (t.cand[p1] != (DigitBit(a) | DigitBit(l)) || t.cand[p2] != (DigitBit(a) | DigitBit(m)) ||
                t.cand[q1] != (DigitBit(b) | DigitBit(l)) || t.cand[q2] != (DigitBit(b) | DigitBit(m)))
                continue;
            ClearLink(s, linkKind, lUnit, l, p1, q1);
            ClearLink(s, linkKind, mUnit, m, p2, q2);
            if (s.pattern != nullptr) {
                // The loop of bivalue cells, each cell a strong link between its two digits.
                PatternChain& loop = s.pattern->Kind(PatternKind::Chain).Digits(DigitBit(l) | DigitBit(m)).NewChain();
                loop.Add(false, DigitBit(l), {p1}).Add(true, DigitBit(a), {p1}).Add(false, DigitBit(a), {p2});
                loop.Add(true, DigitBit(m), {p2}).Add(false, DigitBit(m), {q2}).Add(true, DigitBit(b), {q2});
                loop.Add(false, DigitBit(b), {q1}).Add(true, DigitBit(l), {q1});
                loop.strong.push_back(false);
                loop.loop = true;
            }
            return true;
        }
    }
    return false;
}

// The two cells of the unit that hold `digit`, in unit order.
std::pair<int, int> PairIn(const LoopTables& t, UnitKind kind, int unit, int digit) {
    int first = -1;
    for (int k = 0; k < 9; ++k) {
        const int cell = CellOf(kind, unit, k);
        if (!(t.cand[cell] & DigitBit(digit))) continue;
        if (first < 0) first = cell;
        else return {first, cell};
    }
    return {first, first};
}

// One base combination: units u1 < u2 of `kind`, digit a paired in u1 and b in u2.
bool TryCombination(GradeState& s, const LoopTables& t, UnitKind kind, int u1, int u2, int a, int b) {
    auto [p1, p2] = PairIn(t, kind, u1, a);
    auto [q1, q2] = PairIn(t, kind, u2, b);
    if (!IsBivalue(t, p1) || !IsBivalue(t, p2) || !IsBivalue(t, q1) || !IsBivalue(t, q2)) return false;
    const auto stack = [](int cell) { return ColOf[cell] / 3; };
    const auto band = [](int cell) { return RowOf[cell] / 3; };
    switch (kind) {
        case kRowUnit:
            // Column links first, then box links inside one band.
            if (ColOf[p1] == ColOf[q1] && ColOf[p2] == ColOf[q2] && TryLinks(s, t, a, b, p1, p2, q1, q2, kColUnit))
                return true;
            return u1 / 3 == u2 / 3 && stack(p1) == stack(q1) && stack(p2) == stack(q2) && stack(p1) != stack(p2) &&
                   TryLinks(s, t, a, b, p1, p2, q1, q2, kBoxUnit);
        case kColUnit:
            // Row links first, then box links inside one stack.
            if (RowOf[p1] == RowOf[q1] && RowOf[p2] == RowOf[q2] && TryLinks(s, t, a, b, p1, p2, q1, q2, kRowUnit))
                return true;
            return u1 / 3 == u2 / 3 && band(p1) == band(q1) && band(p2) == band(q2) && band(p1) != band(p2) &&
                   TryLinks(s, t, a, b, p1, p2, q1, q2, kBoxUnit);
        default:
            // Row links on two different rows first, then column links with
            // each pair taken left to right.
            if (RowOf[p1] == RowOf[q1] && RowOf[p2] == RowOf[q2] && RowOf[p1] != RowOf[p2] &&
                TryLinks(s, t, a, b, p1, p2, q1, q2, kRowUnit))
                return true;
            if (ColOf[p1] == ColOf[p2] || ColOf[q1] == ColOf[q2]) return false;
            if (ColOf[p1] > ColOf[p2]) std::swap(p1, p2);
            if (ColOf[q1] > ColOf[q2]) std::swap(q1, q2);
            return ColOf[p1] == ColOf[q1] && ColOf[p2] == ColOf[q2] && TryLinks(s, t, a, b, p1, p2, q1, q2, kColUnit);
    }
}

}  // namespace

// Passes: two rows, then two columns, then two boxes as base units. Within a
// pass base pairs u1 < u2 ascend, then digit a of u1, then digit b of u2.
// Acts on the first loop found and returns.
bool TryBivalueConjugateLoop(GradeState& s) {
    const LoopTables t = BuildTables(s);
    for (const UnitKind kind : {kRowUnit, kColUnit, kBoxUnit}) {
        const bool found = ForEachCombination(kNinePlaces, 2, [&](unsigned, std::span<const int> pair) {
            const int u1 = pair[0], u2 = pair[1];
            // A pair with a cell of more than two candidates makes no loop:
            // only pairs of two-candidate cells are tried, in the same order.
            const unsigned digitsA = t.bivaluePairs[kind][u1];
            const unsigned digitsB = t.bivaluePairs[kind][u2];
            if (digitsA == 0 || digitsB == 0) return false;
            for (unsigned ma = digitsA; ma != 0; ma &= ma - 1) {
                const int a = std::countr_zero(ma);
                for (unsigned mb = digitsB & ~(1u << a); mb != 0; mb &= mb - 1)
                    if (TryCombination(s, t, kind, u1, u2, a, std::countr_zero(mb))) return true;
            }
            return false;
        });
        if (found) return true;
    }
    return false;
}

}  // namespace gw
