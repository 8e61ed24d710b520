// Reading the inputs of print and merge: stored collections and plain files.
#include <cstdio>

#include "cli/publish.h"
#include "generator/generator.h"
#include "grader/grader.h"
#include "output/stored.h"
#include "output/targets.h"

namespace gw::cli {

bool LoadPuzzles(const std::vector<std::string>& inputs, std::vector<LoadedPuzzle>& out, int& bad) {
    std::vector<std::string> missing;
    const std::vector<StoredFile> files = ListPuzzleFiles(inputs, missing);
    for (const std::string& m : missing) std::fprintf(stderr, "gridwick: no such file or folder: %s\n", m.c_str());
    if (!missing.empty()) return false;
    GradeState s;
    for (const StoredFile& f : files) {
        std::vector<InputPuzzle> puzzles;
        std::string error;
        if (!ReadStoredFile(f.path, puzzles, error)) {
            ++bad;
            std::fprintf(stderr, "gridwick: %s\n", error.c_str());
            continue;
        }
        const char* unit = f.target >= 0 && kTargets[static_cast<std::size_t>(f.target)].levelFile ? "record" : "line";
        for (const InputPuzzle& p : puzzles) {
            if (!p.error.empty()) {
                ++bad;
                std::fprintf(stderr, "gridwick: %s %s %d: %s\n", f.path.c_str(), unit, p.line, p.error.c_str());
                continue;
            }
            LoadedPuzzle lp;
            lp.path = f.path;
            lp.line = p.line;
            lp.puzzle = p.grid;
            CountSolutions(p.grid, 1, &lp.solution);
            lp.level = f.level != 0 ? f.level : GradePuzzle(s, p.grid);
            out.push_back(lp);
        }
    }
    return true;
}

}  // namespace gw::cli
