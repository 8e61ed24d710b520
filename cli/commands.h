// The command line's subcommands.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace gw::cli {

// Subcommands that register themselves: parsing runs them and stores their exit status.
void AddRungsCommand(CLI::App& app, int& status);
void AddBenchCommand(CLI::App& app, int& status);

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
    std::string maxShared;  // givens two saved puzzles may share (see ParseSharedLimit); empty: by method
    bool unique = false;    // no saved puzzle is another in disguise
};

struct GradeOptions {
    std::vector<std::string> inputs;  // files, folders, "-"; empty: standard input
    std::string format = "text";
    bool explain = false;
    bool grid = false;       // the candidate grid before every step (implies explain)
    bool stuckGrid = false;  // the candidate grid where the ladder got stuck
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

// Parses a list of levels ("Extreme,Mayhem,Outlaw", "6-9", "1,3"); bit L set
// for level L. False on an unknown item, with the reason in `error`.
bool ParseLevels(const std::string& text, unsigned& levels, std::string& error);

// The --levels option: leaves `levels` alone when `text` is empty; otherwise
// parses it, and on an error says why on stderr and returns false.
bool LevelsOption(const std::string& text, unsigned& levels);

}  // namespace gw::cli
