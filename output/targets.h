// The eight output targets: folders, file names, numbering, counting and the
// byte layout of every format.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

#include "model/state.h"

namespace gw {

namespace fs = std::filesystem;

inline constexpr int kMaxPerLevel = 1000;

// A record of the .sds level files: the 81 puzzle bytes, the 81 solution
// bytes, then two 16-bit words of zero.
inline constexpr int kSdsRecordLength = 166;

// The bytes of one puzzle in a target's layout.
using FormatFn = std::string (*)(const Grid& puzzle, const Grid& solution);

struct OutputTarget {
    const char* listText;    // as shown in the target list
    const char* folder;      // subfolder of the base folder
    bool levelFile;          // one file of fixed-length records per level
    bool lineFile;           // a level file of text lines (81 cells and CR LF)
    const char* ext;         // extension of numbered files (with the dot)
    const char* namePrefix;  // level files: the name before the level name
    const char* nameSuffix;  // level files: the name after the level name
    int length;              // record or file length in bytes
    FormatFn format;         // record (level files) or whole file (numbered)
};

extern const std::array<OutputTarget, 8> kTargets;

// True for 0 .. kTargets.size() - 1.
bool ValidTarget(int target);

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

// True when the level of the target takes no further puzzle: 1000 stored, or
// no free record or number is left.
bool LevelFull(const fs::path& base, int target, int level);

// Index of a target from its list text (any case) or its number "0".."7"; -1
// when unknown.
int FindTarget(const std::string& text);

struct SaveResult {
    enum class Kind { Written, Full, Failed, NoTarget } kind = Kind::NoTarget;
    fs::path path;      // the file written (or that failed)
    std::string error;  // reason of a failure
    int errorCode = 0;  // errno of a failure (0 when the reason is not a system error)
};

// Writes the puzzle for `level` (1..9) into the target's next free file or
// record under `base`, whole or not at all, and never over a stored puzzle.
// Writers of one target exclude each other, across processes too, by a file
// lock held while the place is worked out and the bytes are written:
//   - level files: the file is locked; the record goes after the last whole
//     record, replacing only an incomplete final one. A line file edited by
//     hand (LF line ends, no line end after its last puzzle) gets its new line
//     after its last puzzle. Only regular files are written: a symbolic link,
//     FIFO or device named like a level file is refused.
//   - numbered files: the folder is locked; the file is written under a
//     temporary name in the folder and linked to the next free number (from
//     count + 1 up, then the holes below). Temporaries left by a killed writer
//     are removed by the next save into the folder and never counted.
// Where the file system cannot lock, nothing is written and the result says so.
SaveResult SaveSudoku(const fs::path& base, int target, int level, const Grid& puzzle, const Grid& solution);

// True for the name of a temporary file of a numbered-file save.
bool IsTemporaryName(std::string_view name);

}  // namespace gw
