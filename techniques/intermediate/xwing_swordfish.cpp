// X-Wing and Swordfish: single-digit fish over two or three base lines
// (techniques/fish.h).
//
// If a digit's candidates in n base lines (rows, say) all fall within the same
// n cover lines (columns), those n lines must take their n copies of the digit
// in the cover lines, so no other cell of the cover lines can hold it.
#include "techniques/fish.h"
#include "techniques/techniques.h"

namespace gw {

// Two base lines that hold the digit in exactly the same two positions.
bool TryXWing(GradeState& s) { return FindFish(s, 2, 2); }

// Three base lines in which the digit is still possible and only inside the
// same three cover lines.
bool TrySwordfish(GradeState& s) { return FindFish(s, 3, 1); }

}  // namespace gw
