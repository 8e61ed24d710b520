// The library's calls, each a thin layer over the engine: the reader, the
// solution count, the grader, the explanations and the generators.
#include "gridwick/gridwick.h"

#include <cctype>
#include <cinttypes>
#include <cstdio>

#include "explain/explain.h"
#include "explain/html.h"
#include "generator/bench_set.h"
#include "generator/generator.h"
#include "generator/hunt.h"
#include "generator/solution_count.h"
#include "grader/grader.h"
#include "grader/score.h"
#include "grader/signature.h"
#include "model/canonical.h"
#include "output/reader.h"
#include "runs/generation.h"
#include "runs/grading.h"

namespace gridwick {

namespace detail {
// The engine's own record of a grading: the explanations draw from it.
struct GradingData {
    gw::Grid puzzle{};
    int level = 0;
    std::vector<gw::Step> steps;
};
}  // namespace detail

namespace {

using gw::Grid;

Grid ToGrid(const Puzzle& p) {
    Grid g{};
    for (int c = 0; c < 81; ++c) {
        const std::uint8_t d = p.cells[static_cast<std::size_t>(c)];
        if (d > 9) throw Error("cell " + gw::CellName(c) + " holds " + std::to_string(d) + ", not a digit");
        g[static_cast<std::size_t>(c)] = d;
    }
    return g;
}

Puzzle FromGrid(const Grid& g) {
    Puzzle p;
    p.cells = g;
    return p;
}

gw::RungSet Disabled(const GradeOptions& o) {
    gw::RungSet out;
    std::string error;
    if (!o.without.empty() && !gw::ParseRungList(o.without, out, error)) throw Error(error);
    return out;
}

Step PublicStep(const gw::Step& st) {
    Step out;
    out.rung = st.rung;
    const gw::Rung& rung = gw::kLadder[static_cast<std::size_t>(st.rung - 1)];
    out.technique = rung.player;
    out.level = rung.level;
    for (const gw::Change& ch : st.changes) out.changes.push_back({ch.kind, ch.cell, ch.digit});
    out.pattern = gw::explain::PatternJson(st.pattern);
    out.text = gw::explain::StepText(st);
    out.json = gw::explain::StepJson(st);
    for (const gw::Step& sub : st.refutation) out.refutation.push_back(PublicStep(sub));
    for (const gw::Step& sub : st.fill) out.fill.push_back(PublicStep(sub));
    for (const gw::explain::Line& l : gw::explain::RefutationLines(st)) out.refutationLines.push_back({l.depth, l.text});
    return out;
}

// Bridges the caller's halt flag into the engine's run control: the engine
// polls the hook every few dozen yield points.
struct HaltBridge {
    explicit HaltBridge(const std::atomic<bool>* halt) {
        if (halt == nullptr) return;
        control.pumpEvery = 16;
        control.pumpHook = [this, halt] {
            if (halt->load(std::memory_order_relaxed)) control.halt = true;
        };
    }
    gw::RunControl control;
};

}  // namespace

const char* Version() { return "0.1"; }

std::string Puzzle::ToString() const {
    std::string s(81, '.');
    for (std::size_t c = 0; c < 81; ++c)
        if (cells[c] >= 1 && cells[c] <= 9) s[c] = static_cast<char>('0' + cells[c]);
    return s;
}

int Puzzle::Filled() const {
    int n = 0;
    for (std::uint8_t d : cells) n += d != 0;
    return n;
}

Puzzle Parse(std::string_view text) {
    std::vector<gw::InputPuzzle> found;
    std::size_t at = 0;
    gw::PuzzleReader reader([&](char* buf, std::size_t n) -> long {
        const std::size_t k = std::min(n, text.size() - at);
        std::copy_n(text.data() + at, k, buf);
        at += k;
        return static_cast<long>(k);
    });
    gw::InputPuzzle p;
    while (reader.Next(p)) {
        if (!p.error.empty()) throw Error("line " + std::to_string(p.line) + ": " + p.error);
        found.push_back(p);
        if (found.size() > 1) throw Error("more than one puzzle in the text");
    }
    if (found.empty()) throw Error("no puzzle in the text");
    return FromGrid(found.front().grid);
}

CheckResult Check(const Puzzle& puzzle, int limit) {
    CheckResult r;
    if (limit < 2) limit = 2;
    const Grid g = ToGrid(puzzle);
    Grid first{};
    const std::string why = gw::CheckPuzzle(g, &first);
    const gw::SolutionCount count = gw::CountSolutionsBounded(g, limit, gw::kSolutionCountGuesses);
    r.solutions = count.solutions;
    r.complete = count.complete;
    r.reason = why;
    r.valid = why.empty();
    if (r.valid) r.solution = FromGrid(first);
    return r;
}

std::string Step::Json() const { return json; }

std::string Grading::Json() const {
    std::string sol(81, '0');
    for (std::size_t c = 0; c < 81; ++c) sol[c] = static_cast<char>('0' + solution.cells[c]);
    std::string out = "{\"puzzle\": \"" + puzzle.ToString() + "\", \"level\": " + std::to_string(level) +
                      ", \"name\": " + gw::explain::JsonString(levelName) + ", \"score\": " + gw::ScoreText(score) +
                      ", \"solution\": \"" + sol +
                      "\", \"steps\": [";
    for (std::size_t i = 0; i < steps.size(); ++i) out += (i ? ", " : "") + steps[i].Json();
    return out + "]}";
}

std::string LevelName(int level) {
    if (level < 0 || level >= static_cast<int>(gw::kLevelNames.size())) return "";
    return gw::kLevelNames[static_cast<std::size_t>(level)];
}

namespace {

// The grading job's one puzzle: checked, graded, a trial explained.
gw::runs::GradedPuzzle GradeChecked(const Grid& grid, const std::optional<gw::Position>& from,
                                     const GradeOptions& options, bool firstStep) {
    gw::runs::GradedPuzzle g;
    g.p.grid = grid;
    g.p.position = from;
    gw::runs::GradingOptions o;
    o.disabled = Disabled(options);
    o.steps = options.steps;
    o.firstStep = firstStep;
    gw::GradeState s;
    gw::runs::GradeOne(g, s, o);
    if (!g.p.error.empty()) throw Error(g.p.error);
    return g;
}

}  // namespace

Grading Grade(const Puzzle& puzzle, const GradeOptions& options) {
    gw::runs::GradedPuzzle g = GradeChecked(ToGrid(puzzle), std::nullopt, options, false);
    auto data = std::make_shared<detail::GradingData>();
    data->puzzle = g.p.grid;
    data->level = g.level;
    data->steps = std::move(g.steps);
    Grading out;
    out.puzzle = puzzle;
    out.solution = FromGrid(g.solution);
    out.level = data->level;
    out.levelName = LevelName(out.level);
    out.score = g.score;
    out.steps.reserve(data->steps.size());
    for (const gw::Step& st : data->steps) out.steps.push_back(PublicStep(st));
    out.data = std::move(data);
    return out;
}

std::string Explain(const Grading& grading, Format format) {
    if (!grading.data) throw Error("the grading holds no record of its steps");
    const detail::GradingData& d = *grading.data;
    switch (format) {
        case Format::Text:
        case Format::TextGrids:
            return grading.puzzle.ToString() + " " + std::to_string(d.level) + " " + LevelName(d.level) + " " +
                   gw::ScoreText(grading.score) + "\n" +
                   gw::explain::ExplanationText(d.puzzle, d.level, d.steps, format == Format::TextGrids);
        case Format::Jsonl: return grading.Json() + "\n";
        case Format::Html: {
            gw::explain::HtmlPage page;
            page.Append(gw::explain::HtmlPage::Section(1, d.puzzle, d.level, d.steps, grading.score));
            return page.Text();
        }
    }
    throw Error("unknown format");
}

std::string StepSvg(const Grading& grading, std::size_t index) {
    if (!grading.data) throw Error("the grading holds no record of its steps");
    const detail::GradingData& d = *grading.data;
    if (index > d.steps.size()) throw std::out_of_range("step " + std::to_string(index) + " of " +
                                                        std::to_string(d.steps.size()));
    gw::explain::Board board(d.puzzle);
    for (std::size_t i = 0; i < index; ++i) board.Apply(d.steps[i]);
    return gw::explain::GridSvg(board, index < d.steps.size() ? &d.steps[index] : nullptr);
}

std::vector<Frame> Frames(const Grading& grading, bool pictures) {
    if (!grading.data) throw Error("the grading holds no record of its steps");
    const detail::GradingData& d = *grading.data;
    std::vector<Frame> out;
    for (const gw::explain::Frame& f : gw::explain::Frames(d.puzzle, d.level, d.steps))
        out.push_back({f.label, f.text, f.details, pictures ? gw::explain::GridSvg(f.board, f.step) : std::string()});
    return out;
}

std::string SvgStyle() { return gw::explain::GridCss(); }

Hint NextHint(const Puzzle& puzzle, const Puzzle& progress, const GradeOptions& options) {
    return NextHint(puzzle, progress, Marks{}, options);
}

Hint NextHint(const Puzzle& puzzle, const Puzzle& progress, const Marks& marks, const GradeOptions& options) {
    gw::Position from;
    from.givens = ToGrid(puzzle);
    from.grid = ToGrid(progress);
    for (int c = 0; c < 81; ++c) {
        const std::uint16_t m = marks[static_cast<std::size_t>(c)];
        if (m > gw::kAllDigits) throw Error("the marks of " + gw::CellName(c) + " hold more than the digits 1-9");
        from.marks[static_cast<std::size_t>(c)] = m;
    }
    // The first step of the grading from where the solver stands.
    const gw::runs::GradedPuzzle g = GradeChecked(from.givens, from, GradeOptions{options.without, true}, true);
    Hint hint;
    if (g.steps.empty()) {
        hint.status = g.level == 9 ? Hint::Status::Stuck : Hint::Status::Solved;
        return hint;
    }
    hint.status = Hint::Status::Step;
    hint.step = PublicStep(g.steps.front());
    hint.svg = gw::explain::GridSvg(gw::explain::Board(from), &g.steps.front());
    return hint;
}

Puzzle Canonical(const Puzzle& puzzle) { return FromGrid(gw::CanonicalForm(ToGrid(puzzle))); }

unsigned ParseLevels(std::string_view text) {
    unsigned out = 0;
    auto level = [](std::string item) {
        while (!item.empty() && std::isspace(static_cast<unsigned char>(item.front()))) item.erase(0, 1);
        while (!item.empty() && std::isspace(static_cast<unsigned char>(item.back()))) item.pop_back();
        if (item.size() == 1 && item[0] >= '1' && item[0] <= '9') return item[0] - '0';
        for (int l = 1; l <= 9; ++l) {
            std::string name = gw::kLevelNames[static_cast<std::size_t>(l)];
            if (name.size() != item.size()) continue;
            bool same = true;
            for (std::size_t i = 0; i < name.size(); ++i)
                same = same && std::tolower(static_cast<unsigned char>(name[i])) ==
                                   std::tolower(static_cast<unsigned char>(item[i]));
            if (same) return l;
        }
        throw Error("unknown level \"" + item + "\"");
    };
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t comma = std::min(text.find(',', at), text.size());
        const std::string item(text.substr(at, comma - at));
        const std::size_t dash = item.find('-');
        if (dash == std::string::npos) {
            out |= 1u << level(item);
        } else {
            const int from = level(item.substr(0, dash)), to = level(item.substr(dash + 1));
            if (from > to) throw Error("empty range \"" + item + "\"");
            for (int l = from; l <= to; ++l) out |= 1u << l;
        }
        at = comma + 1;
    }
    return out;
}

std::optional<Generated> Generate(const GenerateOptions& o) {
    const unsigned levels = o.levels & kAllLevels;
    if (levels == 0) throw Error("no level asked for");
    HaltBridge bridge(o.halt);
    gw::Yielder y(&bridge.control);
    Generated out;
    if (o.method == Method::Random) {
        gw::GenState g;
        gw::GradeState s;
        gw::GradeRun run{.yield = &y};
        s.run = &run;
        for (std::uint64_t seq = 0; o.maxTries == 0 || out.tries < o.maxTries; ++seq) {
            g.rng.Seed(gw::PuzzleSeed(o.seed, seq));
            if (!gw::BuildSolutionGrid(g, y) || !gw::RemoveClues(g, y) || y.Halted()) return std::nullopt;
            const int level = gw::GradePuzzle(s, g.Puzzle);
            if (level == 0 || y.Halted()) return std::nullopt;
            ++out.tries;
            if (levels & (1u << level)) {
                out.puzzle = FromGrid(g.Puzzle);
                out.solution = FromGrid(g.Solution);
                out.level = level;
                return out;
            }
        }
        return std::nullopt;
    }
    gw::HuntOptions ho;
    ho.levels = levels;
    gw::HuntPool pool(ho);
    gw::Hunter hunter(pool, gw::PuzzleSeed(o.seed, 0), y);
    std::optional<gw::HuntPuzzle> found;
    while (o.maxTries == 0 || out.tries < o.maxTries) {
        if (!hunter.Turn(found) || y.Halted()) return std::nullopt;
        const gw::HuntCounts& n = hunter.counts();
        out.tries = n.plain + n.neighbours;
        if (found) {
            out.puzzle = FromGrid(found->puzzle);
            out.solution = FromGrid(found->solution);
            out.level = found->level;
            return out;
        }
    }
    return std::nullopt;
}

std::vector<Puzzle> BenchmarkPuzzles() {
    std::vector<Puzzle> out;
    for (const Grid& g : gw::BenchmarkSet().puzzles) out.push_back(FromGrid(g));
    return out;
}

std::string Signature(const std::vector<Grading>& gradings) {
    gw::GradingSignature sig;
    std::vector<gw::Step> steps;
    for (const Grading& gr : gradings) {
        steps.clear();
        for (const Step& st : gr.steps) {
            gw::Step e;
            e.rung = st.rung;
            for (const Change& ch : st.changes)
                e.changes.push_back({ch.kind, static_cast<std::uint8_t>(ch.cell), static_cast<std::uint8_t>(ch.digit)});
            steps.push_back(std::move(e));
        }
        sig.Add(gr.level, steps);
    }
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016" PRIx64, sig.Value());
    return buf;
}

}  // namespace gridwick
