// gridwick grade: rates puzzles that users bring and explains the path.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "cli/commands.h"
#include "grader/grader.h"
#include "explain/explain.h"
#include "explain/html.h"
#include "output/reader.h"

namespace gw::cli {

namespace {

std::string JsonString(const std::string& s) {
    std::string out = "\"";
    for (char ch : s) {
        const auto u = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (u < 0x20 || u >= 0x7f) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", u);
            out += buf;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

void PrintText(const InputPuzzle& p, int level, const std::vector<Step>& steps, const GradeOptions& o) {
    std::printf("%s %d %s\n", p.text.c_str(), level, kLevelNames[static_cast<std::size_t>(level)]);
    if (o.explain || o.grid) std::fputs(explain::ExplanationText(p.grid, level, steps, o.grid).c_str(), stdout);
    else if (o.stuckGrid && level == 9) std::fputs(explain::StuckGridText(p.grid, steps).c_str(), stdout);
}

void PrintJson(const InputPuzzle& p, int level, const std::vector<Step>& steps) {
    std::string out = "{\"line\": " + std::to_string(p.line) + ", \"puzzle\": " + JsonString(p.text) +
                      ", \"level\": " + std::to_string(level) + ", \"name\": " +
                      JsonString(kLevelNames[static_cast<std::size_t>(level)]) + ", \"steps\": [";
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step& st = steps[i];
        if (i) out += ", ";
        out += "{\"rung\": " + std::to_string(st.rung) + ", \"technique\": " +
               JsonString(kLadder[static_cast<std::size_t>(st.rung - 1)].technique) + ", \"changes\": [";
        for (std::size_t k = 0; k < st.changes.size(); ++k) {
            const Change& ch = st.changes[k];
            if (k) out += ", ";
            out += "[\"" + std::string(1, ch.kind) + "\", " + std::to_string(ch.cell) + ", " +
                   std::to_string(ch.digit) + "]";
        }
        out += "], \"pattern\": " + explain::PatternJson(st.pattern) + "}";
    }
    out += "]}\n";
    std::fputs(out.c_str(), stdout);
}

}  // namespace

int RunGrade(const GradeOptions& o) {
    std::bitset<kRungCount + 1> disabled;
    if (!o.without.empty()) {
        std::string error;
        if (!ParseRungList(o.without, disabled, error)) {
            std::fprintf(stderr, "gridwick: --without: %s\n", error.c_str());
            return 2;
        }
    }
    std::string data;
    if (o.input == "-") {
        data.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    } else {
        std::ifstream in(o.input, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "gridwick: cannot read %s\n", o.input.c_str());
            return 2;
        }
        data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    const bool json = o.format == "jsonl";
    int bad = 0;
    GradeState s;
    s.disabledRungs = disabled;
    std::vector<Step> steps;
    explain::HtmlPage page;
    for (const InputPuzzle& p : ReadPuzzles(data)) {
        if (!p.error.empty()) {
            ++bad;
            if (json) std::printf("{\"line\": %d, \"error\": %s}\n", p.line, JsonString(p.error).c_str());
            std::fflush(stdout);
            std::fprintf(stderr, "line %d: %s\n", p.line, p.error.c_str());
            continue;
        }
        steps.clear();
        const bool explaining = json || o.explain || o.grid || o.stuckGrid || !o.html.empty();
        const int level = GradePuzzle(s, p.grid, explaining ? &steps : nullptr);
        if (json) PrintJson(p, level, steps);
        else PrintText(p, level, steps, o);
        if (!o.html.empty()) page.Add(p.line, p.grid, level, steps);
    }
    std::fflush(stdout);
    if (!o.html.empty() && !page.Write(o.html)) {
        std::fprintf(stderr, "gridwick: cannot write %s\n", o.html.c_str());
        return 2;
    }
    return bad > 0 ? 1 : 0;
}

}  // namespace gw::cli
