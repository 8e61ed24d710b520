// Explanations of a grading as players write them: cells as r1c1 (grouped as
// r1c23 where a row or column is shared), boxes as b1, chains in Eureka
// notation, one line per step; the same facts as a JSON object per step; the
// candidate grid before a step.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "grader/grader.h"
#include "model/pattern.h"
#include "model/state.h"

namespace gw::explain {

// "r5c3", "r1" / "c4" / "b9" (units 0..26: rows, columns, boxes).
// A JSON string literal with quotes, backslashes and non-printable bytes escaped.
std::string JsonString(const std::string& s);

std::string Cell(int cell);
std::string Unit(int unit);
// Cells grouped where they share a row or column: "r1c23", "r12c5", "r1c2,r4c7".
std::string Cells(std::vector<int> cells);
// Units of one kind grouped: "r15", "c37"; mixed kinds are listed one by one.
std::string Units(std::vector<int> units);
// "4", "37": the digits of a mask in ascending order.
std::string Digits(unsigned mask);
// One chain in Eureka notation: "(4)r1c2=(4)r1c7-(4)r3c9".
std::string Eureka(const PatternChain& chain);

// The pattern part of a step line, and the result part ("r1c23<>4, r5c5=7").
std::string PatternText(const Step& step);
std::string ResultText(const std::vector<Change>& changes);
// A forcing chain's branches, one line each, node by node from the assumption
// to the common result: "r4c1=3 => r6c2=5 (last 5 in b4) => r2c9<>5".
std::vector<std::string> BranchLines(const Step& step);
// A bivalue trial's refutation, node by node from the cell's other candidate
// to the contradiction: "r3c7=8 => r1c2=6 (last 6 in b1) => r2c3<>6
// (Pointing: 6 in b1 only in r2) => no place left for 6 in c3". Empty unless
// the step carries its refutation (gw::ExplainTrial).
std::string RefutationText(const Step& step);
// One line of a long explanation that a person follows line by line: its
// depth (0 for the steps, 1 for the sub-chains under a step) and its text.
struct Line {
    int depth = 0;
    std::string text;
    bool operator==(const Line&) const = default;
};
// A bivalue trial's refutation as numbered lines, one step a line: "1.
// r3c7=8 (the other candidate)", "2. r3c9=1 (last 1 in b3)", a harder step
// with its technique and pattern and its branches indented under it, then
// the contradiction. Empty unless the step carries its refutation.
std::vector<Line> RefutationLines(const Step& step);
// "Technique: pattern => result" (without number or indent).
std::string StepText(const Step& step);
// The closing lines: techniques used with their counts, and the hardest step
// (for an Outlaw, level 9, the hardest the ladder could take before it
// stopped).
std::vector<std::string> Summary(const std::vector<Step>& steps, int level = 0);

// The pattern as a JSON object: {"kind": ..., "digits": [...], "units": [...],
// "cells": [...], "chains": [...], "note": ...}.
std::string PatternJson(const Pattern& p);

// A step as a JSON object: {"rung": ..., "technique": ..., "level": ...,
// "changes": [["P", cell, digit], ...], "pattern": {...}}, a trial's with its
// "refutation" and "fill" as arrays of steps.
std::string StepJson(const Step& step);
// Steps as a JSON array.
std::string StepsJson(const std::vector<Step>& steps);

// The grading state before each step, rebuilt from the puzzle and the changes.
struct Board {
    Grid grid{};
    Masks masks{};
    std::array<bool, 81> given{};
    explicit Board(const Grid& puzzle);
    // Where a solver stands: the marks as the grading starts from them.
    explicit Board(const Position& from);
    void Apply(const Change& change);
    void Apply(const Step& step) {
        for (const Change& c : step.changes) Apply(c);
    }
};

// What is said under a step's line: a forcing chain's branches and a
// trial's refutation, one line each, node by node. Every view shows these.
std::vector<std::string> StepDetails(const Step& step);

// One picture of an explanation with what is said under it. The frames of a
// grading, in order: the puzzle; each step on the grid it starts from; after
// a trial, its own steps on the grid of the kept assumption ("21.1", ...) and
// the solved grid; the grid where the ladder got stuck.
struct Frame {
    std::string label;               // "21", "21.3"; "" for the puzzle, the solved and the stuck grid
    std::string text;                // the step's line, or "The puzzle", "The solved grid", "Stuck: ..."
    std::vector<std::string> details;  // StepDetails of the step
    Board board;                     // the grid the frame draws
    const Step* step = nullptr;      // the step drawn on it (into the steps given); null for none
    bool solved = false;             // the solved grid after a trial (`step` draws its digits as placed)
    std::size_t top = 0;             // the top-level step it belongs to, 1-based; 0 for the puzzle
};
std::vector<Frame> Frames(const Grid& puzzle, int level, const std::vector<Step>& steps);

// The whole explanation of one grading: "  N. Technique: pattern => result"
// per step (with `grids`, each after the candidate grid it starts from), a
// line where the ladder got stuck followed by that grid, and the summary.
// An Outlaw's (level 9) ends with the grid where the ladder stopped.
std::string ExplanationText(const Grid& puzzle, int level, const std::vector<Step>& steps, bool grids);
// The same from a solver's position.
std::string ExplanationText(const Board& start, int level, const std::vector<Step>& steps, bool grids);
// What an Outlaw's explanation says where the ladder stopped, from the board
// there: "stuck: no rung of the ladder finishes the grid from here, not even
// a trial of each candidate of the 3 two-candidate cells".
std::string StuckLine(const Board& board);
// The nine rows of a grid's digits, 0 for an empty cell.
std::string GridRows(const Grid& grid);
// Only the grid where the ladder got stuck (level 9).
std::string StuckGridText(const Board& start, const std::vector<Step>& steps);

// The pencil-mark grid, nine text lines of 3x3 blocks per cell row group.
std::string CandidateGrid(const Board& board);

}  // namespace gw::explain
