// Reading the inputs of print and merge: stored collections and plain files,
// one puzzle at a time.
#include <cstdio>

#include "cli/publish.h"
#include "output/stored.h"
#include "runs/grading.h"

namespace gw::cli {

bool ForEachLoadedPuzzle(const std::vector<std::string>& inputs, int& bad,
                         const std::function<bool(LoadedPuzzle&)>& visit) {
    std::vector<std::string> missing;
    const std::vector<StoredFile> files = ListPuzzleFiles(inputs, missing);
    for (const std::string& m : missing) std::fprintf(stderr, "gridwick: no such file or folder: %s\n", m.c_str());
    if (!missing.empty()) return false;
    ForEachCheckedPuzzle(files, bad, visit,
                         [](const std::string& reason) { std::fprintf(stderr, "gridwick: %s\n", reason.c_str()); });
    return true;
}

}  // namespace gw::cli
