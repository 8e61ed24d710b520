#include "techniques/fish.h"

#include <bit>
#include <cassert>

#include "techniques/combinations.h"
#include "techniques/digit_search.h"
#include "techniques/techniques.h"

namespace gw {

namespace {

// One digit, one orientation.
bool FishOfDigit(GradeState& s, int d, bool rowsAreBase, int size, int fewestInLine) {
    const auto masks = LineMasks(s, d, rowsAreBase);
    // Only a line with `fewestInLine` to `size` candidates fits inside a set
    // of cover lines; the others are passed over, in their order.
    std::array<int, 9> eligible{};
    int eligibleCount = 0;
    for (int line = 0; line < 9; ++line) {
        const int n = BitCount[masks[line]];
        if (n >= fewestInLine && n <= size) eligible[eligibleCount++] = line;
    }
    if (eligibleCount < size) return false;
    return ForEachCombination(kNinePlaces, size, [&](unsigned cover) {
        unsigned baseLines = 0;
        int count = 0;
        for (int k = 0; k < eligibleCount; ++k) {
            const int line = eligible[k];
            if ((masks[line] & ~cover) != 0) continue;
            baseLines |= 1u << line;
            ++count;
        }
        // More lines than cover lines cannot happen in a puzzle with a
        // solution: leave them alone.
        if (count != size || !RemoveFromCoverLines(s, d, rowsAreBase, baseLines, cover)) return false;
        if (s.pattern != nullptr) RecordFish(s, d, rowsAreBase, baseLines, cover);
        return true;
    });
}

}  // namespace

std::array<unsigned, 9> LineMasks(const GradeState& s, int d, bool rowsAreBase) {
    std::array<unsigned, 9> masks{};
    for (int i = 0; i < 9; ++i)
        for (int k = 0; k < 9; ++k)
            if (s.CandFlags(LineCell(rowsAreBase, i, k), d)) masks[i] |= 1u << k;
    return masks;
}

bool RemoveFromCoverLines(GradeState& s, int d, bool rowsAreBase, unsigned baseLines, unsigned coverLines) {
    bool removed = false;
    for (int line = 0; line < 9; ++line) {
        if ((baseLines >> line) & 1u) continue;
        for (unsigned m = coverLines; m != 0; m &= m - 1)
            removed = RemoveCandidate(s, d, LineCell(rowsAreBase, line, std::countr_zero(m))) || removed;
    }
    return removed;
}

bool FindFish(GradeState& s, int size, int fewestInLine) {
    assert(size >= 2 && size <= 4 && fewestInLine >= 1 && fewestInLine <= size);
    // A fish of one digit depends only on that digit's places: the digits
    // whose places are as they were when this search last found nothing
    // hold no fish now either. Each rung's search keeps its own memo.
    const DigitSearch search = size == 2 && fewestInLine == 2   ? DigitSearch::XWing
                               : size == 3 && fewestInLine == 1 ? DigitSearch::Swordfish
                               : size == 4 && fewestInLine == 1 ? DigitSearch::Jellyfish
                                                                : DigitSearch::Count;
    const auto searchDigits = [&](unsigned digits) {
        for (const bool rowsAreBase : {true, false})
            for (int d = 1; d <= 9; ++d)
                if (((digits >> d) & 1u) != 0 && FishOfDigit(s, d, rowsAreBase, size, fewestInLine)) return true;
        return false;
    };
    if (search == DigitSearch::Count) return searchDigits(kAllDigits << 1);
    return SearchChangedDigits(s, search, searchDigits);
}

}  // namespace gw
