// `gridwick rungs`: the ladder as a table, one row per rung, with every name
// that --without accepts for it.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "cli/commands.h"
#include "grader/grader.h"

namespace gw::cli {

namespace {

// The names --without accepts for a rung besides its player's name: the
// technique's name and the aliases, each once.
std::vector<std::string> OtherNames(const Rung& r) {
    std::vector<std::string> out;
    const auto add = [&](std::string_view name) {
        while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
        while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
        if (name.empty() || name == r.player) return;
        for (const std::string& have : out)
            if (have == name) return;
        out.emplace_back(name);
    };
    add(r.technique);
    std::string_view rest = r.aliases;
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        add(rest.substr(0, comma));
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    return out;
}

int RunRungs() {
    std::printf("%-4s %-10s %-42s %s\n", "Rung", "Level", "Name", "Also accepted by --without");
    for (const Rung& r : kLadder) {
        std::string others;
        for (const std::string& name : OtherNames(r)) others += (others.empty() ? "" : ", ") + name;
        const std::string level = std::to_string(r.level) + " " + kLevelNames[static_cast<std::size_t>(r.level)];
        std::printf("%4d %-10s %-42s %s\n", r.number, level.c_str(), r.player, others.c_str());
    }
    std::printf("--without takes these names (any case, spaces and punctuation ignored), rung numbers and ranges "
                "such as 20-25.\n");
    return 0;
}

}  // namespace

Runner DefineRungs(CLI::App&) { return RunRungs; }

}  // namespace gw::cli
