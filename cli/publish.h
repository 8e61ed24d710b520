// The publishing subcommands: printable books and merging collections.
#pragma once

#include <CLI/CLI.hpp>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/state.h"
#include "output/stored.h"
#include "runs/grading.h"

namespace gw::cli {

struct PrintOptions {
    std::vector<std::string> inputs;
    std::string out;
    int perPage = 4;
    std::string paper = "a4";
    std::string format = "pdf";
    std::string title;
    bool noSolutions = false;
    bool howToPlay = false;    // pdf: a page of rules after the contents
    std::string levels;        // empty: every level
    long long count = 0;       // at most this many puzzles; 0: all
    long long perLevel = 0;    // at most this many of each level; 0: all
    std::string order = "level";  // "level": easy to hard; "score": by difficulty score; "input": as read; "random"
    std::string score;         // only these difficulty scores ("6.5-7.2"); empty: all
    std::optional<std::uint64_t> seed;  // of --order random
    bool unique = false;       // also skip disguised repeats
    bool force = false;        // svg, png: write into a folder that holds other files
    int dpi = 300;             // png
};

struct MergeOptions {
    std::vector<std::string> sources;
    std::string out;
    std::string target;
    std::string levels;  // empty: all nine
    std::string score;   // only these difficulty scores ("6.5-7.2"); empty: all
    bool unique = false;
    std::string maxShared;  // givens a copied puzzle may share with one of its level (see ParseSharedLimit); empty: off
};

int RunPrint(const PrintOptions& o);
int RunMerge(const MergeOptions& o);

// Reads the puzzles of the inputs (files and folders, see ListPuzzleFiles)
// one at a time, as LoadedPuzzles with their solution and level: each file is
// read as it is used (one line or record in memory) and every puzzle handed
// to `visit`, which returns false to stop reading. Bad puzzles and unreadable
// files are reported on stderr and counted in `bad`; missing inputs are
// reported and make it return false (exit status 1).
bool ForEachLoadedPuzzle(const std::vector<std::string>& inputs, int& bad,
                         const std::function<bool(LoadedPuzzle&)>& visit);

}  // namespace gw::cli
