// X-cycles: alternating chains and loops of strong and weak links on one digit.
//
// For one digit, a unit with exactly two candidate cells is a strong link (one
// of the two holds the digit); two candidate cells in one unit are a weak link
// (at most one holds it). The search walks chains that start with a strong
// link and alternate strong, weak, strong, ... through cells that belong to a
// conjugate pair ("strong-end" cells), and acts on the first of three shapes:
//
//  - a loop closed on its start cell by a second strong link: if the start
//    cell were empty of the digit, the alternation would force the digit into
//    it through the last link, so the digit goes there (result 2);
//  - a chain that begins and ends with a strong link: one of its two end cells
//    holds the digit, so a further candidate cell that sees both ends cannot
//    (result 3);
//  - a continuous loop of alternating links: the strong links pair off the
//    loop's cells, and so do the weak links, so exactly one cell of every weak
//    link holds the digit, and the digit goes from every cell that sees both
//    cells of a weak link (result 1).
#include <array>

#include "techniques/techniques.h"

namespace gw {

namespace {

// Strong and weak links of one digit.
struct DigitLinks {
    std::array<bool, 81> cand{};
    std::array<bool, 81> strongEnd{};
    // Indexed [kind][unit], kind 0 = row, 1 = column, 2 = box.
    std::array<std::array<bool, 9>, 3> strong{};
    // A unit without a pair that holds two or more strong-end cells (so three
    // or more candidate cells).
    std::array<std::array<bool, 9>, 3> weak{};
    bool anyStrongEnd = false;
};

DigitLinks BuildLinks(const GradeState& s, int d) {
    DigitLinks L;
    std::array<std::array<int, 9>, 3> count{};
    for (int c = 0; c < 81; ++c) {
        if (!s.CandFlags(c, d)) continue;
        L.cand[c] = true;
        ++count[0][RowOf[c]];
        ++count[1][ColOf[c]];
        ++count[2][BoxOf[c]];
    }
    // Rows, then columns: both cells of a pair are strong ends.
    for (int kind = 0; kind < 2; ++kind) {
        for (int u = 0; u < 9; ++u) {
            if (count[kind][u] != 2) continue;
            L.strong[kind][u] = true;
            for (int k = 0; k < 9; ++k) {
                const int c = kind == 0 ? CellAt[u][k] : CellAt[k][u];
                if (L.cand[c]) L.strongEnd[c] = true;
            }
        }
    }
    // Boxes: a pair lying in one row or one column is a strong link but adds no
    // strong ends of its own (its row or column pair would be the same link).
    for (int b = 0; b < 9; ++b) {
        if (count[2][b] != 2) continue;
        L.strong[2][b] = true;
        int first = -1;
        int second = -1;
        for (int pos = 0; pos < 9; ++pos) {
            const int c = BoxCell[b][pos];
            if (!L.cand[c]) continue;
            if (first < 0) first = c;
            else second = c;
        }
        if (RowOf[first] != RowOf[second] && ColOf[first] != ColOf[second]) {
            L.strongEnd[first] = true;
            L.strongEnd[second] = true;
        }
    }
    for (int a = 0; a < 80; ++a) {
        if (!L.strongEnd[a]) continue;
        L.anyStrongEnd = true;
        for (int b = a + 1; b < 81; ++b) {
            if (!L.strongEnd[b]) continue;
            if (RowOf[a] == RowOf[b] && !L.strong[0][RowOf[a]]) L.weak[0][RowOf[a]] = true;
            if (ColOf[a] == ColOf[b] && !L.strong[1][ColOf[a]]) L.weak[1][ColOf[a]] = true;
            if (BoxOf[a] == BoxOf[b] && !L.strong[2][BoxOf[a]]) L.weak[2][BoxOf[a]] = true;
        }
    }
    if (L.strongEnd[80]) L.anyStrongEnd = true;
    return L;
}

// Two different cells in one row, column or box whose flag in `flags` is set.
bool ShareFlagged(const std::array<std::array<bool, 9>, 3>& flags, int a, int b) {
    return (RowOf[a] == RowOf[b] && flags[0][RowOf[a]]) || (ColOf[a] == ColOf[b] && flags[1][ColOf[a]]) ||
           (BoxOf[a] == BoxOf[b] && flags[2][BoxOf[a]]);
}

bool ShareStrongOrWeak(const DigitLinks& L, int a, int b) {
    return (RowOf[a] == RowOf[b] && (L.strong[0][RowOf[a]] || L.weak[0][RowOf[a]])) ||
           (ColOf[a] == ColOf[b] && (L.strong[1][ColOf[a]] || L.weak[1][ColOf[a]])) ||
           (BoxOf[a] == BoxOf[b] && (L.strong[2][BoxOf[a]] || L.weak[2][BoxOf[a]]));
}

constexpr int kExhausted = 81;

}  // namespace

// Depth-first search per digit. Position 0 is the start cell; odd positions
// are entered through a strong link, even ones through a weak link. Each depth
// has a cursor over the cells 0..80 in ascending order, so the lowest digit,
// then the lowest start cell, then the lowest cell at each depth wins. With
// level 6 the chain holds at most 11 cells (positions 0..10).
int TryXCycles(GradeState& s, int level) {
    const bool bounded = level == 6;
    for (int d = 1; d <= 9; ++d) {
        const DigitLinks L = BuildLinks(s, d);
        if (!L.anyStrongEnd) continue;

        // One spare slot for the closing position of an 81-cell loop.
        std::array<int, 82> chain{};
        std::array<int, 82> cursor{};
        std::array<bool, 81> inChain{};
        std::array<bool, 81> startPeer{};
        int depth = 0;
        for (;;) {
            s.Pump();
            if (depth == 0) {
                int c = cursor[0];
                while (c < 81 && !(L.strongEnd[c] && !inChain[c])) ++c;
                if (c == kExhausted) break;  // next digit
                cursor[0] = c;
                chain[0] = c;
                inChain[c] = true;
                for (int x = 0; x < 81; ++x)
                    startPeer[x] = L.cand[x] && (x == c || Sees(x, c));
                depth = 1;
                cursor[1] = 0;
                continue;
            }
            if (bounded && depth > 10) cursor[depth] = kExhausted;

            const int start = chain[0];
            const int prev = chain[depth - 1];
            bool extended = false;
            for (; cursor[depth] < 81; ++cursor[depth]) {
                const int c = cursor[depth];
                if (depth % 2 == 1) {
                    // Strong link into this position.
                    if (depth > 1 && c == start && ShareFlagged(L.strong, prev, start)) {
                        PlaceDigit(s, d, start);
                        return 2;
                    }
                    if (L.strongEnd[c] && !inChain[c] && ShareFlagged(L.strong, prev, c)) extended = true;
                } else {
                    // Weak link into this position.
                    if (depth > 2 && !inChain[c] && startPeer[c] && Sees(c, prev)) {
                        RemoveCandidate(s, d, c);
                        return 3;
                    }
                    if (depth > 2 && c == start && Sees(c, prev)) {
                        // Continuous loop: act only when some weak link lies in
                        // a unit with three or more candidates, or nothing would
                        // be removed.
                        chain[depth] = start;
                        bool useful = false;
                        for (int i = 1; i < depth && !useful; i += 2)
                            useful = ShareFlagged(L.weak, chain[i], chain[i + 1]);
                        if (useful) {
                            for (int i = 1; i < depth; i += 2) RemoveFromCommonPeers(s, chain[i], chain[i + 1], d);
                            return 1;
                        }
                        chain[depth] = 0;
                    }
                    if (L.strongEnd[c] && !inChain[c] && ShareStrongOrWeak(L, prev, c)) extended = true;
                }
                if (extended) break;
            }
            if (extended) {
                const int c = cursor[depth];
                chain[depth] = c;
                inChain[c] = true;
                ++depth;
                cursor[depth] = 0;
                continue;
            }
            // This depth is exhausted: take back the previous position and try
            // the next cell there.
            cursor[depth] = 0;
            --depth;
            inChain[chain[depth]] = false;
            ++cursor[depth];
        }
    }
    return 0;
}

}  // namespace gw
