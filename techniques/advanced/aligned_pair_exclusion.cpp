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
#include <cstdint>
#include <span>

#include "techniques/combinations.h"
#include "techniques/techniques.h"

namespace gw {

namespace {

// Strikes from `partners` (partners[p] = digits B may take while A = p) every
// pair the cells of one unit rule out. `unit` lists the unit's cells in order.
void StrikeByUnit(const GradeState& s, int a, int b, const std::array<int, 9>& unit,
                  std::array<std::uint16_t, 10>& partners) {
    auto strikeAll = [&](std::uint16_t digits) {
        for (int p = 1; p <= 9; ++p)
            if (digits & DigitBit(p)) partners[p] = static_cast<std::uint16_t>(partners[p] & ~digits);
    };
    // Bivalue cells: both orders of their two digits.
    for (int c : unit) {
        if (c == a || c == b) continue;
        if (BitCount[s.CandMask[c]] == 2) strikeAll(s.CandMask[c]);
    }
    // Two cells with three digits between them: every pair of two different
    // digits of the three.
    for (int k1 = 0; k1 < 9; ++k1) {
        const int c1 = unit[k1];
        const int n1 = BitCount[s.CandMask[c1]];
        if (c1 == a || c1 == b || n1 < 2 || n1 > 3) continue;
        for (int k2 = 0; k2 < 9; ++k2) {
            const int c2 = unit[k2];
            const int n2 = BitCount[s.CandMask[c2]];
            if (c2 == c1 || c2 == a || c2 == b || n2 < 2 || n2 > 3) continue;
            const auto all = static_cast<std::uint16_t>(s.CandMask[c1] | s.CandMask[c2]);
            if (BitCount[all] == 3) strikeAll(all);
        }
    }
}

bool TryPair(GradeState& s, int a, int b, const std::array<int, 9>& line, const std::array<int, 9>& box) {
    if (s.SolveGrid[a] != 0 || s.SolveGrid[b] != 0) return false;
    std::array<std::uint16_t, 10> partners{};
    for (int p = 1; p <= 9; ++p)
        if (s.CandFlags(a, p)) partners[p] = static_cast<std::uint16_t>(s.CandMask[b] & ~DigitBit(p));
    StrikeByUnit(s, a, b, line, partners);
    StrikeByUnit(s, a, b, box, partners);

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
    for (int pass = 0; pass < 2; ++pass) {
        const bool rows = pass == 0;
        for (int l = 0; l < 9; ++l) {
            std::array<int, 9> line{};
            for (int k = 0; k < 9; ++k) line[k] = rows ? CellAt[l][k] : CellAt[k][l];
            for (int seg = 0; seg < 3; ++seg) {
                const int box = rows ? BoxAt[l][3 * seg] : BoxAt[3 * seg][l];
                const std::array<int, 9>& boxCells = BoxCell[box];
                // The segment's cell pairs: first and second, first and third,
                // second and third.
                const int first = 3 * seg;
                const bool found = ForEachCombination(0b111, 2, [&](unsigned, std::span<const int> pair) {
                    return TryPair(s, line[first + pair[0]], line[first + pair[1]], line, boxCells);
                });
                if (found) return true;
            }
        }
    }
    return false;
}

}  // namespace gw
