// gridwick merge: copies the puzzles of several collections into one target,
// which also converts a collection from one target to another.
#include <cstdio>
#include <memory>

#include "cli/commands.h"
#include "cli/options.h"
#include "cli/publish.h"
#include "model/levels.h"
#include "runs/merge.h"
#include "output/targets.h"

namespace gw::cli {

Runner DefineMerge(CLI::App& cmd) {
    auto o = std::make_shared<MergeOptions>();
    cmd.add_option("sources", o->sources, "Folders and files to copy from")->required();
    cmd.add_option("--out,-o", o->out, "Folder that holds the destination's target folders")
        ->option_text("FOLDER")->check(NotEmpty("a folder"))->required();
    cmd.add_option("--target,-t", o->target, "Destination target: its number or name")
        ->option_text("TARGET")->required();
    cmd.add_option("--levels,-l", o->levels, "Copy only these levels: names or numbers, e.g. Extreme,Mayhem or 6-9")
        ->option_text("LEVELS")->check(NotEmpty("levels"));
    cmd.add_option("--score", o->score,
                   "Copy only puzzles whose difficulty score lies in this range, e.g. 6.5-7.2, 7 (all of level 7), "
                   "7.5- or -3")->option_text("RANGE")->check(ScoreRangeCheck());
    cmd.add_flag("--unique,-u", o->unique, "Also skip a puzzle that is a stored one in disguise (digits relabelled, "
                                           "rows, columns, bands or stacks permuted, transposed)");
    cmd.add_option("--max-shared", o->maxShared,
                   "Also skip a puzzle that shares more givens (same cell, same digit) with a stored or copied puzzle "
                   "of its level than this: a share of the smaller puzzle's givens (0.5 or 50%), a count (12), or "
                   "off (the default)")->option_text("SHARE");
    return [o] { return RunMerge(*o); };
}

int RunMerge(const MergeOptions& o) {
    gw::MergeOptions m;
    if (!TargetOption(o.target, m.target)) return 2;
    if (!LevelsOption(o.levels, m.levels)) return 2;
    m.unique = o.unique;
    std::string error;
    if (!o.maxShared.empty() && !ParseSharedLimit(o.maxShared, m.maxShared, error)) {
        std::fprintf(stderr, "gridwick: --max-shared: %s\n", error.c_str());
        return 2;
    }
    if (!o.score.empty()) ParseScoreRange(o.score, m.scores.emplace());

    const fs::path base(o.out);
    const MergeReport r = MergeCollections(base, o.sources, m, [](const std::string& reason) {
        std::fprintf(stderr, "gridwick: %s\n", reason.c_str());
    });
    for (const std::string& s : r.missing) std::fprintf(stderr, "gridwick: no such file or folder: %s\n", s.c_str());
    if (!r.error.empty()) std::fprintf(stderr, "gridwick: %s\n", r.error.c_str());
    if (!r.Merged()) return 1;

    std::string perLevel;
    for (int l = 1; l <= 9; ++l) {
        const long long n = r.unplaced[static_cast<std::size_t>(l)];
        if (n == 0) continue;
        perLevel += std::string(perLevel.empty() ? " (" : ", ") + kLevelNames[static_cast<std::size_t>(l)] + " " +
                    std::to_string(n);
    }
    if (!perLevel.empty()) perLevel += " full)";
    std::printf("copied: %lld into %s\n", r.copied, TargetFolder(base, m.target).c_str());
    std::printf("skipped, already stored: %lld\n", r.same);
    if (o.unique) std::printf("skipped, the same puzzle in disguise: %lld\n", r.disguised);
    if (m.maxShared.On())
        std::printf("skipped, sharing more than %s with a puzzle of its level: %lld\n", m.maxShared.Text().c_str(),
                    r.near);
    std::printf("could not place: %lld%s\n", r.Unplaced(), perLevel.c_str());
    if (!o.levels.empty() || !o.score.empty())
        std::printf("other %s, left out: %lld\n",
                    o.score.empty() ? "levels" : o.levels.empty() ? "scores" : "levels and scores", r.unselected);
    if (r.unreadable > 0) std::printf("unreadable: %d\n", r.unreadable);
    if (r.failed > 0) std::printf("failed writes: %lld (the merge stopped there)\n", r.failed);
    return r.unreadable > 0 || r.failed > 0 ? 1 : 0;
}

}  // namespace gw::cli
