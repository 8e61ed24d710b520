#include "explain/html.h"

#include <cstdio>
#include <fstream>

namespace gw::explain {

namespace {

// Pale tints behind the cells of a pattern, by role, and behind candidates of
// the sides of a pattern (colours, sets), by group.
const char* RoleTint(Role r) {
    switch (r) {
        case Role::Base: case Role::Set: case Role::Assumption: return "#cde8f8";   // sky blue
        case Role::Cover: case Role::Source: return "#f9f3bd";                     // yellow
        case Role::Fin: return "#fbe0ad";                                          // orange
        case Role::Pivot: return "#f1d3e4";                                        // reddish purple
        case Role::Pincer: case Role::Branch: return "#c6ebde";                    // bluish green
        case Role::Link: return "#e4e4e4";
        case Role::Contradiction: return kStrikeFill;
        case Role::Target: case Role::None: break;
    }
    return nullptr;
}

constexpr const char* kGroupMark[] = {"#56b4e9", "#e69f00", "#009e73", "#cc79a7", "#f0e442", "#0072b2"};
constexpr const char* kLinkInk = "#cc79a7";

std::string Num(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", v);
    return buf;
}

double CellX(int cell) { return kBorderPx + kCellPx * (cell % 9); }
double CellY(int cell) { return kBorderPx + kCellPx * (cell / 9); }

void Rect(std::string& out, double x, double y, double w, double h, const char* fill) {
    out += "<rect x=\"" + Num(x) + "\" y=\"" + Num(y) + "\" width=\"" + Num(w) + "\" height=\"" + Num(h) +
           "\" fill=\"" + fill + "\"/>";
}

void Text(std::string& out, double x, double y, int digit, const char* cls) {
    out += "<text class=\"" + std::string(cls) + "\" x=\"" + Num(x) + "\" y=\"" + Num(y) + "\">" +
           static_cast<char>('0' + digit) + "</text>";
}

std::string Escape(const std::string& s) {
    std::string out;
    for (char ch : s) {
        if (ch == '<') out += "&lt;";
        else if (ch == '>') out += "&gt;";
        else if (ch == '&') out += "&amp;";
        else out += ch;
    }
    return out;
}

}  // namespace

double CandidateX(int cell, int digit) { return CellX(cell) + 9.5 + 13 * ((digit - 1) % 3); }
double CandidateY(int cell, int digit) { return CellY(cell) + 9.5 + 13 * ((digit - 1) / 3); }

std::string GridSvg(const Board& board, const Step* step) {
    static const Pattern kNoPattern;
    const Pattern& p = step != nullptr ? step->pattern : kNoPattern;
    std::string out = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(kGridPx) +
                      "\" height=\"" + std::to_string(kGridPx) + "\" viewBox=\"0 0 " + std::to_string(kGridPx) +
                      " " + std::to_string(kGridPx) + "\" role=\"img\">";
    Rect(out, 0, 0, kGridPx, kGridPx, "#ffffff");

    // Units of the pattern, then its cells.
    for (const PatternUnit& u : p.units) {
        const char* tint = RoleTint(u.role);
        if (tint == nullptr) continue;
        for (int k = 0; k < 9; ++k) {
            const int c = UnitCell(u.unit, k);
            Rect(out, CellX(c), CellY(c), kCellPx, kCellPx, tint);
        }
    }
    for (const PatternCell& c : p.cells) {
        const char* tint = (p.kind == PatternKind::Colouring || p.kind == PatternKind::Als) && c.role == Role::Set
                               ? (c.group % 2 ? "#fbe0ad" : "#cde8f8")
                               : RoleTint(c.role);
        if (tint != nullptr) Rect(out, CellX(c.cell), CellY(c.cell), kCellPx, kCellPx, tint);
    }

    // What the step changes: removed candidates and placed digits.
    std::array<std::uint16_t, 81> struck{};
    std::array<std::uint8_t, 81> placed{};
    if (step != nullptr) {
        bool trial = false;
        for (const Change& ch : step->changes) {
            if (ch.kind == 'R') struck[ch.cell] = static_cast<std::uint16_t>(struck[ch.cell] | DigitBit(ch.digit));
            else if (ch.kind == 'T') trial = true, placed[ch.cell] = ch.digit;
            else if (!trial) placed[ch.cell] = ch.digit;  // a trial shows its assumption only
        }
    }
    auto mark = [&](int cell, int digit, const char* fill) {
        Rect(out, CandidateX(cell, digit) - kMarkHalf, CandidateY(cell, digit) - kMarkHalf, 2 * kMarkHalf,
             2 * kMarkHalf, fill);
    };
    // The pattern's candidates, then the chain nodes' candidates.
    for (const PatternCell& c : p.cells) {
        if (board.grid[c.cell] != 0) continue;
        const char* fill = c.role == Role::Fin ? "#e69f00" : kGroupMark[c.group % 6];
        if (c.role == Role::Contradiction || c.role == Role::Target) continue;
        for (int d = 1; d <= 9; ++d)
            if ((c.digits & board.masks[c.cell] & DigitBit(d)) && !(struck[c.cell] & DigitBit(d))) mark(c.cell, d, fill);
    }
    for (const PatternChain& ch : p.chains)
        for (const ChainNode& n : ch.nodes)
            for (int cell : n.cells)
                for (int d = 1; d <= 9; ++d)
                    if ((n.digits & board.masks[cell] & DigitBit(d)) && !(struck[cell] & DigitBit(d)))
                        mark(cell, d, kGroupMark[0]);
    for (int c = 0; c < 81; ++c)
        for (int d = 1; d <= 9; ++d)
            if (struck[c] & DigitBit(d)) mark(c, d, kStrikeFill);

    // Grid lines: thin between cells, thick around boxes.
    for (int k = 0; k <= 9; ++k) {
        const double at = kBorderPx + kCellPx * k;
        const char* cls = k % 3 == 0 ? "thick" : "thin";
        out += "<line class=\"" + std::string(cls) + "\" x1=\"" + Num(at) + "\" y1=\"" + Num(kBorderPx) + "\" x2=\"" +
               Num(at) + "\" y2=\"" + Num(kGridPx - kBorderPx) + "\"/>";
        out += "<line class=\"" + std::string(cls) + "\" x1=\"" + Num(kBorderPx) + "\" y1=\"" + Num(at) + "\" x2=\"" +
               Num(kGridPx - kBorderPx) + "\" y2=\"" + Num(at) + "\"/>";
    }

    // Digits and pencil marks.
    for (int c = 0; c < 81; ++c) {
        const double cx = CellX(c) + kCellPx / 2.0, cy = CellY(c) + kCellPx / 2.0 + 10;
        if (board.grid[c] != 0) {
            // Givens are the puzzle's; other digits were placed by earlier steps.
            const bool given = step == nullptr || board.given[c];
            Text(out, cx, cy, board.grid[c], given ? "given" : "solved");
        } else if (placed[c] != 0) {
            Text(out, cx, cy, placed[c], "placed");
        } else {
            for (int d = 1; d <= 9; ++d)
                if (board.masks[c] & DigitBit(d)) Text(out, CandidateX(c, d), CandidateY(c, d) + 4, d, "pm");
        }
    }
    for (int c = 0; c < 81; ++c)
        for (int d = 1; d <= 9; ++d)
            if (struck[c] & DigitBit(d))
                out += "<line class=\"strike\" x1=\"" + Num(CandidateX(c, d) - kMarkHalf) + "\" y1=\"" +
                       Num(CandidateY(c, d) + kMarkHalf) + "\" x2=\"" + Num(CandidateX(c, d) + kMarkHalf) +
                       "\" y2=\"" + Num(CandidateY(c, d) - kMarkHalf) + "\"/>";

    // Chain links between the centres of consecutive nodes.
    for (const PatternChain& ch : p.chains) {
        auto centre = [&](const ChainNode& n, double& x, double& y) {
            x = y = 0;
            int count = 0;
            for (int cell : n.cells)
                for (int d = 1; d <= 9; ++d)
                    if (n.digits & DigitBit(d)) {
                        x += CandidateX(cell, d);
                        y += CandidateY(cell, d);
                        ++count;
                    }
            if (count > 0) x /= count, y /= count;
        };
        const std::size_t links = ch.loop ? ch.nodes.size() : ch.nodes.size() - (ch.nodes.empty() ? 0 : 1);
        for (std::size_t i = 0; i < links; ++i) {
            double x1, y1, x2, y2;
            centre(ch.nodes[i], x1, y1);
            centre(ch.nodes[(i + 1) % ch.nodes.size()], x2, y2);
            const bool strong = i < ch.strong.size() && ch.strong[i];
            out += "<line class=\"" + std::string(strong ? "strong" : "weak") + "\" x1=\"" + Num(x1) + "\" y1=\"" +
                   Num(y1) + "\" x2=\"" + Num(x2) + "\" y2=\"" + Num(y2) + "\"/>";
        }
    }
    return out + "</svg>";
}

std::string HtmlPage::Section(int line, const Grid& puzzle, int level, const std::vector<Step>& steps) {
    std::string out;
    out += "<section><h2>Line " + std::to_string(line) + ": " + kLevelNames[static_cast<std::size_t>(level)] + " (" +
           std::to_string(level) + "), " + std::to_string(steps.size()) + " steps</h2><div class=\"grids\">";
    Board board(puzzle);
    out += "<figure>" + GridSvg(board, nullptr) + "<figcaption>The puzzle</figcaption></figure>";
    for (std::size_t i = 0; i < steps.size(); ++i) {
        out += "<figure>" + GridSvg(board, &steps[i]) + "<figcaption><b>" + std::to_string(i + 1) + ".</b> " +
               Escape(StepText(steps[i])) + "</figcaption></figure>";
        board.Apply(steps[i]);
    }
    if (level == 9)
        out += "<figure>" + GridSvg(board, nullptr) + "<figcaption>Stuck: no technique makes progress</figcaption></figure>";
    out += "</div><p class=\"summary\">";
    for (const std::string& l : Summary(steps)) out += Escape(l) + "<br>";
    out += "</p></section>\n";
    return out;
}

std::string GridCss() {
    return "text{font-family:\"DejaVu Sans\",Arial,sans-serif;text-anchor:middle}\n"
           ".given{font-size:28px;font-weight:bold;fill:#000}\n"
           ".solved{font-size:28px;fill:" + std::string(kSolvedInk) + "}\n"
           ".placed{font-size:30px;font-weight:bold;fill:" + std::string(kPlacedInk) + "}\n"
           ".pm{font-size:11px;fill:#333}\n"
           ".thin{stroke:#9a9a9a;stroke-width:1}\n.thick{stroke:#000;stroke-width:3;stroke-linecap:square}\n"
           ".strike{stroke:" + std::string(kStrikeLine) + ";stroke-width:2}\n"
           ".strong{stroke:" + std::string(kLinkInk) + ";stroke-width:2.5;fill:none}\n"
           ".weak{stroke:" + std::string(kLinkInk) + ";stroke-width:2;stroke-dasharray:5 4;fill:none}\n";
}

std::string StandaloneGridSvg(const Board& board, const Step* step) {
    std::string svg = GridSvg(board, step);
    const std::size_t open = svg.find('>');
    svg.insert(open + 1, "<style type=\"text/css\">" + GridCss() + "</style>");
    return svg;
}

std::string HtmlPage::Text() const { return Head() + sections_ + Tail(); }

std::string HtmlPage::Tail() { return "</body></html>\n"; }

std::string HtmlPage::Head() {
    const std::string grid = std::to_string(kGridPx) + "px";
    return "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>Gridwick: explained "
           "gradings</title>\n<style>\n"
           "body{margin:0;font-family:\"DejaVu Sans\",Arial,sans-serif;color:#000;background:#fff}\n"
           "h2{box-sizing:border-box;height:" + std::to_string(kHeadingPx) + "px;margin:0;padding:0 " +
           std::to_string(kPadPx) + "px;line-height:" + std::to_string(kHeadingPx) +
           "px;font-size:20px;overflow:hidden;white-space:nowrap}\n"
           ".grids{display:grid;grid-template-columns:repeat(auto-fill," + grid + ");gap:" +
           std::to_string(kGapPx) + "px;padding:" + std::to_string(kPadPx) + "px;align-items:start}\n"
           "figure{margin:0;width:" + grid + "}\nfigure svg{display:block}\n"
           "figcaption{font-size:14px;line-height:1.35;margin-top:6px;overflow-wrap:anywhere}\n"
           ".summary{padding:0 " + std::to_string(kPadPx) + "px;font-size:14px}\n"
           + GridCss() +
           "@media print{body{-webkit-print-color-adjust:exact;print-color-adjust:exact}"
           "section{break-before:page}section:first-child{break-before:auto}"
           "figure{break-inside:avoid}.grids{grid-template-columns:repeat(2," + grid + ")}}\n"
           "</style></head><body>\n";
}

bool HtmlPage::Write(const std::string& path) const {
    std::ofstream f(path, std::ios::binary);
    f << Text();
    f.close();
    return static_cast<bool>(f);
}

}  // namespace gw::explain
