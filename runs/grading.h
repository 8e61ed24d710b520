// Grading puzzles that users bring, the one way every front end does it: the
// puzzles of many inputs are read with their positions, each is checked (one
// solution, no digit twice in a unit) and, when it cannot be graded,
// diagnosed; the others are graded, a bivalue trial is explained (the
// contradiction its other candidate runs into and the steps that fill the
// grid from the kept one), and a hint keeps only the first step.
//
// A grading job streams: it holds a bounded window of puzzles, so input of any
// size, and input that still arrives, are graded as they come. With several
// workers the results still come out in input order.
#pragma once

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "explain/unusable.h"
#include "grader/grader.h"
#include "model/state.h"
#include "output/reader.h"
#include "output/stored.h"

namespace gw {

// Checks a parsed puzzle: no digit twice in a unit, exactly one solution
// (stored in `solution` when given). Returns an empty string when valid, else
// the reason.
std::string CheckPuzzle(const Grid& grid, Grid* solution = nullptr);

// Splits a whole buffer into puzzles and checks each (CheckPuzzle): the simple
// entry point for input held in memory.
std::vector<InputPuzzle> ReadPuzzles(std::string_view data);

// Reads and checks every puzzle of a file (see ReadPuzzles). False with the
// reason when the file cannot be read.
bool ReadStoredFile(const fs::path& path, std::vector<InputPuzzle>& out, std::string& error);

// A checked puzzle of a collection, with its solution and level.
struct LoadedPuzzle {
    fs::path path;
    int line = 0;  // line, or record number of a level file
    Grid puzzle{};
    Grid solution{};
    int level = 0;  // from the stored file name, else from grading
};

// Reads the puzzles of `files` one at a time (see ForEachPuzzleIn), checks
// each (CheckPuzzle) and hands the valid ones, with their level, to `visit`,
// which returns false to stop. A bad puzzle or a file that cannot be read is
// counted in `bad` and its reason ("PATH line 3: ...") handed to `problem`.
void ForEachCheckedPuzzle(const std::vector<StoredFile>& files, int& bad,
                          const std::function<bool(LoadedPuzzle&)>& visit,
                          const std::function<void(const std::string&)>& problem);

namespace runs {

struct GradingOptions {
    RungSet disabled;       // rungs that count as making no progress
    bool steps = false;     // record the steps, a trial's refutation and fill with them
    bool diagnose = false;  // a puzzle that cannot be graded gets the grids that show why
    bool firstStep = false; // a hint: only the first step is kept
    int jobs = 1;           // workers of a job
};

// One puzzle of a job, from its reading to its explanation.
struct GradedPuzzle {
    std::size_t input = 0;  // which input it came from
    InputPuzzle p;          // its position and text; `error` says why it cannot be graded
    int level = 0;          // 1..9, 0 when it cannot be graded
    double score = 0;       // the difficulty score (grader/score.h), 0 when it cannot be graded
    Grid solution{};
    std::vector<Step> steps;
    explain::Unusable why;  // with `diagnose`, for a puzzle that cannot be graded
    // What the front end made of it on the worker that graded it (its lines,
    // its messages, its part of a page), so that a costly rendering runs in
    // parallel too.
    std::string out, err, page;
};

// Checks, diagnoses, grades and explains one parsed puzzle (`g.p`), reusing
// the grading state `s`.
void GradeOne(GradedPuzzle& g, GradeState& s, const GradingOptions& o);

// One input of a job as the user named it ("-" for standard input).
struct GradingInput {
    std::string name;
    bool regular = false;  // a plain file: its size is known
    unsigned long long size = 0;
};

// The inputs behind the names: a folder stands for every puzzle file below it
// (IsPuzzleFileName, in sorted order), a pattern the shell left alone for its
// matches. A folder that cannot be searched or holds no puzzle file goes to
// `problem` with the reason ("no puzzle file in this folder").
std::vector<GradingInput> ExpandInputs(const std::vector<std::string>& names,
                                       const std::function<void(const std::string& name, const std::string& why)>& problem);

// Where a job reports to. Every callback is optional except `result`.
struct GradingEvents {
    // Each puzzle (or line that is none), right after it was graded, on the
    // worker's thread: the place for the front end's own rendering.
    std::function<void(GradedPuzzle&)> rendered;
    // Each puzzle in input order, on one thread at a time; false stops the job.
    std::function<bool(GradedPuzzle&)> result;
    // Nothing more to hand over for now: the job waits for input or for a
    // worker (the moment to show what was handed over so far).
    std::function<void()> waiting;
    // An input that cannot be opened or read, or that holds no puzzle.
    std::function<void(const std::string& input, const std::string& why)> inputProblem;
    // True once the job should stop (checked between puzzles and reads).
    std::function<bool()> stopped;
};

// Reads, grades and hands over the puzzles of `inputs` in order.
class GradingJob {
public:
    GradingJob(GradingOptions options, std::vector<GradingInput> inputs)
        : o_(std::move(options)), inputs_(std::move(inputs)) {}

    void Run(const GradingEvents& events);

    const std::vector<GradingInput>& inputs() const { return inputs_; }
    // Bytes read so far over all inputs (for a progress estimate).
    unsigned long long BytesRead() const { return bytesRead_.load(); }
    // Puzzles and lines read so far.
    long long Read() const { return read_.load(); }
    // Inputs that could not be read or held no puzzle.
    int InputProblems() const { return inputProblems_; }

private:
    void ReadAll(const GradingEvents& ev, const std::function<bool(GradedPuzzle&&)>& sink);
    void RunParallel(const GradingEvents& ev);

    const GradingOptions o_;
    std::vector<GradingInput> inputs_;
    std::atomic<unsigned long long> bytesRead_{0};
    std::atomic<long long> read_{0};
    int inputProblems_ = 0;
};

// The puzzles of a text, each checked, graded and explained: the simple entry
// point for input held in memory.
std::vector<GradedPuzzle> GradeText(std::string_view text, const GradingOptions& o);

}  // namespace runs
}  // namespace gw
