// The levels a grading gives a puzzle, 1 (Easy) to 9 (Outlaw), and their names
// as players and the output folders know them.
#pragma once

#include <array>

namespace gw {

inline constexpr std::array<const char*, 10> kLevelNames = {
    "", "Easy", "Medium", "Hard", "Crazy", "Insane", "Kamikaze", "Extreme", "Mayhem", "Outlaw"};

// Sets of levels are bit masks, bit L for level L.
constexpr unsigned LevelBit(int level) { return 1u << level; }

// Every level a puzzle can have: 1 (Easy) to 9 (Outlaw).
inline constexpr unsigned kAllLevels = LevelBit(static_cast<int>(kLevelNames.size())) - LevelBit(1);
static_assert(kAllLevels == 0x3FEu);

}  // namespace gw
