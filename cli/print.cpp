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

// A puzzle kept for the book, with the place it would take in the chosen
// order (smaller first).
struct Kept {
    std::uint64_t key = 0, seq = 0;
    Grid puzzle{}, solution{};
    int level = 0;
    bool operator<(const Kept& other) const { return key != other.key ? key < other.key : seq < other.seq; }
};

struct Choice {
    std::vector<Kept> puzzles;
    long long repeats = 0, disguised = 0;
    std::uint64_t seed = 0;
};

// The puzzles of the book, chosen while the inputs are read: repeats dropped
// (the same clues, or with --unique the same canonical form; the first one
// stays), the chosen levels kept, put in order, then at most --per-level of
// each level and --count in all. Each puzzle gets its place in the order as it
// comes: as read, by level then as read, or a random place drawn from the seed
// and its clues. Of each level only the puzzles with the first places that the
// book can still take are held, so that a book of 10 out of millions holds
// little more than 10: a repeat is told from the puzzles held, which is enough
// since a puzzle that lost its place takes its repeats' place with it.
class Chooser {
public:
    Chooser(const PrintOptions& o, unsigned levels) : o_(o), levels_(levels) {
        if (o.order == "random") c_.seed = o.seed ? *o.seed : ClockSeed();
        scored_ = o.order == "score" || !o.score.empty();
        if (!o.score.empty()) ParseScoreRange(o.score, range_);
        constexpr long long kAll = std::numeric_limits<long long>::max();
        cap_ = std::min(o.perLevel > 0 ? o.perLevel : kAll, o.count > 0 ? o.count : kAll);
    }

    // Takes the next puzzle read; false when no later one can make the book.
    bool Offer(const LoadedPuzzle& p) {
        if (!((levels_ >> p.level) & 1u)) return true;
        if (clues_.count(p.puzzle) != 0) {
            ++c_.repeats;
            return true;
        }
        const Grid form = o_.unique ? CanonicalForm(p.puzzle) : Grid{};
        if (o_.unique && forms_.count(form) != 0) {
            ++c_.disguised;
            return true;
        }
        // The score needs a grading: only the puzzles that may still make the book get one.
        const double score = scored_ ? GradeAndScore(grading_, p.puzzle).score : 0;
        if (!range_.Contains(score)) return true;
        Kept k{.key = 0, .seq = seq_++, .puzzle = p.puzzle, .solution = p.solution, .level = p.level};
        if (o_.order == "level") k.key = static_cast<std::uint64_t>(p.level);
        else if (o_.order == "score") k.key = static_cast<std::uint64_t>(std::lround(100 * score));
        else if (o_.order == "random") k.key = RandomPlace(o_.unique ? form : p.puzzle);
        std::set<Kept>& held = held_[static_cast<std::size_t>(p.level)];
        if (static_cast<long long>(held.size()) >= cap_) {
            // Full: the new puzzle replaces the one with the last place if it comes before it.
            if (!(k < *held.rbegin())) return true;
            Forget(*held.rbegin());
            held.erase(std::prev(held.end()));
        }
        clues_.insert(k.puzzle);
        if (o_.unique) forms_.insert(form);
        held.insert(k);
        ++heldInAll_;
        // In the order as read, the first --count puzzles held are the book.
        return !(o_.order == "input" && o_.count > 0 && heldInAll_ >= o_.count);
    }

    Choice Finish() {
        for (std::set<Kept>& held : held_) c_.puzzles.insert(c_.puzzles.end(), held.begin(), held.end());
        std::sort(c_.puzzles.begin(), c_.puzzles.end());
        if (o_.count > 0 && static_cast<long long>(c_.puzzles.size()) > o_.count)
            c_.puzzles.resize(static_cast<std::size_t>(o_.count));
        return std::move(c_);
    }

private:
    // A place drawn from the seed and the clues: the same puzzle takes the same
    // place wherever it stands in the inputs.
    std::uint64_t RandomPlace(const Grid& g) const {
        std::uint64_t h = c_.seed ^ 0xcbf29ce484222325ULL;
        for (const auto cell : g) h = (h ^ cell) * 0x100000001b3ULL;
        h ^= h >> 30;
        h *= 0xbf58476d1ce4e5b9ULL;
        h ^= h >> 27;
        h *= 0x94d049bb133111ebULL;
        return h ^ (h >> 31);
    }
    void Forget(const Kept& k) {
        clues_.erase(k.puzzle);
        if (o_.unique) forms_.erase(CanonicalForm(k.puzzle));
        --heldInAll_;
    }

    const PrintOptions& o_;
    const unsigned levels_;
    bool scored_ = false;  // the order or the selection needs each puzzle's score
    ScoreRange range_;     // every score when not asked for
    GradeState grading_;
    long long cap_ = 0;  // puzzles of one level the book can take
    Choice c_;
    std::array<std::set<Kept>, 10> held_;
    std::set<Grid> clues_, forms_;  // of the puzzles held
    std::uint64_t seq_ = 0;
    long long heldInAll_ = 0;
};

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
    Chooser chooser(o, levels);
    if (!ForEachLoadedPuzzle(o.inputs, bad, [&](const LoadedPuzzle& p) { return chooser.Offer(p); })) return 1;
    const Choice chosen = chooser.Finish();
    if (chosen.puzzles.empty()) {
        std::fprintf(stderr, "gridwick: no puzzle to print\n");
        return 1;
    }
    std::vector<print::BookPuzzle> book;
    for (const Kept& p : chosen.puzzles) {
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
    for (const Kept& p : chosen.puzzles) ++perLevel[static_cast<std::size_t>(p.level)];
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
