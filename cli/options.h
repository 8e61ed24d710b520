// What the commands share in reading their options: values in any case,
// whole numbers, targets and levels, folders, suggestions for mistyped words,
// the help layout and the guard that turns Ctrl-C into a clean stop.
#pragma once

#include <CLI/CLI.hpp>

#include <atomic>
#include <string>
#include <vector>

namespace gw::cli {

std::string Lower(std::string s);

// A whole number option that says what is wrong in a few words. A limit
// takes `least` 1: zero would leave nothing to do, and a script that computed
// it is told so instead of running without a limit.
CLI::Validator Whole(const char* what, unsigned long long least = 0);

// A number of seconds, finite and above 0.
CLI::Validator Seconds();

// A value that may not be empty (an empty list would silently mean "all").
CLI::Validator NotEmpty(const char* what);

// A range of difficulty scores: "6.5-7.2", "7" (the whole level), "7.5-", "-3".
CLI::Validator ScoreRangeCheck();

// Ends the program's output: flushes standard output and, when it could not
// be written (a full disk, a closed pipe, /dev/full), says so with the
// system's reason and turns a successful `status` into 1.
int FinishOutput(int status);

// A value from a fixed set, in any case; the value becomes the set's spelling.
CLI::Validator OneOf(std::vector<std::string> values);

// The target of --target: its number or its name (any case). On an unknown
// one, says so on stderr with the list of targets and returns false.
bool TargetOption(const std::string& text, int& target);

// Parses a list of levels ("Extreme,Mayhem,Outlaw", "6-9", "1,3"); bit L set
// for level L. False on an unknown item, with the reason in `error`.
bool ParseLevels(const std::string& text, unsigned& levels, std::string& error);

// The --levels option: leaves `levels` alone when `text` is empty; otherwise
// parses it, and on an error says why on stderr and returns false.
bool LevelsOption(const std::string& text, unsigned& levels);

// Why `folder` cannot serve as a base folder ("" when it can). With `create`,
// a missing folder is created first.
std::string UnusableFolder(const std::string& folder, bool create);

// The candidate closest to `word` by edit distance, when it is close enough
// to be a slip of the fingers; "" otherwise.
std::string Closest(const std::string& word, const std::vector<std::string>& candidates);

// Text wrapped to `width` columns, each line after the first indented by
// `indent` spaces.
std::string Wrap(const std::string& text, std::size_t width, std::size_t indent = 0);

// Columns of the help: the terminal's width on standard output, 80 when it
// is not a terminal.
std::size_t HelpWidth();

// "gridwick merge [OPTIONS] sources...": the command's path, then what it takes.
std::string UsageLine(const CLI::App* app, const std::string& name = "");

// When a required argument or option of `app` was not given: what is missing,
// in the usage line's words, and that line ("" when nothing is missing).
std::string MissingOption(const CLI::App* app);

// The help of the command line and of each command, wrapped to HelpWidth().
class HelpFormat : public CLI::Formatter {
public:
    std::string make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const override;
};

// While it lives, Ctrl-C, kill and a closed terminal set a flag instead of
// ending the program, so a run stops cleanly and prints its summary. With
// `restart`, interrupted system calls resume; without it, a blocking read
// returns so that the reader can see the stop.
class StopSignals {
public:
    explicit StopSignals(bool restart, std::atomic<bool>* flag = nullptr);
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The signal that asked for the stop, 0 while none has.
    static int Caught();
};

}  // namespace gw::cli
