// Gridwick as a library: read a Sudoku puzzle, check it, grade it the way a
// person solves it, explain the grading, give the next hint from a partly
// solved grid, put a puzzle in canonical form and generate puzzles of chosen
// levels.
//
// Everything here works on values: a Puzzle is 81 cells, a Grading holds the
// level and the steps. No function keeps state between calls and there are no
// globals, so separate threads may grade separate puzzles at the same time.
//
// Errors: input that is not a puzzle, a puzzle that has no unique solution, an
// unknown technique or level name and a partial grid that contradicts the
// puzzle throw gridwick::Error (a std::invalid_argument) whose what() says
// why. Check() reports an invalid puzzle as a value instead of throwing.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#if defined(GRIDWICK_BUILDING) && defined(__GNUC__)
#define GRIDWICK_API __attribute__((visibility("default")))
#else
#define GRIDWICK_API
#endif

namespace gridwick {

// The version of the library, "major.minor".
GRIDWICK_API const char* Version();

// Thrown for input the library cannot work with; what() says why.
class GRIDWICK_API Error : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// 81 cells in row-major order (r1c1, r1c2, ... r9c9), digits 1..9, 0 = empty.
struct GRIDWICK_API Puzzle {
    std::array<std::uint8_t, 81> cells{};

    // 81 characters, '.' for an empty cell.
    std::string ToString() const;
    // Number of filled cells.
    int Filled() const;
    bool operator==(const Puzzle&) const = default;
};

// Reads one puzzle: 81 cell characters on one line ('.', '0', '*', 'x' or '_'
// for an empty cell, optionally followed by more words), or nine lines of nine.
// Throws Error when the text holds no puzzle or more than one.
GRIDWICK_API Puzzle Parse(std::string_view text);

// Whether a puzzle can be graded.
struct GRIDWICK_API CheckResult {
    bool valid = false;     // no clash and exactly one solution
    int solutions = 0;      // counted up to the limit asked for (0 when givens clash)
    bool complete = true;   // false when the count gave up before deciding
    std::string reason;     // empty when valid, else why not
    std::optional<Puzzle> solution;  // the solution when valid
};

// Counts solutions up to `limit` (at least 2) within a fixed budget of work.
GRIDWICK_API CheckResult Check(const Puzzle& puzzle, int limit = 2);

// One placement ('P'), removal ('R') or successful trial assumption ('T').
struct GRIDWICK_API Change {
    char kind = 'P';
    int cell = 0;   // 0..80
    int digit = 0;  // 1..9
    bool operator==(const Change&) const = default;
};

// A line of a long explanation: its depth (0 for a step, 1 for a sub-chain
// under it) and its text.
struct GRIDWICK_API Line {
    int depth = 0;
    std::string text;
    bool operator==(const Line&) const = default;
};

// One pass of the ladder that made progress.
struct GRIDWICK_API Step {
    int rung = 0;           // 1..42
    std::string technique;  // the rung's name ("Hidden Single", "X-Wing", ...)
    int level = 0;          // the level of the rung, 1..8
    std::vector<Change> changes;
    std::string pattern;    // what the technique saw, as a JSON object
    std::string text;       // "Technique: pattern => result"
    // A bivalue trial's own steps (empty for every other step): those by which
    // the cell's other candidate meets its contradiction, and those by which
    // the ladder fills the grid from the kept assumption.
    std::vector<Step> refutation{};
    std::vector<Step> fill{};
    // A trial's refutation as a person reads it: numbered lines, one step a
    // line, a forcing chain's branches indented under its step.
    std::vector<Line> refutationLines{};
    // The step as a JSON object: rung, technique, level, changes, pattern (and
    // a trial's "refutation" and "fill"), as the command line writes it.
    std::string json;
    std::string Json() const;
};

struct GRIDWICK_API GradeOptions {
    // Rungs switched off: numbers, ranges and names separated by commas
    // ("20-25, X-Wing"). Throws Error on an unknown name.
    std::string without;
    // Record the steps (false: only the level, which is faster).
    bool steps = true;
};

namespace detail {
struct GradingData;
}

struct GRIDWICK_API Grading {
    Puzzle puzzle;
    Puzzle solution;
    int level = 0;          // 1..8 solved by the ladder, 9 when it got stuck
    std::string levelName;  // "Easy" ... "Outlaw"
    // The difficulty score: the level plus a fraction 0.00..0.99 that orders
    // the puzzles of one level from easy to hard (two decimals, as `gridwick
    // grade` prints it). The same whether the steps are recorded or not.
    double score = 0;
    std::vector<Step> steps;
    // The grading as one JSON line: puzzle, level, name, score, solution, steps.
    std::string Json() const;

    std::shared_ptr<const detail::GradingData> data;  // what the explanations need
};

// The level names, index 1..9 ("Easy" ... "Outlaw"); index 0 is "".
GRIDWICK_API std::string LevelName(int level);

// Grades a valid puzzle. Throws Error when it has no unique solution.
GRIDWICK_API Grading Grade(const Puzzle& puzzle, const GradeOptions& options = {});

enum class Format {
    Text,       // numbered step lines and a summary
    TextGrids,  // the same with the candidate grid before every step
    Jsonl,      // Grading::Json() and a line end
    Html,       // a whole page with a drawn grid per step
};

// An explanation of a grading made with steps.
GRIDWICK_API std::string Explain(const Grading& grading, Format format);

// The drawn grid before step `index` (0-based) with its pattern highlighted,
// as an SVG element; index == steps.size() draws the grid after the last step.
// Throws std::out_of_range for a larger index.
GRIDWICK_API std::string StepSvg(const Grading& grading, std::size_t index);

// One picture of an explanation with what is said under it. A grading's
// frames, in order: the puzzle; each step on the grid it starts from; after a
// bivalue trial, its own steps from the kept assumption ("21.1", ...) and the
// solved grid; the grid where the ladder got stuck. The same pictures and
// lines as Explain's text and page.
struct GRIDWICK_API Frame {
    std::string label;  // "21", "21.3"; empty for the puzzle, a solved and a stuck grid
    std::string text;   // the step's line, or "The puzzle", "The solved grid", "Stuck: ..."
    // A forcing chain's branches and a trial's refutation, node by node, a line each.
    std::vector<std::string> details;
    std::string svg;    // the drawn grid (empty unless asked for)
};

// The frames of a grading made with steps; `pictures` draws their grids.
GRIDWICK_API std::vector<Frame> Frames(const Grading& grading, bool pictures = true);

// The style sheet the SVG pictures are drawn with (classes of the page).
GRIDWICK_API std::string SvgStyle();

// The next step from a partly solved grid.
struct GRIDWICK_API Hint {
    enum class Status { Step, Solved, Stuck } status = Status::Stuck;
    Step step;        // set for Status::Step
    std::string svg;  // the grid with the step drawn on it (Status::Step)
};

// Pencil marks of the 81 cells: bit d-1 set while d is marked; 0 for a cell
// not marked yet (it counts as holding every digit its row, column and box
// leave open).
using Marks = std::array<std::uint16_t, 81>;

// The first step the ladder takes from `progress`: the puzzle's givens with the
// digits placed so far, the candidates worked out from the digits. Throws
// Error when `puzzle` is not valid, or when `progress` drops a given or holds
// a digit that the solution does not ("r3c4 holds 5, which is wrong").
GRIDWICK_API Hint NextHint(const Puzzle& puzzle, const Puzzle& progress, const GradeOptions& options = {});
// The same from the solver's own pencil marks too: the ladder climbs from
// the marks as they stand. Throws Error as above, and when a mark that is
// the cell's digit was removed ("the candidate 7 of r2c2 was removed, but it
// is that cell's digit").
GRIDWICK_API Hint NextHint(const Puzzle& puzzle, const Puzzle& progress, const Marks& marks,
                           const GradeOptions& options = {});

// The canonical form: one representative of the puzzle and all its disguises
// (digits relabelled, rows, columns, bands and stacks permuted, transposed).
GRIDWICK_API Puzzle Canonical(const Puzzle& puzzle);

// Sets of levels as bit masks, bit L for level L.
inline constexpr unsigned kAllLevels = 0x3FEu;
// "6-9", "Extreme,Mayhem", "1,3": throws Error on an unknown item.
GRIDWICK_API unsigned ParseLevels(std::string_view text);

enum class Method {
    Random,  // a random grid, clues removed while the solution stays unique
    Hunt,    // a search near the hardest puzzles found so far (for levels 7 to 9)
};

struct GRIDWICK_API GenerateOptions {
    unsigned levels = kAllLevels;
    Method method = Method::Random;
    std::uint64_t seed = 0;
    // Puzzles made and graded before giving up (0: no limit).
    long long maxTries = 0;
    // Set from another thread to stop early; may be left null.
    const std::atomic<bool>* halt = nullptr;
};

struct GRIDWICK_API Generated {
    Puzzle puzzle;
    Puzzle solution;
    int level = 0;
    long long tries = 0;  // puzzles made and graded to find it
};

// The first puzzle of a wanted level that the method makes from the seed
// (with Method::Random, the first one `gridwick generate --seed` writes among
// those levels). Empty when halted or out of tries.
GRIDWICK_API std::optional<Generated> Generate(const GenerateOptions& options);

// The fixed benchmark set (`gridwick bench`) and the signature of its
// gradings; an implementation of the grader that gives the same signature
// grades every one of them the same way.
GRIDWICK_API std::vector<Puzzle> BenchmarkPuzzles();
// FNV-1a over levels and steps, as `gridwick bench` prints it (16 hex digits).
GRIDWICK_API std::string Signature(const std::vector<Grading>& gradings);

}  // namespace gridwick
