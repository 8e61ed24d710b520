// The calls the web page makes into the engine, through the library. Each
// takes and returns text (JSON): the returned buffer is the caller's to free.
#include <emscripten/emscripten.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include <gridwick/gridwick.h>

namespace {

char* Out(const std::string& s) {
    char* p = static_cast<char*>(std::malloc(s.size() + 1));
    std::memcpy(p, s.c_str(), s.size() + 1);
    return p;
}

std::string Quote(const std::string& s) {
    std::string out = "\"";
    for (char ch : s) {
        const auto u = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') out += std::string("\\") + ch;
        else if (ch == '\n') out += "\\n";
        else if (u < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", u);
            out += buf;
        } else out += ch;
    }
    return out + "\"";
}

std::string Failure(const std::exception& e) { return "{\"ok\": false, \"error\": " + Quote(e.what()) + "}"; }

}  // namespace

extern "C" {

// The grading of a puzzle with its frames: every step's text, the lines under
// it (a forcing chain's branches, a trial's refutation) and its picture, a
// trial's own steps after it.
EMSCRIPTEN_KEEPALIVE char* gw_grade(const char* text, const char* without, int pictures) {
    try {
        const gridwick::Grading g = gridwick::Grade(gridwick::Parse(text), {without, true});
        std::string out = "{\"ok\": true, \"grading\": " + g.Json() + ", \"frames\": [";
        const std::vector<gridwick::Frame> frames = gridwick::Frames(g, pictures != 0);
        for (std::size_t i = 0; i < frames.size(); ++i) {
            const gridwick::Frame& f = frames[i];
            out += std::string(i ? ", " : "") + "{\"label\": " + Quote(f.label) + ", \"text\": " + Quote(f.text) +
                   ", \"details\": [";
            for (std::size_t k = 0; k < f.details.size(); ++k) out += (k ? ", " : "") + Quote(f.details[k]);
            out += "], \"svg\": " + Quote(f.svg) + "}";
        }
        out += "], \"summary\": " + Quote(gridwick::Explain(g, gridwick::Format::Text)) + "}";
        return Out(out);
    } catch (const std::exception& e) {
        return Out(Failure(e));
    }
}

// Only the level and the steps' rungs and changes (what the signature covers).
EMSCRIPTEN_KEEPALIVE char* gw_grade_json(const char* text) {
    try {
        return Out("{\"ok\": true, \"grading\": " + gridwick::Grade(gridwick::Parse(text)).Json() + "}");
    } catch (const std::exception& e) {
        return Out(Failure(e));
    }
}

EMSCRIPTEN_KEEPALIVE char* gw_check(const char* text) {
    try {
        const gridwick::Puzzle p = gridwick::Parse(text);
        const gridwick::CheckResult r = gridwick::Check(p);
        return Out("{\"ok\": true, \"puzzle\": \"" + p.ToString() + "\", \"valid\": " + (r.valid ? "true" : "false") +
                   ", \"reason\": " + Quote(r.reason) + "}");
    } catch (const std::exception& e) {
        return Out(Failure(e));
    }
}

// `marks`: the solver's pencil marks, 81 numbers split by commas (bit d-1
// for digit d, 0 for a cell not marked), or "" for none.
EMSCRIPTEN_KEEPALIVE char* gw_hint(const char* puzzle, const char* progress, const char* marks, const char* without) {
    try {
        gridwick::Marks m{};
        std::size_t cell = 0;
        const gridwick::Error bad("marks: expected 81 numbers from 0 to 511 split by commas");
        for (const char* p = marks; *p != '\0';) {
            char* end = nullptr;
            const unsigned long v = std::strtoul(p, &end, 10);
            if (end == p || v > 511 || cell == 81 || (*end != ',' && *end != '\0')) throw bad;
            m[cell++] = static_cast<std::uint16_t>(v);
            p = *end == ',' ? end + 1 : end;
        }
        if (cell != 0 && cell != 81) throw bad;
        const gridwick::Hint h =
            gridwick::NextHint(gridwick::Parse(puzzle), gridwick::Parse(progress), m, {without, true});
        const char* status = h.status == gridwick::Hint::Status::Step     ? "step"
                             : h.status == gridwick::Hint::Status::Solved ? "solved"
                                                                          : "stuck";
        return Out(std::string("{\"ok\": true, \"status\": \"") + status + "\", \"step\": " +
                   (h.status == gridwick::Hint::Status::Step ? h.step.Json() : "null") + ", \"text\": " +
                   Quote(h.step.text) + ", \"svg\": " + Quote(h.svg) + "}");
    } catch (const std::exception& e) {
        return Out(Failure(e));
    }
}

// One puzzle of the levels; method 0 random, 1 hunt.
EMSCRIPTEN_KEEPALIVE char* gw_generate(const char* levels, int method, double seed, double maxTries) {
    try {
        gridwick::GenerateOptions o;
        o.levels = gridwick::ParseLevels(levels);
        o.method = method == 1 ? gridwick::Method::Hunt : gridwick::Method::Random;
        o.seed = static_cast<std::uint64_t>(seed);
        o.maxTries = static_cast<long long>(maxTries);
        const std::optional<gridwick::Generated> g = gridwick::Generate(o);
        if (!g) return Out("{\"ok\": true, \"found\": false}");
        return Out("{\"ok\": true, \"found\": true, \"puzzle\": \"" + g->puzzle.ToString() + "\", \"level\": " +
                   std::to_string(g->level) + ", \"tries\": " + std::to_string(g->tries) + "}");
    } catch (const std::exception& e) {
        return Out(Failure(e));
    }
}

EMSCRIPTEN_KEEPALIVE char* gw_style() { return Out(gridwick::SvgStyle()); }

EMSCRIPTEN_KEEPALIVE char* gw_benchmark_puzzles() {
    std::string out;
    for (const gridwick::Puzzle& p : gridwick::BenchmarkPuzzles()) out += p.ToString() + "\n";
    return Out(out);
}

// The signature of the benchmark set graded here, as `gridwick bench` prints it.
EMSCRIPTEN_KEEPALIVE char* gw_bench_signature() {
    std::vector<gridwick::Grading> all;
    for (const gridwick::Puzzle& p : gridwick::BenchmarkPuzzles()) all.push_back(gridwick::Grade(p));
    return Out(gridwick::Signature(all));
}

}  // extern "C"
