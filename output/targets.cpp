#include "output/targets.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "grader/grader.h"

namespace gw {

const std::array<OutputTarget, 8> kTargets = {{
    {"YAZ Sudoku 1", "YAZ Sudoku 1", true, ".sds", 166},
    {"YAZ Sudoku 2", "YAZ Sudoku 2", true, ".sds", 166},
    {"Simple Sudoku", "Simple Sudoku", false, ".ss", 145},
    {"Sudocue", "Sudocue", false, ".sdk", 97},
    {"Into Sudoku", "Into Sudoku", false, ".sud", 99},
    {"Sudoku Explainer", "Sudoku Explainer", false, ".txt", 99},
    {"81 char $ (.)", "Sudoku_81_Char", true, ".txt", 83},
    {"81 char $ (0)", "Sudoku_81_Char_0", true, ".txt", 83},
}};

std::string LevelFileName(int target, int level) {
    const std::string name = kLevelNames[static_cast<std::size_t>(level)];
    switch (target) {
        case 0: return "YAZ_Sudoku_1_" + name + ".sds";
        case 1: return "YAZ_Sudoku_2_" + name + ".sds";
        // The Kamikaze file of this target has always carried an extra
        // underscore; stored files rely on the name.
        case 6: return level == 6 ? "Sudoku_Kamikaze_.txt" : "Sudoku_" + name + ".txt";
        case 7: return "Sudoku_" + name + "_0.txt";
        default: return {};
    }
}

std::string NumberedFileName(int target, int level, int n) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04d", n % 10000);
    return std::string(kLevelNames[static_cast<std::size_t>(level)]) + "_" + digits + kTargets[static_cast<std::size_t>(target)].ext;
}

fs::path TargetFolder(const fs::path& base, int target) {
    return base / kTargets[static_cast<std::size_t>(target)].folder;
}

void CreateOutputFolders(const fs::path& base) {
    for (const auto& t : kTargets) {
        std::error_code ec;
        fs::create_directory(base / t.folder, ec);
    }
}

namespace {

bool SameIgnoringCase(char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

// name = level + "_" + any four characters + ext, letters in any case.
bool MatchesPattern(std::string_view name, std::string_view level, std::string_view ext) {
    if (name.size() != level.size() + 5 + ext.size()) return false;
    for (std::size_t i = 0; i < level.size(); ++i)
        if (!SameIgnoringCase(name[i], level[i])) return false;
    if (name[level.size()] != '_') return false;
    const std::size_t tail = level.size() + 5;
    for (std::size_t i = 0; i < ext.size(); ++i)
        if (!SameIgnoringCase(name[tail + i], ext[i])) return false;
    return true;
}

// Length of a file in bytes, or -1 when it cannot be read.
long long FileLength(const fs::path& path) {
    std::error_code ec;
    const auto n = fs::file_size(path, ec);
    return ec ? -1 : static_cast<long long>(n);
}

std::string Reason(int err) { return std::strerror(err); }

SaveResult WriteAt(const fs::path& path, const std::string& bytes, long long offset, int extraFlags) {
    SaveResult res;
    res.path = path;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | extraFlags, 0644);
    if (fd < 0) {
        res.errorCode = errno;
        res.kind = SaveResult::Kind::Failed;
        res.error = Reason(res.errorCode);
        return res;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset) + static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR) continue;
            res.kind = SaveResult::Kind::Failed;
            res.error = Reason(errno);
            ::close(fd);
            return res;
        }
        done += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0) {
        res.kind = SaveResult::Kind::Failed;
        res.error = Reason(errno);
        return res;
    }
    res.kind = SaveResult::Kind::Written;
    return res;
}

}  // namespace

namespace {

// Counts, per level, the files of a numbered target's folder whose names match
// level + "_????" + ext. One pass over the folder serves all nine levels.
std::array<int, 10> CountNumberedFiles(const fs::path& folder, int target, int onlyLevel) {
    std::array<int, 10> counts{};
    const std::string ext = kTargets[static_cast<std::size_t>(target)].ext;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return counts;
    while (const dirent* e = ::readdir(dir)) {
        const std::string_view name = e->d_name;
        if (name.size() < 7 + ext.size()) continue;
        for (int level = 1; level <= 9; ++level) {
            if (onlyLevel != 0 && level != onlyLevel) continue;
            const std::string_view levelName = kLevelNames[static_cast<std::size_t>(level)];
            if (name.size() != levelName.size() + 5 + ext.size() || !MatchesPattern(name, levelName, ext)) continue;
            // Only plain files count, as a file list shows them.
            bool regular = e->d_type == DT_REG;
            if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
                struct stat st {};
                regular = ::stat((folder / e->d_name).c_str(), &st) == 0 && S_ISREG(st.st_mode);
            }
            if (regular) ++counts[static_cast<std::size_t>(level)];
            break;
        }
    }
    ::closedir(dir);
    return counts;
}

}  // namespace

int CountMatchingFiles(const fs::path& folder, int target, int level) {
    return CountNumberedFiles(folder, target, level)[static_cast<std::size_t>(level)];
}

std::string FormatCount(double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    return buf;
}

std::array<std::string, 9> CountSudokus(const fs::path& base, int target) {
    std::array<std::string, 9> out;
    out.fill("0");
    if (target < 0 || target > 7) return out;
    const OutputTarget& t = kTargets[static_cast<std::size_t>(target)];
    const fs::path folder = TargetFolder(base, target);
    const std::array<int, 10> numbered = t.levelFile ? std::array<int, 10>{} : CountNumberedFiles(folder, target, 0);
    for (int level = 1; level <= 9; ++level) {
        std::string& label = out[static_cast<std::size_t>(level - 1)];
        if (t.levelFile) {
            const long long len = FileLength(folder / LevelFileName(target, level));
            if (len >= 0) label = FormatCount(static_cast<double>(len) / t.length);
        } else {
            label = std::to_string(numbered[static_cast<std::size_t>(level)]);
        }
    }
    return out;
}

std::string FormatPuzzle(int target, const Grid& puzzle, const Grid& solution) {
    std::string dot(81, '.'), zero(81, '0');
    for (int c = 0; c < 81; ++c) {
        if (puzzle[c] != 0) dot[c] = zero[c] = static_cast<char>('0' + puzzle[c]);
    }
    auto row = [](const std::string& text, int r) { return text.substr(static_cast<std::size_t>(9 * r), 9); };
    std::string out;
    switch (target) {
        case 0:
        case 1:
            out.assign(166, '\0');
            for (int c = 0; c < 81; ++c) {
                out[static_cast<std::size_t>(c)] = static_cast<char>(puzzle[c]);
                out[static_cast<std::size_t>(81 + c)] = static_cast<char>(solution[c]);
            }
            break;
        case 2:
            for (int r = 0; r < 9; ++r) {
                if (r == 3 || r == 6) out += "-----------\r\n";
                const std::string z = row(zero, r);
                out += z.substr(0, 3) + "|" + z.substr(3, 3) + "|" + z.substr(6, 3) + "\r\n";
            }
            out += "\r\n";
            break;
        case 3:
            for (int r = 0; r < 9; ++r) {
                out += row(dot, r);
                if (r < 8) out += "\r\n";
            }
            break;
        case 4:
            for (int r = 0; r < 9; ++r) out += row(zero, r) + "\r\n";
            break;
        case 5:
            for (int r = 0; r < 9; ++r) out += row(dot, r) + "\r\n";
            break;
        case 6: out = dot + "\r\n"; break;
        case 7: out = zero + "\r\n"; break;
        default: break;
    }
    return out;
}

bool LevelFull(const fs::path& base, int target, int level) {
    const OutputTarget& t = kTargets[static_cast<std::size_t>(target)];
    const fs::path folder = TargetFolder(base, target);
    if (t.levelFile) return std::max(FileLength(folder / LevelFileName(target, level)), 0LL) / t.length >= kMaxPerLevel;
    for (int n = CountMatchingFiles(folder, target, level) + 1; n <= kMaxPerLevel; ++n) {
        std::error_code ec;
        if (!fs::exists(folder / NumberedFileName(target, level, n), ec)) return false;
    }
    return true;
}

int FindTarget(const std::string& text) {
    if (text.size() == 1 && text[0] >= '0' && text[0] <= '7') return text[0] - '0';
    for (std::size_t i = 0; i < kTargets.size(); ++i) {
        const std::string name = kTargets[i].listText;
        if (name.size() != text.size()) continue;
        bool same = true;
        for (std::size_t k = 0; k < name.size() && same; ++k) same = SameIgnoringCase(name[k], text[k]);
        if (same) return static_cast<int>(i);
    }
    return -1;
}

SaveResult SaveSudoku(const fs::path& base, int target, int level, const Grid& puzzle, const Grid& solution) {
    SaveResult res;
    if (target < 0 || target > 7 || level < 1 || level > 9) return res;
    const OutputTarget& t = kTargets[static_cast<std::size_t>(target)];
    const fs::path folder = TargetFolder(base, target);
    const std::string bytes = FormatPuzzle(target, puzzle, solution);

    if (t.levelFile) {
        const fs::path path = folder / LevelFileName(target, level);
        long long len = FileLength(path);
        if (len < 0) len = 0;
        // The new record goes after the last whole record. A torn last record
        // (a length that is not a whole number of records) is overwritten, so
        // no hole of zero bytes is ever left between records.
        const long long r = len / t.length + 1;
        if (r > kMaxPerLevel) {
            res.kind = SaveResult::Kind::Full;
            res.path = path;
            return res;
        }
        return WriteAt(path, bytes, (r - 1) * t.length, 0);
    }

    // Numbered files: the next number is the count of matching files plus one;
    // a stored puzzle is never overwritten, so an existing name moves the
    // number on to the next free one.
    for (int n = CountMatchingFiles(folder, target, level) + 1; n <= kMaxPerLevel; ++n) {
        const fs::path path = folder / NumberedFileName(target, level, n);
        SaveResult w = WriteAt(path, bytes, 0, O_EXCL);
        if (w.kind == SaveResult::Kind::Failed && w.errorCode == EEXIST) continue;
        return w;
    }
    res.kind = SaveResult::Kind::Full;
    res.path = folder;
    return res;
}

}  // namespace gw
