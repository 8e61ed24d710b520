// The command line's subcommands.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace CLI {
class App;
}

namespace gw::cli {

// Subcommands that register themselves: parsing runs them and stores their exit status.
void AddRungsCommand(CLI::App& app, int& status);
void AddBenchCommand(CLI::App& app, int& status);

struct GenerateOptions {
    std::string target = "0";
    long long count = 0;  // 0: until interrupted
    std::string levels;   // empty: all nine
    int jobs = 1;
    std::optional<std::uint64_t> seed;
    std::string out = ".";
    bool quiet = false;   // no live progress line
};

struct GradeOptions {
    std::string input = "-";
    std::string format = "text";
    bool explain = false;
    bool grid = false;       // the candidate grid before every step (implies explain)
    bool stuckGrid = false;  // the candidate grid where the ladder got stuck
    std::string html;        // a page with a drawn grid per step
    std::string without;
};

struct CountOptions {
    std::string target = "0";
    std::string out = ".";
};

int RunGenerate(const GenerateOptions& o);
int RunGrade(const GradeOptions& o);
int RunCount(const CountOptions& o);

// Parses a list of levels ("Extreme,Mayhem,Outlaw", "6-9", "1,3"); bit L set
// for level L. False on an unknown item, with the reason in `error`.
bool ParseLevels(const std::string& text, unsigned& levels, std::string& error);

}  // namespace gw::cli
