// XYZ-Wing: a three-candidate pivot {x, y, z} that sees two two-candidate
// pincers {x, z} and {y, z}. If the pivot is not z it is x or y, which forces
// one pincer to z; so z sits in one of the three cells, and a cell that sees
// all three cannot hold it. Every removal of the first productive pattern is
// made before returning.
#include <array>
#include <span>

#include "techniques/combinations.h"
#include "techniques/pair_peers.h"
#include "techniques/techniques.h"

namespace gw {

namespace {

// Marks with true the cells that share a unit with the cell (the cell itself
// included, since it lies in its own units).
std::array<bool, 81> SharesAUnit(int cell) {
    std::array<bool, 81> mark{};
    for (int k = 0; k < 9; ++k) {
        mark[UnitCell(RowUnitOf(cell), k)] = true;
        mark[UnitCell(ColUnitOf(cell), k)] = true;
        mark[UnitCell(BoxUnitOf(cell), k)] = true;
    }
    return mark;
}

// Strikes z from every cell other than p, a and b that shares a unit with
// each of them, in cell order; true when anything was removed.
bool RemoveFromPeersOfAll(GradeState& s, int p, int a, int b, int z) {
    const auto mp = SharesAUnit(p), ma = SharesAUnit(a), mb = SharesAUnit(b);
    bool removed = false;
    for (int c = 0; c < 81; ++c) {
        if (c == p || c == a || c == b) continue;
        if (mp[c] && ma[c] && mb[c]) removed = RemoveCandidate(s, z, c) || removed;
    }
    return removed;
}

}  // namespace

bool TryXYZWing(GradeState& s) {
    const Masks cand = s.CandMask;
    // Only a cell with three candidates can be the pivot; they are visited in
    // cell order.
    std::array<int, 81> threeCandidates{};
    int threeCount = 0;
    for (int p = 0; p < 81; ++p)
        if (BitCount[cand[p]] == 3) threeCandidates[threeCount++] = p;
    // The two-candidate peers of each of them, by digits.
    std::array<std::array<std::uint16_t, 10>, 81> pairs;
    for (int n = 0; n < threeCount; ++n) pairs[static_cast<std::size_t>(n)] = PairsAmongPeers(cand, threeCandidates[n]);

    struct Choice {
        int z;
        std::uint16_t pincerA, pincerB;
    };

    // Digit triples i < j < k in lexicographic order.
    return ForEachCombination(kAllDigits, 3, [&](unsigned digits, std::span<const int> place) {
        const int i = place[0] + 1, j = place[1] + 1, k = place[2] + 1;
        const auto ij = static_cast<std::uint16_t>(DigitBit(i) | DigitBit(j));
        const auto ik = static_cast<std::uint16_t>(DigitBit(i) | DigitBit(k));
        const auto jk = static_cast<std::uint16_t>(DigitBit(j) | DigitBit(k));
        const auto ijk = static_cast<std::uint16_t>(digits);
        // z is the digit both pincers hold.
        const std::array<Choice, 3> choices = {{{i, ij, ik}, {j, ij, jk}, {k, ik, jk}}};
        for (int n = 0; n < threeCount; ++n) {
            const int p = threeCandidates[n];
            if (cand[p] != ijk) continue;
            for (const Choice& ch : choices) {
                // Without a peer {x, z} and a peer {y, z} there is no pincer pair.
                const unsigned others = ijk & ~unsigned{DigitBit(ch.z)};
                if ((pairs[static_cast<std::size_t>(n)][ch.z] & others) != others) continue;
                const bool found = ForEachPincerPair(cand, p, ch.pincerA, ch.pincerB, [&](int a, int b) {
                    if (!RemoveFromPeersOfAll(s, p, a, b, ch.z)) return false;
                    if (s.pattern != nullptr)
                        RecordWing(s, ch.z, p, s.CandMask[p], {{a, s.CandMask[a]}, {b, s.CandMask[b]}});
                    return true;
                });
                if (found) return true;
            }
        }
        return false;
    });
}

}  // namespace gw
