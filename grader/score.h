// The difficulty score: a number finer than the level, worked out from the
// steps of a grading. Its integer part is the level; the fraction, from 0.00
// to 0.99, orders the puzzles of one level from easy to hard by the hardest
// step they needed (its technique and the size of what it used: a chain's
// length, a forcing chain's branches and nodes, an almost-locked set's cells,
// a trial's fill) and by how many steps of that level they needed.
//
// For one puzzle:
//   rating of a step = the rung's base rating (kBaseRating) + its size bonus
//   raw   = the highest step rating, plus (from Kamikaze up)
//           log2(1 + the steps of the puzzle's level)
//   x     = max(0, raw - floor of the level)
//   score = level + x / (x + spread of the level), cut to two decimals
// The score reads nothing but the rungs and sizes that every grading records,
// so it is the same in every front end and every run.
#pragma once

#include <array>
#include <span>
#include <string>
#include <vector>

#include "grader/grader.h"

namespace gw {

// One step as the score sees it.
struct ScoredStep {
    int rung = 0;
    StepSize size{};
};

// The base rating of each rung (index rung - 1), on a scale of about 1 (a
// hidden single) to 9 (a bivalue trial): the harder a person finds the
// technique, the higher.
extern const std::array<double, kRungCount> kBaseRating;

// Where the fraction of each level (index 1..9) starts and how fast it grows:
// a raw figure at the floor scores level.00, one a spread above it level.50.
struct LevelScale {
    double floor;
    double spread;
};
extern const std::array<LevelScale, 10> kLevelScale;

// The number of the lengths 4, 6, 8, 12, 16, 24, 32, 48, 64, 96 and 128 that
// `n` exceeds: a chain gains a bonus at each of them.
int LengthSteps(int n);

// A step's rating: its rung's base rating plus 0.3 for each length step of a
// chain's, cycle's, cluster's or set's nodes; a forcing chain gains 1 for
// each branch beyond two and 0.3 for each length step of its nodes; a trial
// 0.1 for each length step of the passes that fill the grid.
double StepRating(const ScoredStep& step);

// The raw figure of a grading: the highest step rating; from Kamikaze up,
// plus log2 of one more than the number of steps at the puzzle's level (for
// an Outlaw puzzle, at the highest level any step had).
double RawScore(int level, std::span<const ScoredStep> steps);

// The score of a grading of `level` (1..9) with these steps; 0 for level 0
// (a halted grading). Two decimals: level + a fraction 0.00..0.99.
double Score(int level, std::span<const ScoredStep> steps);
double Score(int level, const std::vector<Step>& steps);
double Score(int level, const GradeTrace& trace);

// The score as text, two decimals ("7.43"); "" for 0.
std::string ScoreText(double score);

// A range of scores "6.5-7.2" (either end may be left out: "7-", "-3.5"; a
// single number "7" is the whole level 7.00-7.99). False when it does not
// parse.
struct ScoreRange {
    double low = 0;
    double high = 100;
    bool Contains(double score) const { return score >= low - 1e-9 && score <= high + 1e-9; }
};
bool ParseScoreRange(const std::string& text, ScoreRange& out);

// A grading together with its score.
struct Graded {
    int level = 0;
    double score = 0;
};

// Grades `puzzle` as GradePuzzle does (recording the steps when `steps` is
// given) and scores it.
Graded GradeAndScore(GradeState& s, const Grid& puzzle, std::vector<Step>* steps = nullptr);

}  // namespace gw
