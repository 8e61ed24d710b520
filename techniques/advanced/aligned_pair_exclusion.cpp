// Aligned pair exclusion.
//
// Two unsolved cells A and B of one box segment (the three cells where a box
// meets a row, or a column) share both that line and that box. List every pair
// of digits (A = p, B = q), p != q, they could hold together and strike out the
// pairs that would leave some other cell of the line or of the box without a
// digit:
//
//  - a bivalue cell {p, q} sees both A and B, so A = p with B = q (or the
//    reverse) would empty it;
//  - two cells of the same unit holding only three digits between them (each
//    with two or three candidates) need two different digits of those three;
//    if A and B take any two of them, the two cells are left with one digit
//    for both.
//
// A digit of A (or B) that no surviving pair uses is removed. Row segments
// are scanned first (rows 0..8, segments left to right, cell pairs in order),
// then column segments; the first pair that removes anything ends the call.
#include <array>
#include <bit>
#include <cstdint>
#include <span>

#include "techniques/combinations.h"
#include "techniques/techniques.h"

namespace gw {

namespace {

// What strikes pairs in one unit, gathered once per call (nothing changes
// before the call acts): each bivalue cell, and each two cells holding three
// digits between them (two or three candidates each), with the digits they
// strike. The strikes of one pair (A, B) are those of the entries that use
// neither A nor B; striking is removing bits, so their order does not matter.
struct UnitStrikes {
    struct Entry {
        std::uint8_t c1 = 0;
        std::uint8_t c2 = 0;  // c1 for a bivalue cell
        std::uint16_t digits = 0;
    };
    std::array<Entry, 45> entry{};
    int count = 0;
};

UnitStrikes GatherStrikes(const GradeState& s, int unit) {
    UnitStrikes out;
    const auto add = [&](int c1, int c2, std::uint16_t digits) {
        out.entry[static_cast<std::size_t>(out.count++)] = {static_cast<std::uint8_t>(c1), static_cast<std::uint8_t>(c2),
                                                            digits};
    };
    for (int k = 0; k < 9; ++k) {
        const int c = UnitCell(unit, k);
        if (BitCount[s.CandMask[c]] == 2) add(c, c, s.CandMask[c]);
    }
    for (int k1 = 0; k1 < 9; ++k1) {
        const int c1 = UnitCell(unit, k1);
        const int n1 = BitCount[s.CandMask[c1]];
        if (n1 < 2 || n1 > 3) continue;
        for (int k2 = k1 + 1; k2 < 9; ++k2) {
            const int c2 = UnitCell(unit, k2);
            const int n2 = BitCount[s.CandMask[c2]];
            if (n2 < 2 || n2 > 3) continue;
            const auto all = static_cast<std::uint16_t>(s.CandMask[c1] | s.CandMask[c2]);
            if (BitCount[all] == 3) add(c1, c2, all);
        }
    }
    return out;
}

// Strikes from `partners` (partners[p] = digits B may take while A = p) every
// pair the cells of one unit rule out: a bivalue cell both orders of its two
// digits, two cells with three digits every pair of two different ones.
void StrikeByUnit(const UnitStrikes& unit, int a, int b, std::array<std::uint16_t, 10>& partners) {
    for (int i = 0; i < unit.count; ++i) {
        const UnitStrikes::Entry& e = unit.entry[static_cast<std::size_t>(i)];
        if (e.c1 == a || e.c1 == b || e.c2 == a || e.c2 == b) continue;
        for (unsigned m = e.digits; m != 0; m &= m - 1) {
            const int p = std::countr_zero(m) + 1;
            partners[p] = static_cast<std::uint16_t>(partners[p] & ~e.digits);
        }
    }
}

bool TryPair(GradeState& s, int a, int b, const UnitStrikes& line, const UnitStrikes& box) {
    if (s.SolveGrid[a] != 0 || s.SolveGrid[b] != 0) return false;
    std::array<std::uint16_t, 10> partners{};
    for (int p = 1; p <= 9; ++p)
        if (s.CandFlags(a, p)) partners[p] = static_cast<std::uint16_t>(s.CandMask[b] & ~DigitBit(p));
    StrikeByUnit(line, a, b, partners);
    StrikeByUnit(box, a, b, partners);

    std::uint16_t allowedA = 0;
    std::uint16_t allowedB = 0;
    for (int p = 1; p <= 9; ++p) {
        if (partners[p] != 0) allowedA |= DigitBit(p);
        allowedB |= partners[p];
    }
    bool removed = false;
    for (int d = 1; d <= 9; ++d) {
        if (!(allowedA & DigitBit(d))) removed = RemoveCandidate(s, d, a) || removed;
        if (!(allowedB & DigitBit(d))) removed = RemoveCandidate(s, d, b) || removed;
    }
    // Explanations: the two aligned cells and the digits left in some combination.
    if (removed && s.pattern != nullptr)
        s.pattern->Kind(PatternKind::Exclusion).Cell(a, allowedA, Role::Base).Cell(b, allowedB, Role::Base);
    return removed;
}

}  // namespace

bool TryAlignedPairExclusion(GradeState& s) {
    std::array<UnitStrikes, 27> strikes;
    for (int u = 0; u < 27; ++u) strikes[static_cast<std::size_t>(u)] = GatherStrikes(s, u);
    for (int pass = 0; pass < 2; ++pass) {
        const bool rows = pass == 0;
        for (int l = 0; l < 9; ++l) {
            std::array<int, 9> line{};
            for (int k = 0; k < 9; ++k) line[k] = rows ? CellAt[l][k] : CellAt[k][l];
            const UnitStrikes& lineStrikes = strikes[static_cast<std::size_t>(rows ? RowUnit(l) : ColUnit(l))];
            for (int seg = 0; seg < 3; ++seg) {
                const int box = rows ? BoxAt[l][3 * seg] : BoxAt[3 * seg][l];
                const UnitStrikes& boxStrikes = strikes[static_cast<std::size_t>(BoxUnit(box))];
                // The segment's cell pairs: first and second, first and third,
                // second and third.
                const int first = 3 * seg;
                const bool found = ForEachCombination(0b111, 2, [&](unsigned, std::span<const int> pair) {
                    return TryPair(s, line[first + pair[0]], line[first + pair[1]], lineStrikes, boxStrikes);
                });
                if (found) return true;
            }
        }
    }
    return false;
}

}  // namespace gw
