// The one way the techniques choose k things out of a few: cover lines of a
// fish, digits of a subset or a wing, cells of an almost locked set.
//
// Everything chosen from lies among nine places (the digits, the lines
// across, the cells of a unit), so every combination is listed once at
// compile time and a walk only reads the list.
#pragma once

#include <array>
#include <bit>
#include <cassert>
#include <cstdint>
#include <span>
#include <type_traits>

#include "model/tables.h"

namespace gw {

// The combinations of k of the places 0..n-1 (n = 0..9, k = 1..n) as bit
// masks: for each n, size 1 first, then size 2, ...; within a size in
// lexicographic order of their places (the lowest place varying slowest, as
// in nested loops a < b < c).
struct CombinationList {
    std::array<std::uint16_t, 1013> masks{};
    // The masks of k of n places: [begin[n][k], begin[n][k + 1]).
    std::array<std::array<int, 11>, 10> begin{};
};

constexpr CombinationList MakeCombinationList() {
    CombinationList t{};
    int at = 0;
    for (int n = 0; n <= 9; ++n) {
        for (int k = 1; k <= n; ++k) {
            t.begin[n][k] = at;
            std::array<int, 9> idx{};
            for (int i = 0; i < k; ++i) idx[i] = i;
            for (;;) {
                unsigned m = 0;
                for (int i = 0; i < k; ++i) m |= 1u << idx[i];
                t.masks[at++] = static_cast<std::uint16_t>(m);
                // Advance the last place that can still move; the ones after
                // it follow on directly.
                int i = k - 1;
                while (i >= 0 && idx[i] == n - k + i) --i;
                if (i < 0) break;
                ++idx[i];
                for (int j = i + 1; j < k; ++j) idx[j] = idx[j - 1] + 1;
            }
        }
        t.begin[n][n + 1] = at;
        if (n == 0) t.begin[0][1] = at;
    }
    return t;
}

inline constexpr CombinationList kCombinations = MakeCombinationList();

// All nine places, as the lines across a fish or the cells of a unit.
inline constexpr std::uint16_t kNinePlaces = 0x1FF;

// Calls f for every combination of `size` (1 or more) of the set bits of
// `from` (bits 0..8), in lexicographic order of their positions: the lowest
// position varies slowest, as in nested loops a < b < c. f gets the
// combination as a mask of the chosen bits and, if it takes a second
// argument, the chosen positions in ascending order as a
// std::span<const int>. The walk stops at the first call that returns true,
// and then returns true; false when every combination was visited (or there
// is none).
template <class F>
constexpr bool ForEachCombination(std::uint16_t from, int size, F&& f) {
    assert(from >> 9 == 0);
    const int n = BitCount[from];
    if (size < 1 || size > n) return false;
    const auto& list = kCombinations;
    const int begin = list.begin[n][size], end = list.begin[n][size + 1];
    // The list holds combinations of the places 0..n-1; when `from` has gaps,
    // each is carried over to the bits of `from`.
    const bool packed = from == (1u << n) - 1;
    // Left unset until written: this runs for every unit or digit of a
    // technique's scan.
    std::array<int, 9> place;  // the positions of the bits of `from`
    if (!packed) {
        int k = 0;
        for (unsigned m = from; m != 0; m &= m - 1) place[k++] = std::countr_zero(m);
    }
    for (int i = begin; i < end; ++i) {
        unsigned combo = list.masks[i];
        if (!packed) {
            unsigned spread = 0;
            for (unsigned m = combo; m != 0; m &= m - 1) spread |= 1u << place[std::countr_zero(m)];
            combo = spread;
        }
        if constexpr (std::is_invocable_v<F&, unsigned, std::span<const int>>) {
            std::array<int, 9> chosen;
            int k = 0;
            for (unsigned m = combo; m != 0; m &= m - 1) chosen[k++] = std::countr_zero(m);
            if (f(combo, std::span<const int>(chosen.data(), static_cast<std::size_t>(size)))) return true;
        } else {
            if (f(combo)) return true;
        }
    }
    return false;
}

}  // namespace gw
