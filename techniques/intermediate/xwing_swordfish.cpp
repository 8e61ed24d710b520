// X-Wing and Swordfish: single-digit fish over two or three base lines.
//
// If a digit's candidates in n base lines (rows, say) all fall within the same
// n cover lines (columns), those n lines must take their n copies of the digit
// in the cover lines, so no other cell of the cover lines can hold it.
#include <array>

#include "techniques/techniques.h"

namespace gw {

namespace {

// Cell at position `pos` of base line `line`: rows are the base lines when
// `rowsAreBase`, columns otherwise.
int LineCell(bool rowsAreBase, int line, int pos) { return rowsAreBase ? 9 * line + pos : 9 * pos + line; }

// Position masks of digit d over the nine base lines: bit k set when d is
// still possible at position k of the line.
std::array<unsigned, 9> PositionMasks(const GradeState& s, int d, bool rowsAreBase) {
    std::array<unsigned, 9> masks{};
    for (int i = 0; i < 9; ++i)
        for (int k = 0; k < 9; ++k)
            if (s.CandFlags(LineCell(rowsAreBase, i, k), d)) masks[i] |= 1u << k;
    return masks;
}

// X-Wing for one digit and direction: two base lines whose digit lies in
// exactly the same two positions a < b. Cover pairs go in lexicographic order.
bool XWingSearch(GradeState& s, int d, bool rowsAreBase) {
    const auto masks = PositionMasks(s, d, rowsAreBase);
    for (int a = 0; a < 8; ++a) {
        for (int b = a + 1; b < 9; ++b) {
            const unsigned pair = (1u << a) | (1u << b);
            std::array<int, 2> base{};
            int count = 0;
            for (int i = 0; i < 9; ++i) {
                if (masks[i] != pair) continue;
                if (count < 2) base[count] = i;
                ++count;
            }
            if (count != 2) continue;
            bool removed = false;
            for (int j = 0; j < 9; ++j) {
                if (j == base[0] || j == base[1]) continue;
                removed = RemoveCandidate(s, d, LineCell(rowsAreBase, j, a)) || removed;
                removed = RemoveCandidate(s, d, LineCell(rowsAreBase, j, b)) || removed;
            }
            if (removed && s.pattern != nullptr) RecordFish(s, d, rowsAreBase, (1u << base[0]) | (1u << base[1]), pair);
            if (removed) return true;
        }
    }
    return false;
}

// Swordfish for one digit and direction: three base lines in which the digit
// is still possible and only at positions a, b or c. Cover triples go in
// lexicographic order.
bool SwordfishSearch(GradeState& s, int d, bool rowsAreBase) {
    const auto masks = PositionMasks(s, d, rowsAreBase);
    for (int a = 0; a < 7; ++a) {
        for (int b = a + 1; b < 8; ++b) {
            for (int c = b + 1; c < 9; ++c) {
                const unsigned triple = (1u << a) | (1u << b) | (1u << c);
                std::array<int, 3> base{};
                int count = 0;
                for (int i = 0; i < 9; ++i) {
                    if ((masks[i] & triple) == 0 || (masks[i] & ~triple) != 0) continue;
                    if (count < 3) base[count] = i;
                    ++count;
                }
                if (count != 3) continue;
                bool removed = false;
                for (int j = 0; j < 9; ++j) {
                    if (j == base[0] || j == base[1] || j == base[2]) continue;
                    removed = RemoveCandidate(s, d, LineCell(rowsAreBase, j, a)) || removed;
                    removed = RemoveCandidate(s, d, LineCell(rowsAreBase, j, b)) || removed;
                    removed = RemoveCandidate(s, d, LineCell(rowsAreBase, j, c)) || removed;
                }
                if (removed && s.pattern != nullptr)
                    RecordFish(s, d, rowsAreBase, (1u << base[0]) | (1u << base[1]) | (1u << base[2]), triple);
                if (removed) return true;
            }
        }
    }
    return false;
}

// Rows as base lines for every digit first, then columns; digits ascend.
template <typename Search>
bool FishBothWays(GradeState& s, Search search) {
    for (int d = 1; d <= 9; ++d)
        if (search(s, d, true)) return true;
    for (int d = 1; d <= 9; ++d)
        if (search(s, d, false)) return true;
    return false;
}

}  // namespace

bool TryXWing(GradeState& s) { return FishBothWays(s, XWingSearch); }

bool TrySwordfish(GradeState& s) { return FishBothWays(s, SwordfishSearch); }

}  // namespace gw
