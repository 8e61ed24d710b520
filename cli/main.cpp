// gridwick: the headless command line over the Gridwick engine.
#include <CLI/CLI.hpp>

#include "cli/commands.h"

int main(int argc, char** argv) {
    CLI::App app{"Gridwick: mass-produces Sudoku puzzles, grades them the way a person solves them, "
                 "and writes them for eight puzzle programs."};
    app.require_subcommand(1);
    int status = 2;
    gw::cli::AddRungsCommand(app, status);
    gw::cli::AddBenchCommand(app, status);

    gw::cli::GenerateOptions gen;
    auto* g = app.add_subcommand("generate", "Generate, grade and save puzzles (Ctrl-C stops and prints the summary)");
    g->add_option("--target,-t", gen.target,
                  "Output target: its name (\"Simple Sudoku\", any case) or index 0-7")->capture_default_str();
    g->add_option("--count,-n", gen.count, "Stop after this many saved puzzles (default: until Ctrl-C)")
        ->check(CLI::NonNegativeNumber);
    g->add_option("--levels,-l", gen.levels, "Save only these levels: names or numbers, e.g. Extreme,Mayhem or 6-9");
    g->add_option("--jobs,-j", gen.jobs, "Generating and grading workers")->check(CLI::Range(1, 256))->capture_default_str();
    g->add_option("--seed", gen.seed, "Seed of the random source; makes the whole run reproducible");
    g->add_option("--out,-o", gen.out, "Folder that holds the eight target folders")->capture_default_str();
    g->add_flag("--quiet,-q", gen.quiet, "No live progress line");

    gw::cli::GradeOptions grade;
    auto* r = app.add_subcommand("grade", "Grade puzzles: one per line (81 cells, '.' or '0' empty), or any file Gridwick writes");
    r->add_option("input", grade.input, "Input file, or - for standard input")->capture_default_str();
    r->add_option("--format,-f", grade.format, "Output format")->check(CLI::IsMember({"text", "jsonl"}))->capture_default_str();
    r->add_flag("--explain,-e", grade.explain, "Show the solution path, one step per ladder pass");
    r->add_flag("--grid", grade.grid, "With the path, the candidate grid before every step");
    r->add_flag("--stuck-grid", grade.stuckGrid, "The candidate grid where the ladder got stuck (Outlaw puzzles)");
    r->add_option("--html", grade.html, "Also write a page with the puzzle and a drawn grid for every step");
    r->add_option("--without,-w", grade.without,
                  "Rungs that count as making no progress: numbers, ranges or technique names, e.g. 24,25 or X-Wing");

    gw::cli::CountOptions count;
    auto* c = app.add_subcommand("count", "Print the nine level counters of a target as the window shows them");
    c->add_option("--target,-t", count.target, "Output target: name or index 0-7")->capture_default_str();
    c->add_option("--out,-o", count.out, "Folder that holds the eight target folders")->capture_default_str();

    CLI11_PARSE(app, argc, argv);
    if (g->parsed()) return gw::cli::RunGenerate(gen);
    if (r->parsed()) return gw::cli::RunGrade(grade);
    if (c->parsed()) return gw::cli::RunCount(count);
    return status;
}
