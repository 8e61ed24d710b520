// XY-Wing: a two-candidate pivot {x, y} that sees two two-candidate pincers
// {x, z} and {y, z}. Whichever digit the pivot takes, one pincer is forced to
// z, so z is struck from every cell that sees both pincers.
#include <array>
#include <span>

#include "techniques/combinations.h"
#include "techniques/pair_peers.h"
#include "techniques/techniques.h"

namespace gw {

bool TryXYWing(GradeState& s) {
    // Candidate sets as they stand at the start of the call; the call ends at
    // its first elimination, so they never need refreshing.
    const Masks cand = s.CandMask;

    // Only a cell with two candidates can be the pivot; they are visited in
    // cell order.
    std::array<int, 81> twoCandidates{};
    int twoCount = 0;
    for (int p = 0; p < 81; ++p)
        if (BitCount[cand[p]] == 2) twoCandidates[twoCount++] = p;
    // The two-candidate peers of each of them, by digits.
    std::array<std::array<std::uint16_t, 10>, 81> pairs;
    for (int n = 0; n < twoCount; ++n) pairs[static_cast<std::size_t>(n)] = PairsAmongPeers(cand, twoCandidates[n]);

    struct Orientation {
        std::uint16_t pivot, pincerA, pincerB;
        int z;
    };

    // Digit triples i < j < k in lexicographic order.
    return ForEachCombination(kAllDigits, 3, [&](unsigned, std::span<const int> place) {
        const int i = place[0] + 1, j = place[1] + 1, k = place[2] + 1;
        const auto ij = static_cast<std::uint16_t>(DigitBit(i) | DigitBit(j));
        const auto ik = static_cast<std::uint16_t>(DigitBit(i) | DigitBit(k));
        const auto jk = static_cast<std::uint16_t>(DigitBit(j) | DigitBit(k));
        // The pivot holds two of the three digits; the digit it lacks is
        // the one both pincers share.
        const std::array<Orientation, 3> orientations = {{
            {ij, ik, jk, k},
            {ik, ij, jk, j},
            {jk, ik, ij, i},
        }};
        for (int n = 0; n < twoCount; ++n) {
            const int p = twoCandidates[n];
            for (const Orientation& o : orientations) {
                if (cand[p] != o.pivot) continue;
                // Without a peer {x, z} and a peer {y, z} there is no pincer pair.
                if ((pairs[static_cast<std::size_t>(n)][o.z] & o.pivot) != o.pivot) continue;
                const bool found = ForEachPincerPair(cand, p, o.pincerA, o.pincerB, [&](int a, int b) {
                    if (!RemoveFromCommonPeers(s, a, b, o.z)) return false;
                    if (s.pattern != nullptr) RecordWing(s, o.z, p, cand[p], {{a, cand[a]}, {b, cand[b]}});
                    return true;
                });
                if (found) return true;
            }
        }
        return false;
    });
}

}  // namespace gw
