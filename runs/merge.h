// Merging collections: the puzzles of folders and files copied into one
// target, skipping those the target holds already. The command line's `merge`
// and the window's merge are two front ends of this one function.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "generator/near_copies.h"
#include "grader/score.h"
#include "model/levels.h"

namespace gw {

namespace fs = std::filesystem;

struct MergeOptions {
    int target = 0;                 // the destination target
    unsigned levels = kAllLevels;   // bit L: copy the puzzles of level L
    bool unique = false;            // also skip a stored puzzle in disguise (same canonical form)
    // Also skip a puzzle that shares more givens than this with a stored or
    // copied puzzle of its level (off: no limit).
    SharedLimit maxShared{SharedLimit::Kind::Off};
    std::optional<ScoreRange> scores;  // copy only the puzzles whose difficulty score lies here
};

struct MergeReport {
    // Nothing was merged when either is set: inputs that do not exist, or why
    // the destination cannot be used (its folder cannot be made or locked).
    std::vector<std::string> missing;
    std::string error;

    long long copied = 0;
    long long same = 0;        // already stored
    long long disguised = 0;   // a stored puzzle in disguise (unique only)
    long long near = 0;        // a near-copy of a stored or copied puzzle of its level (maxShared only)
    long long unselected = 0;  // of a level (or a score) not asked for
    std::array<long long, 10> unplaced{};  // by level: the level was full
    long long failed = 0;      // failed writes: the merge stops at the first
    int unreadable = 0;        // bad puzzles and files that cannot be read

    bool Merged() const { return missing.empty() && error.empty(); }
    long long Unplaced() const;
};

// Called with the reason of each bad puzzle, unreadable file and failed write,
// as they happen (e.g. "cannot write PATH: No space left on device").
using MergeProblem = std::function<void(const std::string& reason)>;

// Copies the puzzles of `sources` (folders Gridwick wrote, of any target, and
// puzzle files: see ListPuzzleFiles) into `o.target` under `base`. The level
// of a stored puzzle comes from its file name, any other is graded. Only the
// destination's own target folder is made.
//
// Merges into one base folder exclude each other: each holds the lock of the
// base folder from the moment it reads what is stored until its last write,
// so that a puzzle another merge is storing is never taken for a new one.
// (The saves themselves lock the level file or target folder, which keeps
// other writers such as a generation run in step.) Every file is read as a
// stream, one line or record at a time, whatever its size.
MergeReport MergeCollections(const fs::path& base, const std::vector<std::string>& sources, const MergeOptions& o,
                             const MergeProblem& problem = {});

}  // namespace gw
