// Every solving technique of the grading ladder, named as players name them.
// Each inspects the grading state and changes it only through PlaceDigit,
// RemoveCandidate and RemoveFromCommonPeers, and returns true when it placed a
// digit or removed at least one candidate, false when it changed nothing.
// A technique that serves several rungs takes that rung's parameters from the
// ladder table (grader/ladder.h).
#pragma once

#include "model/state.h"

namespace gw {

// What distinguishes the rungs that share one technique.
struct RungParams {
    bool naked = false;      // subsets: naked (cells) rather than hidden (digits)
    int size = 0;            // subsets: how many cells or digits
    int chainLimit = 0;      // alternating inference chains: deepest chain position
    bool anyLength = false;  // X-cycles: chains of any length, not only up to 11 cells
};

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
