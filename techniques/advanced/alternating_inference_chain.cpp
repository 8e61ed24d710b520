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

// Each cell as a set of its own: read from a table on the walk's hot path,
// where working it out from the cell costs more.
constexpr std::array<CellSet, 81> kSingleCell = [] {
    std::array<CellSet, 81> t{};
    for (int c = 0; c < 81; ++c) t[c] = CellSet::Of(c);
    return t;
}();

// A cell set without a default value, for tables filled before they are
// read.
struct RawCellSet {
    std::uint64_t lo;
    std::uint64_t hi;
    RawCellSet& operator=(const CellSet& c) {
        lo = c.lo;
        hi = c.hi;
        return *this;
    }
    CellSet Without(const CellSet& o) const { return CellSet{lo, hi}.Without(o); }
};
static_assert(std::is_trivially_default_constructible_v<RawCellSet>);

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
    // Only filled, and only read, for the candidates of the digit: the table
    // is 26 KB, and clearing it on every call cost more than building it.
    std::array<std::array<std::array<RawCellSet, 81>, 10>, 2> next;
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
            for (unsigned m = s.CandMask[c] & kAllDigits; m != 0; m &= m - 1)
                L.bivalueHolds[std::countr_zero(m) + 1].Set(c);
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

        ForEachCell(cand, [&](int p) {
            const auto [r, col, b] = UnitsOfCell[p];
            CellSet strongSet = strongVia[r] | strongVia[col] | strongVia[b];
            CellSet weakSet = weakVia[r] | weakVia[col] | weakVia[b] | (L.bivalueHolds[k] & PeerSet[p]);
            strongSet.Reset(p);
            weakSet.Reset(p);
            L.next[1][k][p] = strongSet;
            L.next[0][k][p] = weakSet;
        });
    }
    for (int c = 0; c < 81; ++c)
        if (L.bivalue[c]) {
            L.inCell[1][c] = s.CandMask[c];
            L.inCell[0][c] = s.CandMask[c];
        }
    for (int j = 1; j <= 9; ++j)
        ForEachCell(L.multiStrongEnd[j], [&](int c) { L.inCell[0][c] |= DigitBit(j); });
}

struct Node {
    int cell = 0;
    int digit = 0;
};

// How a search ended.
enum class Outcome {
    kNothing,       // no pattern from this start; the next start follows
    kLoop,          // a continuous loop removed candidates
    kPlacement,     // a loop through a conjugate pair placed the start digit
    kTarget,        // a chain with strong ends removed a candidate
    kBudgetSpent,   // the cut-offs ran out: the call gives up
};

// The depth-first search from one start node after another, over the links of
// one call. Chains leave their odd positions by weak links and their even
// positions by strong ones, so the search visits the nodes at odd positions
// (reached by a strong link) one call each, and handles the node reached from
// there by a weak link, and the strong links out of it, inside that call: most
// such nodes have one strong link out or none. The used cells travel down by
// value, so nothing is undone on the way back. A step of the search is an
// arrival at a depth or a return to it from a deeper one; each step pumps the
// window's events once (kPumps: the call has a window to keep awake).
template <bool kPumps>
class ChainSearch {
public:
    ChainSearch(GradeState& s, const ChainLinks& links, int limit)
        : s_(s), L_(links), limit_(limit), pump_(s.Yield()) {}

    // Searches every chain from (start, d); the cut-offs count over all
    // starts of the call.
    Outcome FromStart(int d, int start);

private:
    Outcome Visit(int depth, Node tip, CellSet used, bool inCellTip);
    [[gnu::always_inline]] inline bool Counted(Node tip, const CellSet& used, bool inCellTip);
    [[gnu::always_inline]] inline Outcome Strong(int depth, Node from, CellSet used, bool inCellTip);
    [[gnu::always_inline]] inline Outcome TestTip(int depth, Node tip, const CellSet& used);
    bool RemovesOnClosing(int depth) const;
    void Record(int depth, bool loop, bool closingStrong);
    void Pump() const {
        if constexpr (kPumps) pump_->Pump();
    }
    void Pumps(std::int32_t n) const {
        if constexpr (kPumps)
            for (std::int32_t i = 0; i < n; ++i) pump_->Pump();
    }

    GradeState& s_;
    const ChainLinks& L_;
    const int limit_;
    Yielder* const pump_;
    std::int32_t cutOffs_ = 0;

    // The start node and what is tested against it.
    int d_ = 0;
    int start_ = 0;
    std::uint32_t weakD_ = 0;
    // Digits (bit k) of a tip at an odd position for which there are tests to
    // make.
    unsigned testDigits_ = 0;
    // The start digit in the rest of the start's row, when the row is not a
    // conjugate pair: candidates weakly linked to the start node.
    CellSet rowTargets_;
    // The cells that see the start cell.
    CellSet startPeers_;
    // The cells that share with the start cell a unit where the start digit
    // is a conjugate pair: a tip of the start digit there closes a loop.
    CellSet strongMates_;

    // The chain's nodes 0..depth - 1 of the node being visited.
    std::array<Node, 82> chain_{};
};

template <bool kPumps>
Outcome ChainSearch<kPumps>::FromStart(int d, int start) {
    d_ = d;
    start_ = start;
    const std::uint32_t strongD = L_.strong[d];
    weakD_ = L_.weak[d];
    // Candidates weakly linked to the start node: its cell's other digits
    // (multi-value start only) and the start digit in the rest of its row.
    const unsigned startOthers = L_.multi[start] ? s_.CandMask[start] & ~unsigned{DigitBit(d)} : 0u;
    testDigits_ = (1u << d) | (startOthers << 1);
    rowTargets_ = CellSet{};
    if (((strongD >> RowOf[start]) & 1u) == 0)
        rowTargets_ = (L_.cand[d] & UnitSet[RowOf[start]]).Without(CellSet::Of(start));
    startPeers_ = PeerSet[start];
    strongMates_ = CellSet{};
    for (std::uint32_t u = UnitBitsOf[start] & strongD; u != 0; u &= u - 1)
        strongMates_ = strongMates_ | UnitSet[std::countr_zero(u)];
    chain_[0] = {start, d};
    // The start's own return step is not counted: the search ends there.
    return Strong(1, chain_[0], CellSet{}, false);
}

// The node `from` at position depth - 1, reached by a weak link (or the start
// at depth 1): its arrival, its closing test, then the strong links out of it,
// each followed by a visit. `used` holds the cells of positions 0..depth - 2.
template <bool kPumps>
Outcome ChainSearch<kPumps>::Strong(int depth, Node from, CellSet used, bool inCellTip) {
    Pump();
    const int c = from.cell;
    const int j = from.digit;
    unsigned digits = 0;
    CellSet cells;
    if (depth > limit_) {
        // One step beyond the limit: only the closing test runs here.
        if (++cutOffs_ >= kCutOffBudget) return Outcome::kBudgetSpent;
    } else {
        // A cell just entered from another cell is left first through a link
        // inside it (only when it is bivalue); after an in-cell link only to
        // other cells.
        digits = inCellTip ? 0u : L_.inCell[1][c] & ~unsigned{DigitBit(j)};
        cells = L_.next[1][j][c].Without(used);
    }
    // A conjugate link of the start digit back to the start closes a loop.
    if (depth > 1 && j == d_ && strongMates_.Test(c)) {
        Record(depth, true, true);
        PlaceDigit(s_, d_, start_);
        return Outcome::kPlacement;
    }
    used = used | kSingleCell[c];
    const bool atLimit = depth + 1 == limit_;
    for (; digits != 0; digits &= digits - 1) {
        chain_[depth] = {c, std::countr_zero(digits) + 1};
        if (atLimit && Counted(chain_[depth], used, true)) continue;
        if (const Outcome o = Visit(depth + 1, chain_[depth], used, true); o != Outcome::kNothing) return o;
        Pump();
    }
    for (; !cells.Empty(); cells.PopFirst()) {
        chain_[depth] = {cells.First(), j};
        if (atLimit && Counted(chain_[depth], used, false)) continue;
        if (const Outcome o = Visit(depth + 1, chain_[depth], used, false); o != Outcome::kNothing) return o;
        Pump();
    }
    return Outcome::kNothing;
}

// A visit at the limit, done here when it comes to counting: a tip without
// tests of its own, whose weak links all end one step beyond the limit, where
// only a conjugate link of the start digit back to the start acts. Without
// such an end, and with the cut-offs not running out on the way, the visit
// counts one cut-off per link, two steps for each (arrival and return) and two
// for itself, and does nothing else. Returns false, having done nothing, when
// the visit has to be made.
template <bool kPumps>
bool ChainSearch<kPumps>::Counted(Node tip, const CellSet& used, bool inCellTip) {
    const int p = tip.cell;
    const int k = tip.digit;
    if (((testDigits_ >> k) & 1u) != 0) return false;
    const unsigned digits = inCellTip ? 0u : L_.inCell[0][p] & ~unsigned{DigitBit(k)};
    const CellSet cells = L_.next[0][k][p].Without(used);
    // The tip's digit is not the start digit (that one has tests), so only a
    // link inside the cell can reach it.
    if (((digits >> (d_ - 1)) & 1u) != 0 && strongMates_.Test(p)) return false;
    // The links are few: counting them one by one beats a popcount that
    // the plain x86-64 build makes a library call.
    std::int32_t n = BitCount[digits];
    for (std::uint64_t w = cells.lo; w != 0; w &= w - 1) ++n;
    for (std::uint64_t w = cells.hi; w != 0; w &= w - 1) ++n;
    if (cutOffs_ + n >= kCutOffBudget) return false;
    cutOffs_ += n;
    Pumps(2 * n + 2);
    return true;
}

// The node at position depth - 1, reached by a strong link: its arrival, its
// tests, then the weak links out of it.
template <bool kPumps>
Outcome ChainSearch<kPumps>::Visit(int depth, Node tip, CellSet used, bool inCellTip) {
    Pump();
    const int p = tip.cell;
    const int k = tip.digit;
    unsigned digits = 0;
    CellSet cells;
    if (depth > limit_) {
        if (++cutOffs_ >= kCutOffBudget) return Outcome::kBudgetSpent;
    } else {
        // A cell just entered from another cell is left first through a link
        // inside it; after an in-cell link only to other cells.
        digits = inCellTip ? 0u : L_.inCell[0][p] & ~unsigned{DigitBit(k)};
        cells = L_.next[0][k][p].Without(used);
    }
    if (((testDigits_ >> k) & 1u) != 0)
        if (const Outcome o = TestTip(depth, tip, used); o != Outcome::kNothing) return o;
    used = used | kSingleCell[p];
    for (; digits != 0; digits &= digits - 1) {
        chain_[depth] = {p, std::countr_zero(digits) + 1};
        if (const Outcome o = Strong(depth + 1, chain_[depth], used, true); o != Outcome::kNothing) return o;
        Pump();
    }
    for (; !cells.Empty(); cells.PopFirst()) {
        const int c = cells.First();
        chain_[depth] = {c, k};
        if (const Outcome o = Strong(depth + 1, chain_[depth], used, false); o != Outcome::kNothing) return o;
        Pump();
    }
    return Outcome::kNothing;
}

// The tests of a tip at an odd position, past the first, in this order: a
// continuous loop closed by a weak link to the start, then a target.
template <bool kPumps>
Outcome ChainSearch<kPumps>::TestTip(int depth, Node tip, const CellSet& used) {
    const int p = tip.cell;
    const int k = tip.digit;
    if (depth <= 2) return Outcome::kNothing;
    if (k == d_ && startPeers_.Test(p) && (ShareUnit(weakD_, p, start_) || RemovesOnClosing(depth))) {
        chain_[depth] = {start_, d_};
        Record(depth, true, false);
        for (int i = 1; i < depth; i += 2) {
            const Node& a = chain_[i];
            const Node& b = chain_[i + 1];
            if (a.cell == b.cell) {
                for (int x = 1; x <= 9; ++x)
                    if (x != a.digit && x != b.digit) RemoveCandidate(s_, x, a.cell);
            } else {
                RemoveFromCommonPeers(s_, a.cell, b.cell, a.digit);
            }
        }
        return Outcome::kLoop;
    }
    // Target test, cells in ascending order. The chain's own end cell is
    // never a target: its node is one of the two the conclusion rests on.
    if (k == d_) {
        const CellSet hit = (rowTargets_ & PeerSet[p]).Without(used);
        if (!hit.Empty()) {
            Record(depth, false, false);
            RemoveCandidate(s_, d_, hit.First());
            return Outcome::kTarget;
        }
    } else if (startPeers_.Test(p)) {
        Record(depth, false, false);
        RemoveCandidate(s_, k, start_);
        return Outcome::kTarget;
    }
    return Outcome::kNothing;
}

// Whether a weak link among positions 1..depth - 2 removes something once
// the chain closes into a loop: an in-cell link of a multi-value cell, or a
// link between cells that share a unit where its digit is not a conjugate
// pair.
template <bool kPumps>
bool ChainSearch<kPumps>::RemovesOnClosing(int depth) const {
    for (int i = 1; i + 1 <= depth - 2; i += 2) {
        const Node& a = chain_[i];
        const Node& b = chain_[i + 1];
        if (a.cell == b.cell ? L_.multi[a.cell] : ShareUnit(L_.weak[a.digit], a.cell, b.cell)) return true;
    }
    return false;
}

// Explanations: nodes 0..depth - 1, strong links from even positions, weak
// from odd ones; a loop closes back to the start.
template <bool kPumps>
void ChainSearch<kPumps>::Record(int depth, bool loop, bool closingStrong) {
    s_.stepSize.nodes = static_cast<std::uint16_t>(depth);
    if (s_.pattern == nullptr) return;
    PatternChain& ch = s_.pattern->Kind(PatternKind::Chain).Digit(d_).NewChain();
    for (int i = 0; i < depth; ++i) ch.Add(i % 2 == 1, DigitBit(chain_[i].digit), {chain_[i].cell});
    if (loop) ch.strong.push_back(closingStrong);
    ch.loop = loop;
}

}  // namespace

namespace {

// Start digits ascending, then start cells ascending: bivalue cells and
// multi-value strong ends of the digit.
template <bool kPumps>
bool SearchAllStarts(GradeState& s, const ChainLinks& L, int limit) {
    ChainSearch<kPumps> search(s, L, limit);
    Yielder* const pump = s.Yield();
    for (int d = 1; d <= 9; ++d) {
        const CellSet starts = L.bivalueHolds[d] | L.multiStrongEnd[d];
        for (CellSet todo = starts; !todo.Empty(); todo.PopFirst()) {
            if constexpr (kPumps) pump->Pump();
            switch (search.FromStart(d, todo.First())) {
                case Outcome::kNothing:
                    continue;
                case Outcome::kBudgetSpent:
                    return false;
                case Outcome::kLoop:
                case Outcome::kPlacement:
                case Outcome::kTarget:
                    return true;
            }
        }
    }
    return false;
}

}  // namespace

bool TryAlternatingInferenceChain(GradeState& s, const RungParams& params) {
    // Positions are 0..80; a loop closing one step beyond the limit writes
    // position limit + 1.
    const int limit = params.chainLimit > 79 ? 79 : params.chainLimit;
    ChainLinks L;
    BuildLinks(s, L);
    return s.Yield() != nullptr ? SearchAllStarts<true>(s, L, limit) : SearchAllStarts<false>(s, L, limit);
}

}  // namespace gw
