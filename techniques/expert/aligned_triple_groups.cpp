// Aligned triple exclusion with witness groups.
//
// Besides single cells, any three cells of the segment's line (or of its box)
// outside the segment, each with two to five candidates, act together as one
// witness: they see one another and all three segment cells, so they need
// three different digits that the segment leaves them. The group strikes an
// assignment when the assignment's three digits and one or two further digits
// add up, as powers of two (digit d counting 2^d), to the mask of the group's
// combined candidates. For a group of four or five digits that is every
// assignment of three of them; when two equal powers make up the next one,
// assignments that use digits outside the group can be struck too, and each
// of those still leaves the group at most two digits.
//
// The test of a group against an assignment is GroupStrikes in
// aligned_triple_exclusion.h: a subtraction and a bit count instead of walking every
// tuple of four or five digits, and every group is visited once whatever the
// order of its cells. Single witnesses, segment order and removals are those
// of the plain rung, so everything the plain rung finds is found here too.
#include "techniques/expert/aligned_triple_exclusion.h"
#include "techniques/techniques.h"

namespace gw {

bool TryAlignedTripleGroups(GradeState& s) { return AlignedTripleExclusion(s, true); }

}  // namespace gw
