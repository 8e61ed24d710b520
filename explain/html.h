// One self-contained page that shows a grading: the puzzle, then a drawn grid
// per step with pencil marks, the pattern highlighted, chain links as lines
// (strong solid, weak dashed), removed candidates struck out, placed digits in
// their own colour, and the step's text beneath. Inline SVG and CSS only.
#pragma once

#include <string>
#include <vector>

#include "explain/explain.h"
#include "explain/unusable.h"

namespace gw::explain {

// Page geometry, in CSS pixels: each section starts with a heading of fixed
// height, then the drawn grids in columns of kGridPx with kGapPx between them,
// kPadPx from the section's edges. Grid k of a section (0 = the puzzle, k = step
// k) sits in column k mod columns, row k div columns.
inline constexpr int kCellPx = 45;
inline constexpr int kBorderPx = 4;
inline constexpr int kGridPx = 9 * kCellPx + 2 * kBorderPx;
inline constexpr int kGapPx = 24;
inline constexpr int kPadPx = 16;
inline constexpr int kHeadingPx = 48;
// The legend at the top of the page, and each section's line of contents
// under its heading: fixed heights.
inline constexpr int kLegendPx = 72;
inline constexpr int kTocPx = 28;

// Where candidate `digit` of `cell` is drawn inside a grid: its centre.
double CandidateX(int cell, int digit);
double CandidateY(int cell, int digit);
// The half side of the square behind a highlighted or struck candidate.
inline constexpr double kMarkHalf = 6;

// Palette (colour-blind safe: the Okabe-Ito hues and pale tints of them).
inline constexpr const char* kStrikeFill = "#f7c7aa";   // behind a removed candidate
inline constexpr const char* kStrikeLine = "#d55e00";   // the stroke through it
inline constexpr const char* kPlacedInk = "#009e73";    // a digit this step places
inline constexpr const char* kSolvedInk = "#0072b2";    // digits placed by earlier steps

// The SVG of one grid: the state `board` before `step` (the puzzle alone when
// step is null).
std::string GridSvg(const Board& board, const Step* step);

// The style of the grid's classes (digits, pencil marks, lines, links), as the
// page sets it.
std::string GridCss();
// The same drawing as GridSvg with that style inside it, for a viewer that
// shows the picture on its own.
std::string StandaloneGridSvg(const Board& board, const Step* step);

// The page is written in three parts, so that a writer can stream it: Head(),
// then one Section per puzzle as soon as it is graded, then Tail(). Text() is
// the whole page of the sections added so far.
class HtmlPage {
public:
    static std::string Head();
    static std::string Tail();
    // The section of one graded puzzle (its input line, the givens, the level,
    // the steps, the difficulty score: below 0, the score of these steps);
    // Add appends it, Append appends one made before.
    static std::string Section(int line, const Grid& puzzle, int level, const std::vector<Step>& steps,
                               double score = -1) {
        return Section(line, Board(puzzle), level, steps, score);
    }
    // The same from where a solver stands (pencil marks).
    static std::string Section(int line, const Board& start, int level, const std::vector<Step>& steps,
                               double score = -1);
    // The section of a line that could not be graded (`text` as read): the
    // reason, and the grids that show it.
    static std::string UnusableSection(int line, const std::string& text, const Unusable& why);
    void Add(int line, const Grid& puzzle, int level, const std::vector<Step>& steps) {
        sections_ += Section(line, puzzle, level, steps);
    }
    void Append(const std::string& section) { sections_ += section; }
    std::string Text() const;
    bool Write(const std::string& path) const;

private:
    std::string sections_;
};

}  // namespace gw::explain
