// The command line's subcommands.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/state.h"

namespace gw::cli {

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
    std::string without;
    bool solution = false;   // add the 81-digit solution
    bool canonical = false;  // add the canonical form
};

struct CountOptions {
    std::string target = "0";
    std::string out = ".";
};

int RunGenerate(const GenerateOptions& o);
int RunGrade(const GradeOptions& o);
int RunCount(const CountOptions& o);

// The answer-key fields of a graded puzzle that `o` asks for: " SOLUTION
// CANONICAL" for text, or the jsonl keys ", \"solution\": ..." to follow "name".
std::string AnswerFields(const GradeOptions& o, const Grid& puzzle, bool json);

// Parses a list of levels ("Extreme,Mayhem,Outlaw", "6-9", "1,3"); bit L set
// for level L. False on an unknown item, with the reason in `error`.
bool ParseLevels(const std::string& text, unsigned& levels, std::string& error);

}  // namespace gw::cli
