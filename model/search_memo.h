// What the grader's searches learnt from their failures, so that a later call
// can pass over the part it would search in vain.
//
// A search that looks at one digit at a time (fish, locked candidates, kites,
// colouring, X-cycles) finds a pattern for a digit or not depending only on
// where that digit is still a candidate: once it found nothing for a digit
// with a given set of places, it finds nothing for that digit again while the
// places stay the same, and the digit can be passed over without changing
// what the search finds first. A subset search in a unit likewise depends
// only on the unit's nine cells. The memo keeps, per search and digit (or
// unit), the last places with which it found nothing.
//
// These are facts about places, not about the history of a grid: they stay
// true through trials and restored states, under switched-off rungs and
// whether or not patterns are recorded. A memo never needs forgetting to stay
// right; a new grading clears it all the same.
#pragma once

#include <array>
#include <cstdint>

#include "model/cellset.h"

namespace gw {

// The searches that keep a memo per digit.
enum class DigitSearch : std::uint8_t {
    Pointing,
    ClaimingRows,
    ClaimingColumns,
    XWing,
    Swordfish,
    Jellyfish,
    FinnedXWing,
    EmptyRectangle,
    TwoStringKite,
    Skyscraper,
    SimpleColouring,
    MultiColouring,
    XCycle,
    XCycleAnyLength,
    Count
};

// The searches that keep a memo per unit: naked subsets of 2..5 cells, hidden
// subsets of 2 and 3 digits.
enum class UnitSearch : std::uint8_t { NakedPair, NakedTriple, NakedQuad, NakedQuint, HiddenPair, HiddenTriple, Count };

// The candidate places of each digit, indexed by digit 1..9 (entry 0 unused).
using DigitPlaces = std::array<CellSet, 10>;

inline DigitPlaces PlacesOfDigits(const std::array<std::uint16_t, 81>& cand) {
    DigitPlaces places{};
    for (int c = 0; c < 81; ++c)
        for (unsigned m = cand[c] & 511u; m != 0; m &= m - 1) places[std::countr_zero(m) + 1].Set(c);
    return places;
}

// One unit as a unit search sees it: per cell its candidates (bits 0..8) and
// its digit when solved (bits 9..12).
using UnitCells = std::array<std::uint16_t, 9>;

struct SearchMemo {
    // The memo holds each set of places flipped (every bit inverted). No grid
    // has a candidate beyond cell 80 and no unit cell uses the top bits, so a
    // flipped set is never all zeros: a zeroed memo, as it starts, matches
    // nothing before the search has failed once. Zero is also what makes a
    // fresh memo cheap to build, a block cleared rather than thousands of
    // stores in every function that makes a grading state.
    std::array<std::array<CellSet, 10>, static_cast<std::size_t>(DigitSearch::Count)> digitFailed{};
    std::array<std::array<UnitCells, 27>, static_cast<std::size_t>(UnitSearch::Count)> unitFailed{};

    // The digits (bit d for digit d) whose places differ from those the
    // search last failed with: the only ones it needs to look at.
    unsigned DigitsToSearch(DigitSearch search, const DigitPlaces& places) const {
        const auto& failed = digitFailed[static_cast<std::size_t>(search)];
        unsigned todo = 0;
        for (int d = 1; d <= 9; ++d)
            if (places[d].lo != ~failed[d].lo || places[d].hi != ~failed[d].hi) todo |= 1u << d;
        return todo;
    }
    // The search found nothing for any digit with these places.
    void Failed(DigitSearch search, const DigitPlaces& places) {
        auto& failed = digitFailed[static_cast<std::size_t>(search)];
        for (std::size_t d = 0; d < places.size(); ++d) failed[d] = CellSet{~places[d].lo, ~places[d].hi};
    }

    // True when the search found nothing in the unit with these very cells.
    bool UnitFailedBefore(UnitSearch search, int unit, const UnitCells& cells) const {
        const UnitCells& failed = unitFailed[static_cast<std::size_t>(search)][static_cast<std::size_t>(unit)];
        for (std::size_t i = 0; i < cells.size(); ++i)
            if (cells[i] != static_cast<std::uint16_t>(~failed[i])) return false;
        return true;
    }
    void UnitFailed(UnitSearch search, int unit, const UnitCells& cells) {
        UnitCells& failed = unitFailed[static_cast<std::size_t>(search)][static_cast<std::size_t>(unit)];
        for (std::size_t i = 0; i < cells.size(); ++i) failed[i] = static_cast<std::uint16_t>(~cells[i]);
    }

    void Clear() { *this = SearchMemo{}; }
};

}  // namespace gw
