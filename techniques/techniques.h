// Every solving technique of the grading ladder. Each inspects the grading
// state and changes it only through PlaceDigit, RemoveCandidate and
// RemoveFromCommonPeers. Unless noted, a technique returns true when it placed a
// digit or removed at least one candidate, false when it changed nothing.
#pragma once

#include "model/state.h"

namespace gw {

// Level 1: singles.
bool TryHiddenSingle(GradeState& s);
bool TryNakedSingle(GradeState& s);

// Level 2: locked candidates.
bool TryPointing(GradeState& s);
bool TryClaiming(GradeState& s);

// Level 3: naked (naked = true) or hidden subsets of the given size.
bool TrySubset(GradeState& s, bool naked, int size);

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
bool TryWxyzWing(GradeState& s);
// Zero or positive = progress, negative = nothing found.
int TryMultiColoring(GradeState& s);
bool TryFinnedXWing(GradeState& s);
bool TryBivalueColourPropagation(GradeState& s);
bool TryIntersectionSets(GradeState& s);
bool TryPairExclusion(GradeState& s);
bool TryUniqueRectangles(GradeState& s);
bool TryAvoidableRectangles(GradeState& s);
bool TryAlignedPairExclusion(GradeState& s);
bool TryBivalueGravePlusOne(GradeState& s);
// 1, 2 or 3 = progress, anything else = nothing found.
int TryXCycles(GradeState& s, int level);
int TryAlternatingChains(GradeState& s, int limit, int level);

// Levels 7 and 8.
bool TryConjugateXYChain(GradeState& s);
bool TryAlignedTripleExclusion(GradeState& s);
bool TryAlsXZ(GradeState& s);
bool TryFourDigitOpenRowCount(GradeState& s);
bool TryForcingChains(GradeState& s);
bool TryAlignedTripleGroups(GradeState& s);

}  // namespace gw
