// Pointing (box to line): when every candidate of a digit inside a box lies on
// one row or one column of that box, the digit must sit in that short segment,
// so the rest of the line loses it.
#include <array>

#include "techniques/digit_search.h"
#include "techniques/techniques.h"

namespace gw {

namespace {

// Removes `digit` from the six cells of a box line that lie outside the box.
// Lines 0..2 are the box's rows (row offset), 3..5 its columns (column offset);
// `start` is the box's top-left cell. Rows are walked left to right, columns
// top to bottom, and all six cells are always visited.
bool RemoveFromLineOutsideBox(GradeState& s, int digit, int start, int line) {
    bool removed = false;
    if (line < 3) {
        const int row = start / 9 + line;
        const int first = start + 9 * line;
        for (int k = 0; k < 9; ++k) {
            const int cell = 9 * row + k;
            if (cell >= first && cell <= first + 2) continue;
            removed = RemoveCandidate(s, digit, cell) || removed;
        }
    } else {
        const int col = start % 9 + (line - 3);
        const int first = start + (line - 3);
        for (int k = 0; k < 9; ++k) {
            const int cell = 9 * k + col;
            if (cell == first || cell == first + 9 || cell == first + 18) continue;
            removed = RemoveCandidate(s, digit, cell) || removed;
        }
    }
    return removed;
}

// Digit d pointing from one of the boxes 0..8, within each box along its rows
// then its columns: true at the first line that loses something.
bool PointingOfDigit(GradeState& s, int d) {
    for (int b = 0; b < 9; ++b) {
        const int start = BoxStart[b];
        std::array<int, 6> lineCount{};
        int total = 0;
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c) {
                if (!s.CandFlags(start + 9 * r + c, d)) continue;
                ++lineCount[r];
                ++lineCount[3 + c];
                ++total;
            }
        }
        if (total < 1 || total > 3) continue;
        for (int line = 0; line < 6; ++line) {
            if (lineCount[line] == total && RemoveFromLineOutsideBox(s, d, start, line)) {
                if (s.pattern != nullptr) {
                    s.pattern->Kind(PatternKind::Locked).Digit(d).Unit(BoxUnit(b), Role::Base);
                    s.pattern->Unit(line < 3 ? RowUnit(start / 9 + line) : ColUnit(start % 9 + line - 3), Role::Cover);
                    RecordHolders(s, BoxUnit(b), d, Role::Base);
                }
                return true;
            }
        }
    }
    return false;
}

}  // namespace

// Scan: digits 1..9, within each digit boxes 0..8, within each box its rows
// then its columns. A digit with one candidate cell in a box points along its
// row first and, if that removes nothing, along its column. Acts on the first
// line that loses something.
bool TryPointing(GradeState& s) {
    // Only digits whose places changed since the search last found nothing
    // can point anywhere (model/search_memo.h).
    return SearchEachChangedDigit(s, DigitSearch::Pointing, [&](int d) { return PointingOfDigit(s, d); });
}

}  // namespace gw
