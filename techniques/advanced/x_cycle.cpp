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
//    it through the last link, so the digit goes there (Closure::Placement);
//  - a chain that begins and ends with a strong link: one of its two end cells
//    holds the digit, so a further candidate cell that sees both ends cannot
//    (an elimination);
//  - a continuous loop of alternating links: the strong links pair off the
//    loop's cells, and so do the weak links, so exactly one cell of every weak
//    link holds the digit, and the digit goes from every cell that sees both
//    cells of a weak link (Closure::ContinuousLoop).
#include <algorithm>
#include <array>
#include <cstdint>

#include "model/cellset.h"
#include "techniques/digit_search.h"
#include "techniques/techniques.h"

namespace gw {

namespace {

// Strong and weak links of one digit.
struct CycleLinks {
    CellSet cand;
    CellSet strongEnd;
    // Units (bit u as in UnitSet) holding exactly two candidate cells, and
    // units without a pair that hold two or more strong-end cells (so three or
    // more candidate cells).
    std::uint32_t strong = 0;
    std::uint32_t weak = 0;
    // Per unit, its strong-end cells when the unit is a strong link, and when
    // it is a strong or a weak link.
    std::array<CellSet, 27> strongEnds{};
    std::array<CellSet, 27> linkEnds{};
};

void BuildLinks(const GradeState& s, int d, CycleLinks& L) {
    const ConjugatePairs pairs = ConjugatePairsOf(s, d);
    L.cand = pairs.cand;
    L.strong = pairs.units;
    L.weak = 0;
    L.strongEnd = CellSet{};
    for (int u = 0; u < 27; ++u) {
        if (!pairs.Pair(u)) continue;
        const int a = pairs.First(u), b = pairs.Second(u);
        // A box pair lying in one row or one column is a strong link but adds
        // no strong ends of its own (its row or column pair is the same link).
        if (u >= 18 && (RowOf[a] == RowOf[b] || ColOf[a] == ColOf[b])) continue;
        L.strongEnd = L.strongEnd | CellSet::Of(a) | CellSet::Of(b);
    }
    for (int u = 0; u < 27; ++u) {
        const CellSet ends = L.strongEnd & UnitSet[u];
        if ((L.strong >> u) & 1u) {
            L.strongEnds[u] = ends;
            L.linkEnds[u] = ends;
            continue;
        }
        L.strongEnds[u] = CellSet{};
        if (ends.Count() >= 2) {
            L.weak |= 1u << u;
            L.linkEnds[u] = ends;
        } else {
            L.linkEnds[u] = CellSet{};
        }
    }
}

// The union of a per-unit table over the three units of a cell.
CellSet OverUnits(const std::array<CellSet, 27>& table, int c) {
    return table[RowUnitOf(c)] | table[ColUnitOf(c)] | table[BoxUnitOf(c)];
}

// What closing the chain back on its start cell proves at one depth.
enum class Closure : std::uint8_t {
    None,
    ContinuousLoop,  // even depth: each weak link of the loop holds the digit once
    Placement,       // odd depth: the start cell holds the digit
};

// The depth-first search of one digit. Position 0 is the start cell; odd
// positions are entered through a strong link, even ones through a weak link.
// Each depth scans the cells 0..80 in ascending order, so the lowest start
// cell, then the lowest cell at each depth wins. Unless the rung allows any
// length, the chain holds at most 11 cells (positions 0..10).
//
// Everything a depth's scan tests depends only on the chain before it, so the
// cells that would act there are gathered once, on arrival, into a set; every
// later scan of the depth (after a deeper search gave up) takes the next cell
// of that set. One scan is one step of the search.
class CycleSearch {
public:
    CycleSearch(GradeState& s, int d, const CycleLinks& links, bool bounded)
        : s_(s), d_(d), L_(links), bounded_(bounded) {}

    // True when the search acted on a cycle of its digit.
    bool Run() {
        Yielder* const pump = s_.Yield();
        CellSet starts = L_.strongEnd;
        for (;;) {
            if (pump != nullptr) pump->Pump();
            // Step 1. With no chain left, open one at the next strong-end cell.
            if (depth_ == 0) {
                if (starts.Empty()) return false;
                Open(starts.First());
                starts.PopFirst();
                continue;
            }
            // Step 2. On arriving at a depth, gather what can act there.
            if (arrived_) {
                arrived_ = false;
                Gather();
            }
            // Step 3. Act on the first cell of this depth's scan: the start
            // cell closing the chain, a cell seeing both ends, or a cell that
            // extends the chain (on one cell the elimination comes first; the
            // start cell is in the chain, so it is never in the other two sets).
            const int start = chain_[0];
            const int e = eliminate_[depth_].First();
            const int x = extend_[depth_].First();
            if (closes_[depth_] != Closure::None && start < std::min(e, x)) return Close();
            if (e <= x && e < 81) return Eliminate(e);
            if (x < 81) {
                Extend(x);
                continue;
            }
            // Step 4. This depth is exhausted: take back the previous position
            // and try the next cell there.
            --depth_;
            inChain_.Reset(chain_[depth_]);
        }
    }

private:
    void Open(int c) {
        chain_[0] = c;
        inChain_.Set(c);
        startPeers_ = L_.cand & PeerSet[c];
        startPeers_.Set(c);
        depth_ = 1;
        arrived_ = true;
    }

    void Gather() {
        const int start = chain_[0];
        const int prev = chain_[depth_ - 1];
        eliminate_[depth_] = CellSet{};
        extend_[depth_] = CellSet{};
        closes_[depth_] = Closure::None;
        if (bounded_ && depth_ > 10) return;
        if (depth_ % 2 == 1) {
            extend_[depth_] = OverUnits(L_.strongEnds, prev).Without(inChain_);
            if (depth_ > 1 && ShareUnit(L_.strong, prev, start)) closes_[depth_] = Closure::Placement;
            return;
        }
        extend_[depth_] = OverUnits(L_.linkEnds, prev).Without(inChain_);
        if (depth_ <= 2) return;
        // A candidate cell off the chain that sees both ends.
        eliminate_[depth_] = (startPeers_ & PeerSet[prev]).Without(inChain_);
        // A continuous loop: act only when some weak link lies in a unit with
        // three or more candidates, or nothing would be removed.
        if (PeerSet[prev].Test(start) && (usefulUpTo_[depth_ - 2] || ShareUnit(L_.weak, prev, start)))
            closes_[depth_] = Closure::ContinuousLoop;
    }

    // The chain closes on its start cell: the digit goes into it, or from
    // every cell that sees both cells of one of the loop's weak links.
    bool Close() {
        const int start = chain_[0];
        const bool place = closes_[depth_] == Closure::Placement;
        s_.stepSize.nodes = static_cast<std::uint16_t>(depth_);
        if (s_.pattern != nullptr) Record(true, place);
        if (place) {
            PlaceDigit(s_, d_, start);
            return true;
        }
        chain_[depth_] = start;
        for (int i = 1; i < depth_; i += 2) RemoveFromCommonPeers(s_, chain_[i], chain_[i + 1], d_);
        return true;
    }

    // The chain begins and ends with a strong link: a cell seeing both ends
    // cannot hold the digit.
    bool Eliminate(int cell) {
        s_.stepSize.nodes = static_cast<std::uint16_t>(depth_);
        if (s_.pattern != nullptr) Record(false, false);
        RemoveCandidate(s_, d_, cell);
        return true;
    }

    void Extend(int cell) {
        const int prev = chain_[depth_ - 1];
        extend_[depth_].PopFirst();
        chain_[depth_] = cell;
        inChain_.Set(cell);
        if (depth_ % 2 == 0) usefulUpTo_[depth_] = usefulUpTo_[depth_ - 2] || ShareUnit(L_.weak, prev, cell);
        ++depth_;
        arrived_ = true;
    }

    // Explanations: positions 0..depth-1, strong links from even positions,
    // weak from odd ones; a loop closes back to the start.
    void Record(bool loop, bool closingStrong) {
        PatternChain& ch = s_.pattern->Kind(PatternKind::Chain).Digit(d_).NewChain();
        for (int i = 0; i < depth_; ++i) ch.Add(i % 2 == 1, DigitBit(d_), {chain_[i]});
        if (loop) ch.strong.push_back(closingStrong);
        ch.loop = loop;
    }

    GradeState& s_;
    const int d_;
    const CycleLinks& L_;
    const bool bounded_;
    int depth_ = 0;
    bool arrived_ = false;
    // One spare slot for the closing position of an 81-cell loop.
    std::array<int, 82> chain_{};
    // Per depth, the cells still to act on (ascending): cells seeing both
    // chain ends (even depths), then cells that extend the chain.
    std::array<CellSet, 82> eliminate_{};
    std::array<CellSet, 82> extend_{};
    std::array<Closure, 82> closes_{};
    // usefulUpTo_[i], i even: some weak link among positions 1..i lies in a
    // unit with three or more candidates.
    std::array<bool, 82> usefulUpTo_{};
    CellSet inChain_;
    CellSet startPeers_;
};

}  // namespace

// Digits 1..9 in order, each searched as above; the first that acts ends the
// call. Only digits whose places changed since the search last found nothing
// can hold a cycle (model/search_memo.h).
bool TryXCycle(GradeState& s, const RungParams& params) {
    const bool bounded = !params.anyLength;
    const DigitSearch search = bounded ? DigitSearch::XCycle : DigitSearch::XCycleAnyLength;
    return SearchEachChangedDigit(s, search, [&](int d) {
        CycleLinks links;
        BuildLinks(s, d, links);
        return !links.strongEnd.Empty() && CycleSearch(s, d, links, bounded).Run();
    });
}

}  // namespace gw
