// gridwick count: the nine level counters of a target, as the window shows
// them.
#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "cli/commands.h"
#include "cli/options.h"
#include "grader/grader.h"
#include "output/targets.h"

namespace gw::cli {

Runner DefineCount(CLI::App& cmd) {
    auto o = std::make_shared<CountOptions>();
    cmd.add_option("--target,-t", o->target, "Output target: its number or name")
        ->option_text("TARGET")->capture_default_str();
    cmd.add_option("--out,-o", o->out, "Folder that holds the target folders")->option_text("FOLDER")
        ->check(NotEmpty("a folder"))->capture_default_str();
    cmd.add_option("--format,-f", o->format, "Output format: text or jsonl")->option_text("FORMAT")
        ->transform(OneOf({"text", "jsonl"}))->capture_default_str();
    return [o] { return RunCount(*o); };
}

int RunCount(const CountOptions& o) {
    int target = 0;
    if (!TargetOption(o.target, target)) return 2;
    std::error_code ec;
    if (const std::string why = UnusableFolder(o.out, false); !why.empty()) {
        std::fprintf(stderr, "gridwick: %s: %s\n", o.out.c_str(), why.c_str());
        return 1;
    }
    bool anyTarget = false;
    for (std::size_t t = 0; t < kTargets.size(); ++t)
        anyTarget |= fs::is_directory(TargetFolder(o.out, static_cast<int>(t)), ec);
    if (!anyTarget) {
        std::fprintf(stderr, "gridwick: %s holds none of the %zu target folders (is it the folder given to "
                             "generate --out?)\n", o.out.c_str(), kTargets.size());
        return 1;
    }
    const auto counts = CountSudokus(o.out, target);
    const char* name = kTargets[static_cast<std::size_t>(target)].listText;
    if (o.format == "jsonl") {
        // The counts as numbers; a torn level file gives a fraction.
        std::string line = "{\"target\": \"" + std::string(name) + "\", \"index\": " + std::to_string(target);
        for (int l = 1; l <= 9; ++l)
            line += ", \"" + std::string(kLevelNames[static_cast<std::size_t>(l)]) + "\": " +
                    counts[static_cast<std::size_t>(l - 1)];
        std::printf("%s}\n", line.c_str());
    } else {
        std::printf("%s\n", name);
        for (int l = 1; l <= 9; ++l)
            std::printf("%-10s %s\n", (std::string(kLevelNames[static_cast<std::size_t>(l)]) + " :").c_str(),
                        counts[static_cast<std::size_t>(l - 1)].c_str());
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "gridwick: cannot write the counts: %s\n", std::strerror(errno));
        return 1;
    }
    return 0;
}

}  // namespace gw::cli
