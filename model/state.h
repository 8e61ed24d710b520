// Grading state: the grader's working grid and candidates, and the three
// primitives through which every technique changes them.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <vector>

#include "model/control.h"
#include "model/pattern.h"
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

constexpr int kRungCount = 42;

struct GradeState {
    Grid SolveGrid{};
    Masks CandMask{};
    Grid Givens{};

    // Undo record of trial solving (one level: trials do not nest).
    Grid SavedSolveGrid{};
    Masks SavedCandMask{};

    // Digit d is still a candidate of the cell (always false for solved cells).
    bool CandFlags(int cell, int d) const { return (CandMask[cell] >> (d - 1)) & 1u; }

    // Front-end hooks; may be left null.
    Yielder* yield = nullptr;
    // When set, every placement and every effective removal is appended here.
    std::vector<Change>* log = nullptr;
    // Counts every placement and every effective removal. The driver uses it to
    // tell whether a rung that reported progress changed anything at all.
    std::uint64_t changes = 0;
    // Rungs (1..42) switched off by the user: they count as making no progress.
    std::bitset<kRungCount + 1> disabledRungs;
    // A technique may name the exact pattern it used (for example a unique
    // rectangle's type) for explanations; the driver clears it before each rung.
    const char* stepNote = nullptr;
    // When set (an explanation was asked for), the rung that makes progress
    // describes its pattern here; left null, techniques record nothing.
    Pattern* pattern = nullptr;

    void Pump() {
        if (yield != nullptr) yield->Pump();
    }
    bool Halted() const { return yield != nullptr && yield->Halted(); }
    void HaltSeen() const {
        if (yield != nullptr) yield->HaltSeen();
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

// True when no cell of the working grid is empty.
bool IsSolved(const GradeState& s);

}  // namespace gw
