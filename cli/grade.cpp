// gridwick grade: rates puzzles that users bring and explains the path.
//
// Input is read, graded and printed puzzle by puzzle, so results appear while
// input still arrives and memory stays flat. With --jobs N, N workers grade
// while one thread reads and one prints in input order: the output is the
// same bytes whatever N.
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>

#include "cli/commands.h"
#include "cli/options.h"
#include "output/replacing_file.h"
#include "explain/explain.h"
#include "explain/html.h"
#include "grader/score.h"
#include "model/canonical.h"
#include "runs/grading.h"

namespace gw::cli {

namespace {

using explain::JsonString;
using runs::GradedPuzzle;
using runs::GradingInput;

std::string GridDigits(const Grid& g) {
    std::string s(81, '0');
    for (int c = 0; c < 81; ++c) s[static_cast<std::size_t>(c)] = static_cast<char>('0' + g[c]);
    return s;
}

// The first step of a path, as a path of its own (empty when there is none).
std::vector<Step> FirstStep(const std::vector<Step>& steps) {
    return steps.empty() ? std::vector<Step>{} : std::vector<Step>{steps.front()};
}

class Grader {
public:
    Grader(const GradeOptions& o, RungSet disabled, std::vector<GradingInput> inputs)
        : o_(o), job_(Options(o, disabled), std::move(inputs)) {
        json_ = o.format == "jsonl";
        several_ = job_.inputs().size() > 1;
    }
    int Run();

private:
    static runs::GradingOptions Options(const GradeOptions& o, const RungSet& disabled) {
        runs::GradingOptions g;
        g.disabled = disabled;
        g.steps = (o.format == "jsonl" ? o.steps != "none" : o.explain || o.grid || o.stuckGrid) || !o.html.empty() ||
                  o.hint;
        g.diagnose = true;
        g.firstStep = o.hint && o.html.empty();
        g.jobs = o.jobs;
        return g;
    }
    void Render(GradedPuzzle& g) const;
    std::string Where(const GradedPuzzle& g) const;
    bool Emit(const GradedPuzzle& g);  // false when stdout cannot be written
    void Progress(bool final);

    const GradeOptions& o_;
    runs::GradingJob job_;
    bool json_ = false, several_ = false;

    // Printer's tallies.
    std::array<long long, 10> perLevel_{};
    long long bad_ = 0;
    bool writeFailed_ = false;
    // errno of the first failed write: errno belongs to the thread that wrote,
    // so it is kept where the failure is seen.
    std::atomic<int> writeErrno_{0};
    void WriteFailed() {
        int none = 0;
        writeErrno_.compare_exchange_strong(none, errno != 0 ? errno : EIO);
    }
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

std::string Grader::Where(const GradedPuzzle& g) const {
    const std::string pos = std::string(g.p.record ? "record " : "line ") + std::to_string(g.p.line);
    const std::string& name = job_.inputs()[g.input].name;
    return name == "-" ? pos : name + " " + pos;
}

// Everything printed for one puzzle. Further views of a graded puzzle belong
// here, as more branches.
void Grader::Render(GradedPuzzle& it) const {
    const InputPuzzle& p = it.p;
    // Pencil marks: the explanation starts where their solver stands.
    const explain::Board start = p.position ? explain::Board(*p.position) : explain::Board(p.grid);
    const std::string& file = job_.inputs()[it.input].name;
    if (it.level == 0) {
        if (!o_.html.empty()) it.page = explain::HtmlPage::UnusableSection(p.line, p.text, it.why);
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
    if (!o_.html.empty()) it.page = explain::HtmlPage::Section(p.line, start, level, it.steps, it.score);
    if (json_) {
        std::string& out = it.out;
        out = "{";
        if (file != "-") out += "\"file\": " + JsonString(file) + ", ";
        out += "\"line\": " + std::to_string(p.line) + ", \"puzzle\": " + JsonString(p.text) +
               ", \"level\": " + std::to_string(level) + ", \"name\": " + JsonString(levelName) +
               ", \"score\": " + ScoreText(it.score) + ", \"solution\": \"" + GridDigits(it.solution) + "\"";
        if (o_.canonical) out += ", \"canonical\": \"" + CanonicalText(p.grid) + "\"";
        if (o_.hint) out += ", \"hint\": " + explain::StepsJson(FirstStep(it.steps));
        else if (o_.steps != "none") out += ", \"steps\": " + explain::StepsJson(it.steps);
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
            out += "  " + explain::StuckLine(start) + "\n";
        } else {
            out += "  solved: no cell is left open\n";
        }
        return;
    }
    std::string& out = it.out;
    if (several_) out = file + ":" + std::to_string(p.line) + ": ";
    out += p.text + " " + std::to_string(level) + " " + levelName + " " + ScoreText(it.score);
    if (o_.solution) out += " " + GridDigits(it.solution);
    if (o_.canonical) out += " " + CanonicalText(p.grid);
    out += "\n";
    if (o_.explain || o_.grid) out += explain::ExplanationText(start, level, it.steps, o_.grid);
    else if (o_.stuckGrid && level == 9) out += explain::StuckGridText(start, it.steps);
}

bool Grader::Emit(const GradedPuzzle& it) {
    if (it.level == 0) ++bad_;
    else ++perLevel_[static_cast<std::size_t>(it.level)];
    if (!it.err.empty()) {
        std::fflush(stdout);
        if (progressShown_) std::fputs("\r\033[K", stderr);
        std::fputs(it.err.c_str(), stderr);
    }
    if (!it.page.empty()) page_.Write(it.page);
    if (!it.out.empty() && !writeFailed_) {
        errno = 0;
        std::fwrite(it.out.data(), 1, it.out.size(), stdout);
        if (std::ferror(stdout)) {
            writeFailed_ = true;
            WriteFailed();
        }
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
    const double frac = totalBytes_ > 0 ? static_cast<double>(job_.BytesRead()) / static_cast<double>(totalBytes_) : 0;
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

int Grader::Run() {
    progress_ = isatty(STDERR_FILENO) && !isatty(STDOUT_FILENO) && !o_.quiet;
    struct stat st {};
    eagerFlush_ = !(::fstat(STDOUT_FILENO, &st) == 0 && S_ISREG(st.st_mode));
    for (const GradingInput& in : job_.inputs()) {
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
    runs::GradingEvents events;
    events.rendered = [this](GradedPuzzle& g) {
        Render(g);
        g.steps = {};
    };
    events.result = [this](GradedPuzzle& g) { return Emit(g); };
    events.waiting = [this] {
        errno = 0;
        if (eagerFlush_ && std::fflush(stdout) != 0) WriteFailed();
    };
    events.inputProblem = [](const std::string& input, const std::string& why) {
        std::fflush(stdout);
        std::fprintf(stderr, "gridwick: %s: %s\n", input.c_str(), why.c_str());
    };
    events.stopped = [] { return Stopped() != 0; };
    job_.Run(events);
    Progress(true);
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        WriteFailed();
        writeFailed_ = true;
    }
    signals.reset();

    long long graded = 0;
    for (long long n : perLevel_) graded += n;
    if (writeFailed_)
        std::fprintf(stderr, "gridwick: cannot write the results: %s\n",
                     std::strerror(writeErrno_.load()));
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
    if (!o_.html.empty() && job_.Read() == 0) {
        // Nothing was read (a mistyped input, say): the page stays as it was.
        page_.Discard();
        std::fprintf(stderr, "gridwick: no puzzle read; %s left as it was\n", o_.html.c_str());
        pageFailed = true;
    } else if (!o_.html.empty() && !(page_.Write(explain::HtmlPage::Tail()) && page_.Commit())) {
        std::fprintf(stderr, "gridwick: %s\n", page_.Reason().c_str());
        pageFailed = true;
    }
    return bad_ > 0 || writeFailed_ || job_.InputProblems() > 0 || pageFailed ? 1 : 0;
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
    std::vector<GradingInput> inputs =
        runs::ExpandInputs(o.inputs.empty() ? std::vector<std::string>{"-"} : o.inputs,
                           [&](const std::string& name, const std::string& why) {
                               std::fprintf(stderr, "gridwick: %s: %s\n", name.c_str(), why.c_str());
                               ++failures;
                           });
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
        ->option_text("FILE")->check(NotEmpty("a file name"));
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
