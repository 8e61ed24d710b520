// Reading the inputs of print and merge: stored collections and plain files,
// one puzzle at a time.
#include <cstdio>

#include "cli/publish.h"
#include "grader/grader.h"
#include "output/stored.h"
#include "output/targets.h"

namespace gw::cli {

bool ForEachLoadedPuzzle(const std::vector<std::string>& inputs, int& bad,
                         const std::function<bool(LoadedPuzzle&)>& visit) {
    std::vector<std::string> missing;
    const std::vector<StoredFile> files = ListPuzzleFiles(inputs, missing);
    for (const std::string& m : missing) std::fprintf(stderr, "gridwick: no such file or folder: %s\n", m.c_str());
    if (!missing.empty()) return false;
    GradeState s;
    bool go = true;
    for (const StoredFile& f : files) {
        if (!go) break;
        const char* unit = f.target >= 0 && kTargets[static_cast<std::size_t>(f.target)].levelFile ? "record" : "line";
        std::string error;
        const bool read = ForEachPuzzleIn(
            f.path,
            [&](InputPuzzle& p) {
                LoadedPuzzle lp;
                if (p.error.empty()) p.error = CheckPuzzle(p.grid, &lp.solution);
                if (!p.error.empty()) {
                    ++bad;
                    std::fprintf(stderr, "gridwick: %s %s %d: %s\n", f.path.c_str(), unit, p.line, p.error.c_str());
                    return true;
                }
                lp.path = f.path;
                lp.line = p.line;
                lp.puzzle = p.grid;
                lp.level = f.level != 0 ? f.level : GradePuzzle(s, p.grid);
                go = visit(lp);
                return go;
            },
            error);
        if (!read) {
            ++bad;
            std::fprintf(stderr, "gridwick: %s\n", error.c_str());
        }
    }
    return true;
}

bool LoadPuzzles(const std::vector<std::string>& inputs, std::vector<LoadedPuzzle>& out, int& bad) {
    return ForEachLoadedPuzzle(inputs, bad, [&](LoadedPuzzle& p) {
        out.push_back(p);
        return true;
    });
}

}  // namespace gw::cli
