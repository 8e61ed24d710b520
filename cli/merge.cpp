// gridwick merge: copies the puzzles of several collections into one target,
// which also converts a collection from one target to another.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <system_error>

#include "cli/commands.h"
#include "cli/options.h"
#include "cli/publish.h"
#include "grader/grader.h"
#include "model/canonical.h"
#include "output/reader.h"
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
        ->option_text("LEVELS")->check(NotEmpty("levels"));
    cmd.add_flag("--unique,-u", o->unique, "Also skip a puzzle that is a stored one in disguise (digits relabelled, "
                                           "rows, columns, bands or stacks permuted, transposed)");
    return [o] { return RunMerge(*o); };
}

namespace {

// Merges into one folder exclude each other: each holds the lock of the base
// folder from the moment it reads what is stored until its last write, so
// that a puzzle another merge is storing is never taken for a new one. (The
// saves themselves lock the level file or target folder, which keeps other
// writers such as `generate` in step.)
class MergeLock {
public:
    explicit MergeLock(const fs::path& base) : fd_(::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (fd_ < 0) {
            err_ = errno;
            return;
        }
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno == EINTR) continue;
            err_ = errno;
            break;
        }
    }
    ~MergeLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    MergeLock(const MergeLock&) = delete;
    MergeLock& operator=(const MergeLock&) = delete;
    int Error() const { return err_; }

private:
    int fd_;
    int err_ = 0;
};

}  // namespace

int RunMerge(const MergeOptions& o) {
    int target = 0;
    if (!TargetOption(o.target, target)) return 2;
    unsigned levels = kAllLevels;
    if (!LevelsOption(o.levels, levels)) return 2;
    {
        std::vector<std::string> missing;
        ListPuzzleFiles(o.sources, missing);
        for (const std::string& m : missing) std::fprintf(stderr, "gridwick: no such file or folder: %s\n", m.c_str());
        if (!missing.empty()) return 1;
    }

    const fs::path base(o.out);
    std::error_code ec;
    fs::create_directories(TargetFolder(base, target), ec);
    if (!fs::is_directory(TargetFolder(base, target))) {
        std::fprintf(stderr, "gridwick: cannot use output folder %s: %s\n", TargetFolder(base, target).c_str(),
                     ec ? ec.message().c_str() : "not a folder");
        return 1;
    }
    const MergeLock lock(base);
    if (lock.Error() != 0) {
        std::fprintf(stderr, "gridwick: cannot lock %s: %s\n", base.c_str(), std::strerror(lock.Error()));
        return 1;
    }

    // What the destination holds already: the clues, and with --unique the
    // canonical forms. Torn or bad records there are left as they are.
    std::set<Grid> stored, forms;
    for (const StoredFile& f : ListTargetFiles(base, target)) {
        std::string error;
        ForEachPuzzleIn(
            f.path,
            [&](InputPuzzle& p) {
                if (!p.error.empty() || !CheckPuzzle(p.grid).empty()) return true;
                stored.insert(p.grid);
                if (o.unique) forms.insert(CanonicalForm(p.grid));
                return true;
            },
            error);
    }

    int bad = 0;
    long long copied = 0, same = 0, disguised = 0, unselected = 0, failed = 0;
    std::array<long long, 10> unplaced{};
    std::array<bool, 10> full{};
    ForEachLoadedPuzzle(o.sources, bad, [&](const LoadedPuzzle& p) {
        if (!((levels >> p.level) & 1u)) {
            ++unselected;
            return true;
        }
        if (stored.count(p.puzzle)) {
            ++same;
            return true;
        }
        Grid form{};
        if (o.unique) {
            form = CanonicalForm(p.puzzle);
            if (forms.count(form)) {
                ++disguised;
                return true;
            }
        }
        const std::size_t l = static_cast<std::size_t>(p.level);
        if (full[l]) {
            ++unplaced[l];
            return true;
        }
        const SaveResult r = SaveSudoku(base, target, p.level, p.puzzle, p.solution);
        switch (r.kind) {
            case SaveResult::Kind::Written:
                ++copied;
                stored.insert(p.puzzle);
                if (o.unique) forms.insert(form);
                return true;
            case SaveResult::Kind::Full:
                full[l] = true;
                ++unplaced[l];
                return true;
            default:
                // A full disk or a file grown to its limit fails every later
                // write too: the merge stops at the first failure.
                ++failed;
                std::fprintf(stderr, "gridwick: cannot write %s: %s\n", r.path.c_str(), r.error.c_str());
                return false;
        }
    });

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
    if (failed > 0) std::printf("failed writes: %lld (the merge stopped there)\n", failed);
    return bad > 0 || failed > 0 ? 1 : 0;
}

}  // namespace gw::cli
