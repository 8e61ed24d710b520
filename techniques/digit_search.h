// What the searches that look at one digit at a time share: the loop over the
// digits that the memo of fruitless searches (model/search_memo.h) has not
// ruled out, and the conjugate pairs of a digit.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

#include "model/cellset.h"
#include "model/state.h"

namespace gw {

// Runs a one-digit search over the digits whose places changed since it last
// found nothing: `searchDigits(digits)` gets them as a bit set (bit d for
// digit d) and returns true when it acted. When it did not, the memo learns
// that these places hold nothing for this search. `places` are those of the
// state as it is now.
template <class SearchDigits>
bool SearchChangedDigits(GradeState& s, DigitSearch search, const DigitPlaces& places, SearchDigits&& searchDigits) {
    if (searchDigits(s.memo.DigitsToSearch(search, places))) return true;
    s.memo.Failed(search, places);
    return false;
}

template <class SearchDigits>
bool SearchChangedDigits(GradeState& s, DigitSearch search, SearchDigits&& searchDigits) {
    return SearchChangedDigits(s, search, PlacesOfDigits(s.CandMask), searchDigits);
}

// The common case: `tryDigit(d)` for the changed digits in order 1..9, up to
// the first that acts.
template <class TryDigit>
bool SearchEachChangedDigit(GradeState& s, DigitSearch search, TryDigit&& tryDigit) {
    return SearchChangedDigits(s, search, [&](unsigned digits) {
        for (int d = 1; d <= 9; ++d)
            if (((digits >> d) & 1u) != 0 && tryDigit(d)) return true;
        return false;
    });
}

// The conjugate pairs of one digit: every unit (rows 0..8, columns 9..17,
// boxes 18..26) where the digit fits in exactly two cells, one of which holds
// it.
struct ConjugatePairs {
    CellSet cand;              // the digit's candidate cells
    std::uint32_t units = 0;   // bit u: unit u is a conjugate pair
    // Per conjugate unit its two cells in unit order (which is also ascending
    // cell order); unset for the other units.
    std::array<std::array<std::uint8_t, 2>, 27> cells{};

    bool Pair(int unit) const { return ((units >> unit) & 1u) != 0; }
    int First(int unit) const { return cells[static_cast<std::size_t>(unit)][0]; }
    int Second(int unit) const { return cells[static_cast<std::size_t>(unit)][1]; }
    // The other cell of a conjugate unit that holds `cell`.
    int Partner(int unit, int cell) const { return First(unit) == cell ? Second(unit) : First(unit); }
};

inline ConjugatePairs ConjugatePairsOf(const GradeState& s, int d) {
    ConjugatePairs p;
    const std::uint16_t bit = DigitBit(d);
    for (int c = 0; c < 81; ++c)
        if (s.CandMask[c] & bit) p.cand.Set(c);
    for (int u = 0; u < 27; ++u) {
        const CellSet in = p.cand & UnitSet[u];
        if (in.Count() != 2) continue;
        p.units |= 1u << u;
        const int a = in.First();
        p.cells[static_cast<std::size_t>(u)] = {static_cast<std::uint8_t>(a),
                                                 static_cast<std::uint8_t>(in.Without(CellSet::Of(a)).First())};
    }
    return p;
}

}  // namespace gw
