// The command line's subcommands.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace gw::cli {

// A command's run, bound to the options its definition added: returns the
// exit status.
using Runner = std::function<int()>;

// One row per command, in the order `gridwick --help` lists them. `define`
// adds the command's options to `cmd` and returns its run; `footer` says what
// the command's help ends with.
struct Command {
    enum Footer { kExitStatus = 1, kTargets = 2, kLevels = 4 };
    const char* name;
    const char* summary;
    Runner (*define)(CLI::App& cmd);
    unsigned footer;
};

Runner DefineGenerate(CLI::App& cmd);
Runner DefineGrade(CLI::App& cmd);
Runner DefineCount(CLI::App& cmd);
Runner DefinePrint(CLI::App& cmd);
Runner DefineMerge(CLI::App& cmd);
Runner DefineRungs(CLI::App& cmd);
Runner DefineBench(CLI::App& cmd);

inline const std::array<Command, 7> kCommands = {{
    {"generate", "Generate, grade and save puzzles (Ctrl-C stops and prints the summary)", DefineGenerate,
     Command::kExitStatus | Command::kTargets | Command::kLevels},
    {"grade", "Grade puzzles: one per line (81 cells; '.', '0', '*', 'x' or '_' empty), nine lines of nine, CSV, "
              "or any file Gridwick writes", DefineGrade, Command::kExitStatus},
    {"count", "Print the nine level counters of a target as the window shows them", DefineCount,
     Command::kExitStatus | Command::kTargets},
    {"print", "Make a print-ready book (PDF) of puzzles, then their solutions, or one picture per puzzle",
     DefinePrint, Command::kExitStatus | Command::kLevels},
    {"merge", "Copy the puzzles of folders Gridwick wrote (any target) or puzzle files into one target, skipping "
              "puzzles it already holds", DefineMerge, Command::kExitStatus | Command::kTargets | Command::kLevels},
    {"rungs", "List the ladder: number, level, name and the other names --without accepts", DefineRungs, 0},
    {"bench", "Grade a fixed built-in set of puzzles of every level; print the time and the signature of all "
              "gradings", DefineBench, 0},
}};

// The target the command line writes when none is given: one line per puzzle,
// readable in any editor and by `gridwick grade`.
inline constexpr const char* kDefaultTarget = "6";

struct GenerateOptions {
    std::string target = kDefaultTarget;
    long long count = 0;  // 0: until interrupted
    std::string levels;   // empty: all nine
    int jobs = 1;
    std::optional<std::uint64_t> seed;
    std::string out = ".";  // "-": one line per puzzle on stdout
    bool quiet = false;     // no live progress line
    double maxTime = 0;     // seconds; 0: no limit
    long long maxMade = 0;  // puzzles made (saved or not); 0: no limit
    std::string method = "random";  // "random": the plain loop; "hunt": search near the hardest found
    int perGrid = 3;        // hunt: at most this many saved puzzles per solution grid
    long long perLevel = 0; // save this many of each chosen level, then stop; 0: no such limit
    std::string maxShared;  // givens two saved puzzles may share (see ParseSharedLimit); empty: by method
    bool unique = false;    // no saved puzzle is another in disguise
    std::vector<std::string> from;  // hunt: folders and files of puzzles to start from
};

struct GradeOptions {
    std::vector<std::string> inputs;  // files, folders, "-"; empty: standard input
    std::string format = "text";
    bool explain = false;
    bool grid = false;       // the candidate grid before every step (implies explain)
    bool stuckGrid = false;  // the candidate grid where the ladder got stuck
    bool hint = false;       // only the next step from each grid
    std::string html;        // a page with a drawn grid per step
    std::string without;
    int jobs = 1;
    std::string steps = "all";  // jsonl: "all" or "none"
    bool summary = false;
    bool quiet = false;         // no progress line
    bool solution = false;      // text: add the 81-digit solution (jsonl always has it)
    bool canonical = false;     // add the canonical form
};

struct CountOptions {
    std::string target = kDefaultTarget;
    std::string out = ".";
    std::string format = "text";
};

int RunGenerate(const GenerateOptions& o);
int RunGrade(const GradeOptions& o);
int RunCount(const CountOptions& o);

}  // namespace gw::cli
