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

#include "techniques/combinations.h"
#include "techniques/techniques.h"

namespace gw {

namespace {

// Conjugate rows and columns of one digit. For a line holding the digit in
// exactly two cells, first/second are those cells (left to right along a row,
// top to bottom along a column); -1 otherwise.
struct ConjugateLines {
    std::array<int, 9> rowFirst{}, rowSecond{}, colFirst{}, colSecond{};
    bool Row(int r) const { return rowFirst[r] >= 0; }
    bool Col(int c) const { return colFirst[c] >= 0; }
};

ConjugateLines BuildLines(const GradeState& s, int d) {
    ConjugateLines w;
    std::array<int, 9> rowCount{}, colCount{};
    w.rowFirst.fill(-1);
    w.rowSecond.fill(-1);
    w.colFirst.fill(-1);
    w.colSecond.fill(-1);
    std::array<int, 9> rowA{}, rowB{}, colA{}, colB{};
    for (int cell = 0; cell < 81; ++cell) {
        if (!s.CandFlags(cell, d)) continue;
        const int r = RowOf[cell], c = ColOf[cell];
        if (rowCount[r] == 0) rowA[r] = cell;
        else if (rowCount[r] == 1) rowB[r] = cell;
        ++rowCount[r];
        if (colCount[c] == 0) colA[c] = cell;
        else if (colCount[c] == 1) colB[c] = cell;
        ++colCount[c];
    }
    for (int k = 0; k < 9; ++k) {
        if (rowCount[k] == 2) {
            w.rowFirst[k] = rowA[k];
            w.rowSecond[k] = rowB[k];
        }
        if (colCount[k] == 2) {
            w.colFirst[k] = colA[k];
            w.colSecond[k] = colB[k];
        }
    }
    return w;
}

}  // namespace

// Both searches look at one digit at a time: only digits whose places changed
// since the search last found nothing can hold a pattern (model/search_memo.h).
bool TryTwoStringKite(GradeState& s) {
    const DigitPlaces places = PlacesOfDigits(s.CandMask);
    const unsigned digits = s.memo.DigitsToSearch(DigitSearch::TwoStringKite, places);
    for (int d = 1; d <= 9; ++d) {
        if (((digits >> d) & 1u) == 0) continue;
        const ConjugateLines w = BuildLines(s, d);
        for (int r = 0; r < 9; ++r) {
            if (!w.Row(r)) continue;
            const int r1 = w.rowFirst[r], r2 = w.rowSecond[r];
            // A pair inside one box is a box pair, not a string of the kite.
            if (BoxOf[r1] == BoxOf[r2]) continue;
            for (int c = 0; c < 9; ++c) {
                if (!w.Col(c)) continue;
                const int c1 = w.colFirst[c], c2 = w.colSecond[c];
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
    }
    s.memo.Failed(DigitSearch::TwoStringKite, places);
    return false;
}

bool TrySkyscraper(GradeState& s) {
    const DigitPlaces places = PlacesOfDigits(s.CandMask);
    const unsigned digits = s.memo.DigitsToSearch(DigitSearch::Skyscraper, places);
    for (int d = 1; d <= 9; ++d) {
        if (((digits >> d) & 1u) == 0) continue;
        const ConjugateLines w = BuildLines(s, d);
        // Pairs of lines a < b in lexicographic order.
        const bool found = ForEachCombination(kNinePlaces, 2, [&](unsigned, std::span<const int> pair) {
            const int a = pair[0], b = pair[1];
            // Rows a and b, joined by a column; then columns a and b,
            // joined by a row.
            for (int lines = 0; lines < 2; ++lines) {
                const bool rows = lines == 0;
                if (rows ? !(w.Row(a) && w.Row(b)) : !(w.Col(a) && w.Col(b))) continue;
                const int a1 = rows ? w.rowFirst[a] : w.colFirst[a];
                const int a2 = rows ? w.rowSecond[a] : w.colSecond[a];
                const int b1 = rows ? w.rowFirst[b] : w.colFirst[b];
                const int b2 = rows ? w.rowSecond[b] : w.colSecond[b];
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
        if (found) return true;
    }
    s.memo.Failed(DigitSearch::Skyscraper, places);
    return false;
}

}  // namespace gw
