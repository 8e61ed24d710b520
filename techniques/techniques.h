// Every solving technique of the grading ladder, named as players name them.
// Each inspects the grading state and changes it only through PlaceDigit,
// RemoveCandidate and RemoveFromCommonPeers, and returns true when it placed a
// digit or removed at least one candidate, false when it changed nothing.
// A technique that serves several rungs takes that rung's parameters from the
// ladder table (grader/ladder.h).
#pragma once

#include <array>
#include <initializer_list>
#include <utility>

#include "model/state.h"

namespace gw {

// What distinguishes the rungs that share one technique.
struct RungParams {
    bool naked = false;      // subsets: naked (cells) rather than hidden (digits)
    int size = 0;            // subsets: how many cells or digits
    int chainLimit = 0;      // alternating inference chains: deepest chain position
    bool anyLength = false;  // X-cycles: chains of any length, not only up to 11 cells
};

// Explanations: the cells of `unit` that hold candidate `digit`, recorded
// into the pattern in the given role (group tells the sides of a pattern apart).
inline void RecordHolders(const GradeState& s, int unit, int digit, Role role, int group = 0) {
    for (int k = 0; k < 9; ++k) {
        const int c = UnitCell(unit, k);
        if (s.CandFlags(c, digit)) s.pattern->Cell(c, DigitBit(digit), role, group);
    }
}

// Explanations: a fish of digit d, its base lines and cover lines as bit sets
// (bit i for row i when rowsAreBase, else for column i) and the candidates on
// its base lines.
inline void RecordFish(const GradeState& s, int d, bool rowsAreBase, unsigned baseLines, unsigned coverLines) {
    Pattern& p = s.pattern->Kind(PatternKind::Fish).Digit(d);
    for (int i = 0; i < 9; ++i)
        if ((baseLines >> i) & 1u) p.Unit(rowsAreBase ? RowUnit(i) : ColUnit(i), Role::Base);
    for (int i = 0; i < 9; ++i)
        if ((coverLines >> i) & 1u) p.Unit(rowsAreBase ? ColUnit(i) : RowUnit(i), Role::Cover);
    for (int i = 0; i < 9; ++i)
        if ((baseLines >> i) & 1u) RecordHolders(s, rowsAreBase ? RowUnit(i) : ColUnit(i), d, Role::Base);
}

// Explanations: a wing, its pivot and pincers with their candidates, and the
// digit z it removes from the cells that see the pincers.
inline void RecordWing(const GradeState& s, int z, int pivot, std::uint16_t pivotDigits,
                       std::initializer_list<std::pair<int, std::uint16_t>> pincers) {
    s.pattern->Kind(PatternKind::Wing).Digit(z).Cell(pivot, pivotDigits, Role::Pivot);
    for (const auto& [cell, digits] : pincers) s.pattern->Cell(cell, digits, Role::Pincer);
}

// Wings: the pincer pairs of a pivot. Pincer a lies in one of the pivot's units
// and pincer b in another, the units tried as (row, column), (row, box),
// (column, row), (column, box), (box, row), (box, column) and each walked in
// its order; a has exactly the candidates `maskA` and b exactly `maskB`
// (read from `cand`). Calls f(a, b) for each pair; stops at the first true.
template <class F>
bool ForEachPincerPair(const Masks& cand, int pivot, std::uint16_t maskA, std::uint16_t maskB, F&& f) {
    const int row = RowUnitOf(pivot), col = ColUnitOf(pivot), box = BoxUnitOf(pivot);
    const std::array<std::array<int, 2>, 6> units = {{
        {row, col}, {row, box}, {col, row}, {col, box}, {box, row}, {box, col},
    }};
    for (const auto& [unitA, unitB] : units) {
        for (int ka = 0; ka < 9; ++ka) {
            const int a = UnitCell(unitA, ka);
            if (cand[a] != maskA) continue;
            for (int kb = 0; kb < 9; ++kb) {
                const int b = UnitCell(unitB, kb);
                if (cand[b] == maskB && f(a, b)) return true;
            }
        }
    }
    return false;
}

// Explanations: two conjugate pairs of digit d joined at one end each, as the
// chain far end = joint - joint = far end.
inline void RecordPairs(const GradeState& s, int d, int farA, int jointA, int jointB, int farB) {
    const std::uint16_t bit = DigitBit(d);
    s.pattern->Kind(PatternKind::Pairs).Digit(d).NewChain().Add(false, bit, {farA}).Add(true, bit, {jointA}).Add(
        false, bit, {jointB}).Add(true, bit, {farB});
}

// Level 1: singles.
bool TryHiddenSingle(GradeState& s);
bool TryNakedSingle(GradeState& s);

// Level 2: locked candidates.
bool TryPointing(GradeState& s);
bool TryClaiming(GradeState& s);

// Level 3: naked or hidden subsets (params.naked, params.size).
bool TrySubset(GradeState& s, const RungParams& params);

// Level 4.
bool TryXWing(GradeState& s);
bool TrySwordfish(GradeState& s);
bool TryBivalueConjugateLoop(GradeState& s);
bool TryEmptyRectangle(GradeState& s);

// Level 5.
bool TryXYWing(GradeState& s);
bool TryTwoStringKite(GradeState& s);
bool TrySkyscraper(GradeState& s);
bool TryXYZWing(GradeState& s);
bool TrySimpleColouring(GradeState& s);

// Level 6.
bool TryJellyfish(GradeState& s);
bool TryWXYZWing(GradeState& s);
bool TryMultiColouring(GradeState& s);
bool TryFinnedXWing(GradeState& s);
bool Try3DMedusa(GradeState& s);
bool TrySueDeCoq(GradeState& s);
bool TryPairExclusion(GradeState& s);
bool TryUniqueRectangle(GradeState& s);
bool TryAvoidableRectangle(GradeState& s);
bool TryAlignedPairExclusion(GradeState& s);
bool TryBugPlusOne(GradeState& s);
bool TryXCycle(GradeState& s, const RungParams& params);
bool TryAlternatingInferenceChain(GradeState& s, const RungParams& params);

// Levels 7 and 8.
bool TryXYChain(GradeState& s);
bool TryAlignedTripleExclusion(GradeState& s);
bool TryAlsXZ(GradeState& s);
bool TryFourDigitRowCount(GradeState& s);
bool TryForcingChain(GradeState& s);
bool TryAlignedTripleGroups(GradeState& s);

// Level 8, the last rung: trial of two-candidate cells (grader/grader.cpp).
bool BivalueTrial(GradeState& s);

}  // namespace gw
