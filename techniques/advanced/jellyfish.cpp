// Jellyfish: the size-four fish on one digit (techniques/fish.h).
//
// When four rows hold a digit only inside the same four columns, those four
// rows place the digit once each, so they take up all four columns: no other
// row can hold the digit in those columns. The same holds with rows and
// columns exchanged. Rows with no candidate of the digit left (the digit is
// placed there) never count as base rows.
#include "techniques/fish.h"
#include "techniques/techniques.h"

namespace gw {

// Rows as base lines for all digits first, then columns; sets of four cover
// lines in lexicographic order.
bool TryJellyfish(GradeState& s) { return FindFish(s, 4, 1); }

}  // namespace gw
