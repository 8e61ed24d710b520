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

// Where the walk is: the chain's length, its tip, what is left to try at the
// tip's depth, and the used cells (those the chain has passed through, its tip
// included; each tip is marked on arrival, and a cell's own flag is never
// looked at while it is the tip). Kept apart from the search so that the walk
// holds it in registers.
struct Cursor {
    int depth = 1;
    Node tip;
    unsigned digits = 0;
    CellSet cells;
    CellSet used;
    bool inCellTip = false;  // the tip was reached by a link inside its cell
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
// one call. The search keeps, per depth, what is left to try there: the digits
// of an in-cell link, then the cells of links to other cells (ascending).
// Everything a deeper search changes in the used flags is undone when it
// returns, so both are taken once, on arrival, and then consumed in order, and
// the used flags of a depth are kept with it rather than undone cell by cell.
// The tests of a depth depend only on the chain before it, so they also run
// once, on arrival. A step of the search is an arrival at a depth or a return
// to it from a deeper one; each step pumps the window's events once.
class ChainSearch {
public:
    ChainSearch(GradeState& s, const ChainLinks& links, int limit)
        : s_(s), L_(links), limit_(limit), pump_(s.Yield()) {}

    // Searches every chain from (start, d); the cut-offs count over all
    // starts of the call.
    Outcome FromStart(int d, int start);

private:
    template <bool odd>
    [[gnu::always_inline]] inline Outcome Arrive(Cursor& at);
    template <bool odd>
    [[gnu::always_inline]] inline Outcome TestTip(const Cursor& at, int p, int k);
    template <bool odd>
    [[gnu::always_inline]] inline bool Advance(Cursor& at);
    [[gnu::always_inline]] inline void Resume(Cursor& at) const;
    void Record(const Cursor& at, bool loop, bool closingStrong);
    void Pump() const {
        if (pump_ != nullptr) pump_->Pump();
    }

    GradeState& s_;
    const ChainLinks& L_;
    const int limit_;
    Yielder* const pump_;
    std::int32_t cutOffs_ = 0;

    // The start node and what is tested against it.
    int d_ = 0;
    int start_ = 0;
    std::uint32_t strongD_ = 0;
    std::uint32_t weakD_ = 0;
    // Digits (bit k) of the tip for which a depth has tests to make.
    unsigned testDigits_ = 0;
    // The start digit in the rest of the start's row, when the row is not a
    // conjugate pair: candidates weakly linked to the start node.
    CellSet rowTargets_;
    // The cells that see the start cell.
    CellSet startPeers_;

    // The chain's nodes; the tip is at the cursor's depth - 1.
    std::array<Node, 82> chain_{};
    // usefulUpTo_[i], i even: some weak link among positions 1..i removes
    // something when the chain closes into a loop.
    std::array<bool, 82> usefulUpTo_{};
    std::array<Frame, 82> frames_{};
};

Outcome ChainSearch::FromStart(int d, int start) {
    // Step 1. The start node, and the sets its tests use.
    d_ = d;
    start_ = start;
    strongD_ = L_.strong[d];
    weakD_ = L_.weak[d];
    // Candidates weakly linked to the start node: its cell's other digits
    // (multi-value start only) and the start digit in the rest of its row.
    const unsigned startOthers = L_.multi[start] ? s_.CandMask[start] & ~unsigned{DigitBit(d)} : 0u;
    testDigits_ = (1u << d) | (startOthers << 1);
    rowTargets_ = CellSet{};
    if (((strongD_ >> RowOf[start]) & 1u) == 0)
        rowTargets_ = (L_.cand[d] & UnitSet[RowOf[start]]).Without(CellSet::Of(start));
    startPeers_ = PeerSet[start];
    chain_[0] = {start, d};
    Cursor at;
    at.tip = chain_[0];

    // Step 2. The walk, one step at a time: an arrival at a depth (its tests,
    // then what it may try there) or a return to it from a deeper one; then it
    // goes one deeper or takes back the tip. Odd and even depths have their
    // own copies of each step, and each step names the one after it.
    enum class Step { kArriveOdd, kArriveEven, kReturnOdd, kReturnEven };
    Step step = Step::kArriveOdd;
    for (;;) {
        Pump();
        switch (step) {
            case Step::kArriveOdd:
                if (const Outcome o = Arrive<true>(at); o != Outcome::kNothing) return o;
                break;
            case Step::kReturnOdd:
                Resume(at);
                break;
            case Step::kArriveEven:
                if (const Outcome o = Arrive<false>(at); o != Outcome::kNothing) return o;
                break;
            case Step::kReturnEven:
                Resume(at);
                break;
        }
        // Step 3. One deeper, or back: the depth 0 is the end of this start.
        if (step == Step::kArriveOdd || step == Step::kReturnOdd) {
            if (Advance<true>(at)) step = Step::kArriveEven;
            else if (at.depth == 0) break;
            else step = Step::kReturnEven;
        } else {
            step = Advance<false>(at) ? Step::kArriveOdd : Step::kReturnOdd;
        }
    }
    return Outcome::kNothing;
}

// Arrival at a depth: its sets, then its tests.
template <bool odd>
Outcome ChainSearch::Arrive(Cursor& at) {
    const int p = at.tip.cell;
    const int k = at.tip.digit;
    if (at.depth > limit_) {
        // One step beyond the limit: only the closing and target tests run
        // here.
        at.digits = 0;
        at.cells = CellSet{};
        if (++cutOffs_ >= kCutOffBudget) return Outcome::kBudgetSpent;
    } else {
        // A cell just entered from another cell is left first through a link
        // inside it (a strong one only when it is bivalue); after an in-cell
        // link only to other cells.
        at.digits = at.inCellTip ? 0u : L_.inCell[odd][p] & ~unsigned{DigitBit(k)};
        at.cells = L_.next[odd][k][p].Without(at.used);
    }
    if (((testDigits_ >> k) & 1u) != 0)
        if (const Outcome o = TestTip<odd>(at, p, k); o != Outcome::kNothing) return o;
    // The tip's cell stays used while the search is here or deeper.
    at.used = at.used | CellSet::Of(p);
    frames_[at.depth].used = at.used;
    return Outcome::kNothing;
}

// The closing and target tests of the tip (p, k), in this order: a conjugate
// link back to the start (odd depths); a continuous loop, then a target (even
// depths past the second).
template <bool odd>
Outcome ChainSearch::TestTip(const Cursor& at, int p, int k) {
    const int depth = at.depth;
    if constexpr (odd) {
        if (depth > 1 && k == d_ && ShareUnit(strongD_, p, start_)) {
            Record(at, true, true);
            PlaceDigit(s_, d_, start_);
            return Outcome::kPlacement;
        }
    } else if (depth > 2) {
        if (k == d_ && startPeers_.Test(p)) {
            chain_[depth] = {start_, d_};
            if (usefulUpTo_[depth - 2] || ShareUnit(weakD_, p, start_)) {
                Record(at, true, false);
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
            chain_[depth] = Node{};
        }
        // Target test, cells in ascending order. The chain's own end cell is
        // never a target: its node is one of the two the conclusion rests on.
        if (k == d_) {
            const CellSet hit = (rowTargets_ & PeerSet[p]).Without(at.used);
            if (!hit.Empty()) {
                Record(at, false, false);
                RemoveCandidate(s_, d_, hit.First());
                return Outcome::kTarget;
            }
        } else if (startPeers_.Test(p)) {
            Record(at, false, false);
            RemoveCandidate(s_, k, start_);
            return Outcome::kTarget;
        }
    }
    return Outcome::kNothing;
}

// Back at a depth from a deeper one.
void ChainSearch::Resume(Cursor& at) const {
    const Frame& f = frames_[at.depth];
    at.digits = f.digits;
    at.cells = f.cells;
    at.used = f.used;
}

// The next node at this depth: first a link inside the tip's cell, digits
// ascending, then links to other cells, cells ascending. Returns true when the
// search went one deeper, false when it took back the tip.
template <bool odd>
bool ChainSearch::Advance(Cursor& at) {
    const int p = at.tip.cell;
    const int k = at.tip.digit;
    Node next;
    if (at.digits != 0) {
        next = {p, std::countr_zero(at.digits) + 1};
        at.digits &= at.digits - 1;
        at.inCellTip = true;
        if constexpr (!odd) usefulUpTo_[at.depth] = usefulUpTo_[at.depth - 2] || L_.multi[p];
    } else if (!at.cells.Empty()) {
        const int c = at.cells.First();
        at.cells.PopFirst();
        next = {c, k};
        at.inCellTip = false;
        if constexpr (!odd) usefulUpTo_[at.depth] = usefulUpTo_[at.depth - 2] || ShareUnit(L_.weak[k], p, c);
    } else {
        if (--at.depth > 0) at.tip = chain_[at.depth - 1];
        return false;
    }
    Frame& f = frames_[at.depth];
    f.digits = at.digits;
    f.cells = at.cells;
    chain_[at.depth] = next;
    at.tip = next;
    ++at.depth;
    return true;
}

// Explanations: nodes 0..depth - 1, strong links from even positions, weak
// from odd ones; a loop closes back to the start.
void ChainSearch::Record(const Cursor& at, bool loop, bool closingStrong) {
    s_.stepSize.nodes = static_cast<std::uint16_t>(at.depth);
    if (s_.pattern == nullptr) return;
    PatternChain& ch = s_.pattern->Kind(PatternKind::Chain).Digit(d_).NewChain();
    for (int i = 0; i < at.depth; ++i) ch.Add(i % 2 == 1, DigitBit(chain_[i].digit), {chain_[i].cell});
    if (loop) ch.strong.push_back(closingStrong);
    ch.loop = loop;
}

}  // namespace

bool TryAlternatingInferenceChain(GradeState& s, const RungParams& params) {
    // Positions are 0..80; a loop closing one step beyond the limit writes
    // position limit + 1.
    const int limit = params.chainLimit > 79 ? 79 : params.chainLimit;
    ChainLinks L;
    BuildLinks(s, L);
    ChainSearch search(s, L, limit);
    Yielder* const pump = s.Yield();
    // Start digits ascending, then start cells ascending: bivalue cells and
    // multi-value strong ends of the digit.
    for (int d = 1; d <= 9; ++d) {
        const CellSet starts = L.bivalueHolds[d] | L.multiStrongEnd[d];
        for (CellSet todo = starts; !todo.Empty(); todo.PopFirst()) {
            if (pump != nullptr) pump->Pump();
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

}  // namespace gw
