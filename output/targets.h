// The eight output targets: folders, file names, numbering, counting and the
// byte layout of every format.
#pragma once

#include <array>
#include <filesystem>
#include <string>

#include "model/state.h"

namespace gw {

namespace fs = std::filesystem;

inline constexpr int kMaxPerLevel = 1000;

struct OutputTarget {
    const char* listText;  // as shown in the target list
    const char* folder;    // subfolder of the base folder
    bool levelFile;        // one file of fixed-length records per level
    const char* ext;       // extension of numbered files (with the dot)
    int length;            // record or file length in bytes
};

extern const std::array<OutputTarget, 8> kTargets;

// The level file of a level-file target ("YAZ_Sudoku_1_Easy.sds", ...).
std::string LevelFileName(int target, int level);

// The name of numbered file n of a numbered target ("Easy_0001.ss", ...).
std::string NumberedFileName(int target, int level, int n);

fs::path TargetFolder(const fs::path& base, int target);

// Creates the eight target folders under `base`, ignoring every failure.
void CreateOutputFolders(const fs::path& base);

// Files of `folder` whose names match level + "_????" + ext (any four
// characters, letters compared without regard to case).
int CountMatchingFiles(const fs::path& folder, int target, int level);

// A count as the window shows it: up to 15 significant digits, no trailing zeros.
std::string FormatCount(double value);

// The nine level counts of a target as shown, index 0 = Easy.
std::array<std::string, 9> CountSudokus(const fs::path& base, int target);

// The bytes of one puzzle in a target's layout: a record for level-file
// targets, the whole file for numbered ones.
std::string FormatPuzzle(int target, const Grid& puzzle, const Grid& solution);

// True when the level of the target holds its 1000 puzzles (no free record or
// number is left).
bool LevelFull(const fs::path& base, int target, int level);

// Index of a target from its list text (any case) or its number "0".."7"; -1
// when unknown.
int FindTarget(const std::string& text);

struct SaveResult {
    enum class Kind { Written, Full, Failed, NoTarget } kind = Kind::NoTarget;
    fs::path path;      // the file written (or that failed)
    std::string error;  // reason of a failure
    int errorCode = 0;  // errno of a failure
};

// Writes the puzzle for `level` (1..9) into the target's next free file or
// record. Never overwrites a stored puzzle.
SaveResult SaveSudoku(const fs::path& base, int target, int level, const Grid& puzzle, const Grid& solution);

}  // namespace gw
