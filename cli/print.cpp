// gridwick print: a print-ready book of puzzles and solutions (PDF), or one
// SVG picture per puzzle.

#include <algorithm>
#include <cmath>
#include <array>
#include <cstdio>
#include <map>
#include <set>
#include <filesystem>
#include <iterator>
#include <limits>
#include <memory>
#include <system_error>

#include "cli/commands.h"
#include "cli/options.h"
#include "cli/publish.h"
#include "generator/generator.h"
#include "model/canonical.h"
#include "output/replacing_file.h"
#include "grader/score.h"
#include "print/book.h"
#include "print/book_choice.h"

namespace gw::cli {

namespace fs = std::filesystem;

Runner DefinePrint(CLI::App& cmd) {
    auto o = std::make_shared<PrintOptions>();
    cmd.add_option("inputs", o->inputs, "Puzzle files and folders (any file or target folder Gridwick writes)")
        ->required();
    cmd.add_option("--out,-o", o->out, "The PDF to write (with --format svg or png: the folder for the pictures)")
        ->option_text("FILE")->check(NotEmpty("a file name"))->required();
    cmd.add_option("--levels,-l", o->levels, "Only these levels: names or numbers, e.g. Hard-Extreme or 6-9")
        ->option_text("LEVELS")->check(NotEmpty("levels"));
    cmd.add_option("--count,-n", o->count, "At most this many puzzles")
        ->option_text("N")->check(Whole("a whole number of puzzles", 1));
    cmd.add_option("--per-level", o->perLevel, "At most this many puzzles of each level")
        ->option_text("N")->check(Whole("a whole number of puzzles", 1));
    cmd.add_option("--order", o->order,
                   "level: easy to hard over all inputs; score: by difficulty score, easy to hard within each level "
                   "and across levels; input: as read; random")
        ->option_text("ORDER")->transform(OneOf({"level", "score", "input", "random"}))->capture_default_str();
    cmd.add_option("--score", o->score,
                   "Only puzzles whose difficulty score lies in this range, e.g. 6.5-7.2, 7 (all of level 7), 7.5- "
                   "or -3")->option_text("RANGE")->check(ScoreRangeCheck());
    cmd.add_option("--seed", o->seed, "Seed of --order random (default: a new one, shown at the end)")
        ->option_text("N")->check(Whole("a whole number from 0 to 18446744073709551615"));
    cmd.add_flag("--unique,-u", o->unique, "Also skip a puzzle that repeats one before it in disguise (repeats of "
                                           "the same clues are always skipped)");
    cmd.add_option("--per-page", o->perPage, "Puzzles per page: 1, 2, 4 or 6")
        ->option_text("N")->check(CLI::IsMember({1, 2, 4, 6}))->capture_default_str();
    cmd.add_option("--paper", o->paper, "Paper size: a4 or letter")
        ->option_text("PAPER")->transform(OneOf({"a4", "letter"}))->capture_default_str();
    cmd.add_option("--format,-f", o->format, "pdf: one book; svg or png: one picture per puzzle and per solution, "
                                             "named by level (Hard_0001.svg)")
        ->option_text("FORMAT")->transform(OneOf({"pdf", "svg", "png"}))->capture_default_str();
    cmd.add_option("--dpi", o->dpi, "Dots per inch of --format png")
        ->option_text("N")->check(CLI::Range(36, 2400))->capture_default_str();
    cmd.add_flag("--force", o->force, "svg, png: write into a folder that already holds other files");
    cmd.add_option("--title", o->title, "Put a title page with this title first")->option_text("TEXT");
    cmd.add_flag("--no-solutions", o->noSolutions, "Leave out the solutions");
    cmd.add_flag("--how-to-play", o->howToPlay, "Add a page with the rules and worked examples after the contents");
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

namespace {

// A short name for a puzzle that every disguise of it shares: six hex digits
// of a hash of its canonical form.
std::string ShortId(const Grid& puzzle) {
    std::uint64_t h = 0xcbf29ce484222325ULL;
    for (const auto cell : CanonicalForm(puzzle)) h = (h ^ static_cast<std::uint64_t>(cell)) * 0x100000001b3ULL;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%06llx", static_cast<unsigned long long>(h >> 40));
    return buf;
}

// svg and png: one picture per puzzle and per solution, named by level and
// numbered within it, in a folder that holds nothing else unless --force.
bool WritePictures(const std::vector<print::BookPuzzle>& book, const PrintOptions& o) {
    std::error_code ec;
    const fs::path folder(o.out);
    if (!o.force && fs::is_directory(folder, ec) && !fs::is_empty(folder, ec)) {
        std::fprintf(stderr, "gridwick: %s already holds other files; choose an empty or new folder, or use --force "
                             "to write among them\n", o.out.c_str());
        return false;
    }
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec)) {
        std::fprintf(stderr, "gridwick: cannot use folder %s\n", o.out.c_str());
        return false;
    }
    bool ok = true;
    std::map<std::string, int> perLevel;
    // The first failure stops the export: a full disk fails every later
    // picture too.
    for (const print::BookPuzzle& b : book) {
        if (!ok) break;
        char number[16];
        std::snprintf(number, sizeof number, "_%04d", ++perLevel[b.levelName]);
        for (bool solution : {false, true}) {
            if (!ok || (solution && o.noSolutions)) continue;
            const std::string name = b.levelName + number + (solution ? "_solution." : ".") + o.format;
            ok = WriteReplacing(folder / name, [&](const print::Sink& sink, std::string& error) {
                return o.format == "png" ? print::WritePng(sink, b, solution, o.dpi, error)
                                         : print::WriteSvg(sink, b, solution, error);
            });
        }
    }
    return ok;
}

}  // namespace

int RunPrint(const PrintOptions& o) {
    RemoveTemporariesOnSignals();
    unsigned levels = kAllLevels;
    if (!LevelsOption(o.levels, levels)) return 2;
    int bad = 0;
    print::BookChoiceOptions co;
    co.levels = levels;
    co.perLevel = o.perLevel;
    co.count = o.count;
    co.order = o.order == "input"    ? print::BookOrder::Input
               : o.order == "random" ? print::BookOrder::Random
               : o.order == "score"  ? print::BookOrder::Score
                                     : print::BookOrder::Level;
    if (!o.score.empty()) {
        ScoreRange range;
        ParseScoreRange(o.score, range);
        co.score = range;
    }
    co.seed = o.seed;
    co.unique = o.unique;
    print::BookChooser chooser(co);
    if (!ForEachLoadedPuzzle(o.inputs, bad,
                             [&](const LoadedPuzzle& p) { return chooser.Offer(p.puzzle, p.solution, p.level); }))
        return 1;
    const print::BookChoice chosen = chooser.Finish();
    if (chosen.puzzles.empty()) {
        std::fprintf(stderr, "gridwick: no puzzle to print\n");
        return 1;
    }
    std::vector<print::BookPuzzle> book;
    for (const print::BookPick& p : chosen.puzzles) {
        print::BookPuzzle b;
        b.number = static_cast<int>(book.size()) + 1;
        b.puzzle = p.puzzle;
        b.solution = p.solution;
        b.levelName = kLevelNames[static_cast<std::size_t>(p.level)];
        b.id = ShortId(p.puzzle);
        book.push_back(b);
    }

    bool ok = true;
    if (o.format != "pdf") {
        ok = WritePictures(book, o);
    } else {
        print::BookOptions bo;
        bo.paper = o.paper == "letter" ? print::Paper::Letter : print::Paper::A4;
        bo.perPage = o.perPage;
        bo.solutions = !o.noSolutions;
        bo.title = o.title;
        bo.howToPlay = o.howToPlay;
        ok = WriteReplacing(fs::path(o.out), [&](const print::Sink& sink, std::string& error) {
            return print::WritePdf(sink, book, bo, error);
        });
    }
    // The summary, on standard error.
    std::array<long long, 10> perLevel{};
    for (const print::BookPick& p : chosen.puzzles) ++perLevel[static_cast<std::size_t>(p.level)];
    std::string levelsText;
    for (int l = 1; l <= 9; ++l)
        if (perLevel[static_cast<std::size_t>(l)] > 0)
            levelsText += std::string(levelsText.empty() ? "" : ", ") + kLevelNames[static_cast<std::size_t>(l)] +
                          " " + std::to_string(perLevel[static_cast<std::size_t>(l)]);
    if (ok) std::fprintf(stderr, "%zu puzzles written to %s (%s)\n", book.size(), o.out.c_str(), levelsText.c_str());
    if (chosen.repeats > 0 || chosen.disguised > 0)
        std::fprintf(stderr, "skipped repeats: %lld%s\n", chosen.repeats,
                     o.unique ? (", disguised repeats: " + std::to_string(chosen.disguised)).c_str() : "");
    if (o.order == "random") std::fprintf(stderr, "order: random, --seed %llu\n", static_cast<unsigned long long>(chosen.seed));
    if (!ok) return 1;
    return bad == 0 ? 0 : 1;
}

}  // namespace gw::cli
