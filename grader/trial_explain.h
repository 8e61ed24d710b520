// What a bivalue trial shows a solver: why the cell's other candidate fails
// (the steps that lead it into a contradiction) and how the ladder fills the
// grid from the kept assumption. Worked out on scratch states, only when an
// explanation is asked for: a grading without steps never runs this code.
#pragma once

#include <vector>

#include "grader/grader.h"

namespace gw {

// The first contradiction in a grading state, if any, into `p`: a cell
// without candidates, or a digit that has no place left in a unit.
bool FindContradiction(const GradeState& s, Pattern& p);

// The trial's pattern, from the state before it (`grid`, `masks`): the
// assumption `digit` in `cell`, the cell's other candidate and the
// contradiction rungs 1..41 run it into (under the rungs `s` switches off).
void RecordTrial(const GradeState& s, const Grid& grid, const Masks& masks, int digit, int cell, Pattern& p);

// Fills `refutation` and `fill` of the trial step of a grading of `puzzle`
// (the steps as GradePuzzle recorded them), with the rungs the grading
// switched off. The refutation keeps only the steps the contradiction rests
// on: the assumption's placement, every single whose other candidates or
// other places were taken by a kept step, and a harder step with every step
// before it; each kept step follows from the ones before it by the rung that
// made it. Does nothing to a grading without a trial.
void ExplainTrial(const Grid& puzzle, std::vector<Step>& steps, const RungSet& disabled = {});
// The same for a grading that started from a solver's position (GradeFrom).
void ExplainTrial(const Position& from, std::vector<Step>& steps, const RungSet& disabled = {});

}  // namespace gw
