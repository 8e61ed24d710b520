// Pair exclusion through bivalue peers.
//
// Take two unsolved cells A and B, anywhere in the grid, and list every pair
// of digits (A = p, B = q) they could hold together. A pair is impossible when
// A and B share a unit and p = q, or when some bivalue cell {p, q} sees both A
// and B: that cell would lose both of its candidates. A digit of A (or of B)
// that appears in no surviving pair cannot be the cell's digit and goes.
//
// Pairs are scanned A = 0..79, B = A+1..80; the first pair that removes
// anything has all of its removals made, digits ascending, A before B.
#include <array>
#include <cstdint>

#include "model/cellset.h"
#include "techniques/techniques.h"

namespace gw {

namespace {

// Strikes the combinations (A = p, B = q) that cannot stand together and
// returns partners[p], the digits B may still take while A holds p.
std::array<std::uint16_t, 10> Partners(const GradeState& s, int a, int b, CellSet commonBivalue) {
    std::array<std::uint16_t, 10> partners{};
    const std::uint16_t maskA = s.CandMask[a];
    const std::uint16_t maskB = s.CandMask[b];
    const bool shareUnit = Sees(a, b);
    for (int p = 1; p <= 9; ++p) {
        partners[p] = (maskA & DigitBit(p)) ? maskB : 0;
        // Cells of one unit never hold the same digit.
        if (shareUnit) partners[p] = static_cast<std::uint16_t>(partners[p] & ~DigitBit(p));
    }
    // A bivalue cell {p, q} that sees both ends rules out A = p with B = q and
    // A = q with B = p: it would be left without a candidate.
    ForEachCell(commonBivalue, [&](int c) {
        const int p = LowestDigit(s.CandMask[c]);
        const int q = LowestDigit(s.CandMask[c] & ~DigitBit(p));
        partners[p] = static_cast<std::uint16_t>(partners[p] & ~DigitBit(q));
        partners[q] = static_cast<std::uint16_t>(partners[q] & ~DigitBit(p));
    });
    return partners;
}

}  // namespace

bool TryPairExclusion(GradeState& s) {
    // The bivalue cells, from the candidates as they stand at the start of
    // the call.
    CellSet bivalue;
    CellSet unsolved;
    CellSet fewCandidates;  // unsolved, with one candidate or none
    for (int c = 0; c < 81; ++c) {
        if (BitCount[s.CandMask[c]] == 2) bivalue.Set(c);
        if (s.SolveGrid[c] == 0) unsolved.Set(c);
        if (s.SolveGrid[c] == 0 && BitCount[s.CandMask[c]] <= 1) fewCandidates.Set(c);
    }

    for (int a = 0; a < 80; ++a) {
        if (s.SolveGrid[a] != 0) continue;
        const CellSet bivalueSeeingA = bivalue & PeerSet[a];
        // Without a shared unit or a bivalue cell seeing both, every
        // combination stands and nothing can go: B is a peer of A or of a
        // bivalue peer of A, and comes after A. Off A's units, with fewer
        // than two such bivalue peers, B strikes fewer than two pairs: that
        // removes nothing unless A or B has fewer than two candidates.
        CellSet once;
        CellSet twice;
        ForEachCell(bivalueSeeingA, [&](int c) {
            twice = twice | (once & PeerSet[c]);
            once = once | PeerSet[c];
        });
        CellSet reach = PeerSet[a] | (BitCount[s.CandMask[a]] <= 1 ? once : twice | (once & fewCandidates));
        reach &= unsolved;
        reach = reach.Without(a < 64 ? CellSet{(std::uint64_t{2} << a) - 1, 0}
                                     : CellSet{~std::uint64_t{0}, (std::uint64_t{2} << (a - 64)) - 1});
        for (; reach.Any(); reach.PopFirst()) {
            const int b = reach.First();
            const CellSet common = bivalueSeeingA & PeerSet[b];
            if (common.Empty() && !Sees(a, b)) continue;
            // A digit p of A goes only when every candidate of B is struck
            // for it, each by a bivalue cell {p, q} seeing both ends or, for
            // q = p, by a shared unit; a digit of B likewise. With fewer
            // strikes at hand than the smaller cell has candidates, nothing
            // goes.
            const int strikes = common.Count() + (Sees(a, b) ? 1 : 0);
            if (strikes < BitCount[s.CandMask[a]] && strikes < BitCount[s.CandMask[b]]) continue;
            const auto partners = Partners(s, a, b, common);

            std::uint16_t allowedA = 0;
            std::uint16_t allowedB = 0;
            for (int p = 1; p <= 9; ++p) {
                if (partners[p] != 0) allowedA |= DigitBit(p);
                allowedB |= partners[p];
            }
            if ((s.CandMask[a] & ~allowedA) == 0 && (s.CandMask[b] & ~allowedB) == 0) continue;

            bool removed = false;
            for (int d = 1; d <= 9; ++d) {
                if (!(allowedA & DigitBit(d))) removed = RemoveCandidate(s, d, a) || removed;
                if (!(allowedB & DigitBit(d))) removed = RemoveCandidate(s, d, b) || removed;
            }
            if (removed && s.pattern != nullptr) {
                // The pair of cells and the bivalue cells that see both.
                s.pattern->Kind(PatternKind::Exclusion).Cell(a, 0, Role::Base).Cell(b, 0, Role::Base);
                ForEachCell(common, [&](int c) { s.pattern->Cell(c, s.CandMask[c], Role::Link); });
            }
            if (removed) return true;
        }
    }
    return false;
}

}  // namespace gw
