// The whole-state check of a grading state: what the primitives keep true
// through every placement and removal, tested at once. The grader asserts it
// after every rung, so a build with asserts on catches a rung that wrote the
// state behind the primitives' back the moment it happens.
#pragma once

#include "model/state.h"

namespace gw {

// True when the state is whole: every mask holds digits only (a candidate's
// flag is its bit of the mask), no solved cell keeps a candidate, no digit
// stands twice in a unit, and no cell of a unit still holds as a candidate a
// digit placed in that unit. A state may be whole and still contradictory
// (a cell without candidates under a wrong trial assumption): that is a fact
// about the puzzle, not a broken state.
bool StateIsWhole(const GradeState& s);

}  // namespace gw
