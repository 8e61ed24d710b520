// Collections of puzzles on disk: the files and folders Gridwick writes (the
// level of a stored puzzle is in its file name) and plain puzzle files.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "output/reader.h"

namespace gw {

namespace fs = std::filesystem;

// The target and level of a file name Gridwick writes ("YAZ_Sudoku_1_Hard.sds",
// "Easy_0001.ss", "Sudoku_Kamikaze_.txt", ...; letters in any case). False for
// any other name. "Easy_0001.txt" is a "Sudoku Explainer" file.
bool StoredName(const std::string& fileName, int& target, int& level);

struct StoredFile {
    fs::path path;
    int target = -1;  // -1: a plain puzzle file
    int level = 0;    // 1..9 from the name of a stored file, else 0
};

// True for the name of a file that holds puzzles: the extensions the targets
// write, and .csv and .sdm lists. Hidden files and temporaries are not.
bool IsPuzzleFileName(const fs::path& path);

// The files to read for `inputs`, in order. A file is taken as given. A folder
// is searched through (its target folders included) for the files Gridwick
// writes and for plain puzzle files (IsPuzzleFileName): folder by
// folder, stored files by level (Easy first) and name, then plain files by
// name. Paths that do not exist go to `missing`.
std::vector<StoredFile> ListPuzzleFiles(const std::vector<std::string>& inputs, std::vector<std::string>& missing);

// The stored files of one target under a base folder (the files the target's
// counting sees), by level and name.
std::vector<StoredFile> ListTargetFiles(const fs::path& base, int target);

// Reads the puzzles of a file one at a time (see PuzzleReader: one line or
// record in memory, whatever the file's size) and hands each, parsed but not
// checked, to `visit`, which returns false to stop. False with the reason
// when the file cannot be opened or read.
bool ForEachPuzzleIn(const fs::path& path, const std::function<bool(InputPuzzle&)>& visit, std::string& error);

// Hands every readable stored puzzle of a target whose level is among
// `levels` (bit L for level L) to `visit` with its level. Files that cannot be
// read and bad records are passed over: the caller only wants what is there.
void ForEachStoredPuzzle(const fs::path& base, int target, unsigned levels,
                         const std::function<void(const Grid& puzzle, int level)>& visit);

}  // namespace gw
