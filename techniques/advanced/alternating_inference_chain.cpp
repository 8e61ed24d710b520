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
//    the start digit goes into the start cell;
//  - a chain that begins and ends with a strong link: one of its two end nodes
//    is true, so a candidate weakly linked to both is false;
//  - a continuous loop: the strong links pair off its nodes, and so do the
//    weak links, so exactly one node of every weak link is true; every other
//    digit of a cell holding an in-cell weak link goes, and so does the digit
//    of a cell-to-cell weak link from every cell that sees both its cells.
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
#include <type_traits>

#include "model/cellset.h"
#include "techniques/techniques.h"

namespace gw {

namespace {

constexpr std::int32_t kCutOffBudget = 50000;

// Links of all nine digits, built once per call.
struct ChainLinks {
    std::array<bool, 81> bivalue{};
    std::array<bool, 81> multi{};  // unsolved and not bivalue
    // Indexed by digit 1..9.
    std::array<CellSet, 10> cand{};
    std::array<CellSet, 10> bivalueHolds{};
    std::array<CellSet, 10> strongEnd{};
    std::array<CellSet, 10> multiStrongEnd{};
    // Units (bit u as in UnitSet) holding exactly two candidate cells of the
    // digit, and units without a pair that hold two or more strong-end cells.
    std::array<std::uint32_t, 10> strong{};
    std::array<std::uint32_t, 10> weak{};
    // [strong][digit][cell], strong = 1 for a conjugate link, 0 for a weak
    // link to another cell: the cells a node (cell, digit) reaches that way.
    // Only filled for the candidates of the digit.
    std::array<std::array<std::array<CellSet, 81>, 10>, 2> next;
    // [strong][cell]: the digits (bit j-1 for digit j) an in-cell link may
    // move to: strong only inside a bivalue cell; weak to the other digit of a
    // bivalue cell, or to any digit of a multi-value cell that is a strong end
    // of that digit.
    std::array<std::array<std::uint16_t, 81>, 2> inCell{};
};

void BuildLinks(const GradeState& s, ChainLinks& L) {
    CellSet multiCells;
    for (int c = 0; c < 81; ++c) {
        for (unsigned m = s.CandMask[c] & kAllDigits; m != 0; m &= m - 1) L.cand[std::countr_zero(m) + 1].Set(c);
        if (s.SolveGrid[c] != 0) continue;
        L.bivalue[c] = BitCount[s.CandMask[c]] == 2;
        L.multi[c] = !L.bivalue[c];
        if (L.bivalue[c])
            for (int k = 1; k <= 9; ++k)
                if (s.CandFlags(c, k)) L.bivalueHolds[k].Set(c);
        if (L.multi[c]) multiCells.Set(c);
    }
    for (int k = 1; k <= 9; ++k) {
        const CellSet& cand = L.cand[k];
        // Both cells of a row or column pair are strong ends; a box pair only
        // when its cells differ in row and in column (otherwise its row or
        // column pair is the same link).
        std::uint32_t strong = 0;
        CellSet ends;
        for (int u = 0; u < 27; ++u) {
            const CellSet in = cand & UnitSet[u];
            if (in.Count() != 2) continue;
            strong |= 1u << u;
            if (u >= 18) {
                CellSet rest = in;
                const int a = rest.First();
                rest.PopFirst();
                const int b = rest.First();
                if (RowOf[a] == RowOf[b] || ColOf[a] == ColOf[b]) continue;
            }
            ends = ends | in;
        }
        // Per unit, the strong ends a conjugate link and a weak link reach.
        std::uint32_t weak = 0;
        std::array<CellSet, 27> strongVia{};
        std::array<CellSet, 27> weakVia{};
        for (int u = 0; u < 27; ++u) {
            const CellSet in = ends & UnitSet[u];
            if ((strong >> u) & 1u) {
                strongVia[u] = in;
                weakVia[u] = in;
            } else if (in.Count() >= 2) {
                weak |= 1u << u;
                weakVia[u] = in;
            }
        }
        L.strong[k] = strong;
        L.weak[k] = weak;
        L.strongEnd[k] = ends;
        L.multiStrongEnd[k] = ends & multiCells;

        for (int p = 0; p < 81; ++p) {
            if (!cand.Test(p)) continue;
            const auto [r, col, b] = UnitsOfCell[p];
            CellSet strongSet = strongVia[r] | strongVia[col] | strongVia[b];
            CellSet weakSet = weakVia[r] | weakVia[col] | weakVia[b] | (L.bivalueHolds[k] & PeerSet[p]);
            strongSet.Reset(p);
            weakSet.Reset(p);
            L.next[1][k][p] = strongSet;
            L.next[0][k][p] = weakSet;
        }
    }
    for (int c = 0; c < 81; ++c) {
        if (L.bivalue[c]) {
            L.inCell[1][c] = s.CandMask[c];
            L.inCell[0][c] = s.CandMask[c];
        } else if (L.multi[c]) {
            for (int j = 1; j <= 9; ++j)
                if (L.strongEnd[j].Test(c)) L.inCell[0][c] |= DigitBit(j);
        }
    }
}

struct Node {
    int cell = 0;
    int digit = 0;
};

// What is left to try at one depth of the search, and the used cells while
// the search is there or deeper.
struct Frame {
    CellSet cells;  // links to other cells not yet taken, ascending
    CellSet used;   // the used cells, the tip's cell included
    unsigned digits = 0;  // in-cell links not yet taken (bit j-1 for digit j)
};

}  // namespace

// The search keeps, per depth, what is left to try there: the digits of an
// in-cell link, then the cells of links to other cells (ascending). Everything
// a deeper search changes in the used flags is undone when it returns, so both
// are taken once, on arrival, and then consumed in order, and the used flags
// of a depth are kept with it rather than undone cell by cell. The tests of a
// depth depend only on the chain before it, so they also run once, on
// arrival. A step of the search is an arrival at a depth or a return to it
// from a deeper one; each step pumps the window's events once.
bool TryAlternatingInferenceChain(GradeState& s, const RungParams& params) {
    int limit = params.chainLimit;
    // Positions are 0..80; a loop closing one step beyond the limit writes
    // position limit + 1.
    if (limit > 79) limit = 79;

    ChainLinks L;
    BuildLinks(s, L);
    Yielder* const pump = s.Yield();
    std::int32_t cutOffs = 0;

    std::array<Node, 82> chain{};
    // usefulUpTo[i], i even: some weak link among positions 1..i removes
    // something when the chain closes into a loop.
    std::array<bool, 82> usefulUpTo{};
    std::array<Frame, 82> frames{};

    for (int d = 1; d <= 9; ++d) {
        const CellSet starts = L.bivalueHolds[d] | L.multiStrongEnd[d];
        const std::uint32_t strongD = L.strong[d];
        const std::uint32_t weakD = L.weak[d];
        for (CellSet todo = starts; !todo.Empty(); todo.PopFirst()) {
            const int start = todo.First();
            if (pump != nullptr) pump->Pump();
            // The used cells: those the chain has passed through, its tip
            // included. A cell's own flag is never looked at while it is the
            // tip, so each tip is marked on arrival.
            CellSet used;
            // The tip was reached by a link inside its cell.
            bool inCellTip = false;

            // Candidates weakly linked to the start node: its cell's other
            // digits (multi-value start only) and the start digit in the rest
            // of its row (only when the row is not a conjugate pair).
            const unsigned startOthers = L.multi[start] ? s.CandMask[start] & ~unsigned{DigitBit(d)} : 0u;
            // Digits (bit k) of the tip for which a depth has tests to make.
            const unsigned testDigits = (1u << d) | (startOthers << 1);
            CellSet rowTargets;
            if (((strongD >> RowOf[start]) & 1u) == 0)
                rowTargets = (L.cand[d] & UnitSet[RowOf[start]]).Without(CellSet::Of(start));
            const CellSet& startPeers = PeerSet[start];

            chain[0] = {start, d};
            int depth = 1;
            // The node at the tip of the chain (position depth - 1), and what
            // is left to try at this depth.
            Node tip = chain[0];
            unsigned digits = 0;
            CellSet cells;

            // Arrival at a depth: its sets, then its tests. Returns 0 to go on,
            // 1 (loop), 2 (placement) or 3 (target) when a test acted, or -1
            // when the cut-offs ran out.
            // Explanations: nodes 0..depth-1, strong links from even
            // positions, weak from odd ones; a loop closes back to the start.
            const auto record = [&](bool loop, bool closingStrong) {
                if (s.pattern == nullptr) return;
                PatternChain& ch = s.pattern->Kind(PatternKind::Chain).Digit(d).NewChain();
                for (int i = 0; i < depth; ++i) ch.Add(i % 2 == 1, DigitBit(chain[i].digit), {chain[i].cell});
                if (loop) ch.strong.push_back(closingStrong);
                ch.loop = loop;
            };
            const auto arrive = [&](auto oddDepth) -> int {
                constexpr bool odd = decltype(oddDepth)::value;
                const int p = tip.cell;
                const int k = tip.digit;
                if (depth > limit) {
                    // One step beyond the limit: only the closing and target
                    // tests run here.
                    digits = 0;
                    cells = CellSet{};
                    if (++cutOffs >= kCutOffBudget) return -1;
                } else {
                    // A cell just entered from another cell is left first
                    // through a link inside it (a strong one only when it is
                    // bivalue); after an in-cell link only to other cells.
                    digits = inCellTip ? 0u : L.inCell[odd][p] & ~unsigned{DigitBit(k)};
                    cells = L.next[odd][k][p].Without(used);
                }
                if (((testDigits >> k) & 1u) != 0) {
                    if constexpr (odd) {
                        // A conjugate link of the start digit back to the
                        // start cell.
                        if (depth > 1 && k == d && ShareUnit(strongD, p, start)) {
                            record(true, true);
                            PlaceDigit(s, d, start);
                            return 2;
                        }
                    } else if (depth > 2) {
                        if (k == d && startPeers.Test(p)) {
                            chain[depth] = {start, d};
                            if (usefulUpTo[depth - 2] || ShareUnit(weakD, p, start)) {
                                record(true, false);
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
                            const CellSet hit = (rowTargets & PeerSet[p]).Without(used);
                            if (!hit.Empty()) {
                                record(false, false);
                                RemoveCandidate(s, d, hit.First());
                                return 3;
                            }
                        } else if (startPeers.Test(p)) {
                            record(false, false);
                            RemoveCandidate(s, k, start);
                            return 3;
                        }
                    }
                }
                // The tip's cell stays used while the search is here or
                // deeper.
                used = used | CellSet::Of(p);
                frames[depth].used = used;
                return 0;
            };
            // Back at a depth from a deeper one.
            const auto resume = [&] {
                const Frame& f = frames[depth];
                digits = f.digits;
                cells = f.cells;
                used = f.used;
            };
            // The next node at this depth: first a link inside the tip's
            // cell, digits ascending, then links to other cells, cells
            // ascending. Returns true when the search went one deeper, false
            // when it took back the tip.
            const auto advance = [&](auto oddDepth) -> bool {
                constexpr bool odd = decltype(oddDepth)::value;
                const int p = tip.cell;
                const int k = tip.digit;
                Node next;
                if (digits != 0) {
                    next = {p, std::countr_zero(digits) + 1};
                    digits &= digits - 1;
                    inCellTip = true;
                    if constexpr (!odd) usefulUpTo[depth] = usefulUpTo[depth - 2] || L.multi[p];
                } else if (!cells.Empty()) {
                    const int c = cells.First();
                    cells.PopFirst();
                    next = {c, k};
                    inCellTip = false;
                    if constexpr (!odd) usefulUpTo[depth] = usefulUpTo[depth - 2] || ShareUnit(L.weak[k], p, c);
                } else {
                    if (--depth > 0) tip = chain[depth - 1];
                    return false;
                }
                Frame& f = frames[depth];
                f.digits = digits;
                f.cells = cells;
                chain[depth] = next;
                tip = next;
                ++depth;
                return true;
            };
            constexpr std::true_type kOdd{};
            constexpr std::false_type kEven{};

            // The search steps, one pass of the event pump each (an arrival,
            // or a return from a deeper position). Odd and even depths have
            // their own copies of the step.
        arriveOdd:
            if (pump != nullptr) pump->Pump();
            if (const int r = arrive(kOdd); r != 0) return r > 0;
        advanceOdd:
            if (advance(kOdd)) goto arriveEven;
            if (depth == 0) continue;  // next start
            goto returnEven;
        returnOdd:
            if (pump != nullptr) pump->Pump();
            resume();
            goto advanceOdd;
        arriveEven:
            if (pump != nullptr) pump->Pump();
            if (const int r = arrive(kEven); r != 0) return r > 0;
        advanceEven:
            if (advance(kEven)) goto arriveOdd;
            goto returnOdd;
        returnEven:
            if (pump != nullptr) pump->Pump();
            resume();
            goto advanceEven;
        }
    }
    return false;
}

}  // namespace gw
