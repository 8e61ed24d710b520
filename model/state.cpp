#include "model/state.h"
#include "model/state_check.h"

namespace gw {

void PlaceDigit(GradeState& s, int digit, int cell) {
    assert(cell >= 0 && cell < 81 && digit >= 1 && digit <= 9);
    // Every technique proves (and trial solving assumes) a digit that is still
    // a candidate; a struck digit would go twice into some unit.
    assert(s.CandFlags(cell, digit));
    s.SolveGrid[cell] = static_cast<std::uint8_t>(digit);
    s.CandMask[cell] = 0;
    const auto clear = static_cast<std::uint16_t>(~DigitBit(digit));
    const int row = RowOf[cell], col = ColOf[cell], box = BoxOf[cell];
    for (int k = 0; k < 9; ++k) {
        s.CandMask[CellAt[k][col]] &= clear;
        s.CandMask[CellAt[row][k]] &= clear;
        s.CandMask[BoxCell[box][k]] &= clear;
    }
    ++s.changes;
    if (std::vector<Change>* log = s.Log())
        log->push_back({'P', static_cast<std::uint8_t>(cell), static_cast<std::uint8_t>(digit)});
}

bool RemoveCandidate(GradeState& s, int digit, int cell) {
    assert(cell >= 0 && cell < 81 && digit >= 1 && digit <= 9);
    const std::uint16_t bit = DigitBit(digit);
    if ((s.CandMask[cell] & bit) == 0) return false;
    s.CandMask[cell] = static_cast<std::uint16_t>(s.CandMask[cell] & ~bit);
    ++s.changes;
    if (std::vector<Change>* log = s.Log())
        log->push_back({'R', static_cast<std::uint8_t>(cell), static_cast<std::uint8_t>(digit)});
    return true;
}

bool RemoveFromCommonPeers(GradeState& s, int cellA, int cellB, int digit) {
    assert(cellA >= 0 && cellA < 81 && cellB >= 0 && cellB < 81 && digit >= 1 && digit <= 9);
    // The peers of cellA in ascending order, kept when they also see cellB.
    bool any = false;
    for (int x : Peers[cellA]) {
        if (x != cellB && Sees(x, cellB)) any = RemoveCandidate(s, digit, x) || any;
    }
    return any;
}

void ResetGradeState(GradeState& s, const Grid& puzzle) {
    s.Givens = puzzle;
    s.memo.Clear();
    s.SolveGrid.fill(0);
    s.CandMask.fill(kAllDigits);
    for (int c = 0; c < 81; ++c)
        if (puzzle[c] > 0) PlaceDigit(s, puzzle[c], c);
}

Position StartOf(const Grid& puzzle) { return {puzzle, puzzle, Masks{}}; }

void ResetGradeState(GradeState& s, const Position& from) {
    s.Givens = from.givens;
    s.memo.Clear();
    s.SolveGrid = from.grid;
    for (int c = 0; c < 81; ++c) {
        if (from.grid[c] != 0) {
            s.CandMask[c] = 0;
            continue;
        }
        std::uint16_t seen = 0;
        for (int p : Peers[c])
            if (from.grid[p] != 0) seen = static_cast<std::uint16_t>(seen | DigitBit(from.grid[p]));
        const std::uint16_t marked = from.marks[c] != 0 ? from.marks[c] : kAllDigits;
        s.CandMask[c] = static_cast<std::uint16_t>(marked & kAllDigits & ~seen);
    }
}

bool IsSolved(const GradeState& s) {
    for (auto v : s.SolveGrid)
        if (v == 0) return false;
    return true;
}

}  // namespace gw

namespace gw {

bool StateIsWhole(const GradeState& s) {
    for (int c = 0; c < 81; ++c) {
        if (s.SolveGrid[c] > 9 || (s.CandMask[c] & ~kAllDigits) != 0) return false;
        if (s.SolveGrid[c] != 0 && s.CandMask[c] != 0) return false;
    }
    for (int u = 0; u < 27; ++u) {
        unsigned placed = 0, candidates = 0;
        for (int k = 0; k < 9; ++k) {
            const int c = UnitCell(u, k);
            candidates |= s.CandMask[c];
            if (s.SolveGrid[c] == 0) continue;
            const unsigned bit = DigitBit(s.SolveGrid[c]);
            if ((placed & bit) != 0) return false;
            placed |= bit;
        }
        if ((placed & candidates) != 0) return false;
    }
    return true;
}

}  // namespace gw
