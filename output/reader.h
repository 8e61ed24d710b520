// Reads puzzles that users bring: 81-character lines, and every file layout
// Gridwick writes (the nine-line layouts and the raw .sds records).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/state.h"

namespace gw {

struct InputPuzzle {
    int line = 0;       // first line of the puzzle (record number for .sds data)
    std::string text;   // the puzzle as read, 81 characters with '.' for empty when parsed
    Grid grid{};
    std::string error;  // empty when the puzzle parsed and is valid
};

// Splits input into puzzles. Binary data (bytes below 32 other than tab, CR and
// LF) is read as 166-byte records whose first 81 bytes are the puzzle. Text is
// read line by line: blank lines and lines starting with '#' are skipped; a line
// whose first word has 81 cells is one puzzle; lines of nine cells (optionally
// split by '|' into groups of three) gather into a puzzle of nine rows, lines
// of '-' between them are separators.
std::vector<InputPuzzle> ReadPuzzles(std::string_view data);

// Checks a parsed puzzle: no digit twice in a unit, exactly one solution.
// Returns an empty string when valid, else the reason.
std::string CheckPuzzle(const Grid& grid);

// "r5c3" for a cell.
std::string CellName(int cell);

}  // namespace gw
