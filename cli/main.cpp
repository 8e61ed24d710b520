// gridwick: the headless command line over the Gridwick engine. The commands
// are the rows of kCommands (cli/commands.h); this file parses the command
// line, catches slips of the fingers and runs the chosen command.
//
// Exit status, the same for every command: 0 done; 1 some puzzles bad, some
// input missing or unreadable or some writes failed; 2 usage error; 128 +
// signal when stopped (130 for Ctrl-C).
#include <CLI/CLI.hpp>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/options.h"
#include "grader/grader.h"
#include "output/targets.h"

namespace {

using gw::cli::Command;
using gw::cli::kCommands;

constexpr const char* kExitStatus =
    "Exit status: 0 done; 1 some puzzles bad, some input missing or unreadable, or some writes failed; 2 usage "
    "error; 130 stopped by Ctrl-C.";

// The lists some commands' help ends with.
std::string Footer(unsigned parts) {
    std::string s;
    if (parts & Command::kTargets) {
        s += "Targets (--target, by number or name in any case):\n";
        for (std::size_t t = 0; t < gw::kTargets.size(); ++t)
            s += "  " + std::to_string(t) + "  " + gw::kTargets[t].listText + "\n";
    }
    if (parts & Command::kLevels) {
        s += "Levels (--levels, by number or name, ranges such as 6-9 or Hard-Extreme):\n  ";
        for (int l = 1; l <= 9; ++l)
            s += std::to_string(l) + " " + gw::kLevelNames[static_cast<std::size_t>(l)] + (l < 9 ? ", " : "\n");
    }
    if (parts & Command::kExitStatus) s += std::string(s.empty() ? "" : "\n") + kExitStatus;
    return s;
}

// Step 1 of a run: the command and its options as typed, checked against the
// table before parsing so that a slip gets a suggestion instead of CLI11's
// generic complaint. Returns the usage error to print ("" when all is known).
std::string Misspelt(CLI::App& app, int argc, char** argv) {
    std::vector<std::string> names;
    for (const Command& c : kCommands) names.emplace_back(c.name);
    const std::string word = argv[1];
    if (word.empty() || word[0] == '-') return {};
    if (std::find(names.begin(), names.end(), word) == names.end()) {
        const std::string near = gw::cli::Closest(word, names);
        return "unknown command '" + word + "'" + (near.empty() ? "" : "; did you mean '" + near + "'?") +
               "\ngridwick: run 'gridwick --help' for the commands";
    }
    const CLI::App* cmd = app.get_subcommand(word);
    std::vector<std::string> options;
    for (const CLI::Option* o : cmd->get_options()) {
        for (const std::string& n : o->get_lnames()) options.push_back("--" + n);
        for (const std::string& n : o->get_snames()) options.push_back("-" + n);
    }
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--") break;
        if (arg.size() < 2 || arg[0] != '-' || (arg[1] >= '0' && arg[1] <= '9')) continue;
        // "--levels=6-9" and "-n5" name the option before the value.
        const std::string name = arg[1] == '-' ? arg.substr(0, arg.find('=')) : arg.substr(0, 2);
        if (std::find(options.begin(), options.end(), name) != options.end()) {
            // A value that begins with '-' (--out -) is not an option.
            const CLI::Option* o = cmd->get_option_no_throw(name);
            const bool valueAttached = arg[1] == '-' ? arg.find('=') != std::string::npos : arg.size() > 2;
            if (o != nullptr && o->get_expected_max() > 0 && o->get_type_size_max() > 0 && !valueAttached) ++i;
            continue;
        }
        const std::string near = gw::cli::Closest(name, options);
        return "unknown option '" + name + "' for " + word + (near.empty() ? "" : "; did you mean '" + near + "'?") +
               "\ngridwick: run 'gridwick " + word + " --help' for its options";
    }
    return {};
}

}  // namespace

namespace {

int Main(int argc, char** argv) {
    CLI::App app{"Gridwick mass-produces Sudoku puzzles, grades them the way a person solves them, and writes them "
                 "for eight puzzle programs.",
                 "gridwick"};
    app.formatter(std::make_shared<gw::cli::HelpFormat>());
    app.set_help_flag("--help,-h", "Print this help and exit");
    app.set_version_flag("--version,-V", "gridwick " GRIDWICK_VERSION);
    std::vector<gw::cli::Runner> runners;
    std::vector<CLI::App*> subs;
    for (const Command& c : kCommands) {
        CLI::App* sub = app.add_subcommand(c.name, c.summary);
        sub->set_help_flag("--help,-h", "Print this help and exit");
        runners.push_back(c.define(*sub));
        sub->footer(Footer(c.footer));
        subs.push_back(sub);
    }
    app.footer(Footer(Command::kExitStatus) + "\nRun 'gridwick COMMAND --help' for the options of a command.");

    if (argc <= 1) {
        std::fputs(app.help().c_str(), stdout);
        return 0;
    }
    if (const std::string slip = Misspelt(app, argc, argv); !slip.empty()) {
        std::fprintf(stderr, "gridwick: %s\n", slip.c_str());
        return 2;
    }
    try {
        app.require_subcommand(1);
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion&) {
        std::puts("gridwick " GRIDWICK_VERSION);
        return 0;
    } catch (const CLI::ParseError& e) {
        const auto parsed = app.get_subcommands();
        const std::string where = parsed.empty() ? "" : " " + parsed[0]->get_name();
        if (const std::string missing = parsed.empty() || dynamic_cast<const CLI::RequiredError*>(&e) == nullptr
                                              ? ""
                                              : gw::cli::MissingOption(parsed[0]); !missing.empty()) {
            std::fprintf(stderr, "gridwick: %s\n", missing.c_str());
            return 2;
        }
        std::fprintf(stderr, "gridwick: %s\ngridwick: run 'gridwick%s --help' for usage\n", e.what(), where.c_str());
        return 2;
    }
    // Failures are reported where they happen; this only keeps an unforeseen
    // one from ending the program without a word.
    try {
        for (std::size_t i = 0; i < subs.size(); ++i)
            if (subs[i]->parsed()) return runners[i]();
    } catch (const std::exception& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "gridwick: %s\n", e.what());
        return 1;
    }
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // A file grown to the size limit (ulimit -f) fails its write with EFBIG,
    // reported and handled like a full disk, instead of ending the program
    // without a word halfway through a record.
    std::signal(SIGXFSZ, SIG_IGN);
    return gw::cli::FinishOutput(Main(argc, argv));
}
