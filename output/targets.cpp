#include "output/targets.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bitset>
#include <cassert>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "model/levels.h"

namespace gw {

namespace {

std::string DotText(const Grid& puzzle) {
    std::string dot(81, '.');
    for (int c = 0; c < 81; ++c)
        if (puzzle[c] != 0) dot[static_cast<std::size_t>(c)] = static_cast<char>('0' + puzzle[c]);
    return dot;
}

std::string ZeroText(const Grid& puzzle) {
    std::string zero = DotText(puzzle);
    std::replace(zero.begin(), zero.end(), '.', '0');
    return zero;
}

std::string Row(const std::string& text, int r) { return text.substr(static_cast<std::size_t>(9 * r), 9); }

// Puzzle and solution as byte values, then two 16-bit words of zero.
std::string FormatSdsRecord(const Grid& puzzle, const Grid& solution) {
    std::string out(kSdsRecordLength, '\0');
    for (int c = 0; c < 81; ++c) {
        out[static_cast<std::size_t>(c)] = static_cast<char>(puzzle[c]);
        out[static_cast<std::size_t>(81 + c)] = static_cast<char>(solution[c]);
    }
    return out;
}

// Eleven lines: the rows in groups of three split by '|', a line of hyphens
// after rows 3 and 6, then an empty line.
std::string FormatSimpleSudoku(const Grid& puzzle, const Grid&) {
    const std::string zero = ZeroText(puzzle);
    std::string out;
    for (int r = 0; r < 9; ++r) {
        if (r == 3 || r == 6) out += "-----------\r\n";
        const std::string z = Row(zero, r);
        out += z.substr(0, 3) + "|" + z.substr(3, 3) + "|" + z.substr(6, 3) + "\r\n";
    }
    return out + "\r\n";
}

// Nine rows, no line end after the last.
std::string FormatSudocue(const Grid& puzzle, const Grid&) {
    const std::string dot = DotText(puzzle);
    std::string out;
    for (int r = 0; r < 9; ++r) {
        out += Row(dot, r);
        if (r < 8) out += "\r\n";
    }
    return out;
}

std::string NineRows(const std::string& text) {
    std::string out;
    for (int r = 0; r < 9; ++r) out += Row(text, r) + "\r\n";
    return out;
}

std::string FormatIntoSudoku(const Grid& puzzle, const Grid&) { return NineRows(ZeroText(puzzle)); }
std::string FormatSudokuExplainer(const Grid& puzzle, const Grid&) { return NineRows(DotText(puzzle)); }
std::string FormatDotLine(const Grid& puzzle, const Grid&) { return DotText(puzzle) + "\r\n"; }
std::string FormatZeroLine(const Grid& puzzle, const Grid&) { return ZeroText(puzzle) + "\r\n"; }

}  // namespace

const std::array<OutputTarget, 8> kTargets = {{
    {"YAZ Sudoku 1", "YAZ Sudoku 1", true, false, ".sds", "YAZ_Sudoku_1_", ".sds", kSdsRecordLength, FormatSdsRecord},
    {"YAZ Sudoku 2", "YAZ Sudoku 2", true, false, ".sds", "YAZ_Sudoku_2_", ".sds", kSdsRecordLength, FormatSdsRecord},
    {"Simple Sudoku", "Simple Sudoku", false, false, ".ss", "", "", 145, FormatSimpleSudoku},
    {"Sudocue", "Sudocue", false, false, ".sdk", "", "", 97, FormatSudocue},
    {"Into Sudoku", "Into Sudoku", false, false, ".sud", "", "", 99, FormatIntoSudoku},
    {"Sudoku Explainer", "Sudoku Explainer", false, false, ".txt", "", "", 99, FormatSudokuExplainer},
    {"81 char $ (.)", "Sudoku_81_Char", true, true, ".txt", "Sudoku_", ".txt", 83, FormatDotLine},
    {"81 char $ (0)", "Sudoku_81_Char_0", true, true, ".txt", "Sudoku_", "_0.txt", 83, FormatZeroLine},
}};

bool ValidTarget(int target) { return target >= 0 && static_cast<std::size_t>(target) < kTargets.size(); }

namespace {

const OutputTarget& TargetAt(int target) { return kTargets[static_cast<std::size_t>(target)]; }

}  // namespace

std::string LevelFileName(int target, int level) {
    if (!ValidTarget(target) || !TargetAt(target).levelFile) return {};
    assert(level >= 1 && level <= 9);
    const OutputTarget& t = TargetAt(target);
    std::string name = kLevelNames[static_cast<std::size_t>(level)];
    // The Kamikaze file of the '.' line target has always carried an extra
    // underscore; stored files rely on the name.
    if (t.lineFile && std::string_view(t.nameSuffix) == ".txt" && level == 6) name += "_";
    return t.namePrefix + name + t.nameSuffix;
}

std::string NumberedFileName(int target, int level, int n) {
    assert(ValidTarget(target) && level >= 1 && level <= 9 && n >= 0);
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04d", n % 10000);
    return std::string(kLevelNames[static_cast<std::size_t>(level)]) + "_" + digits + TargetAt(target).ext;
}

fs::path TargetFolder(const fs::path& base, int target) { return base / TargetAt(target).folder; }

void CreateOutputFolders(const fs::path& base) {
    for (const auto& t : kTargets) {
        std::error_code ec;
        fs::create_directory(base / t.folder, ec);
    }
}

bool IsTemporaryName(std::string_view name) {
    constexpr std::string_view kPrefix = ".gridwick-", kSuffix = ".tmp";
    return name.size() > kPrefix.size() + kSuffix.size() && name.substr(0, kPrefix.size()) == kPrefix &&
           name.substr(name.size() - kSuffix.size()) == kSuffix;
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

// What one pass over a numbered target's folder finds for a level.
struct FolderScan {
    std::array<int, 10> counts{};          // matching files per level
    std::bitset<kMaxPerLevel + 1> taken;   // numbers in use for the scanned level
    std::vector<std::string> temporaries;  // left by writers that were killed
};

// Counts, per level, the files of a numbered target's folder whose names match
// level + "_????" + ext. One pass over the folder serves all nine levels. For
// `onlyLevel` it also notes the four-digit numbers in use.
FolderScan ScanFolder(const fs::path& folder, int target, int onlyLevel) {
    FolderScan scan;
    const std::string ext = TargetAt(target).ext;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return scan;
    while (const dirent* e = ::readdir(dir)) {
        const std::string_view name = e->d_name;
        if (IsTemporaryName(name)) {
            scan.temporaries.emplace_back(name);
            continue;
        }
        if (name.size() < 7 + ext.size()) continue;
        for (int level = 1; level <= 9; ++level) {
            if (onlyLevel != 0 && level != onlyLevel) continue;
            const std::string_view levelName = kLevelNames[static_cast<std::size_t>(level)];
            if (!MatchesPattern(name, levelName, ext)) continue;
            // Only plain files count, as a file list shows them.
            bool regular = e->d_type == DT_REG;
            if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
                struct stat st {};
                regular = ::stat((folder / e->d_name).c_str(), &st) == 0 && S_ISREG(st.st_mode);
            }
            if (regular) ++scan.counts[static_cast<std::size_t>(level)];
            // Any entry of the name, a plain file or not, takes its number.
            const std::string_view digits = name.substr(levelName.size() + 1, 4);
            if (std::all_of(digits.begin(), digits.end(), [](char ch) { return ch >= '0' && ch <= '9'; })) {
                const int n = std::stoi(std::string(digits));
                if (n >= 1 && n <= kMaxPerLevel) scan.taken.set(static_cast<std::size_t>(n));
            }
            break;
        }
    }
    ::closedir(dir);
    return scan;
}

// The number for a new file: count + 1 when free, else the next free number
// above it, else the lowest hole below it. 0 when the level is full.
int NextFreeNumber(const FolderScan& scan, int level) {
    const int count = scan.counts[static_cast<std::size_t>(level)];
    if (count >= kMaxPerLevel) return 0;
    for (int k = 0; k < kMaxPerLevel; ++k) {
        const int n = (count + k) % kMaxPerLevel + 1;
        if (!scan.taken.test(static_cast<std::size_t>(n))) return n;
    }
    return 0;
}

SaveResult Failure(const fs::path& path, int err, std::string reason = {}) {
    SaveResult res;
    res.kind = SaveResult::Kind::Failed;
    res.path = path;
    res.errorCode = err;
    res.error = reason.empty() ? std::string(std::strerror(err)) : std::move(reason);
    return res;
}

// A file descriptor closed on every way out.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    void Release() { fd_ = -1; }
    // Closes now and reports the error of the close (a delayed write error).
    int Close() {
        const int rc = ::close(fd_);
        fd_ = -1;
        return rc == 0 ? 0 : errno;
    }

private:
    int fd_;
};

// Takes the exclusive lock of `fd`, waiting for the other writer. 0 or errno.
int Lock(int fd) {
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) return errno;
    }
    return 0;
}

std::string NoLockReason(int err) {
    return std::string("cannot lock (") + std::strerror(err) +
           "): this file system does not support file locks, and writing without one could lose a stored puzzle";
}

// Writes all bytes at `offset`. 0 or errno.
int WriteAll(int fd, std::string_view bytes, long long offset) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done,
                                   static_cast<off_t>(offset + static_cast<long long>(done)));
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return EIO;
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

// Reads up to `n` bytes at `offset`; the bytes read (fewer at a read error).
std::string ReadAt(int fd, long long offset, std::size_t n) {
    std::string buf(n, '\0');
    std::size_t done = 0;
    while (done < n) {
        const off_t at = static_cast<off_t>(offset + static_cast<long long>(done));
        const ssize_t r = ::pread(fd, buf.data() + done, n - done, at);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        done += static_cast<std::size_t>(r);
    }
    buf.resize(done);
    return buf;
}

bool IsCellChar(char ch) { return ch == '.' || (ch >= '0' && ch <= '9'); }

// Where the next record goes in a level file of `len` bytes, and what must
// precede it. A file in the writer's own layout takes the record after its
// last whole record, replacing an incomplete final record (a torn write). A
// line file edited by hand may hold LF line ends or lack the line end after
// its last line: the new line then goes after that last line, which keeps
// every stored puzzle.
struct Place {
    long long offset = 0;
    std::string lead;     // a line end completing the last line
    bool full = false;
};

Place PlaceRecord(int fd, const OutputTarget& t, long long len) {
    Place p;
    if (len / t.length >= kMaxPerLevel) {
        p.full = true;
        return p;
    }
    if (!t.lineFile) {
        p.offset = len / t.length * t.length;
        return p;
    }
    const bool ownLayout = len % t.length == 0;
    // The tail holds the last line end and any fragment after it that could
    // be a torn record (at most a record less its LF).
    const long long tailStart = std::max(0LL, len - t.length - 1);
    const std::string tail = ReadAt(fd, tailStart, static_cast<std::size_t>(len - tailStart));
    const std::size_t lastEnd = tail.rfind('\n');
    const std::size_t fragStart = lastEnd == std::string::npos ? 0 : lastEnd + 1;
    const std::string_view frag = std::string_view(tail).substr(fragStart);
    const bool fragIsWholeTail = lastEnd == std::string::npos && tailStart > 0;  // a longer final line
    if (frag.empty()) {
        p.offset = len;
    } else {
        // A torn record: fewer than 81 cell characters and nothing else.
        const bool torn = !fragIsWholeTail && frag.size() < 81 && std::all_of(frag.begin(), frag.end(), IsCellChar);
        if (torn) {
            p.offset = len - static_cast<long long>(frag.size());
        } else {
            p.offset = len;
            p.lead = frag.back() == '\r' ? "\n" : "\r\n";
        }
    }
    if (!ownLayout || !p.lead.empty()) {
        // A hand-edited file: the limit counts its lines (the file is short,
        // below the limit's length in bytes).
        std::string all = ReadAt(fd, 0, static_cast<std::size_t>(p.offset));
        const auto lines = std::count(all.begin(), all.end(), '\n') + (p.lead.empty() ? 0 : 1);
        if (lines >= kMaxPerLevel) p.full = true;
    }
    return p;
}

constexpr const char* kOnlyRegular = "puzzles are written only to regular files";

// Opens the level file, creating it when missing, and locks it. The file must
// still bear its name once locked: a writer that found it empty after a failed
// write removes it, and a writer that waited for that lock then opens afresh.
// The descriptor, or -1 with the failure in `failure`.
int OpenLocked(const fs::path& path, SaveResult& failure) {
    for (;;) {
        // Never through a symbolic link, and never blocked by a FIFO.
        const int raw = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
        if (raw < 0) {
            const int err = errno;
            if (err == ELOOP)
                failure = Failure(path, err, std::string("a symbolic link, not a regular file: ") + kOnlyRegular);
            else if (err == EISDIR)
                failure = Failure(path, err, std::string("a folder, not a regular file: ") + kOnlyRegular);
            else
                failure = Failure(path, err);
            return -1;
        }
        Fd fd(raw);
        struct stat st {};
        if (::fstat(fd.get(), &st) != 0) {
            failure = Failure(path, errno);
            return -1;
        }
        if (!S_ISREG(st.st_mode)) {
            failure = Failure(path, EINVAL, std::string("not a regular file: ") + kOnlyRegular);
            return -1;
        }
        if (const int err = Lock(fd.get())) {
            failure = Failure(path, err, NoLockReason(err));
            return -1;
        }
        struct stat named {};
        if (::fstat(fd.get(), &st) == 0 && st.st_nlink > 0 && ::lstat(path.c_str(), &named) == 0 &&
            named.st_ino == st.st_ino && named.st_dev == st.st_dev) {
            const int kept = fd.get();
            fd.Release();
            return kept;
        }
    }
}

SaveResult SaveToLevelFile(const fs::path& folder, int target, int level, const std::string& record) {
    const OutputTarget& t = TargetAt(target);
    const fs::path path = folder / LevelFileName(target, level);
    SaveResult res;
    const int raw = OpenLocked(path, res);
    if (raw < 0) return res;
    Fd fd(raw);
    // The length is read under the lock: another writer may have added a
    // record since the file was opened.
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return Failure(path, errno);
    const Place place = PlaceRecord(fd.get(), t, static_cast<long long>(st.st_size));
    res.path = path;
    if (place.full) {
        res.kind = SaveResult::Kind::Full;
        return res;
    }
    if (const int err = WriteAll(fd.get(), place.lead + record, place.offset)) {
        // A part of a record (a full disk) is taken back: the file keeps only
        // whole records (when even this fails, the next save replaces the
        // part), and a file left empty is removed.
        [[maybe_unused]] const int ignored = ::ftruncate(fd.get(), static_cast<off_t>(place.offset));
        if (place.offset == 0) ::unlink(path.c_str());
        return Failure(path, err);
    }
    if (const int err = fd.Close()) return Failure(path, err);  // closing also releases the lock
    res.kind = SaveResult::Kind::Written;
    return res;
}

// Writes the whole file under a temporary name in `dirFd`'s folder. 0 or errno.
int WriteTemporary(int dirFd, const std::string& tmpName, const std::string& bytes) {
    int raw = ::openat(dirFd, tmpName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (raw < 0 && errno == EEXIST) {
        ::unlinkat(dirFd, tmpName.c_str(), 0);
        raw = ::openat(dirFd, tmpName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    }
    if (raw < 0) return errno;
    Fd fd(raw);
    int err = WriteAll(fd.get(), bytes, 0);
    // On disk before it gets its name: a power loss must not leave a named
    // file without its bytes.
    if (err == 0 && ::fsync(fd.get()) != 0) err = errno;
    const int closeErr = fd.Close();
    return err != 0 ? err : closeErr;
}

SaveResult SaveToNumberedFile(const fs::path& folder, int target, int level, const std::string& bytes) {
    const int rawDir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // A missing folder holds no file: the puzzle would have been number 1.
    if (rawDir < 0) return Failure(folder / NumberedFileName(target, level, 1), errno);
    Fd dir(rawDir);
    if (const int err = Lock(dir.get())) return Failure(folder, err, NoLockReason(err));

    FolderScan scan = ScanFolder(folder, target, level);
    // Every temporary seen under the lock was left by a writer that died
    // between writing it and naming it.
    for (const std::string& tmp : scan.temporaries) ::unlinkat(dir.get(), tmp.c_str(), 0);

    int n = NextFreeNumber(scan, level);
    SaveResult res;
    if (n == 0) {
        res.kind = SaveResult::Kind::Full;
        res.path = folder;
        return res;
    }
    const std::string tmpName = ".gridwick-" + std::to_string(::getpid()) + ".tmp";
    if (const int err = WriteTemporary(dir.get(), tmpName, bytes)) {
        ::unlinkat(dir.get(), tmpName.c_str(), 0);
        return Failure(folder / NumberedFileName(target, level, n), err);
    }
    // link() never replaces: a name taken meanwhile (by hand, or by a program
    // that does not lock) moves the puzzle on to the next free number.
    for (;;) {
        const std::string name = NumberedFileName(target, level, n);
        if (::linkat(dir.get(), tmpName.c_str(), dir.get(), name.c_str(), 0) == 0) {
            res.kind = SaveResult::Kind::Written;
            res.path = folder / name;
            break;
        }
        const int err = errno;
        if (err != EEXIST) {
            res = Failure(folder / name, err);
            break;
        }
        scan.taken.set(static_cast<std::size_t>(n));
        ++scan.counts[static_cast<std::size_t>(level)];
        n = NextFreeNumber(scan, level);
        if (n == 0) {
            res.kind = SaveResult::Kind::Full;
            res.path = folder;
            break;
        }
    }
    ::unlinkat(dir.get(), tmpName.c_str(), 0);
    return res;
}

}  // namespace

int CountMatchingFiles(const fs::path& folder, int target, int level) {
    return ScanFolder(folder, target, level).counts[static_cast<std::size_t>(level)];
}

std::string FormatCount(double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    return buf;
}

std::array<std::string, 9> CountSudokus(const fs::path& base, int target) {
    std::array<std::string, 9> out;
    out.fill("0");
    if (!ValidTarget(target)) return out;
    const OutputTarget& t = TargetAt(target);
    const fs::path folder = TargetFolder(base, target);
    const std::array<int, 10> numbered = t.levelFile ? std::array<int, 10>{} : ScanFolder(folder, target, 0).counts;
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
    return ValidTarget(target) ? TargetAt(target).format(puzzle, solution) : std::string();
}

bool LevelFull(const fs::path& base, int target, int level) {
    const OutputTarget& t = TargetAt(target);
    const fs::path folder = TargetFolder(base, target);
    if (t.levelFile) return std::max(FileLength(folder / LevelFileName(target, level)), 0LL) / t.length >= kMaxPerLevel;
    return NextFreeNumber(ScanFolder(folder, target, level), level) == 0;
}

int FindTarget(const std::string& text) {
    if (text.size() == 1 && text[0] >= '0' && ValidTarget(text[0] - '0')) return text[0] - '0';
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
    if (!ValidTarget(target) || level < 1 || level > 9) return {};
    const OutputTarget& t = TargetAt(target);
    const fs::path folder = TargetFolder(base, target);
    const std::string bytes = t.format(puzzle, solution);
    return t.levelFile ? SaveToLevelFile(folder, target, level, bytes)
                       : SaveToNumberedFile(folder, target, level, bytes);
}

}  // namespace gw
