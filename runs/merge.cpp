#include "runs/merge.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cassert>
#include <cerrno>
#include <cstring>
#include <set>
#include <system_error>

#include "model/canonical.h"
#include "output/reader.h"
#include "output/stored.h"
#include "runs/grading.h"
#include "output/targets.h"

namespace gw {

namespace {

// The exclusive lock of a folder, held while the object lives.
class FolderLock {
public:
    explicit FolderLock(const fs::path& folder)
        : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
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
    ~FolderLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    int Error() const { return err_; }

private:
    int fd_;
    int err_ = 0;
};

}  // namespace

long long MergeReport::Unplaced() const {
    long long n = 0;
    for (const long long u : unplaced) n += u;
    return n;
}

MergeReport MergeCollections(const fs::path& base, const std::vector<std::string>& sources, const MergeOptions& o,
                             const MergeProblem& problem) {
    assert(ValidTarget(o.target));
    MergeReport r;
    ListPuzzleFiles(sources, r.missing);
    if (!r.missing.empty()) return r;

    const fs::path folder = TargetFolder(base, o.target);
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder)) {
        r.error = "cannot use output folder " + folder.string() + ": " + (ec ? ec.message() : "not a folder");
        return r;
    }
    const FolderLock lock(base);
    if (lock.Error() != 0) {
        r.error = "cannot lock " + base.string() + ": " + std::strerror(lock.Error());
        return r;
    }

    // What the destination holds already: the clues, and with `unique` the
    // canonical forms. Torn or bad records there are left as they are.
    std::set<Grid> stored, forms;
    NearCopyGuard nearCopies(o.maxShared, false);
    for (const StoredFile& f : ListTargetFiles(base, o.target)) {
        std::string error;
        ForEachPuzzleIn(
            f.path,
            [&](InputPuzzle& p) {
                if (!p.error.empty() || !CheckPuzzle(p.grid).empty()) return true;
                stored.insert(p.grid);
                if (o.unique) forms.insert(CanonicalForm(p.grid));
                nearCopies.AddStored(p.grid, f.level);
                return true;
            },
            error);
    }

    std::array<bool, 10> full{};
    GradeState grading;  // for the scores, when a range of them is asked for
    std::vector<std::string> missing;
    ForEachCheckedPuzzle(
        ListPuzzleFiles(sources, missing), r.unreadable,
        [&](const LoadedPuzzle& p) {
            const bool wanted = ((o.levels >> p.level) & 1u) != 0 &&
                                (!o.scores || o.scores->Contains(GradeAndScore(grading, p.puzzle).score));
            if (!wanted) {
                ++r.unselected;
                return true;
            }
            if (stored.count(p.puzzle)) {
                ++r.same;
                return true;
            }
            Grid form{};
            if (o.unique) {
                form = CanonicalForm(p.puzzle);
                if (forms.count(form)) {
                    ++r.disguised;
                    return true;
                }
            }
            const std::size_t l = static_cast<std::size_t>(p.level);
            if (full[l]) {
                ++r.unplaced[l];
                return true;
            }
            if (o.maxShared.On() && nearCopies.Near(p.puzzle, LevelBit(p.level))) {
                ++r.near;
                return true;
            }
            const SaveResult w = SaveSudoku(base, o.target, p.level, p.puzzle, p.solution);
            switch (w.kind) {
                case SaveResult::Kind::Written:
                    ++r.copied;
                    stored.insert(p.puzzle);
                    if (o.unique) forms.insert(form);
                    nearCopies.AddStored(p.puzzle, p.level);
                    return true;
                case SaveResult::Kind::Full:
                    full[l] = true;
                    ++r.unplaced[l];
                    return true;
                default:
                    // A full disk or a file grown to its limit fails every
                    // later write too: the merge stops at the first failure.
                    ++r.failed;
                    if (problem) problem("cannot write " + w.path.string() + ": " + w.error);
                    return false;
            }
        },
        problem);
    return r;
}

}  // namespace gw
