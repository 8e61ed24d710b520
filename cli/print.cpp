// gridwick print: a print-ready book of puzzles and solutions (PDF), or one
// SVG picture per puzzle.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "cli/commands.h"
#include "cli/options.h"
#include "cli/publish.h"
#include "cli/replacing_file.h"
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

// Draws into a file written whole or not at all; the reason of a failure is
// reported once, the system's own when a write failed.
template <typename Draw>
bool WriteReplacing(const fs::path& path, Draw&& draw) {
    ReplacingFile file;
    if (!file.Open(path)) {
        std::fprintf(stderr, "gridwick: %s\n", file.Reason().c_str());
        return false;
    }
    const print::Sink sink = [&file](const unsigned char* data, unsigned length) { return file.Write(data, length); };
    std::string error;
    const bool drawn = draw(sink, error);
    if (drawn && file.Commit()) return true;
    file.Discard();
    if (file.Error() != 0) std::fprintf(stderr, "gridwick: %s\n", file.Reason().c_str());
    else std::fprintf(stderr, "gridwick: cannot write %s: %s\n", path.c_str(), error.c_str());
    return false;
}

}  // namespace

int RunPrint(const PrintOptions& o) {
    RemoveTemporariesOnSignals();
    int bad = 0;
    std::vector<print::BookPuzzle> book;
    if (!ForEachLoadedPuzzle(o.inputs, bad, [&](const LoadedPuzzle& p) {
            print::BookPuzzle b;
            b.number = static_cast<int>(book.size()) + 1;
            b.puzzle = p.puzzle;
            b.solution = p.solution;
            b.levelName = kLevelNames[static_cast<std::size_t>(p.level)];
            book.push_back(std::move(b));
            return true;
        }))
        return 1;
    if (book.empty()) {
        std::fprintf(stderr, "gridwick: no puzzle to print\n");
        return 1;
    }

    bool ok = true;
    if (o.format == "svg") {
        std::error_code ec;
        fs::create_directories(o.out, ec);
        if (!fs::is_directory(o.out)) {
            std::fprintf(stderr, "gridwick: cannot use folder %s: %s\n", o.out.c_str(),
                         ec ? ec.message().c_str() : "not a folder");
            return 1;
        }
        // The first failure stops the export: a full disk fails every later
        // picture too.
        for (std::size_t i = 0; i < book.size() && ok; ++i) {
            const print::BookPuzzle& b = book[i];
            char name[32];
            std::snprintf(name, sizeof name, "%04d", b.number);
            for (bool solution : {false, true}) {
                if (!ok || (solution && o.noSolutions)) continue;
                const fs::path path = fs::path(o.out) / ((solution ? "Solution_" : "Puzzle_") + std::string(name) + ".svg");
                ok = WriteReplacing(path, [&](const print::Sink& sink, std::string& error) {
                    return print::WriteSvg(sink, b, solution, error);
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
        ok = WriteReplacing(fs::path(o.out), [&](const print::Sink& sink, std::string& error) {
            return print::WritePdf(sink, book, bo, error);
        });
        if (ok) std::printf("%zu puzzles written to %s\n", book.size(), o.out.c_str());
    }
    return ok && bad == 0 ? 0 : 1;
}

}  // namespace gw::cli
