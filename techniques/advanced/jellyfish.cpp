// Jellyfish: the size-four fish on one digit.
//
// When four rows hold a digit only inside the same four columns, those four
// rows place the digit once each, so they take up all four columns: no other
// row can hold the digit in those columns. The same holds with rows and
// columns exchanged. Rows with no candidate of the digit left (the digit is
// placed there) never count as base rows.
#include <array>
#include <cstdint>

#include "techniques/techniques.h"

namespace gw {

namespace {

// The four base lines of a fish and its four cross lines, both ascending.
struct Fish {
    std::array<int, 4> base{};
    std::array<int, 4> cross{};
};

// Cell where base line `b` meets cross line `x`: rows as base lines when
// `rowsAsBase`, else columns.
int CellOf(bool rowsAsBase, int b, int x) { return rowsAsBase ? CellAt[b][x] : CellAt[x][b]; }

// Removes the digit from the fish's cross lines in every line that is not one
// of its base lines, lines 0..8 in order and the cross lines in ascending order
// within each. True when anything was removed.
bool RemoveFromCrossLines(GradeState& s, const Fish& fish, int digit, bool rowsAsBase) {
    bool any = false;
    for (int line = 0; line < 9; ++line) {
        if (line == fish.base[0] || line == fish.base[1] || line == fish.base[2] || line == fish.base[3]) continue;
        for (int x : fish.cross) any = RemoveCandidate(s, digit, CellOf(rowsAsBase, line, x)) || any;
    }
    return any;
}

// One orientation: every digit, every set of four cross lines in lexicographic
// order; the first fish that removes something ends the search.
bool SearchOrientation(GradeState& s, bool rowsAsBase) {
    for (int d = 1; d <= 9; ++d) {
        // Bit x of lineMask[b] is set when base line b meets cross line x in a
        // cell that still holds d.
        std::array<std::uint16_t, 9> lineMask{};
        for (int b = 0; b < 9; ++b)
            for (int x = 0; x < 9; ++x)
                if (s.CandFlags(CellOf(rowsAsBase, b, x), d)) lineMask[b] |= static_cast<std::uint16_t>(1u << x);

        // Only lines with one to four candidates can lie inside a cover set.
        std::array<int, 9> eligible{};
        int eligibleCount = 0;
        for (int line = 0; line < 9; ++line)
            if (lineMask[line] != 0 && BitCount[lineMask[line]] <= 4) eligible[eligibleCount++] = line;
        if (eligibleCount < 4) continue;

        for (int a = 0; a <= 5; ++a) {
            for (int b = a + 1; b <= 6; ++b) {
                for (int c = b + 1; c <= 7; ++c) {
                    for (int e = c + 1; e <= 8; ++e) {
                        const unsigned cover = (1u << a) | (1u << b) | (1u << c) | (1u << e);
                        Fish fish;
                        fish.cross = {a, b, c, e};
                        int matches = 0;
                        for (int k = 0; k < eligibleCount; ++k) {
                            const int line = eligible[k];
                            if ((lineMask[line] & ~cover) != 0) continue;
                            if (matches < 4) fish.base[matches] = line;
                            ++matches;
                        }
                        // Five or more lines inside four cross lines cannot
                        // happen in a puzzle with a solution: leave them alone.
                        if (matches == 4 && RemoveFromCrossLines(s, fish, d, rowsAsBase)) {
                            if (s.pattern != nullptr) {
                                unsigned baseLines = 0;
                                for (int line : fish.base) baseLines |= 1u << line;
                                RecordFish(s, d, rowsAsBase, baseLines, cover);
                            }
                            return true;
                        }
                    }
                }
            }
        }
    }
    return false;
}

}  // namespace

// Rows as base lines for all digits first, then columns.
bool TryJellyfish(GradeState& s) {
    if (SearchOrientation(s, true)) return true;
    return SearchOrientation(s, false);
}

}  // namespace gw
