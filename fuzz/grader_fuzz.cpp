// Arbitrary candidate states through every rung of the ladder, by its entry
// in the ladder table, as trial solving can leave them (contradictions
// included): no crash, no out-of-bounds access, progress only with a change.
// An input of 81 cell characters or more is taken as a puzzle whose givens
// are entered first; any other input is read as two bytes per cell.
#include <cstddef>
#include <cstdint>

#include "grader/grader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    gw::GradeState start;
    bool isPuzzle = size >= 81;
    for (std::size_t c = 0; c < 81 && isPuzzle; ++c)
        isPuzzle = data[c] == '.' || (data[c] >= '0' && data[c] <= '9');
    if (isPuzzle) {
        gw::Grid puzzle{};
        for (int c = 0; c < 81; ++c) puzzle[c] = data[c] == '.' ? 0 : static_cast<std::uint8_t>(data[c] - '0');
        gw::ResetGradeState(start, puzzle);
    } else {
        if (size < 162) return 0;
        for (int c = 0; c < 81; ++c) {
            const unsigned v = data[2 * c] | (static_cast<unsigned>(data[2 * c + 1]) << 8);
            if (v & 0x8000) {
                start.SolveGrid[c] = static_cast<std::uint8_t>(v % 9 + 1);
                if (v & 0x4000) start.Givens[c] = start.SolveGrid[c];
            } else {
                start.CandMask[c] = static_cast<std::uint16_t>(v & gw::kAllDigits);
            }
        }
    }
    for (const gw::Rung& rung : gw::kLadder) {
        gw::GradeState s = start;
        const std::uint64_t before = s.changes;
        if (gw::RunRung(s, rung.number) && s.changes == before) __builtin_trap();
    }
    return 0;
}
