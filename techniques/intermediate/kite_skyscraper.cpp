// Two-string kite and skyscraper: two conjugate pairs of one digit d (a row or
// column where d fits in exactly two cells) joined at one end each. The joined
// ends cannot both hold d, so at least one of the two far ends does, and d is
// struck from every cell that sees both far ends.
//
// Kite: a conjugate row and a conjugate column whose joined ends share a box.
// Skyscraper: two conjugate rows whose joined ends share a column (or two
// conjugate columns whose joined ends share a row), the far ends not aligned.
#include <array>
#include <span>

#include "techniques/digit_search.h"
#include "techniques/combinations.h"
#include "techniques/techniques.h"

namespace gw {

// Both searches look at one digit at a time: only digits whose places changed
// since the search last found nothing can hold a pattern (model/search_memo.h).
bool TryTwoStringKite(GradeState& s) {
    return SearchEachChangedDigit(s, DigitSearch::TwoStringKite, [&](int d) {
        const ConjugatePairs w = ConjugatePairsOf(s, d);
        for (int r = 0; r < 9; ++r) {
            if (!w.Pair(RowUnit(r))) continue;
            const int r1 = w.First(RowUnit(r)), r2 = w.Second(RowUnit(r));
            // A pair inside one box is a box pair, not a string of the kite.
            if (BoxOf[r1] == BoxOf[r2]) continue;
            for (int c = 0; c < 9; ++c) {
                if (!w.Pair(ColUnit(c))) continue;
                const int c1 = w.First(ColUnit(c)), c2 = w.Second(ColUnit(c));
                if (BoxOf[c1] == BoxOf[c2]) continue;
                // Joints in order: (row end, column end) -> far ends passed on.
                const std::array<std::array<int, 4>, 4> joints = {{
                    {r1, c1, r2, c2},
                    {r1, c2, r2, c1},
                    {r2, c1, r1, c2},
                    {r2, c2, r1, c1},
                }};
                for (const auto& [jr, jc, farRow, farCol] : joints) {
                    // The joint holds when the two ends are different cells of
                    // one box; only the first joint that holds is used.
                    if (jr == jc || BoxOf[jr] != BoxOf[jc]) continue;
                    if (RemoveFromCommonPeers(s, farRow, farCol, d)) {
                        if (s.pattern != nullptr) RecordPairs(s, d, farRow, jr, jc, farCol);
                        return true;
                    }
                    break;
                }
            }
        }
        return false;
    });
}

bool TrySkyscraper(GradeState& s) {
    return SearchEachChangedDigit(s, DigitSearch::Skyscraper, [&](int d) {
        const ConjugatePairs w = ConjugatePairsOf(s, d);
        // Pairs of lines a < b in lexicographic order.
        return ForEachCombination(kNinePlaces, 2, [&](unsigned, std::span<const int> pair) {
            const int a = pair[0], b = pair[1];
            // Rows a and b, joined by a column; then columns a and b,
            // joined by a row.
            for (int lines = 0; lines < 2; ++lines) {
                const bool rows = lines == 0;
                const int lineA = rows ? RowUnit(a) : ColUnit(a), lineB = rows ? RowUnit(b) : ColUnit(b);
                if (!w.Pair(lineA) || !w.Pair(lineB)) continue;
                const int a1 = w.First(lineA), a2 = w.Second(lineA);
                const int b1 = w.First(lineB), b2 = w.Second(lineB);
                // Position across the lines: the column of a row end, the
                // row of a column end.
                const auto across = [rows](int cell) { return rows ? ColOf[cell] : RowOf[cell]; };
                const std::array<std::array<int, 4>, 4> tests = {{
                    {a1, b1, a2, b2},
                    {a1, b2, a2, b1},
                    {a2, b1, a1, b2},
                    {a2, b2, a1, b1},
                }};
                for (const auto& [ja, jb, farA, farB] : tests) {
                    // Joined ends aligned, far ends not (aligned far ends
                    // would make an X-Wing, not a skyscraper).
                    if (across(ja) != across(jb) || across(farA) == across(farB)) continue;
                    if (RemoveFromCommonPeers(s, farA, farB, d)) {
                        if (s.pattern != nullptr) RecordPairs(s, d, farA, ja, jb, farB);
                        return true;
                    }
                }
            }
            return false;
        });
    });
}

}  // namespace gw
