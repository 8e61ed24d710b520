// gridwick grade: rates puzzles that users bring and explains the path.
//
// Input is read, graded and printed puzzle by puzzle, so results appear while
// input still arrives and memory stays flat. With --jobs N, N workers grade
// while one thread reads and one prints in input order: the output is the
// same bytes whatever N.
#include <fcntl.h>
#include <glob.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <optional>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

#include "cli/commands.h"
#include "cli/options.h"
#include "cli/replacing_file.h"
#include "grader/grader.h"
#include "grader/trial_explain.h"
#include "explain/explain.h"
#include "explain/html.h"
#include "explain/unusable.h"
#include "model/canonical.h"
#include "output/reader.h"
#include "output/stored.h"

namespace gw::cli {

namespace {

namespace fs = std::filesystem;
using explain::JsonString;

std::string GridDigits(const Grid& g) {
    std::string s(81, '0');
    for (int c = 0; c < 81; ++c) s[static_cast<std::size_t>(c)] = static_cast<char>('0' + g[c]);
    return s;
}

// The first step of a path, as a path of its own (empty when there is none).
std::vector<Step> FirstStep(const std::vector<Step>& steps) {
    return steps.empty() ? std::vector<Step>{} : std::vector<Step>{steps.front()};
}

// Steps as a JSON array; a trial's step also carries its refutation and the
// steps that fill the grid.
std::string StepsJson(const std::vector<Step>& steps) {
    std::string out = "[";
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step& st = steps[i];
        const Rung& rung = kLadder[static_cast<std::size_t>(st.rung - 1)];
        if (i) out += ", ";
        out += "{\"rung\": " + std::to_string(st.rung) + ", \"technique\": " + JsonString(rung.player) +
               ", \"level\": " + std::to_string(rung.level) + ", \"changes\": [";
        for (std::size_t k = 0; k < st.changes.size(); ++k) {
            const Change& ch = st.changes[k];
            if (k) out += ", ";
            out += "[\"" + std::string(1, ch.kind) + "\", " + std::to_string(ch.cell) + ", " +
                   std::to_string(ch.digit) + "]";
        }
        out += "], \"pattern\": " + explain::PatternJson(st.pattern);
        if (!st.refutation.empty()) out += ", \"refutation\": " + StepsJson(st.refutation);
        if (!st.fill.empty()) out += ", \"fill\": " + StepsJson(st.fill);
        out += "}";
    }
    return out + "]";
}

// One input as the user named it (a file found in a folder keeps its path).
struct Input {
    std::string name;  // "-" for standard input
    bool regular = false;
    unsigned long long size = 0;
};

// One puzzle (or bad line) travelling from the reader to the printer.
struct Item {
    std::size_t input = 0;
    InputPuzzle p;
    int level = 0;  // 0: bad
    Grid solution{};
    std::vector<Step> steps;
    std::string out;  // what goes to stdout
    std::string err;  // what goes to stderr
    std::string html;  // its section of the --html page
};

class Grader {
public:
    Grader(const GradeOptions& o, RungSet disabled, std::vector<Input> inputs)
        : o_(o), disabled_(disabled), inputs_(std::move(inputs)) {
        json_ = o.format == "jsonl";
        withSteps_ =
            (json_ ? o.steps != "none" : o.explain || o.grid || o.stuckGrid) || !o.html.empty() || o.hint;
        several_ = inputs_.size() > 1;
    }
    int Run();

private:
    void Process(Item& it, GradeState& s) const;
    void Render(Item& it) const;
    std::string Where(const Item& it) const;
    bool Emit(const Item& it);  // false when stdout cannot be written
    void ReadAll(const std::function<bool(Item&&)>& sink);
    void Progress(bool final);
    int RunParallel();

    const GradeOptions& o_;
    const RungSet disabled_;
    std::vector<Input> inputs_;
    bool json_ = false, withSteps_ = false, several_ = false;

    // Printer's tallies.
    std::array<long long, 10> perLevel_{};
    long long bad_ = 0;
    bool writeFailed_ = false;
    int inputFailures_ = 0;
    std::atomic<unsigned long long> bytesRead_{0};
    unsigned long long totalBytes_ = 0;
    bool progress_ = false;
    bool eagerFlush_ = true;  // stdout is read as it comes (not a plain file)
    bool progressShown_ = false;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point lastProgress_{};
    ReplacingFile page_;  // --html: the page, written as the puzzles are graded
};

// The stop signal that ended the run, 0 while none has.
int Stopped() { return StopSignals::Caught(); }

std::string Grader::Where(const Item& it) const {
    const std::string pos = std::string(it.p.record ? "record " : "line ") + std::to_string(it.p.line);
    const std::string& name = inputs_[it.input].name;
    return name == "-" ? pos : name + " " + pos;
}

void Grader::Process(Item& it, GradeState& s) const {
    const bool parsed = it.p.error.empty();
    if (parsed) it.p.error = CheckPuzzle(it.p.grid, &it.solution);
    // Why a puzzle cannot be graded, with what shows it.
    if (!it.p.error.empty()) {
        const explain::Unusable why = explain::Diagnose(it.p.grid, it.p.error, parsed);
        it.p.error = why.reason;
        if (!o_.html.empty()) it.html = explain::HtmlPage::UnusableSection(it.p.line, it.p.text, why);
    }
    // Pencil marks: the grading starts where their solver stands, once they
    // are known to lead to the solution.
    const Position from = it.p.position.value_or(StartOf(it.p.grid));
    if (it.p.error.empty() && it.p.position) it.p.error = PositionError(from, it.solution);
    if (!it.p.error.empty() && it.p.position && it.p.position->givens == it.p.position->grid && parsed &&
        it.p.error == "no solution")
        it.p.error = "no solution: some filled cell is wrong (the puzzle written before its marks on their line "
                     "tells which)";
    // A hint in text needs only the first step.
    const std::size_t limit = o_.hint && !json_ ? 1 : static_cast<std::size_t>(-1);
    if (it.p.error.empty()) it.level = GradeFrom(s, from, withSteps_ ? &it.steps : nullptr, limit);
    // A trial's explanation is worked out apart from the grading.
    ExplainTrial(from, it.steps, disabled_);
    Render(it);
    it.steps = {};
}

// Everything printed for one puzzle. Further views of a graded puzzle belong
// here, as more branches.
void Grader::Render(Item& it) const {
    const InputPuzzle& p = it.p;
    const Position from = p.position.value_or(StartOf(p.grid));
    const std::string& file = inputs_[it.input].name;
    if (it.level == 0) {
        it.err = "gridwick: " + Where(it) + ": " + p.error + "\n";
        if (json_) {
            it.out = "{";
            if (file != "-") it.out += "\"file\": " + JsonString(file) + ", ";
            it.out += "\"line\": " + std::to_string(p.line) + ", \"error\": " + JsonString(p.error) + "}\n";
        }
        return;
    }
    const int level = it.level;
    const auto levelName = kLevelNames[static_cast<std::size_t>(level)];
    if (!o_.html.empty()) it.html = explain::HtmlPage::Section(p.line, p.grid, level, it.steps);
    if (json_) {
        std::string& out = it.out;
        out = "{";
        if (file != "-") out += "\"file\": " + JsonString(file) + ", ";
        out += "\"line\": " + std::to_string(p.line) + ", \"puzzle\": " + JsonString(p.text) +
               ", \"level\": " + std::to_string(level) + ", \"name\": " + JsonString(levelName) +
               ", \"solution\": \"" + GridDigits(it.solution) + "\"";
        if (o_.canonical) out += ", \"canonical\": \"" + CanonicalText(p.grid) + "\"";
        if (o_.hint) out += ", \"hint\": " + StepsJson(FirstStep(it.steps));
        else if (withSteps_ && o_.steps != "none") out += ", \"steps\": " + StepsJson(it.steps);
        out += "}\n";
        return;
    }
    if (o_.hint) {
        // Only the step the ladder takes first from this grid: the grading's
        // first pass is exactly that.
        std::string& out = it.out;
        if (several_) out = file + ":" + std::to_string(p.line) + ": ";
        out += p.text + "\n";
        if (!it.steps.empty()) {
            out += "  next: " + explain::StepText(it.steps.front()) + "\n";
            for (const std::string& b : explain::BranchLines(it.steps.front())) out += "      " + b + "\n";
        } else if (level == 9) {
            out += "  " + explain::StuckLine(explain::Board(from)) + "\n";
        } else {
            out += "  solved: no cell is left open\n";
        }
        return;
    }
    std::string& out = it.out;
    if (several_) out = file + ":" + std::to_string(p.line) + ": ";
    out += p.text + " " + std::to_string(level) + " " + levelName;
    if (o_.solution) out += " " + GridDigits(it.solution);
    if (o_.canonical) out += " " + CanonicalText(p.grid);
    out += "\n";
    if (o_.explain || o_.grid) out += explain::ExplanationText(explain::Board(from), level, it.steps, o_.grid);
    else if (o_.stuckGrid && level == 9) out += explain::StuckGridText(explain::Board(from), it.steps);
}

bool Grader::Emit(const Item& it) {
    if (it.level == 0) ++bad_;
    else ++perLevel_[static_cast<std::size_t>(it.level)];
    if (!it.err.empty()) {
        std::fflush(stdout);
        if (progressShown_) std::fputs("\r\033[K", stderr);
        std::fputs(it.err.c_str(), stderr);
    }
    if (!it.html.empty()) page_.Write(it.html);
    if (!it.out.empty() && !writeFailed_) {
        std::fwrite(it.out.data(), 1, it.out.size(), stdout);
        if (std::ferror(stdout)) writeFailed_ = true;
    }
    Progress(false);
    return !writeFailed_;
}

void Grader::Progress(bool final) {
    if (!progress_) return;
    const auto now = std::chrono::steady_clock::now();
    if (!final && now - lastProgress_ < std::chrono::milliseconds(200)) return;
    lastProgress_ = now;
    long long done = bad_;
    for (long long n : perLevel_) done += n;
    const double t = std::chrono::duration<double>(now - start_).count();
    const double frac = totalBytes_ > 0 ? static_cast<double>(bytesRead_.load()) / static_cast<double>(totalBytes_) : 0;
    char buf[160];
    int len = std::snprintf(buf, sizeof buf, "\r\033[Kgridwick: %lld puzzles", done);
    if (frac > 0.001) {
        const double total = static_cast<double>(done) / frac;
        len += std::snprintf(buf + len, sizeof buf - static_cast<std::size_t>(len), " of about %.0f (%.0f%%)", total,
                             100 * frac);
    }
    if (t > 0) len += std::snprintf(buf + len, sizeof buf - static_cast<std::size_t>(len), ", %.0f/s", done / t);
    if (frac > 0.01 && frac < 1) {
        const int eta = static_cast<int>(t / frac - t);
        std::snprintf(buf + len, sizeof buf - static_cast<std::size_t>(len), ", ETA %d:%02d", eta / 60, eta % 60);
    }
    std::fputs(buf, stderr);
    if (final) std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    progressShown_ = !final;
}

// Reads every input in turn and hands each puzzle or bad line to `sink`
// (which returns false to stop).
void Grader::ReadAll(const std::function<bool(Item&&)>& sink) {
    unsigned long long before = 0;
    for (std::size_t i = 0; i < inputs_.size() && Stopped() == 0; ++i) {
        const Input& in = inputs_[i];
        const std::string shown = in.name == "-" ? "standard input" : in.name;
        int fd = 0;
        if (in.name != "-") {
            fd = ::open(in.name.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0) {
                std::fprintf(stderr, "gridwick: %s: %s\n", in.name.c_str(), std::strerror(errno));
                ++inputFailures_;
                continue;
            }
        }
        PuzzleReader reader([fd, this](char* buf, std::size_t n) -> long {
            // Whatever was graded so far is shown before waiting for more input.
            if (eagerFlush_) std::fflush(stdout);
            for (;;) {
                const ssize_t k = ::read(fd, buf, n);
                if (k >= 0 || errno != EINTR) return static_cast<long>(k);
                if (Stopped() != 0) return 0;
            }
        });
        long long found = 0;
        bool go = true;
        Item it;
        it.input = i;
        while (go && Stopped() == 0 && reader.Next(it.p)) {
            ++found;
            bytesRead_.store(before + reader.BytesRead());
            go = sink(std::move(it));
            it = Item{};
            it.input = i;
        }
        before += reader.BytesRead();
        if (fd != 0) ::close(fd);
        if (!go) return;
        if (reader.ReadError() != 0) {
            std::fflush(stdout);
            std::fprintf(stderr, "gridwick: %s: %s\n", shown.c_str(), std::strerror(reader.ReadError()));
            ++inputFailures_;
        } else if (found == 0 && Stopped() == 0) {
            std::fflush(stdout);
            std::fprintf(stderr, "gridwick: %s: no puzzle found\n", shown.c_str());
            ++inputFailures_;
        }
    }
}

int Grader::RunParallel() {
    std::mutex m;
    std::condition_variable workCv, doneCv, roomCv;
    std::deque<std::pair<std::uint64_t, Item>> queue;
    std::map<std::uint64_t, Item> done;
    std::uint64_t nextSeq = 0, nextOut = 0;
    bool readingDone = false, stop = false;
    const std::uint64_t window = 64 * static_cast<std::uint64_t>(o_.jobs);

    std::vector<std::thread> workers;
    for (int w = 0; w < o_.jobs; ++w)
        workers.emplace_back([&] {
            GradeState s;
            GradeRun run{.disabledRungs = disabled_};
            s.run = &run;
            std::unique_lock lock(m);
            for (;;) {
                workCv.wait(lock, [&] { return stop || !queue.empty() || readingDone; });
                if (stop || (queue.empty() && readingDone)) return;
                auto [seq, it] = std::move(queue.front());
                queue.pop_front();
                lock.unlock();
                Process(it, s);
                lock.lock();
                done.emplace(seq, std::move(it));
                if (seq == nextOut) doneCv.notify_one();
            }
        });
    // The printer: results in input order.
    std::thread printer([&] {
        std::unique_lock lock(m);
        for (;;) {
            doneCv.wait_for(lock, std::chrono::milliseconds(200),
                            [&] { return stop || done.count(nextOut) != 0 || (readingDone && nextOut == nextSeq); });
            if (stop || (readingDone && nextOut == nextSeq)) return;
            while (true) {
                auto found = done.find(nextOut);
                if (found == done.end()) {
                    lock.unlock();
                    if (eagerFlush_) std::fflush(stdout);  // nothing more to print yet: show what is there
                    lock.lock();
                    break;
                }
                Item it = std::move(found->second);
                done.erase(found);
                ++nextOut;
                roomCv.notify_one();
                lock.unlock();
                const bool ok = Emit(it) && Stopped() == 0;
                lock.lock();
                if (!ok) {
                    stop = true;
                    workCv.notify_all();
                    roomCv.notify_all();
                    return;
                }
            }
            lock.unlock();
            Progress(false);
            lock.lock();
        }
    });
    ReadAll([&](Item&& it) {
        std::unique_lock lock(m);
        roomCv.wait(lock, [&] { return stop || nextSeq - nextOut < window; });
        if (stop) return false;
        queue.emplace_back(nextSeq++, std::move(it));
        workCv.notify_one();
        return true;
    });
    {
        std::lock_guard lock(m);
        readingDone = true;
        if (Stopped() != 0) stop = true;
    }
    workCv.notify_all();
    doneCv.notify_all();
    for (auto& w : workers) w.join();
    doneCv.notify_all();
    printer.join();
    return 0;
}

int Grader::Run() {
    progress_ = isatty(STDERR_FILENO) && !isatty(STDOUT_FILENO) && !o_.quiet;
    struct stat st {};
    eagerFlush_ = !(::fstat(STDOUT_FILENO, &st) == 0 && S_ISREG(st.st_mode));
    for (const Input& in : inputs_) {
        if (!in.regular) progress_ = false;
        totalBytes_ += in.size;
    }
    // No restart: a read in progress returns, so a stop is seen at once.
    std::optional<StopSignals> signals(std::in_place, false);

    if (!o_.html.empty() && !(page_.Open(o_.html) && page_.Write(explain::HtmlPage::Head()))) {
        std::fprintf(stderr, "gridwick: %s\n", page_.Reason().c_str());
        page_.Discard();
        return 1;
    }
    if (o_.jobs <= 1) {
        GradeState s;
        GradeRun run{.disabledRungs = disabled_};
        s.run = &run;
        ReadAll([&](Item&& it) {
            Process(it, s);
            return Emit(it) && Stopped() == 0;
        });
    } else {
        RunParallel();
    }
    Progress(true);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) writeFailed_ = true;
    const int savedErrno = errno;
    signals.reset();

    long long graded = 0;
    for (long long n : perLevel_) graded += n;
    if (writeFailed_)
        std::fprintf(stderr, "gridwick: cannot write the results: %s\n",
                     std::strerror(savedErrno != 0 ? savedErrno : EIO));
    if (Stopped() != 0) std::fprintf(stderr, "gridwick: stopped; the puzzles after the last one shown were not graded\n");
    if (o_.summary || isatty(STDERR_FILENO)) {
        const double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        std::string levels;
        for (int l = 1; l <= 9; ++l) {
            if (l > 1) levels += ", ";
            levels += std::string(kLevelNames[static_cast<std::size_t>(l)]) + " " +
                      std::to_string(perLevel_[static_cast<std::size_t>(l)]);
        }
        std::fprintf(stderr, "gridwick: graded %lld puzzles in %.1f s (%.0f/s), %lld bad\ngridwick: %s\n", graded, t,
                     t > 0 ? static_cast<double>(graded) / t : 0.0, bad_, levels.c_str());
    }
    // A stopped run leaves the previous page as it was.
    if (Stopped() != 0) return 128 + Stopped();
    bool pageFailed = false;
    if (!o_.html.empty() && !(page_.Write(explain::HtmlPage::Tail()) && page_.Commit())) {
        std::fprintf(stderr, "gridwick: %s\n", page_.Reason().c_str());
        pageFailed = true;
    }
    return bad_ > 0 || writeFailed_ || inputFailures_ > 0 || pageFailed ? 1 : 0;
}

// Expands the named inputs: a folder stands for every puzzle file below it (by
// extension, in sorted order), a pattern the shell left alone for its matches.
// False when nothing at all can be read.
std::vector<Input> ExpandInputs(const std::vector<std::string>& names, int& failures) {
    std::vector<Input> out;
    auto addFile = [&](const std::string& name) {
        struct stat st {};
        Input in{name, false, 0};
        if (::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            in.regular = true;
            in.size = static_cast<unsigned long long>(st.st_size);
        }
        out.push_back(in);
    };
    for (const std::string& name : names) {
        if (name == "-") {
            out.push_back({"-", false, 0});
            continue;
        }
        std::error_code ec;
        if (fs::is_directory(name, ec)) {
            std::vector<std::string> found;
            fs::recursive_directory_iterator it(name, fs::directory_options::none, ec), end;
            for (; !ec && it != end; it.increment(ec)) {
                std::error_code fec;
                if (it->is_regular_file(fec) && IsPuzzleFileName(it->path())) found.push_back(it->path().string());
            }
            if (ec) {
                std::fprintf(stderr, "gridwick: %s: %s\n", name.c_str(), ec.message().c_str());
                ++failures;
            }
            std::sort(found.begin(), found.end());
            if (found.empty() && !ec) {
                std::fprintf(stderr, "gridwick: %s: no puzzle file in this folder\n", name.c_str());
                ++failures;
            }
            for (const auto& f : found) addFile(f);
            continue;
        }
        if (!fs::exists(name, ec) && name.find_first_of("*?[") != std::string::npos) {
            glob_t g{};
            if (::glob(name.c_str(), 0, nullptr, &g) == 0) {
                for (std::size_t k = 0; k < g.gl_pathc; ++k) addFile(g.gl_pathv[k]);
                ::globfree(&g);
                continue;
            }
            ::globfree(&g);
        }
        addFile(name);  // a missing or unreadable file is named when it is opened
    }
    return out;
}

}  // namespace

int RunGrade(const GradeOptions& o) {
    RungSet disabled;
    if (!o.without.empty()) {
        std::string error;
        if (!ParseRungList(o.without, disabled, error)) {
            std::fprintf(stderr, "gridwick: --without: %s\n", error.c_str());
            return 2;
        }
    }
    if (o.inputs.empty() && isatty(STDIN_FILENO))
        std::fprintf(stderr, "gridwick: reading puzzles from the terminal, one per line (Ctrl-D ends)\n");
    int failures = 0;
    std::vector<Input> inputs = ExpandInputs(o.inputs.empty() ? std::vector<std::string>{"-"} : o.inputs, failures);
    Grader grader(o, disabled, std::move(inputs));
    const int status = grader.Run();
    return status == 0 && failures > 0 ? 1 : status;
}

Runner DefineGrade(CLI::App& cmd) {
    auto o = std::make_shared<GradeOptions>();
    cmd.add_option("input", o->inputs,
                   "Files, folders (every puzzle file below), or - for standard input (the default)");
    cmd.add_option("--format,-f", o->format, "Output format: text or jsonl")
        ->option_text("FORMAT")->transform(OneOf({"text", "jsonl"}))->capture_default_str();
    cmd.add_flag("--explain,-e", o->explain, "Show the solution path, one step per ladder pass");
    cmd.add_flag("--grid", o->grid, "With the path, the candidate grid before every step");
    cmd.add_flag("--stuck-grid", o->stuckGrid, "The candidate grid where the ladder got stuck (Outlaw puzzles)");
    cmd.add_flag("--hint", o->hint,
                 "Only the next step from each grid: give the puzzle with the cells filled so far, or a grid of "
                 "pencil marks as --stuck-grid prints it (jsonl: \"hint\", a list of at most one step)");
    cmd.add_option("--html", o->html, "Also write a page with the puzzle and a drawn grid for every step")
        ->option_text("FILE");
    cmd.add_option("--without,-w", o->without,
                   "Rungs that count as making no progress: numbers, ranges or technique names, e.g. 24,25 or "
                   "X-Wing (see gridwick rungs)")->option_text("RUNGS");
    cmd.add_option("--jobs,-j", o->jobs, "Grading workers, 1 to 256; results stay in input order")
        ->option_text("N")->check(CLI::Range(1, 256))->capture_default_str();
    cmd.add_option("--steps", o->steps, "jsonl: all steps of each puzzle, or none")
        ->option_text("all|none")->transform(OneOf({"all", "none"}))->capture_default_str();
    cmd.add_flag("--summary,-s", o->summary,
                 "Print puzzles per level, bad lines and time at the end (always when standard error is a terminal)");
    cmd.add_flag("--quiet,-q", o->quiet, "No progress line");
    cmd.add_flag("--solution", o->solution, "Add each puzzle's solution (81 digits; jsonl always has it)");
    cmd.add_flag("--canonical", o->canonical, "Add each puzzle's canonical form (the same for every disguise)");
    return [o] { return RunGrade(*o); };
}

}  // namespace gw::cli
