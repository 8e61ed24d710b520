// gridwick print: a print-ready book of puzzles and solutions (PDF), or one
// SVG picture per puzzle.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "cli/commands.h"
#include "cli/options.h"
#include "cli/publish.h"
#include "grader/grader.h"
#include "print/book.h"

namespace gw::cli {

namespace fs = std::filesystem;

Runner DefinePrint(CLI::App& cmd) {
    auto o = std::make_shared<PrintOptions>();
    cmd.add_option("inputs", o->inputs, "Puzzle files and folders (any file or target folder Gridwick writes)")
        ->required();
    cmd.add_option("--out,-o", o->out, "The PDF to write (with --format svg: the folder for the SVG files)")
        ->option_text("FILE")->required();
    cmd.add_option("--per-page", o->perPage, "Puzzles per page: 1, 2, 4 or 6")
        ->option_text("N")->check(CLI::IsMember({1, 2, 4, 6}))->capture_default_str();
    cmd.add_option("--paper", o->paper, "Paper size: a4 or letter")
        ->option_text("PAPER")->transform(OneOf({"a4", "letter"}))->capture_default_str();
    cmd.add_option("--format,-f", o->format, "pdf: one book; svg: one picture per puzzle (and per solution)")
        ->option_text("FORMAT")->transform(OneOf({"pdf", "svg"}))->capture_default_str();
    cmd.add_option("--title", o->title, "Put a title page with this title first")->option_text("TEXT");
    cmd.add_flag("--no-solutions", o->noSolutions, "Leave out the solutions");
    return [o] { return RunPrint(*o); };
}

namespace {

// Writes through a temporary file beside the target, so that a failed run
// never leaves a half-written book under the final name.
template <typename Write>
bool WriteReplacing(const fs::path& path, Write&& write) {
    const fs::path tmp = path.parent_path() / ("." + path.filename().string() + "." + std::to_string(::getpid()) + ".tmp");
    std::string error;
    std::error_code ec;
    if (!write(tmp.string(), error)) {
        fs::remove(tmp, ec);
        std::fprintf(stderr, "gridwick: cannot write %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    fs::rename(tmp, path, ec);
    if (ec) {
        fs::remove(tmp, ec);
        std::fprintf(stderr, "gridwick: cannot write %s: %s\n", path.c_str(), ec.message().c_str());
        return false;
    }
    return true;
}

}  // namespace

int RunPrint(const PrintOptions& o) {
    int bad = 0;
    std::vector<LoadedPuzzle> loaded;
    if (!LoadPuzzles(o.inputs, loaded, bad)) return 1;
    if (loaded.empty()) {
        std::fprintf(stderr, "gridwick: no puzzle to print\n");
        return 1;
    }
    std::vector<print::BookPuzzle> book;
    for (const LoadedPuzzle& p : loaded) {
        print::BookPuzzle b;
        b.number = static_cast<int>(book.size()) + 1;
        b.puzzle = p.puzzle;
        b.solution = p.solution;
        b.levelName = kLevelNames[static_cast<std::size_t>(p.level)];
        book.push_back(b);
    }

    bool ok = true;
    if (o.format == "svg") {
        std::error_code ec;
        fs::create_directories(o.out, ec);
        if (!fs::is_directory(o.out)) {
            std::fprintf(stderr, "gridwick: cannot use folder %s\n", o.out.c_str());
            return 1;
        }
        for (const print::BookPuzzle& b : book) {
            char name[32];
            std::snprintf(name, sizeof name, "%04d", b.number);
            for (bool solution : {false, true}) {
                if (solution && o.noSolutions) continue;
                const fs::path path = fs::path(o.out) / ((solution ? "Solution_" : "Puzzle_") + std::string(name) + ".svg");
                ok &= WriteReplacing(path, [&](const std::string& tmp, std::string& error) {
                    return print::WriteSvg(tmp, b, solution, error);
                });
            }
        }
        if (ok) std::printf("%zu puzzles written to %s\n", book.size(), o.out.c_str());
    } else {
        print::BookOptions bo;
        bo.paper = o.paper == "letter" ? print::Paper::Letter : print::Paper::A4;
        bo.perPage = o.perPage;
        bo.solutions = !o.noSolutions;
        bo.title = o.title;
        ok = WriteReplacing(fs::path(o.out), [&](const std::string& tmp, std::string& error) {
            return print::WritePdf(tmp, book, bo, error);
        });
        if (ok) std::printf("%zu puzzles written to %s\n", book.size(), o.out.c_str());
    }
    return ok && bad == 0 ? 0 : 1;
}

}  // namespace gw::cli
