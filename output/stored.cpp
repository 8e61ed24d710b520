#include "output/stored.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "model/levels.h"
#include "output/targets.h"

namespace gw {

namespace {

std::string Lower(std::string s) {
    for (char& ch : s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return s;
}

StoredFile Describe(const fs::path& path) {
    StoredFile f;
    f.path = path;
    StoredName(path.filename().string(), f.target, f.level);
    return f;
}

void AddFolder(const fs::path& folder, std::vector<StoredFile>& out) {
    std::error_code ec;
    std::vector<fs::path> files;
    for (fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
        std::error_code fec;
        if (it->is_regular_file(fec) && IsPuzzleFileName(it->path())) files.push_back(it->path());
    }
    // Folder by folder; in a folder the stored files by level (Easy first),
    // then by name, and the plain files after them.
    std::vector<StoredFile> found;
    for (const fs::path& p : files) found.push_back(Describe(p));
    std::sort(found.begin(), found.end(), [](const StoredFile& a, const StoredFile& b) {
        const int la = a.level == 0 ? 10 : a.level, lb = b.level == 0 ? 10 : b.level;
        if (a.path.parent_path() != b.path.parent_path()) return a.path.parent_path() < b.path.parent_path();
        if (la != lb) return la < lb;
        return a.path < b.path;
    });
    out.insert(out.end(), found.begin(), found.end());
}

}  // namespace

bool IsPuzzleFileName(const fs::path& path) {
    const std::string name = path.filename().string();
    if (name.empty() || name[0] == '.' || IsTemporaryName(name)) return false;
    const std::string ext = Lower(path.extension().string());
    for (const OutputTarget& t : kTargets)
        if (ext == t.ext) return true;
    return ext == ".csv" || ext == ".sdm";
}

bool StoredName(const std::string& fileName, int& target, int& level) {
    target = -1;
    level = 0;
    const std::string name = Lower(fileName);
    for (int l = 1; l <= 9; ++l) {
        const std::string levelName = Lower(kLevelNames[static_cast<std::size_t>(l)]);
        for (int t = 0; t < static_cast<int>(kTargets.size()); ++t) {
            const OutputTarget& tg = kTargets[static_cast<std::size_t>(t)];
            bool match;
            if (tg.levelFile) {
                match = name == Lower(LevelFileName(t, l));
            } else {
                const std::string ext = tg.ext;
                match = name.size() == levelName.size() + 5 + ext.size() && name.starts_with(levelName + "_") &&
                        name.ends_with(ext);
            }
            if (match) {
                target = t;
                level = l;
                return true;
            }
        }
    }
    return false;
}

std::vector<StoredFile> ListPuzzleFiles(const std::vector<std::string>& inputs, std::vector<std::string>& missing) {
    std::vector<StoredFile> out;
    for (const std::string& in : inputs) {
        std::error_code ec;
        const fs::path p(in);
        if (fs::is_directory(p, ec)) AddFolder(p, out);
        // Only a name that is not there is missing: one that cannot be
        // looked at (a folder without permission) is read, and the read
        // says why it fails.
        else if (fs::exists(p, ec) || (ec && ec != std::errc::no_such_file_or_directory)) out.push_back(Describe(p));
        else missing.push_back(in);
    }
    return out;
}

std::vector<StoredFile> ListTargetFiles(const fs::path& base, int target) {
    std::vector<StoredFile> out;
    const fs::path folder = TargetFolder(base, target);
    std::error_code ec;
    std::vector<fs::path> files;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code fec;
        if (!it->is_regular_file(fec)) continue;
        int t, l;
        if (StoredName(it->path().filename().string(), t, l) && t == target) files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& p : files) out.push_back(Describe(p));
    std::stable_sort(out.begin(), out.end(), [](const StoredFile& a, const StoredFile& b) { return a.level < b.level; });
    return out;
}

bool ForEachPuzzleIn(const fs::path& path, const std::function<bool(InputPuzzle&)>& visit, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = "cannot read " + path.string() + ": " + std::strerror(errno);
        return false;
    }
    PuzzleReader reader([fd](char* buf, std::size_t n) -> long {
        for (;;) {
            const ssize_t k = ::read(fd, buf, n);
            if (k >= 0 || errno != EINTR) return static_cast<long>(k);
        }
    });
    InputPuzzle p;
    while (reader.Next(p)) {
        const bool go = visit(p);
        p = InputPuzzle{};
        if (!go) break;
    }
    ::close(fd);
    if (reader.ReadError() != 0) {
        error = "cannot read " + path.string() + ": " + std::strerror(reader.ReadError());
        return false;
    }
    return true;
}

void ForEachStoredPuzzle(const fs::path& base, int target, unsigned levels,
                         const std::function<void(const Grid& puzzle, int level)>& visit) {
    for (const StoredFile& f : ListTargetFiles(base, target)) {
        if (!(levels & (1u << f.level))) continue;
        std::string error;
        ForEachPuzzleIn(
            f.path,
            [&](InputPuzzle& p) {
                if (p.error.empty()) visit(p.grid, f.level);
                return true;
            },
            error);
    }
}

}  // namespace gw
