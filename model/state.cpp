#include "model/state.h"

namespace gw {

void PlaceDigit(GradeState& s, int digit, int cell) {
    s.SolveGrid[cell] = static_cast<std::uint8_t>(digit);
    s.CandMask[cell] = 0;
    const auto clear = static_cast<std::uint16_t>(~DigitBit(digit));
    for (int k = 0; k < 9; ++k) {
        s.CandMask[ColOf[cell] + 9 * k] &= clear;
        s.CandMask[9 * RowOf[cell] + k] &= clear;
    }
    const int start = BoxStartOf[cell];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) s.CandMask[start + i + 9 * j] &= clear;
    ++s.changes;
    if (s.log != nullptr)
        s.log->push_back({'P', static_cast<std::uint8_t>(cell), static_cast<std::uint8_t>(digit)});
}

bool RemoveCandidate(GradeState& s, int digit, int cell) {
    const std::uint16_t bit = DigitBit(digit);
    if ((s.CandMask[cell] & bit) == 0) return false;
    s.CandMask[cell] = static_cast<std::uint16_t>(s.CandMask[cell] & ~bit);
    ++s.changes;
    if (s.log != nullptr)
        s.log->push_back({'R', static_cast<std::uint8_t>(cell), static_cast<std::uint8_t>(digit)});
    return true;
}

bool RemoveFromCommonPeers(GradeState& s, int cellA, int cellB, int digit) {
    // The peers of cellA in ascending order, kept when they also see cellB.
    bool any = false;
    for (int x : Peers[cellA]) {
        if (x != cellB && Sees(x, cellB)) any = RemoveCandidate(s, digit, x) || any;
    }
    return any;
}

void ResetGradeState(GradeState& s, const Grid& puzzle) {
    s.Givens = puzzle;
    s.SolveGrid.fill(0);
    s.CandMask.fill(kAllDigits);
    for (int c = 0; c < 81; ++c)
        if (puzzle[c] > 0) PlaceDigit(s, puzzle[c], c);
}

bool IsSolved(const GradeState& s) {
    for (auto v : s.SolveGrid)
        if (v == 0) return false;
    return true;
}

}  // namespace gw
