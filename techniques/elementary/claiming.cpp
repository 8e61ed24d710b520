// Claiming (line to box): when every candidate of a digit in a row or column
// lies inside one box, the digit must sit in that part of the box, so the
// box's other six cells lose it.
#include <array>

#include "techniques/digit_search.h"
#include "techniques/techniques.h"

namespace gw {

namespace {

enum LineKind { kRowLine = 1, kColLine = 2 };

// Removes `digit` from the cells of the box crossed by segment `segment`
// (0..2) of row or column `line` that are not on the line. The box is walked
// row by row, left to right; all six outside cells are always visited.
bool RemoveFromBoxOutsideLine(GradeState& s, int digit, int line, int segment, int kind) {
    int start = 0;
    std::array<int, 3> lineCells{};
    if (kind == kRowLine) {
        start = 27 * (line / 3) + 3 * segment;
        for (int i = 0; i < 3; ++i) lineCells[i] = 9 * line + 3 * segment + i;
    } else {
        start = 3 * (line / 3) + 27 * segment;
        for (int i = 0; i < 3; ++i) lineCells[i] = 27 * segment + line + 9 * i;
    }
    bool removed = false;
    for (int ro = 0; ro < 3; ++ro) {
        for (int co = 0; co < 3; ++co) {
            const int cell = start + 9 * ro + co;
            if (cell == lineCells[0] || cell == lineCells[1] || cell == lineCells[2]) continue;
            removed = RemoveCandidate(s, digit, cell) || removed;
        }
    }
    return removed;
}

// One pass over all rows (kind 1) or all columns (kind 2), digit-major.
bool ClaimingPass(GradeState& s, int kind, unsigned digits) {
    for (int d = 1; d <= 9; ++d) {
        if (((digits >> d) & 1u) == 0) continue;
        for (int line = 0; line < 9; ++line) {
            std::array<int, 3> segmentCount{};
            int total = 0;
            for (int seg = 0; seg < 3; ++seg) {
                for (int i = 0; i < 3; ++i) {
                    const int cell = kind == kRowLine ? 9 * line + 3 * seg + i : 27 * seg + 9 * i + line;
                    if (!s.CandFlags(cell, d)) continue;
                    ++segmentCount[seg];
                    ++total;
                }
            }
            if (total < 1 || total > 3) continue;
            for (int seg = 0; seg < 3; ++seg) {
                if (segmentCount[seg] == total && RemoveFromBoxOutsideLine(s, d, line, seg, kind)) {
                    if (s.pattern != nullptr) {
                        const int unit = kind == kRowLine ? RowUnit(line) : ColUnit(line);
                        const int box = kind == kRowLine ? 3 * (line / 3) + seg : 3 * seg + line / 3;
                        s.pattern->Kind(PatternKind::Locked).Digit(d).Unit(unit, Role::Base).Unit(BoxUnit(box), Role::Cover);
                        RecordHolders(s, unit, d, Role::Base);
                    }
                    return true;
                }
            }
        }
    }
    return false;
}

}  // namespace

// Every row pattern (digits 1..9, rows 0..8) is tried before any column
// pattern; acts on the first one that removes something.
// Only digits whose places changed since a pass last found nothing can claim
// anything in it (model/search_memo.h); the row pass has found nothing when
// the column pass begins, with the same places.
bool TryClaiming(GradeState& s) {
    const DigitPlaces places = PlacesOfDigits(s.CandMask);
    return SearchChangedDigits(s, DigitSearch::ClaimingRows, places,
                               [&](unsigned digits) { return ClaimingPass(s, kRowLine, digits); }) ||
           SearchChangedDigits(s, DigitSearch::ClaimingColumns, places,
                               [&](unsigned digits) { return ClaimingPass(s, kColLine, digits); });
}

}  // namespace gw
