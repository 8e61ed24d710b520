// Grading state: the grader's working grid and candidates, and the three
// primitives through which every technique changes them.
#pragma once

#include <array>
#include <bitset>
#include <cassert>
#include <cstdint>
#include <vector>

#include "model/control.h"
#include "model/pattern.h"
#include "model/search_memo.h"
#include "model/tables.h"

namespace gw {

using Grid = std::array<std::uint8_t, 81>;   // digits 1..9, 0 = empty
using Masks = std::array<std::uint16_t, 81>;  // bit d-1 set while d is a candidate

constexpr std::uint16_t kAllDigits = 511;

// One change made through the primitives, for explanations and soundness checks.
struct Change {
    char kind;           // 'P' placement, 'R' removal, 'T' successful trial assumption
    std::uint8_t cell;   // 0..80
    std::uint8_t digit;  // 1..9
    bool operator==(const Change&) const = default;
};

// How big the pattern of a step was, for the difficulty score: the rung that
// makes progress fills what applies to it (the driver clears it before each
// rung). It stays zero where the rung alone tells the size (fish, subsets,
// wings), and filling it never changes what a search finds.
struct StepSize {
    // A chain's or cycle's nodes (candidates), a colour cluster's candidates,
    // the cells of almost-locked sets, a forcing chain's nodes summed over its
    // branches.
    std::uint16_t nodes = 0;
    // A forcing chain's branches.
    std::uint16_t branches = 0;
    // A trial: the passes by which the ladder fills the grid from the kept
    // assumption, and the assumptions tried before it.
    std::uint16_t fill = 0;
    std::uint16_t tries = 0;
    bool operator==(const StepSize&) const = default;
};

// A set of rungs, bit r for rung r (the ladder, grader/ladder.h, numbers
// them from 1 and checks that they fit).
inline constexpr int kMaxRungs = 64;
using RungSet = std::bitset<kMaxRungs>;

// What a grading run brings from outside the grid: the front end's hooks and
// the user's settings. The caller owns it and points a state at it; a state
// without one runs with no hooks, no log and every rung on. Copies of a state
// point at the same context.
struct GradeRun {
    // Event pump and halt flag; may be left null.
    Yielder* yield = nullptr;
    // When set, every placement and every effective removal is appended here.
    std::vector<Change>* log = nullptr;
    // Rungs switched off by the user: they count as making no progress.
    RungSet disabledRungs{};
};

struct GradeState {
    Grid SolveGrid{};
    Masks CandMask{};
    Grid Givens{};

    // True while trial solving runs the ladder on an assumption; trials do not nest.
    bool inTrial = false;

    // Digit d is still a candidate of the cell (always false for solved cells).
    bool CandFlags(int cell, int d) const {
        assert(cell >= 0 && cell < 81 && d >= 1 && d <= 9);
        return (CandMask[cell] >> (d - 1)) & 1u;
    }

    // The run this state is graded in (hooks and settings); may be left null.
    GradeRun* run = nullptr;
    // Counts every placement and every effective removal. The driver uses it to
    // tell whether a rung that reported progress changed anything at all.
    std::uint64_t changes = 0;
    // A technique may name the exact pattern it used (for example a unique
    // rectangle's type) for explanations; the driver clears it before each rung.
    const char* stepNote = nullptr;
    // The size of the step's pattern, for the difficulty score.
    StepSize stepSize{};
    // When set (an explanation was asked for), the rung that makes progress
    // describes its pattern here; left null, techniques record nothing.
    Pattern* pattern = nullptr;
    // What searches learnt from failing, to pass over digits and units whose
    // places have not changed since (model/search_memo.h).
    SearchMemo memo;

    Yielder* Yield() const { return run != nullptr ? run->yield : nullptr; }
    std::vector<Change>* Log() const { return run != nullptr ? run->log : nullptr; }
    bool RungDisabled(int rung) const {
        return run != nullptr && run->disabledRungs.test(static_cast<std::size_t>(rung));
    }

    void Pump() {
        if (Yielder* y = Yield()) y->Pump();
    }
    bool Halted() const {
        const Yielder* y = Yield();
        return y != nullptr && y->Halted();
    }
    void HaltSeen() const {
        if (const Yielder* y = Yield()) y->HaltSeen();
    }
};

// Puts `digit` into `cell` and strikes it from the cell's row, column and box.
void PlaceDigit(GradeState& s, int digit, int cell);

// Removes one candidate; true when it was there.
bool RemoveCandidate(GradeState& s, int digit, int cell);

// Removes `digit` from every cell other than a and b that sees both a and b.
bool RemoveFromCommonPeers(GradeState& s, int cellA, int cellB, int digit);

// Resets the grading state from a puzzle and enters its givens.
void ResetGradeState(GradeState& s, const Grid& puzzle);

// Where a solver stands in a puzzle: its givens, the digits filled so far
// (the givens among them) and the pencil marks of the open cells. An open
// cell without marks (mask 0) has not been marked yet and counts as holding
// every digit.
struct Position {
    Grid givens{};
    Grid grid{};
    Masks marks{};
};

// The position at the start of a puzzle: only the givens, nothing marked.
Position StartOf(const Grid& puzzle);

// Resets the grading state to a position. An open cell keeps the marks that
// no digit of its row, column or box rules out: a mark left standing beside
// a placed peer is struck as a player strikes it, without any technique.
void ResetGradeState(GradeState& s, const Position& from);

// True when no cell of the working grid is empty.
bool IsSolved(const GradeState& s);

}  // namespace gw
