// gridwick merge: copies the puzzles of several collections into one target,
// which also converts a collection from one target to another.
#include <cstdio>
#include <memory>
#include <set>
#include <system_error>

#include "cli/commands.h"
#include "cli/options.h"
#include "cli/publish.h"
#include "grader/grader.h"
#include "model/canonical.h"
#include "output/stored.h"
#include "output/targets.h"

namespace gw::cli {

Runner DefineMerge(CLI::App& cmd) {
    auto o = std::make_shared<MergeOptions>();
    cmd.add_option("sources", o->sources, "Folders and files to copy from")->required();
    cmd.add_option("--out,-o", o->out, "Folder that holds the destination's target folders")
        ->option_text("FOLDER")->required();
    cmd.add_option("--target,-t", o->target, "Destination target: its number or name")
        ->option_text("TARGET")->required();
    cmd.add_option("--levels,-l", o->levels, "Copy only these levels: names or numbers, e.g. Extreme,Mayhem or 6-9")
        ->option_text("LEVELS");
    cmd.add_flag("--unique,-u", o->unique, "Also skip a puzzle that is a stored one in disguise (digits relabelled, "
                                           "rows, columns, bands or stacks permuted, transposed)");
    return [o] { return RunMerge(*o); };
}

int RunMerge(const MergeOptions& o) {
    int target = 0;
    if (!TargetOption(o.target, target)) return 2;
    unsigned levels = kAllLevels;
    if (!LevelsOption(o.levels, levels)) return 2;
    int bad = 0;
    std::vector<LoadedPuzzle> incoming;
    if (!LoadPuzzles(o.sources, incoming, bad)) return 1;

    const fs::path base(o.out);
    std::error_code ec;
    fs::create_directories(TargetFolder(base, target), ec);
    if (!fs::is_directory(TargetFolder(base, target))) {
        std::fprintf(stderr, "gridwick: cannot use output folder %s: %s\n", TargetFolder(base, target).c_str(),
                     ec ? ec.message().c_str() : "not a folder");
        return 1;
    }

    // What the destination holds already: the clues, and with --unique the
    // canonical forms. Torn or bad records there are left as they are.
    std::set<Grid> stored, forms;
    for (const StoredFile& f : ListTargetFiles(base, target)) {
        std::vector<InputPuzzle> puzzles;
        std::string error;
        if (!ReadStoredFile(f.path, puzzles, error)) continue;
        for (const InputPuzzle& p : puzzles) {
            if (!p.error.empty()) continue;
            stored.insert(p.grid);
            if (o.unique) forms.insert(CanonicalForm(p.grid));
        }
    }

    long long copied = 0, same = 0, disguised = 0, unselected = 0, failed = 0;
    std::array<long long, 10> unplaced{};
    std::array<bool, 10> full{};
    for (const LoadedPuzzle& p : incoming) {
        if (!((levels >> p.level) & 1u)) {
            ++unselected;
            continue;
        }
        if (stored.count(p.puzzle)) {
            ++same;
            continue;
        }
        Grid form{};
        if (o.unique) {
            form = CanonicalForm(p.puzzle);
            if (forms.count(form)) {
                ++disguised;
                continue;
            }
        }
        const std::size_t l = static_cast<std::size_t>(p.level);
        if (full[l]) {
            ++unplaced[l];
            continue;
        }
        const SaveResult r = SaveSudoku(base, target, p.level, p.puzzle, p.solution);
        switch (r.kind) {
            case SaveResult::Kind::Written:
                ++copied;
                stored.insert(p.puzzle);
                if (o.unique) forms.insert(form);
                break;
            case SaveResult::Kind::Full:
                full[l] = true;
                ++unplaced[l];
                break;
            default:
                ++failed;
                std::fprintf(stderr, "gridwick: cannot write %s: %s\n", r.path.c_str(), r.error.c_str());
                break;
        }
    }

    long long unplacedAll = 0;
    std::string perLevel;
    for (int l = 1; l <= 9; ++l) {
        const long long n = unplaced[static_cast<std::size_t>(l)];
        if (n == 0) continue;
        unplacedAll += n;
        perLevel += std::string(perLevel.empty() ? " (" : ", ") + kLevelNames[static_cast<std::size_t>(l)] + " " +
                    std::to_string(n);
    }
    if (!perLevel.empty()) perLevel += " full)";
    std::printf("copied: %lld into %s\n", copied, TargetFolder(base, target).c_str());
    std::printf("skipped, already stored: %lld\n", same);
    if (o.unique) std::printf("skipped, the same puzzle in disguise: %lld\n", disguised);
    std::printf("could not place: %lld%s\n", unplacedAll, perLevel.c_str());
    if (!o.levels.empty()) std::printf("other levels, left out: %lld\n", unselected);
    if (bad > 0) std::printf("unreadable: %d\n", bad);
    if (failed > 0) std::printf("failed writes: %lld\n", failed);
    return bad > 0 || failed > 0 ? 1 : 0;
}

}  // namespace gw::cli
