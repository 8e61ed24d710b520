// Why a puzzle cannot be graded, as a solver wants to see it: two of its
// solutions and the cells where they differ, or the unit where a digit
// repeats and the cells that hold it.
#pragma once

#include <string>
#include <vector>

#include "model/state.h"

namespace gw::explain {

struct Unusable {
    std::string reason;        // one line: the reader's or the check's reason, with the details
    bool parsed = false;       // the input is a grid (else only the reason is known)
    Grid puzzle{};
    // Several solutions: two of them, and the cells where they differ.
    bool twoSolutions = false;
    Grid first{}, second{};
    std::vector<int> differ;
    // A digit twice in a unit: the unit (0..26), the digit and its cells.
    int unit = -1;
    int digit = 0;
    std::vector<int> clash;
};

// The details of a puzzle that failed its check with `reason`; `parsed` when
// the reader made a grid of it. A puzzle with several solutions gets two
// different ones (a bounded search, like the check's); one with a digit twice
// in a unit gets the unit, the digit and the cells.
Unusable Diagnose(const Grid& puzzle, const std::string& reason, bool parsed);

}  // namespace gw::explain
