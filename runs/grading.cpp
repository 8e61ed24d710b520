#include "runs/grading.h"

#include <fcntl.h>
#include <glob.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

#include "generator/solution_count.h"
#include "grader/score.h"
#include "grader/trial_explain.h"
#include "output/targets.h"

namespace gw {

std::string CheckPuzzle(const Grid& g, Grid* solution) {
    static constexpr const char* kKinds[3] = {"row", "column", "box"};
    for (int u = 0; u < 27; ++u) {
        unsigned seen = 0;
        for (int k = 0; k < 9; ++k) {
            const int d = g[UnitCell(u, k)];
            if (d == 0) continue;
            if (seen & DigitBit(d))
                return "digit " + std::to_string(d) + " appears twice in " + kKinds[KindOfUnit(u)] + " " +
                       std::to_string(IndexOfUnit(u) + 1);
            seen |= DigitBit(d);
        }
    }
    const SolutionCount count = CountSolutionsBounded(g, 2, kSolutionCountGuesses, solution);
    if (!count.complete) return "too many possibilities to decide whether the solution is unique";
    const int n = count.solutions;
    if (n == 0) return "no solution";
    if (n > 1) return "more than one solution";
    return {};
}

std::vector<InputPuzzle> ReadPuzzles(std::string_view data) {
    std::size_t at = 0;
    PuzzleReader reader([&](char* buf, std::size_t n) -> long {
        const std::size_t k = std::min(n, data.size() - at);
        std::memcpy(buf, data.data() + at, k);
        at += k;
        return static_cast<long>(k);
    });
    std::vector<InputPuzzle> out;
    InputPuzzle p;
    while (reader.Next(p)) {
        if (p.error.empty()) p.error = CheckPuzzle(p.grid);
        out.push_back(std::move(p));
    }
    return out;
}


bool ReadStoredFile(const fs::path& path, std::vector<InputPuzzle>& out, std::string& error) {
    out.clear();
    return ForEachPuzzleIn(
        path,
        [&](InputPuzzle& p) {
            if (p.error.empty()) p.error = CheckPuzzle(p.grid);
            out.push_back(std::move(p));
            return true;
        },
        error);
}


void ForEachCheckedPuzzle(const std::vector<StoredFile>& files, int& bad,
                          const std::function<bool(LoadedPuzzle&)>& visit,
                          const std::function<void(const std::string&)>& problem) {
    GradeState s;
    bool go = true;
    for (const StoredFile& f : files) {
        if (!go) break;
        const char* unit = f.target >= 0 && kTargets[static_cast<std::size_t>(f.target)].levelFile ? "record" : "line";
        std::string error;
        const bool read = ForEachPuzzleIn(
            f.path,
            [&](InputPuzzle& p) {
                LoadedPuzzle lp;
                if (p.error.empty()) p.error = CheckPuzzle(p.grid, &lp.solution);
                if (!p.error.empty()) {
                    ++bad;
                    if (problem) problem(f.path.string() + " " + unit + " " + std::to_string(p.line) + ": " + p.error);
                    return true;
                }
                lp.path = f.path;
                lp.line = p.line;
                lp.puzzle = p.grid;
                lp.level = f.level != 0 ? f.level : GradePuzzle(s, p.grid);
                go = visit(lp);
                return go;
            },
            error);
        if (!read) {
            ++bad;
            if (problem) problem(error);
        }
    }
}

namespace runs {

void GradeOne(GradedPuzzle& g, GradeState& s, const GradingOptions& o) {
    const bool parsed = g.p.error.empty();
    if (parsed) g.p.error = CheckPuzzle(g.p.grid, &g.solution);
    // Pencil marks: where their solver stands must still lead to the solution.
    const Position from = g.p.position.value_or(StartOf(g.p.grid));
    if (parsed && g.p.error.empty() && g.p.position) g.p.error = PositionError(from, g.solution);
    if (g.p.position && g.p.position->givens == g.p.position->grid && g.p.error == "no solution")
        g.p.error = "no solution: some filled cell is wrong (the puzzle written before its marks on their line "
                    "tells which)";
    // Why a puzzle cannot be graded, with what shows it.
    if (!g.p.error.empty()) {
        if (o.diagnose) {
            g.why = explain::Diagnose(g.p.grid, g.p.error, parsed);
            g.p.error = g.why.reason;
        }
        return;
    }
    GradeRun run{.disabledRungs = o.disabled};
    GradeRun* const outer = s.run;
    s.run = &run;
    // From pencil marks the grading starts where their solver stands.
    GradeTrace trace;
    std::vector<Step>* const steps = o.steps || o.firstStep ? &g.steps : nullptr;
    g.level = g.p.position ? GradeFrom(s, from, steps, trace) : GradePuzzle(s, g.p.grid, steps, trace);
    g.score = Score(g.level, trace);
    s.run = outer;
    // Only the step the ladder takes first from this grid: the grading's
    // first pass is exactly that. A trial is always the last step, so a first
    // step that is one is explained in full all the same.
    if (o.firstStep && g.steps.size() > 1) g.steps.resize(1);
    // A trial's explanation is worked out apart from the grading.
    ExplainTrial(from, g.steps, o.disabled);
}

std::vector<GradingInput> ExpandInputs(const std::vector<std::string>& names,
                                       const std::function<void(const std::string&, const std::string&)>& problem) {
    std::vector<GradingInput> out;
    auto addFile = [&](const std::string& name) {
        struct stat st {};
        GradingInput in{name, false, 0};
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
            if (ec) problem(name, ec.message());
            std::sort(found.begin(), found.end());
            if (found.empty() && !ec) problem(name, "no puzzle file in this folder");
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

void GradingJob::ReadAll(const GradingEvents& ev, const std::function<bool(GradedPuzzle&&)>& sink) {
    auto stopped = [&] { return ev.stopped && ev.stopped(); };
    auto problem = [&](const std::string& input, const std::string& why) {
        ++inputProblems_;
        if (ev.inputProblem) ev.inputProblem(input, why);
    };
    unsigned long long before = 0;
    for (std::size_t i = 0; i < inputs_.size() && !stopped(); ++i) {
        const GradingInput& in = inputs_[i];
        const std::string shown = in.name == "-" ? "standard input" : in.name;
        int fd = 0;
        if (in.name != "-") {
            fd = ::open(in.name.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0) {
                problem(in.name, std::strerror(errno));
                continue;
            }
        }
        PuzzleReader reader([&](char* buf, std::size_t n) -> long {
            // Whatever was graded so far is shown before waiting for more input.
            if (ev.waiting) ev.waiting();
            for (;;) {
                const ssize_t k = ::read(fd, buf, n);
                if (k >= 0 || errno != EINTR) return static_cast<long>(k);
                if (stopped()) return 0;
            }
        });
        long long found = 0;
        bool go = true;
        GradedPuzzle g;
        g.input = i;
        while (go && !stopped() && reader.Next(g.p)) {
            ++found;
            ++read_;
            bytesRead_.store(before + reader.BytesRead());
            go = sink(std::move(g));
            g = GradedPuzzle{};
            g.input = i;
        }
        before += reader.BytesRead();
        if (fd != 0) ::close(fd);
        if (!go) return;
        if (reader.ReadError() != 0) problem(shown, std::strerror(reader.ReadError()));
        else if (found == 0 && !stopped()) problem(shown, "no puzzle found");
    }
}

void GradingJob::RunParallel(const GradingEvents& ev) {
    std::mutex m;
    std::condition_variable workCv, doneCv, roomCv;
    std::deque<std::pair<std::uint64_t, GradedPuzzle>> queue;
    std::map<std::uint64_t, GradedPuzzle> done;
    std::uint64_t nextSeq = 0, nextOut = 0;
    bool readingDone = false, stop = false;
    const std::uint64_t window = 64 * static_cast<std::uint64_t>(o_.jobs);
    auto stopped = [&] { return ev.stopped && ev.stopped(); };

    std::vector<std::thread> workers;
    for (int w = 0; w < o_.jobs; ++w)
        workers.emplace_back([&] {
            GradeState s;
            std::unique_lock lock(m);
            for (;;) {
                workCv.wait(lock, [&] { return stop || !queue.empty() || readingDone; });
                if (stop || (queue.empty() && readingDone)) return;
                auto [seq, g] = std::move(queue.front());
                queue.pop_front();
                lock.unlock();
                GradeOne(g, s, o_);
                if (ev.rendered) ev.rendered(g);
                lock.lock();
                done.emplace(seq, std::move(g));
                if (seq == nextOut) doneCv.notify_one();
            }
        });
    // The results go out in input order, from one thread.
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
                    if (ev.waiting) ev.waiting();  // nothing more to hand over yet
                    lock.lock();
                    break;
                }
                GradedPuzzle g = std::move(found->second);
                done.erase(found);
                ++nextOut;
                roomCv.notify_one();
                lock.unlock();
                const bool ok = ev.result(g) && !stopped();
                lock.lock();
                if (!ok) {
                    stop = true;
                    workCv.notify_all();
                    roomCv.notify_all();
                    return;
                }
            }
        }
    });
    ReadAll(ev, [&](GradedPuzzle&& g) {
        std::unique_lock lock(m);
        roomCv.wait(lock, [&] { return stop || nextSeq - nextOut < window; });
        if (stop) return false;
        queue.emplace_back(nextSeq++, std::move(g));
        workCv.notify_one();
        return true;
    });
    {
        std::lock_guard lock(m);
        readingDone = true;
        if (stopped()) stop = true;
    }
    workCv.notify_all();
    doneCv.notify_all();
    for (auto& w : workers) w.join();
    doneCv.notify_all();
    printer.join();
}

void GradingJob::Run(const GradingEvents& ev) {
    if (o_.jobs > 1) {
        RunParallel(ev);
        return;
    }
    GradeState s;
    ReadAll(ev, [&](GradedPuzzle&& g) {
        GradeOne(g, s, o_);
        if (ev.rendered) ev.rendered(g);
        return ev.result(g) && !(ev.stopped && ev.stopped());
    });
}

std::vector<GradedPuzzle> GradeText(std::string_view text, const GradingOptions& o) {
    std::size_t at = 0;
    PuzzleReader reader([&](char* buf, std::size_t n) -> long {
        const std::size_t k = std::min(n, text.size() - at);
        std::memcpy(buf, text.data() + at, k);
        at += k;
        return static_cast<long>(k);
    });
    std::vector<GradedPuzzle> out;
    GradeState s;
    GradedPuzzle g;
    while (reader.Next(g.p)) {
        GradeOne(g, s, o);
        out.push_back(std::move(g));
        g = GradedPuzzle{};
    }
    return out;
}

}  // namespace runs
}  // namespace gw
