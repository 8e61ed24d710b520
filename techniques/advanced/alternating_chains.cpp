// Alternating inference chains with a length limit.
//
// The nodes are candidates: a cell together with one of its digits. A strong
// link (at least one of its two nodes is true) is either a conjugate pair (a
// unit with exactly two candidate cells of a digit) or the two digits of a
// bivalue cell. A weak link (at most one of its two nodes is true) joins two
// candidate cells of one digit that share a unit, or two digits of one cell.
// The search walks chains that start with a strong link and alternate strong,
// weak, strong, ... and acts on the first of three shapes:
//
//  - a loop closed on its start node by a second conjugate link of the start
//    digit: were the start node false, the alternation would make it true, so
//    the start digit goes into the start cell (result 2);
//  - a chain that begins and ends with a strong link: one of its two end nodes
//    is true, so a candidate weakly linked to both is false (result 3);
//  - a continuous loop: the strong links pair off its nodes, and so do the
//    weak links, so exactly one node of every weak link is true; every other
//    digit of a cell holding an in-cell weak link goes, and so does the digit
//    of a cell-to-cell weak link from every cell that sees both its cells
//    (result 1).
//
// The search is depth-first: start digits ascending, start cells ascending,
// and at each depth first the links inside the tip's cell (digits ascending),
// then the links to other cells (cells ascending). A cell the chain has passed
// through is used and never entered again. `limit` is the deepest position an
// extension may fill; the tests that close a loop or hit a target still run
// one step beyond it. Every arrival beyond the limit counts, and the call
// gives up after 50000 of them, over all start digits together.
#include <array>
#include <bit>
#include <cstdint>

#include "techniques/techniques.h"

namespace gw {

namespace {

// A set of cells 0..80 as two words, so that "the first cell at or after the
// cursor" is one bit scan.
struct CellSet {
    std::uint64_t lo = 0;  // cells 0..63
    std::uint64_t hi = 0;  // cells 64..80

    // Branch-free word selection: the search flips single cells at random
    // places, and keeping both words in registers matters there.
    static constexpr std::uint64_t HighWord(int c) { return std::uint64_t{0} - static_cast<std::uint64_t>(c >> 6); }
    static constexpr std::uint64_t Bit(int c) { return std::uint64_t{1} << (c & 63); }
    constexpr void Set(int c) {
        const std::uint64_t b = Bit(c), h = HighWord(c);
        lo |= b & ~h;
        hi |= b & h;
    }
    constexpr void Reset(int c) {
        const std::uint64_t b = Bit(c), h = HighWord(c);
        lo &= ~(b & ~h);
        hi &= ~(b & h);
    }
    constexpr bool Test(int c) const { return (((lo & ~HighWord(c)) | (hi & HighWord(c))) >> (c & 63)) & 1u; }
    constexpr CellSet operator|(const CellSet& o) const { return {lo | o.lo, hi | o.hi}; }
    constexpr CellSet Without(const CellSet& o) const { return {lo & ~o.lo, hi & ~o.hi}; }
    constexpr CellSet operator&(const CellSet& o) const { return {lo & o.lo, hi & o.hi}; }
    constexpr bool Empty() const { return (lo | hi) == 0; }
    // The lowest cell of a non-empty set.
    int First() const { return lo != 0 ? std::countr_zero(lo) : 64 + std::countr_zero(hi); }
    // The first cell of the set at or after `from` (0..81), or 81 when none.
    int NextFrom(int from) const {
        if (from < 64) {
            const std::uint64_t l = lo & (~std::uint64_t{0} << from);
            if (l != 0) return std::countr_zero(l);
            from = 64;
        }
        if (from >= 81) return 81;
        const std::uint64_t h = hi & (~std::uint64_t{0} << (from - 64));
        return h != 0 ? 64 + std::countr_zero(h) : 81;
    }
};

constexpr std::array<CellSet, 81> kPeerSets = [] {
    std::array<CellSet, 81> p{};
    for (int a = 0; a < 81; ++a)
        for (int b = 0; b < 81; ++b)
            if (Sees(a, b)) p[a].Set(b);
    return p;
}();

constexpr std::int32_t kCutOffBudget = 50000;

// Links of all nine digits, built once per call.
struct ChainLinks {
    std::array<bool, 81> bivalue{};
    std::array<bool, 81> multi{};  // unsolved and not bivalue
    // Indexed by digit 1..9.
    std::array<CellSet, 10> bivalueHolds{};
    std::array<CellSet, 10> strongEnd{};
    std::array<CellSet, 10> multiStrongEnd{};
    // [digit][kind][unit], kind 0 = row, 1 = column, 2 = box.
    std::array<std::array<std::array<bool, 9>, 3>, 10> strong{};
    std::array<std::array<std::array<bool, 9>, 3>, 10> weak{};
    // [digit][cell]: the cells a node (cell, digit) reaches by a conjugate link,
    // and those it reaches by a weak link to another cell.
    std::array<std::array<CellSet, 81>, 10> strongNext{};
    std::array<std::array<CellSet, 81>, 10> weakNext{};
    // Per cell, the digits (bit j-1 for digit j) an in-cell link may move to:
    // strong only inside a bivalue cell; weak to the other digit of a
    // bivalue cell, or to any digit of a multi-value cell that is a strong end
    // of that digit.
    std::array<std::uint16_t, 81> inCellStrong{};
    std::array<std::uint16_t, 81> inCellWeak{};
};

int UnitOf(int kind, int c) { return kind == 0 ? RowOf[c] : kind == 1 ? ColOf[c] : BoxOf[c]; }

// The k-th cell of a unit of the given kind.
int CellOfUnit(int kind, int u, int k) { return kind == 0 ? CellAt[u][k] : kind == 1 ? CellAt[k][u] : BoxCell[u][k]; }

void BuildLinks(const GradeState& s, ChainLinks& L) {
    for (int c = 0; c < 81; ++c) {
        if (s.SolveGrid[c] != 0) continue;
        L.bivalue[c] = BitCount[s.CandMask[c]] == 2;
        L.multi[c] = !L.bivalue[c];
        if (L.bivalue[c])
            for (int k = 1; k <= 9; ++k)
                if (s.CandFlags(c, k)) L.bivalueHolds[k].Set(c);
    }
    for (int k = 1; k <= 9; ++k) {
        auto& strong = L.strong[k];
        auto& weak = L.weak[k];
        CellSet& ends = L.strongEnd[k];
        std::array<std::array<int, 9>, 3> count{};
        for (int c = 0; c < 81; ++c) {
            if (!s.CandFlags(c, k)) continue;
            ++count[0][RowOf[c]];
            ++count[1][ColOf[c]];
            ++count[2][BoxOf[c]];
        }
        // Both cells of a row or column pair are strong ends; a box pair only
        // when its cells differ in row and in column (otherwise its row or
        // column pair is the same link).
        for (int kind = 0; kind < 3; ++kind) {
            for (int u = 0; u < 9; ++u) {
                if (count[kind][u] != 2) continue;
                strong[kind][u] = true;
                int pair[2] = {-1, -1};
                int n = 0;
                for (int i = 0; i < 9; ++i) {
                    const int c = CellOfUnit(kind, u, i);
                    if (s.CandFlags(c, k)) pair[n++] = c;
                }
                if (kind == 2 && (RowOf[pair[0]] == RowOf[pair[1]] || ColOf[pair[0]] == ColOf[pair[1]])) continue;
                ends.Set(pair[0]);
                ends.Set(pair[1]);
            }
        }
        for (int a = 0; a < 80; ++a) {
            if (!ends.Test(a)) continue;
            for (int b = a + 1; b < 81; ++b) {
                if (!ends.Test(b)) continue;
                for (int kind = 0; kind < 3; ++kind) {
                    const int u = UnitOf(kind, a);
                    if (u == UnitOf(kind, b) && !strong[kind][u]) weak[kind][u] = true;
                }
            }
        }
        for (int c = 0; c < 81; ++c)
            if (ends.Test(c) && L.multi[c]) L.multiStrongEnd[k].Set(c);

        // Next-cell sets of every candidate of k.
        for (int p = 0; p < 81; ++p) {
            if (!s.CandFlags(p, k)) continue;
            CellSet strongSet;
            CellSet weakSet = L.bivalueHolds[k] & kPeerSets[p];
            for (int kind = 0; kind < 3; ++kind) {
                const int u = UnitOf(kind, p);
                if (!strong[kind][u] && !weak[kind][u]) continue;
                for (int i = 0; i < 9; ++i) {
                    const int c = CellOfUnit(kind, u, i);
                    if (c == p || !ends.Test(c)) continue;
                    weakSet.Set(c);
                    if (strong[kind][u]) strongSet.Set(c);
                }
            }
            L.strongNext[k][p] = strongSet;
            L.weakNext[k][p] = weakSet;
        }
    }
    for (int c = 0; c < 81; ++c) {
        if (L.bivalue[c]) {
            L.inCellStrong[c] = s.CandMask[c];
            L.inCellWeak[c] = s.CandMask[c];
        } else if (L.multi[c]) {
            for (int j = 1; j <= 9; ++j)
                if (L.strongEnd[j].Test(c)) L.inCellWeak[c] |= DigitBit(j);
        }
    }
}

bool ShareFlagged(const std::array<std::array<bool, 9>, 3>& flags, int a, int b) {
    return (RowOf[a] == RowOf[b] && flags[0][RowOf[a]]) || (ColOf[a] == ColOf[b] && flags[1][ColOf[a]]) ||
           (BoxOf[a] == BoxOf[b] && flags[2][BoxOf[a]]);
}

struct Node {
    int cell = 0;
    int digit = 0;
};

// A weak link of a continuous loop removes something when it lies inside a
// multi-value cell (the cell's other digits go) or in a unit with three or
// more candidates of its digit (the weak flag).
bool UsefulWeakLink(const ChainLinks& L, const Node& a, const Node& b) {
    return a.cell == b.cell ? L.multi[a.cell] : ShareFlagged(L.weak[a.digit], a.cell, b.cell);
}

}  // namespace

int TryAlternatingChains(GradeState& s, int limit, int level) {
    (void)level;
    // Positions are 0..80; a loop closing one step beyond the limit writes
    // position limit + 1.
    if (limit > 79) limit = 79;

    ChainLinks L;
    BuildLinks(s, L);
    std::int32_t cutOffs = 0;

    std::array<Node, 82> chain{};
    // usefulUpTo[i], i even: some weak link among positions 1..i removes
    // something when the chain closes into a loop.
    std::array<bool, 82> usefulUpTo{};
    // Per depth, what is left to try: the digits of an in-cell link, then the
    // cells of links to other cells (ascending). Everything a deeper search
    // changes in the used flags is undone when it returns, so both sets can be
    // taken once and then consumed in order.
    std::array<bool, 82> inCellPhase{};
    std::array<unsigned, 82> digitsLeft{};
    std::array<CellSet, 82> cellsLeft{};

    for (int d = 1; d <= 9; ++d) {
        const CellSet starts = L.bivalueHolds[d] | L.multiStrongEnd[d];
        for (int start = starts.NextFrom(0); start < 81; start = starts.NextFrom(start + 1)) {
            s.Pump();
            // A bivalue start stays open so that the chain may leave it
            // through its other digit.
            CellSet used;
            if (!L.bivalue[start]) used.Set(start);

            // Candidates weakly linked to the start node: its cell's other
            // digits (multi-value start only) and the start digit in the rest
            // of its row (only when the row is not a conjugate pair).
            const std::uint16_t startOthers =
                L.multi[start] ? static_cast<std::uint16_t>(s.CandMask[start] & ~DigitBit(d)) : 0;
            CellSet rowTargets;
            if (!L.strong[d][0][RowOf[start]])
                for (int i = 0; i < 9; ++i) {
                    const int x = CellAt[RowOf[start]][i];
                    if (x != start && s.CandFlags(x, d)) rowTargets.Set(x);
                }

            chain[0] = {start, d};
            int depth = 1;
            // The tests of a depth depend only on the chain up to the node
            // before it, so they run once, on arrival.
            bool arrived = true;
            while (depth > 0) {
                s.Pump();
                const int p = chain[depth - 1].cell;
                const int k = chain[depth - 1].digit;
                const bool odd = depth % 2 == 1;

                if (arrived) {
                    arrived = false;
                    // An open cell (a bivalue cell just entered, or a cell just
                    // entered by a conjugate link) is left first through a
                    // link inside it; a used one only to other cells.
                    inCellPhase[depth] = !used.Test(p);
                    digitsLeft[depth] = (odd ? L.inCellStrong[p] : L.inCellWeak[p]) & ~unsigned{DigitBit(k)};
                    cellsLeft[depth] = CellSet{};
                    if (depth > limit) {
                        // One step beyond the limit: only the closing and
                        // target tests run here.
                        inCellPhase[depth] = false;
                        if (++cutOffs >= kCutOffBudget) return 0;
                    } else if (!inCellPhase[depth]) {
                        cellsLeft[depth] = (odd ? L.strongNext[k][p] : L.weakNext[k][p]).Without(used);
                    }
                    if (odd) {
                        // A conjugate link of the start digit back to the
                        // start cell.
                        if (depth > 1 && k == d && ShareFlagged(L.strong[d], p, start)) {
                            PlaceDigit(s, d, start);
                            return 2;
                        }
                    } else if (depth > 2) {
                        if (k == d && Sees(p, start)) {
                            chain[depth] = {start, d};
                            if (usefulUpTo[depth - 2] || UsefulWeakLink(L, chain[depth - 1], chain[depth])) {
                                for (int i = 1; i < depth; i += 2) {
                                    const Node& a = chain[i];
                                    const Node& b = chain[i + 1];
                                    if (a.cell == b.cell) {
                                        for (int x = 1; x <= 9; ++x)
                                            if (x != a.digit && x != b.digit) RemoveCandidate(s, x, a.cell);
                                    } else {
                                        RemoveFromCommonPeers(s, a.cell, b.cell, a.digit);
                                    }
                                }
                                return 1;
                            }
                            chain[depth] = Node{};
                        }
                        // Target test, cells in ascending order. The chain's
                        // own end cell is never a target: its node is one of
                        // the two the conclusion rests on.
                        if (k == d) {
                            for (int c = rowTargets.NextFrom(0); c < 81; c = rowTargets.NextFrom(c + 1)) {
                                if (used.Test(c)) continue;
                                if (c != p && Sees(p, c)) {
                                    RemoveCandidate(s, d, c);
                                    return 3;
                                }
                            }
                        } else if ((startOthers & DigitBit(k)) != 0 && p != start && Sees(p, start)) {
                            RemoveCandidate(s, k, start);
                            return 3;
                        }
                    }
                }

                // The next node: first a link inside p's cell, digits
                // ascending, then links to other cells, cells ascending.
                Node next;
                bool found = false;
                if (inCellPhase[depth]) {
                    used.Set(p);
                    if (digitsLeft[depth] != 0) {
                        const int j = std::countr_zero(digitsLeft[depth]) + 1;
                        digitsLeft[depth] &= digitsLeft[depth] - 1;
                        next = {p, j};
                        found = true;
                    } else {
                        inCellPhase[depth] = false;
                        cellsLeft[depth] = (odd ? L.strongNext[k][p] : L.weakNext[k][p]).Without(used);
                    }
                }
                if (!found && !cellsLeft[depth].Empty()) {
                    const int c = cellsLeft[depth].First();
                    cellsLeft[depth].Reset(c);
                    // A bivalue cell stays open so that the next link may
                    // leave it through its other digit; a cell entered by a
                    // conjugate link stays open for an in-cell weak link.
                    if (odd || L.bivalue[c]) used.Reset(c);
                    else used.Set(c);
                    next = {c, k};
                    found = true;
                }
                if (found) {
                    chain[depth] = next;
                    if (!odd) usefulUpTo[depth] = usefulUpTo[depth - 2] || UsefulWeakLink(L, chain[depth - 1], next);
                    ++depth;
                    arrived = true;
                    continue;
                }

                // Depth exhausted: take back the previous node.
                --depth;
                used.Reset(chain[depth].cell);
            }
        }
    }
    return 0;
}

}  // namespace gw
