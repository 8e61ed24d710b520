// Stored puzzles under the ways a careful user tries the command line: several
// runs on one folder, runs killed at random moments, a full disk, an output
// folder that cannot be used, output that cannot be written. Real `gridwick`
// processes throughout.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <thread>
#include <utility>

#include "grader/grader.h"
#include "output/reader.h"
#include "runs/grading.h"
#include "output/targets.h"

extern char** environ;

namespace gw {
namespace {

namespace fs = std::filesystem;

struct Proc {
    pid_t pid = -1;
    fs::path out, err;
};

// Whether a process has its own handler for SIGTERM: the "SigCgt" mask of
// /proc/PID/status, in hex, with bit n - 1 for signal n.
bool CatchesSigterm(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("SigCgt:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> (SIGTERM - 1)) & 1;
    return false;
}

struct Done {
    int status = -1;  // exit status, or -1 when killed by a signal
    int signal = 0;
    std::string out, err;
};

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class StoredPuzzles : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("gridwick_stored_" + std::to_string(::getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(dir_ / "locked", fs::perms::owner_all, ec);
        fs::remove_all(dir_);
    }

    // Starts the command line with `args`; `env` entries are added to the
    // environment. Standard input is empty; output goes to files.
    Proc Start(const std::vector<std::string>& args, const std::vector<std::string>& env = {},
               const std::string& stdoutPath = {}) {
        Proc p;
        const int n = ++started_;
        p.out = stdoutPath.empty() ? dir_ / ("out" + std::to_string(n)) : fs::path(stdoutPath);
        p.err = dir_ / ("err" + std::to_string(n));
        std::vector<std::string> all = {GRIDWICK_CLI};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        std::vector<std::string> envStrings = env;
        for (char** e = environ; *e != nullptr; ++e) envStrings.emplace_back(*e);
        std::vector<char*> envp;
        for (auto& e : envStrings) envp.push_back(e.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&fa, 1, p.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&fa, 2, p.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        EXPECT_EQ(posix_spawn(&p.pid, GRIDWICK_CLI, &fa, nullptr, argv.data(), envp.data()), 0);
        posix_spawn_file_actions_destroy(&fa);
        return p;
    }

    // Waits for the process; a run that does not end within `limit` is
    // killed and fails the test (it would spin for ever).
    static Done Wait(const Proc& p, std::chrono::seconds limit = std::chrono::seconds(300)) {
        Done d;
        int st = 0;
        const auto until = std::chrono::steady_clock::now() + limit;
        while (::waitpid(p.pid, &st, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > until) {
                ADD_FAILURE() << "run did not end by itself";
                ::kill(p.pid, SIGKILL);
                ::waitpid(p.pid, &st, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        if (WIFEXITED(st)) d.status = WEXITSTATUS(st);
        if (WIFSIGNALED(st)) d.signal = WTERMSIG(st);
        if (p.out != "/dev/full") d.out = Slurp(p.out);
        d.err = Slurp(p.err);
        return d;
    }

    Done Run(const std::vector<std::string>& args, const std::vector<std::string>& env = {}) {
        return Wait(Start(args, env));
    }

    std::vector<std::string> Generate(int target, std::vector<std::string> more = {}) {
        std::vector<std::string> args = {"generate", "-q", "-t", std::to_string(target), "--out", dir_.string()};
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }

    // Checks that every stored file of the target is whole (no empty or torn
    // file, no record cut short, every puzzle valid, no temporary left when
    // `noTemporaries`), and returns the number of stored puzzles.
    long long CheckStored(int target, bool noTemporaries = true) {
        const OutputTarget& t = kTargets[static_cast<std::size_t>(target)];
        const fs::path folder = TargetFolder(dir_, target);
        long long stored = 0;
        if (!fs::is_directory(folder)) return 0;  // a run killed before it made its folders
        for (const auto& e : fs::directory_iterator(folder)) {
            const std::string name = e.path().filename().string();
            if (IsTemporaryName(name)) {
                EXPECT_FALSE(noTemporaries) << "temporary left: " << name;
                continue;
            }
            const std::string bytes = Slurp(e.path());
            EXPECT_FALSE(bytes.empty()) << name;
            EXPECT_EQ(bytes.size() % static_cast<std::size_t>(t.length), 0u) << name << " is cut short";
            const auto puzzles = ReadPuzzles(bytes);
            EXPECT_EQ(puzzles.size(), t.levelFile ? bytes.size() / static_cast<std::size_t>(t.length) : 1u) << name;
            for (const auto& p : puzzles) EXPECT_EQ(p.error, "") << name << " puzzle " << p.line;
            stored += static_cast<long long>(puzzles.size());
        }
        // The counters agree with what is on disk.
        long long counted = 0;
        for (const std::string& c : CountSudokus(dir_, target)) counted += std::stoll(c);
        EXPECT_EQ(counted, stored);
        return stored;
    }

    // "saved N" of a run's summary (on standard error).
    static long long Saved(const Done& d) {
        std::smatch m;
        if (!std::regex_search(d.err, m, std::regex("saved ([0-9]+) \\([^)]*\\), write failures"))) {
            ADD_FAILURE() << "no summary in: " << d.out << d.err;
            return -1;
        }
        return std::stoll(m[1]);
    }

    // The first `n` shared puzzles (with their solutions), as a file of the test's folder.
    std::string SharedPuzzles(int n) {
        const fs::path path = dir_ / ("shared" + std::to_string(n) + ".txt");
        std::ifstream in(GRIDWICK_TEST_DATA "/random.txt");
        std::ofstream out(path);
        std::string line;
        for (int i = 0; i < n && std::getline(in, line); ++i) out << line << "\n";
        EXPECT_TRUE(in) << "fewer than " << n << " shared puzzles";
        return path.string();
    }

    fs::path dir_;
    int started_ = 0;
};

// The three kinds of storage: records, lines, numbered files.
constexpr int kKinds[] = {0, 7, 3};

// Three runs at once on one folder, together asking for more than a level
// holds: the disk holds exactly what they report saved, 1000, all whole.
TEST_F(StoredPuzzles, ThreeRunsShareOneFolder) {
    for (const int target : kKinds) {
        std::vector<Proc> runs;
        for (int i = 0; i < 3; ++i) runs.push_back(Start(Generate(target, {"--count", "400", "--levels", "Easy"})));
        long long saved = 0;
        for (const Proc& p : runs) {
            const Done d = Wait(p);
            EXPECT_EQ(d.status, 0) << d.err;
            saved += Saved(d);
        }
        EXPECT_EQ(saved, kMaxPerLevel) << "target " << target;
        EXPECT_EQ(CheckStored(target), kMaxPerLevel) << "target " << target;
    }
}

// Runs killed at random moments by each stop signal. SIGKILL may leave a
// temporary file (removed by the next run) but never an empty or torn puzzle;
// the others end the run like Ctrl-C, with the summary and status 128 + signal.
TEST_F(StoredPuzzles, KilledRunsLeaveOnlyWholePuzzles) {
    std::mt19937 rng(20261207);
    const int signals[] = {SIGKILL, SIGTERM, SIGHUP, SIGINT, SIGKILL, SIGTERM};
    for (const int target : kKinds) {
        for (const int sig : signals) {
            std::vector<Proc> runs = {Start(Generate(target)), Start(Generate(target, {"--jobs", "2"}))};
            // Wait until both runs have taken over the stop signals, so that a
            // slow start (sanitizers, a busy machine) does not meet the
            // signal's default action.
            for (const Proc& p : runs)
                for (int i = 0; i < 1000 && !CatchesSigterm(p.pid); ++i)
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
            std::this_thread::sleep_for(std::chrono::milliseconds(50 + rng() % 300));
            for (const Proc& p : runs) ::kill(p.pid, sig);
            for (const Proc& p : runs) {
                const Done d = Wait(p);
                if (sig == SIGKILL) {
                    EXPECT_EQ(d.signal, SIGKILL);
                    continue;
                }
                EXPECT_EQ(d.status, 128 + sig) << "signal " << sig << d.err;
                EXPECT_NE(d.err.find("Interrupted: the puzzle in progress was discarded."), std::string::npos);
                EXPECT_GE(Saved(d), 0);
            }
            CheckStored(target, false);
        }
        // The next run cleans what the killed ones left.
        const long long before = CheckStored(target, false);
        const Done d = Run(Generate(target, {"--count", "1"}));
        EXPECT_EQ(d.status, 0) << d.err;
        EXPECT_EQ(CheckStored(target), before + Saved(d));
    }
}

// A disk that fills up: the files keep only whole puzzles, the run names each
// failing file once with the reason and stops by itself with status 1.
TEST_F(StoredPuzzles, FullDiskStopsTheRunAndKeepsWholePuzzles) {
    for (const int target : kKinds) {
        const long long length = kTargets[static_cast<std::size_t>(target)].length;
        const std::string room = std::to_string(length * 5 + length / 2);  // five puzzles and a half
        const Done d = Run(Generate(target), {"LD_PRELOAD=" GRIDWICK_DISK_FULL, "GRIDWICK_DISK_BYTES=" + room,
                                              "ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0"});
        EXPECT_EQ(d.status, 1) << d.out << d.err;
        EXPECT_NE(d.err.find("No space left on device"), std::string::npos) << d.err;
        EXPECT_NE(d.err.find("stopping"), std::string::npos) << d.err;
        std::set<std::string> named;
        std::istringstream lines(d.err);
        for (std::string line; std::getline(lines, line);)
            if (line.rfind("gridwick: cannot write ", 0) == 0) {
                EXPECT_TRUE(named.insert(line).second) << "named twice: " << line;
            }
        EXPECT_FALSE(named.empty());
        const long long saved = Saved(d);
        EXPECT_LE(saved, 5);
        EXPECT_EQ(CheckStored(target), saved) << "target " << target;
    }
}

// Every level fails (a file stands where the target folder should be): a
// counted run stops at once, naming the file and the reason.
TEST_F(StoredPuzzles, RunWhoseEveryLevelFailsStops) {
    for (const int target : kKinds) {
        const fs::path base = dir_ / std::to_string(target);
        fs::create_directories(base);
        std::ofstream(base / kTargets[static_cast<std::size_t>(target)].folder) << "x";
        const Done d = Run({"generate", "-q", "-t", std::to_string(target), "--out", base.string(), "--count", "5",
                            "--levels", "1-2"});
        EXPECT_EQ(d.status, 1);
        EXPECT_NE(d.err.find("Not a directory"), std::string::npos) << d.err;
        EXPECT_NE(d.err.find("stopping"), std::string::npos) << d.err;
        EXPECT_EQ(Saved(d), 0);
    }
}

// Output folders that cannot be used, and output that cannot be written: a
// clear message with the reason and a failing status, never a crash.
TEST_F(StoredPuzzles, UnusableFoldersAndOutputAreErrors) {
    fs::create_symlink("loop", dir_ / "loop");
    fs::create_directories(dir_ / "locked" / "inner");
    fs::permissions(dir_ / "locked", fs::perms::none);
    const bool root = ::geteuid() == 0;  // root searches every folder
    const struct {
        std::string out, reason;
    } cases[] = {
        {(dir_ / std::string(300, 'n')).string(), "File name too long"},
        {(dir_ / "loop").string(), "Too many levels of symbolic links"},
        {(dir_ / "loop" / "below").string(), "Too many levels of symbolic links"},
        {root ? std::string() : (dir_ / "locked" / "inner").string(), "Permission denied"},
    };
    for (const auto& c : cases) {
        if (c.out.empty()) continue;
        // A usage error for generate, an input that cannot be read for count.
        for (const auto& [command, status] : {std::pair{"generate", 2}, std::pair{"count", 1}}) {
            const Done d = Run({command, "--out", c.out, "-t", "2"});
            EXPECT_EQ(d.status, status) << command << " " << c.reason;
            EXPECT_NE(d.err.find(c.reason), std::string::npos) << command << ": " << d.err;
        }
    }
    const Done missing = Run({"count", "--out", (dir_ / "missing").string()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("No such file or directory"), std::string::npos) << missing.err;
    EXPECT_FALSE(fs::exists(dir_ / "missing"));

    // Standard output holds only data: generate's puzzles with --out -, count's counts.
    fs::create_directories(dir_ / kTargets[6].folder);
    for (const auto& args : {std::vector<std::string>{"generate", "-q", "--count", "1", "--out", "-"},
                             std::vector<std::string>{"count", "--out", dir_.string()}}) {
        const Done d = Wait(Start(args, {}, "/dev/full"));
        EXPECT_EQ(d.status, 1) << args[0];
        EXPECT_NE(d.err.find("annot write"), std::string::npos) << d.err;
        EXPECT_NE(d.err.find("No space left on device"), std::string::npos) << d.err;
    }
}


// Three merges of one collection into one target at once, with a generate
// beside them: each puzzle is stored once, and the disk holds exactly what the
// runs report.
TEST_F(StoredPuzzles, ConcurrentMergesStoreEachPuzzleOnce) {
    const std::string source = SharedPuzzles(400);
    for (const int target : kKinds) {
        std::vector<Proc> merges;
        for (int i = 0; i < 3; ++i)
            merges.push_back(Start({"merge", source, "--out", dir_.string(), "-t", std::to_string(target)}));
        const Proc gen = Start(Generate(target, {"--count", "20"}));
        long long copied = 0;
        for (const Proc& p : merges) {
            const Done d = Wait(p);
            EXPECT_EQ(d.status, 0) << d.err;
            std::smatch m;
            ASSERT_TRUE(std::regex_search(d.out, m, std::regex("copied: ([0-9]+)"))) << d.out;
            copied += std::stoll(m[1]);
        }
        const Done g = Wait(gen);
        EXPECT_EQ(g.status, 0) << g.err;
        EXPECT_EQ(CheckStored(target), copied + Saved(g)) << "target " << target;
        std::set<std::string> seen;
        long long duplicates = 0;
        for (const auto& e : fs::directory_iterator(TargetFolder(dir_, target)))
            for (const auto& p : ReadPuzzles(Slurp(e.path()))) duplicates += !seen.insert(p.text).second;
        EXPECT_EQ(duplicates, 0) << "target " << target;
        fs::remove_all(TargetFolder(dir_, target));
    }
}

// Pages and books are written whole or not at all: a full disk or a stop
// signal leaves the previous file as it was and no temporary beside it, the
// reason is the system's, said once; a symbolic link at the name is replaced,
// never written through.
TEST_F(StoredPuzzles, BooksAndPagesAreWholeOrNotWritten) {
    const std::string source = SharedPuzzles(3000), few = SharedPuzzles(30);
    const std::string disk = "LD_PRELOAD=" GRIDWICK_DISK_FULL, asan = "ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0";
    struct Case {
        std::vector<std::string> args;
        fs::path written;  // the file the command writes
    };
    const fs::path book = dir_ / "book.pdf", page = dir_ / "page.html", svgs = dir_ / "svg";
    // Pictures are named by level: the first one by the first puzzle's.
    GradeState gs;
    const int firstLevel = GradePuzzle(gs, ReadPuzzles(Slurp(few)).at(0).grid);
    const std::string firstPicture = std::string(kLevelNames[static_cast<std::size_t>(firstLevel)]) + "_0001.svg";
    const Case cases[] = {
        {{"print", few, "-o", book.string()}, book},
        {{"print", few, "--format", "svg", "--order", "input", "--force", "-o", svgs.string()}, svgs / firstPicture},
        {{"grade", "-q", few, "--html", page.string()}, page},
    };
    auto strays = [&] {
        std::vector<std::string> found;
        for (const fs::path& folder : {dir_, svgs})
            for (const auto& e : fs::directory_iterator(folder))
                if (e.path().filename().string()[0] == '.') found.push_back(e.path().string());
        return found;
    };
    fs::create_directories(svgs);
    for (const Case& c : cases) {
        std::ofstream(c.written) << "previous";
        // A full disk: nothing replaced, the reason once.
        Done d = Run(c.args, {disk, "GRIDWICK_DISK_BYTES=1000", asan});
        EXPECT_EQ(d.status, 1) << c.args[0] << d.err;
        EXPECT_TRUE(Slurp(c.written) == "previous") << c.args[0];
        std::size_t reasons = 0;
        for (std::size_t at = 0; (at = d.err.find("No space left on device", at)) != std::string::npos; ++at) ++reasons;
        EXPECT_EQ(reasons, 1u) << c.args[0] << ": " << d.err;
        EXPECT_EQ(strays(), std::vector<std::string>{}) << c.args[0];

        // A link at the name: replaced by the file, the file it names untouched.
        fs::remove(c.written);
        std::ofstream(dir_ / "victim") << "victim";
        fs::create_symlink(dir_ / "victim", c.written);
        d = Run(c.args);
        EXPECT_EQ(d.status, 0) << c.args[0] << d.err;
        EXPECT_EQ(Slurp(dir_ / "victim"), "victim") << c.args[0];
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(c.written))) << c.args[0];
        EXPECT_EQ(strays(), std::vector<std::string>{}) << c.args[0];
    }

    // Stopped while the temporary is being written: it goes, the previous
    // book stays.
    for (const int sig : {SIGTERM, SIGINT, SIGHUP}) {
        std::ofstream(book) << "previous";
        const Proc p = Start({"print", source, "--per-page", "1", "-o", book.string()});
        for (int i = 0; i < 30000 && strays().empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_FALSE(strays().empty()) << "no temporary seen";
        ::kill(p.pid, sig);
        const Done d = Wait(p);
        EXPECT_TRUE(d.signal == sig || d.status == 128 + sig) << d.err;
        EXPECT_TRUE(Slurp(book) == "previous");
        EXPECT_EQ(strays(), std::vector<std::string>{});
    }
}

// Input that is not puzzles at all, and never ends: merge and print read it
// a line at a time under the line limit, so they stop with the reason.
TEST_F(StoredPuzzles, EndlessInputEndsWithAMessage) {
    for (const auto& args : {std::vector<std::string>{"print", "/dev/zero", "-o", (dir_ / "z.pdf").string()},
                             std::vector<std::string>{"merge", "/dev/zero", "-o", dir_.string(), "-t", "0"}}) {
        // Bounded address space, so that a reader that holds its input
        // fails quickly instead of taking the machine's memory (not under
        // the address sanitizer, which reserves far more).
        rlimit before {};
        ::getrlimit(RLIMIT_AS, &before);
#if !defined(__SANITIZE_ADDRESS__)
        rlimit cap = before;
        cap.rlim_cur = 1ull << 30;
        ::setrlimit(RLIMIT_AS, &cap);
#endif
        const Proc p = Start(args);
        ::setrlimit(RLIMIT_AS, &before);
        const Done d = Wait(p);
        EXPECT_EQ(d.status, 1) << args[0];
        EXPECT_NE(d.err.find("not a text file of puzzles"), std::string::npos) << args[0] << ": " << d.err;
    }
}

// A file size limit (ulimit -f) is met like a full disk: the write that would
// pass it fails with the system's reason, the run stops with its summary, and
// the files keep whole puzzles only.
TEST_F(StoredPuzzles, FileSizeLimitStopsTheRunLikeAFullDisk) {
    for (const int target : {0, 7}) {
        rlimit before {};
        ::getrlimit(RLIMIT_FSIZE, &before);
        rlimit cap = before;
        cap.rlim_cur = 16384;
        ::setrlimit(RLIMIT_FSIZE, &cap);
        const Proc p = Start(Generate(target, {"--levels", "Easy"}));
        ::setrlimit(RLIMIT_FSIZE, &before);
        const Done d = Wait(p);
        EXPECT_EQ(d.status, 1) << "target " << target << " signal " << d.signal;
        EXPECT_NE(d.err.find("File too large"), std::string::npos) << d.err;
        EXPECT_EQ(CheckStored(target), Saved(d)) << "target " << target;
    }
}

// Every command, its output going where nothing can be written: a message
// with the reason, and status 1.
TEST_F(StoredPuzzles, EveryCommandFailsWhenItsOutputCannotBeWritten) {
    const std::string few = SharedPuzzles(3);
    const std::vector<std::string> commands[] = {
        {"--help"}, {"--version"}, {"generate", "--help"}, {"rungs"}, {"bench"},
        {"merge", few, "-o", dir_.string(), "-t", "7"}, {"count", "-o", dir_.string(), "-t", "7"},
        {"print", few, "-o", "/dev/full"}, {"grade", few}, {"generate", "-q", "-n", "1", "-o", "-"},
    };
    for (const auto& args : commands) {
        const Done d = Wait(Start(args, {}, "/dev/full"));
        EXPECT_EQ(d.status, 1) << args[0] << " " << args.back();
        EXPECT_NE(d.err.find("No space left on device"), std::string::npos) << args[0] << ": " << d.err;
    }
}

// Option values that cannot mean what they seem: a usage error, said in a
// line.
TEST_F(StoredPuzzles, MeaninglessOptionValuesAreUsageErrors) {
    const std::vector<std::string> commands[] = {
        Generate(7, {"--levels", ""}), {"merge", SharedPuzzles(1), "-o", dir_.string(), "-t", "7", "--levels", ""},
        Generate(7, {"--max-time", "nan"}), Generate(7, {"--max-time", "-1"}), Generate(7, {"--max-time", "inf"}),
    };
    for (const auto& args : commands) {
        const Done d = Run(args);
        EXPECT_EQ(d.status, 2) << args[0] << " " << args.back();
        EXPECT_LT(d.err.size(), 200u) << d.err;
    }
}

}  // namespace
}  // namespace gw
