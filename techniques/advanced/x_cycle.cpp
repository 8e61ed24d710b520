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
#include <cstdint>

#include "model/cellset.h"
#include "techniques/techniques.h"

namespace gw {

namespace {

// Strong and weak links of one digit.
struct DigitLinks {
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

void BuildLinks(const GradeState& s, int d, DigitLinks& L) {
    const std::uint16_t bit = DigitBit(d);
    L.cand = CellSet{};
    for (int c = 0; c < 81; ++c)
        if (s.CandMask[c] & bit) L.cand.Set(c);
    L.strong = 0;
    L.weak = 0;
    L.strongEnd = CellSet{};
    for (int u = 0; u < 27; ++u) {
        const CellSet in = L.cand & UnitSet[u];
        if (in.Count() != 2) continue;
        L.strong |= 1u << u;
        // A box pair lying in one row or one column is a strong link but adds
        // no strong ends of its own (its row or column pair is the same link).
        if (u >= 18) {
            const int a = in.First();
            const int b = in.Without(CellSet::Of(a)).First();
            if (RowOf[a] == RowOf[b] || ColOf[a] == ColOf[b]) continue;
        }
        L.strongEnd = L.strongEnd | in;
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

}  // namespace

// Depth-first search per digit. Position 0 is the start cell; odd positions
// are entered through a strong link, even ones through a weak link. Each depth
// scans the cells 0..80 in ascending order, so the lowest digit, then the
// lowest start cell, then the lowest cell at each depth wins. Unless the rung
// allows any length, the chain holds at most 11 cells (positions 0..10).
//
// Everything a depth's scan tests depends only on the chain before it, so the
// cells that would act there are gathered once, on arrival, into a set; every
// later scan of the depth (after a deeper search gave up) takes the next cell
// of that set. One scan is one step of the search.
bool TryXCycle(GradeState& s, const RungParams& params) {
    const bool bounded = !params.anyLength;
    Yielder* const pump = s.Yield();
    DigitLinks L;
    // Only digits whose places changed since the search last found nothing
    // can hold a cycle (model/search_memo.h).
    const DigitSearch search = bounded ? DigitSearch::XCycle : DigitSearch::XCycleAnyLength;
    const DigitPlaces places = PlacesOfDigits(s.CandMask);
    const unsigned digits = s.memo.DigitsToSearch(search, places);
    for (int d = 1; d <= 9; ++d) {
        if (((digits >> d) & 1u) == 0) continue;
        BuildLinks(s, d, L);
        if (L.strongEnd.Empty()) continue;

        // One spare slot for the closing position of an 81-cell loop.
        std::array<int, 82> chain{};
        // Per depth, the cells still to act on (ascending): a cell seeing
        // both chain ends (even depths), then cells that extend the chain.
        std::array<CellSet, 82> eliminate{};
        std::array<CellSet, 82> extend{};
        // At this depth the start cell closes the chain: 2 at odd depths
        // (placement), 1 at even depths (a continuous loop worth acting on).
        std::array<int, 82> closes{};
        // usefulUpTo[i], i even: some weak link among positions 1..i lies in
        // a unit with three or more candidates.
        std::array<bool, 82> usefulUpTo{};
        CellSet inChain;
        CellSet startPeers;
        CellSet starts = L.strongEnd;
        int depth = 0;
        bool arrived = false;
        for (;;) {
            if (pump != nullptr) pump->Pump();
            if (depth == 0) {
                if (starts.Empty()) break;  // next digit
                const int c = starts.First();
                starts.PopFirst();
                chain[0] = c;
                inChain.Set(c);
                startPeers = L.cand & PeerSet[c];
                startPeers.Set(c);
                depth = 1;
                arrived = true;
                continue;
            }
            const int start = chain[0];
            const int prev = chain[depth - 1];
            const bool odd = depth % 2 == 1;
            if (arrived) {
                arrived = false;
                if (bounded && depth > 10) {
                    eliminate[depth] = CellSet{};
                    extend[depth] = CellSet{};
                    closes[depth] = 0;
                } else if (odd) {
                    eliminate[depth] = CellSet{};
                    extend[depth] = OverUnits(L.strongEnds, prev).Without(inChain);
                    closes[depth] = depth > 1 && ShareUnit(L.strong, prev, start) ? 2 : 0;
                } else {
                    extend[depth] = OverUnits(L.linkEnds, prev).Without(inChain);
                    eliminate[depth] = CellSet{};
                    closes[depth] = 0;
                    if (depth > 2) {
                        // A candidate cell off the chain that sees both ends.
                        eliminate[depth] = (startPeers & PeerSet[prev]).Without(inChain);
                        // A continuous loop: act only when some weak link lies
                        // in a unit with three or more candidates, or nothing
                        // would be removed.
                        if (PeerSet[prev].Test(start) &&
                            (usefulUpTo[depth - 2] || ShareUnit(L.weak, prev, start)))
                            closes[depth] = 1;
                    }
                }
            }

            // The first cell of this depth's scan that acts; on one cell the
            // elimination comes before the extension. The start cell is in
            // the chain, so it is never in the other two sets.
            const int e = eliminate[depth].First();
            const int x = extend[depth].First();
            const int first = e < x ? e : x;
            // Explanations: positions 0..depth-1, strong links from even
            // positions, weak from odd ones; a loop closes back to the start.
            const auto record = [&](bool loop, bool closingStrong) {
                PatternChain& ch = s.pattern->Kind(PatternKind::Chain).Digit(d).NewChain();
                for (int i = 0; i < depth; ++i) ch.Add(i % 2 == 1, DigitBit(d), {chain[i]});
                if (loop) ch.strong.push_back(closingStrong);
                ch.loop = loop;
            };
            if (closes[depth] != 0 && start < first) {
                if (s.pattern != nullptr) record(true, closes[depth] == 2);
                if (closes[depth] == 2) {
                    PlaceDigit(s, d, start);
                    return true;
                }
                chain[depth] = start;
                for (int i = 1; i < depth; i += 2) RemoveFromCommonPeers(s, chain[i], chain[i + 1], d);
                return true;
            }
            if (e <= x && e < 81) {
                if (s.pattern != nullptr) record(false, false);
                RemoveCandidate(s, d, e);
                return true;
            }
            if (x < 81) {
                extend[depth].PopFirst();
                chain[depth] = x;
                inChain.Set(x);
                if (!odd) usefulUpTo[depth] = usefulUpTo[depth - 2] || ShareUnit(L.weak, prev, x);
                ++depth;
                arrived = true;
                continue;
            }
            // This depth is exhausted: take back the previous position and try
            // the next cell there.
            --depth;
            inChain.Reset(chain[depth]);
        }
    }
    s.memo.Failed(search, places);
    return false;
}

}  // namespace gw
