// Wings: which two-candidate cells a pivot has among its peers.
#pragma once

#include <array>
#include <cstdint>

#include "model/state.h"

namespace gw {

// For each digit z (1..9), the digits y (bit y-1) for which some peer of
// `cell` has exactly the candidates {z, y}. A wing needs such a peer for each
// of its pincers: a pivot that lacks one holds no wing of those digits.
inline std::array<std::uint16_t, 10> PairsAmongPeers(const Masks& cand, int cell) {
    std::array<std::uint16_t, 10> with{};
    for (int x : Peers[cell]) {
        const unsigned m = cand[x];
        if (BitCount[m] != 2) continue;
        const int a = LowestDigit(m);
        const int b = LowestDigit(m & ~unsigned{DigitBit(a)});
        with[a] = static_cast<std::uint16_t>(with[a] | DigitBit(b));
        with[b] = static_cast<std::uint16_t>(with[b] | DigitBit(a));
    }
    return with;
}

}  // namespace gw
