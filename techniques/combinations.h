// The one way the techniques choose k things out of a few: cover lines of a
// fish, digits of a subset or a wing, cells of an almost locked set.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <span>
#include <type_traits>

namespace gw {

// Calls f for every combination of `size` (1 or more) of the set bits of
// `from` (positions 0..15), in lexicographic order of their positions: the lowest position
// varies slowest, as in nested loops a < b < c. f gets the combination as a
// mask of the chosen bits and, if it takes a second argument, the chosen
// positions in ascending order as a std::span<const int>. The walk stops at
// the first call that returns true, and then returns true; false when every
// combination was visited (or there is none).
template <class F>
constexpr bool ForEachCombination(std::uint16_t from, int size, F&& f) {
    std::array<int, 16> place{};  // the positions of the bits of `from`
    int n = 0;
    for (unsigned m = from; m != 0; m &= m - 1) place[n++] = std::countr_zero(m);
    if (size < 1 || size > n) return false;
    std::array<int, 16> idx{};     // the chosen entries of `place`
    std::array<int, 16> chosen{};  // their positions
    for (int i = 0; i < size; ++i) idx[i] = i;
    for (;;) {
        unsigned combo = 0;
        for (int i = 0; i < size; ++i) {
            chosen[i] = place[idx[i]];
            combo |= 1u << chosen[i];
        }
        if constexpr (std::is_invocable_v<F&, unsigned, std::span<const int>>) {
            if (f(combo, std::span<const int>(chosen.data(), static_cast<std::size_t>(size)))) return true;
        } else {
            if (f(combo)) return true;
        }
        // Advance the last entry that can still move, and pack the ones after it.
        int i = size - 1;
        while (i >= 0 && idx[i] == n - size + i) --i;
        if (i < 0) return false;
        ++idx[i];
        for (int j = i + 1; j < size; ++j) idx[j] = idx[j - 1] + 1;
    }
}

}  // namespace gw
