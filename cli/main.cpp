// gridwick: the headless command line over the Gridwick engine.
//
// Exit status, the same for every command: 0 done; 1 some puzzles bad, some
// input unreadable or some writes failed; 2 usage error; 128 + signal when
// stopped (130 for Ctrl-C).
#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "cli/publish.h"
#include "grader/grader.h"
#include "output/targets.h"

namespace {

// The eight targets and nine levels, for the help of the commands that take them.
std::string TargetsAndLevels() {
    std::string s = "Targets (--target, by number or name; default " + std::string(gw::cli::kDefaultTarget) + "):\n";
    for (std::size_t t = 0; t < gw::kTargets.size(); ++t)
        s += "  " + std::to_string(t) + "  " + gw::kTargets[t].listText + "\n";
    s += "Levels (--levels, by number or name):\n  ";
    for (int l = 1; l <= 9; ++l)
        s += std::to_string(l) + " " + gw::kLevelNames[static_cast<std::size_t>(l)] + (l < 9 ? ", " : "");
    return s + "\n";
}

// A whole number option that says what is wrong in a few words.
CLI::Validator Count(const char* what) {
    return CLI::Validator(
        [what](std::string& v) -> std::string {
            std::size_t used = 0;
            try {
                if (!v.empty() && v[0] >= '0' && v[0] <= '9' && (std::stoull(v, &used), used == v.size())) return {};
            } catch (...) {
            }
            return std::string("expected ") + what + ", got '" + v + "'";
        },
        "");
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Gridwick: mass-produces Sudoku puzzles, grades them the way a person solves them, "
                 "and writes them for eight puzzle programs.",
                 "gridwick"};
    app.set_version_flag("--version,-V", "gridwick " GRIDWICK_VERSION);
    app.set_help_all_flag("--help-all", "Print the help of every command and exit");
    int status = 2;
    gw::cli::AddRungsCommand(app, status);
    gw::cli::AddBenchCommand(app, status);

    gw::cli::GenerateOptions gen;
    auto* g = app.add_subcommand("generate", "Generate, grade and save puzzles (Ctrl-C stops and prints the summary)");
    g->add_option("--target,-t", gen.target, "Output target: its number or name (any case); see the list below")
        ->capture_default_str();
    g->add_option("--count,-n", gen.count, "Stop after this many saved puzzles (default: until Ctrl-C)")
        ->check(Count("a whole number of puzzles"));
    g->add_option("--levels,-l", gen.levels, "Save only these levels: names or numbers, e.g. Extreme,Mayhem or 6-9");
    g->add_option("--jobs,-j", gen.jobs, "Generating and grading workers")
        ->check(CLI::Range(1, 256))->capture_default_str();
    g->add_option("--seed", gen.seed, "Seed of the random source (0 to 2^64-1); makes the whole run reproducible")
        ->check(Count("a whole number from 0 to 18446744073709551615"));
    g->add_option("--out,-o", gen.out,
                  "Folder that holds the eight target folders, or - for one line per saved puzzle on standard "
                  "output (81 cells, level number, level name)")->capture_default_str();
    g->add_option("--max-time", gen.maxTime, "Stop after this many seconds")->check(CLI::NonNegativeNumber);
    g->add_option("--max-made", gen.maxMade, "Stop after making this many puzzles, saved or not")
        ->check(Count("a whole number of puzzles"));
    g->add_flag("--quiet,-q", gen.quiet, "No live progress line");
    g->add_option("--method,-m", gen.method,
                  "random: a new random grid per puzzle; hunt: neighbours of the hardest puzzles found "
                  "(far faster for Extreme, Mayhem and Outlaw)")
        ->check(CLI::IsMember({"random", "hunt"}))->capture_default_str();
    g->add_option("--per-grid", gen.perGrid, "Hunt: at most this many saved puzzles per solution grid")
        ->check(CLI::PositiveNumber)->capture_default_str();
    g->add_option("--max-shared", gen.maxShared,
                  "No two saved puzzles share more givens (same cell, same digit) than this: a share of the smaller "
                  "puzzle's givens (0.5 or 50%), a count (12), or off. Puzzles saved in the run and those already "
                  "in the level count. Default: 0.5 for the hunt (it then saves about a fifth as many Extreme and "
                  "half as many Mayhem puzzles per second), off for the plain loop (which hardly ever makes a "
                  "near-copy)");
    g->add_flag("--unique,-u", gen.unique,
                "Also save no puzzle that is a saved or stored one in disguise (digits relabelled, rows, columns, "
                "bands or stacks permuted, transposed)");

    gw::cli::GradeOptions grade;
    auto* r = app.add_subcommand("grade",
                                 "Grade puzzles: one per line (81 cells; '.', '0', '*', 'x' or '_' empty), nine lines "
                                 "of nine, CSV, or any file Gridwick writes");
    r->add_option("input", grade.inputs, "Files, folders (every puzzle file below), or - for standard input (default)");
    r->add_option("--format,-f", grade.format, "Output format")
        ->check(CLI::IsMember({"text", "jsonl"}))->capture_default_str();
    r->add_flag("--explain,-e", grade.explain, "Show the solution path, one step per ladder pass");
    r->add_flag("--grid", grade.grid, "With the path, the candidate grid before every step");
    r->add_flag("--stuck-grid", grade.stuckGrid, "The candidate grid where the ladder got stuck (Outlaw puzzles)");
    r->add_option("--html", grade.html, "Also write a page with the puzzle and a drawn grid for every step");
    r->add_option("--without,-w", grade.without,
                  "Rungs that count as making no progress: numbers, ranges or technique names, e.g. 24,25 or X-Wing");
    r->add_option("--jobs,-j", grade.jobs, "Grading workers; results stay in input order")
        ->check(CLI::Range(1, 256))->capture_default_str();
    r->add_option("--steps", grade.steps, "jsonl: 'all' steps of each puzzle, or 'none'")
        ->check(CLI::IsMember({"all", "none"}))->capture_default_str();
    r->add_flag("--summary,-s", grade.summary, "Print puzzles per level, bad lines and time at the end "
                                               "(always when standard error is a terminal)");
    r->add_flag("--quiet,-q", grade.quiet, "No progress line");
    r->add_flag("--solution", grade.solution, "Add each puzzle's solution (81 digits; jsonl always has it)");
    r->add_flag("--canonical", grade.canonical, "Add each puzzle's canonical form (the same for every disguise)");

    gw::cli::CountOptions count;
    auto* c = app.add_subcommand("count", "Print the nine level counters of a target as the window shows them");
    c->add_option("--target,-t", count.target, "Output target: number or name")->capture_default_str();
    c->add_option("--out,-o", count.out, "Folder that holds the eight target folders")->capture_default_str();
    c->add_option("--format,-f", count.format, "Output format")
        ->check(CLI::IsMember({"text", "jsonl"}))->capture_default_str();

    gw::cli::PrintOptions print;
    auto* p = gw::cli::AddPrintCommand(app, print);
    gw::cli::MergeOptions merge;
    auto* m = gw::cli::AddMergeCommand(app, merge);

    // Set last: subcommands take their parent's footer when they are added.
    const std::string exitStatus =
        "Exit status: 0 done, 1 some puzzles bad, some input unreadable or some writes failed, 2 usage error, "
        "130 stopped by Ctrl-C.\n";
    app.footer(TargetsAndLevels() + exitStatus + "Run 'gridwick COMMAND --help' for the options of a command.");
    g->footer(TargetsAndLevels() + exitStatus);
    r->footer(exitStatus);
    c->footer(TargetsAndLevels() + exitStatus);
    p->footer(exitStatus);
    m->footer(TargetsAndLevels() + exitStatus);

    if (argc <= 1) {
        std::fputs(app.help().c_str(), stdout);
        return 0;
    }
    try {
        app.require_subcommand(1);
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion&) {
        std::puts("gridwick " GRIDWICK_VERSION);
        return 0;
    } catch (const CLI::ParseError& e) {
        std::string what = e.what();
        std::fprintf(stderr, "gridwick: %s\ngridwick: run 'gridwick --help' for usage\n", what.c_str());
        return 2;
    } catch (const std::exception& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "gridwick: %s\n", e.what());
        return 1;
    }
    // Failures are reported where they happen; this only keeps an unforeseen
    // one from ending the program without a word.
    try {
        if (g->parsed()) return gw::cli::RunGenerate(gen);
        if (r->parsed()) return gw::cli::RunGrade(grade);
        if (c->parsed()) return gw::cli::RunCount(count);
        if (p->parsed()) return gw::cli::RunPrint(print);
        if (m->parsed()) return gw::cli::RunMerge(merge);
    } catch (const std::exception& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "gridwick: %s\n", e.what());
        return 1;
    }
    return status;
}
