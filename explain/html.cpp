#include "explain/html.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "grader/score.h"

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

// A chain of implications, drawn with arrows in its own colour: a forcing
// chain's branch, or a trial's way from the failing candidate to its
// contradiction.
bool Implications(const PatternChain& ch) { return ch.role == Role::Branch || ch.role == Role::Contradiction; }

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

namespace {

// The parts of one grid's drawing, in the order they are painted: what a part
// paints later lies on top.
struct Drawing {
    const Board& board;
    const Step* step;
    const Pattern& p;
    std::string out;
    std::array<std::uint16_t, 81> struck{};  // candidates the step removes
    std::array<std::uint8_t, 81> placed{};   // digits the step places

    // Step 1. What the step changes: removed candidates and placed digits (a
    // trial shows its assumption only).
    void ReadChanges() {
        if (step == nullptr) return;
        bool trial = false;
        for (const Change& ch : step->changes) {
            if (ch.kind == 'R') struck[ch.cell] = static_cast<std::uint16_t>(struck[ch.cell] | DigitBit(ch.digit));
            else if (ch.kind == 'T') trial = true, placed[ch.cell] = ch.digit;
            else if (!trial) placed[ch.cell] = ch.digit;
        }
    }

    // Step 2. Pale tints behind the pattern's units, then its cells.
    void TintPattern() {
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
    }

    void Mark(int cell, int digit, const char* fill) {
        Rect(out, CandidateX(cell, digit) - kMarkHalf, CandidateY(cell, digit) - kMarkHalf, 2 * kMarkHalf,
             2 * kMarkHalf, fill);
    }

    // Step 3. Squares behind the pattern's candidates, the chain nodes'
    // candidates and the struck candidates.
    void MarkCandidates() {
        for (const PatternCell& c : p.cells) {
            if (board.grid[c.cell] != 0 || c.role == Role::Contradiction || c.role == Role::Target) continue;
            const char* fill = c.role == Role::Fin ? "#e69f00" : kGroupMark[c.group % 6];
            for (int d = 1; d <= 9; ++d)
                if ((c.digits & board.masks[c.cell] & DigitBit(d)) && !(struck[c.cell] & DigitBit(d)))
                    Mark(c.cell, d, fill);
        }
        for (std::size_t k = 0; k < p.chains.size(); ++k) {
            const PatternChain& ch = p.chains[k];
            const char* fill = Implications(ch) ? kGroupMark[k % 6] : kGroupMark[0];
            for (const ChainNode& n : ch.nodes)
                for (int cell : n.cells)
                    for (int d = 1; d <= 9; ++d)
                        if ((n.digits & board.masks[cell] & DigitBit(d)) && !(struck[cell] & DigitBit(d)))
                            Mark(cell, d, fill);
        }
        for (int c = 0; c < 81; ++c)
            for (int d = 1; d <= 9; ++d)
                if (struck[c] & DigitBit(d)) Mark(c, d, kStrikeFill);
    }

    // Step 4. Grid lines: thin between cells, thick around boxes.
    void GridLines() {
        for (int k = 0; k <= 9; ++k) {
            const double at = kBorderPx + kCellPx * k;
            const std::string cls = k % 3 == 0 ? "thick" : "thin";
            out += "<line class=\"" + cls + "\" x1=\"" + Num(at) + "\" y1=\"" + Num(kBorderPx) + "\" x2=\"" + Num(at) +
                   "\" y2=\"" + Num(kGridPx - kBorderPx) + "\"/>";
            out += "<line class=\"" + cls + "\" x1=\"" + Num(kBorderPx) + "\" y1=\"" + Num(at) + "\" x2=\"" +
                   Num(kGridPx - kBorderPx) + "\" y2=\"" + Num(at) + "\"/>";
        }
    }

    // The centre of a node's candidates.
    static void Centre(const ChainNode& n, double& x, double& y) {
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
    }

    // Step 5. Chain links between consecutive nodes, painted below the
    // digits so that no pencil mark is hidden; each line stops short of its
    // nodes' squares and bows a little to the side, off the row or column of
    // candidates it joins. A forcing chain's branches each take their own
    // colour, with an arrow at each implication.
    void Links() {
        for (std::size_t k = 0; k < p.chains.size(); ++k) {
            const PatternChain& ch = p.chains[k];
            // A trial's refutation rests on the whole board at each step, not
            // on the node before: its nodes carry their order only.
            if (ch.nodes.size() < 2 || ch.role == Role::Contradiction) continue;
            const bool branch = Implications(ch);
            const std::string colour = branch ? std::string(" style=\"stroke:") + kGroupMark[k % 6] + "\"" : "";
            const std::size_t links = ch.loop ? ch.nodes.size() : ch.nodes.size() - 1;
            for (std::size_t i = 0; i < links; ++i) {
                double x1, y1, x2, y2;
                Centre(ch.nodes[i], x1, y1);
                Centre(ch.nodes[(i + 1) % ch.nodes.size()], x2, y2);
                const double dx = x2 - x1, dy = y2 - y1, len = std::sqrt(dx * dx + dy * dy);
                if (len < 1) continue;
                const double ux = dx / len, uy = dy / len, cut = kMarkHalf + 1;
                x1 += ux * cut, y1 += uy * cut, x2 -= ux * cut, y2 -= uy * cut;
                const double bow = std::min(12.0, len / 6);
                const double mx = (x1 + x2) / 2 - uy * bow, my = (y1 + y2) / 2 + ux * bow;
                const bool strong = branch || (i < ch.strong.size() && ch.strong[i]);
                out += "<path class=\"" + std::string(strong ? "strong" : "weak") + "\"" + colour + " d=\"M" +
                       Num(x1) + " " + Num(y1) + " Q" + Num(mx) + " " + Num(my) + " " + Num(x2) + " " + Num(y2) +
                       "\"" + (branch ? " marker-end=\"url(#arrow)\"" : "") + "/>";
            }
        }
    }

    // Step 6. Digits and pencil marks.
    void Digits() {
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
    }

    // Step 7. A stroke through every struck candidate, and through the
    // candidates a chain's node takes out, in the chain's colour.
    void Strikes() {
        for (std::size_t k = 0; k < p.chains.size(); ++k)
            for (const ChainNode& n : p.chains[k].nodes) {
                if (!n.removal) continue;
                for (int c : n.cells)
                    for (int d = 1; d <= 9; ++d)
                        if (n.digits & board.masks[c] & DigitBit(d))
                            out += "<line class=\"strike\" style=\"stroke:" + std::string(kGroupMark[k % 6]) +
                                   "\" x1=\"" + Num(CandidateX(c, d) - kMarkHalf) + "\" y1=\"" +
                                   Num(CandidateY(c, d) + kMarkHalf) + "\" x2=\"" + Num(CandidateX(c, d) + kMarkHalf) +
                                   "\" y2=\"" + Num(CandidateY(c, d) - kMarkHalf) + "\"/>";
            }
        for (int c = 0; c < 81; ++c)
            for (int d = 1; d <= 9; ++d)
                if (struck[c] & DigitBit(d))
                    out += "<line class=\"strike\" x1=\"" + Num(CandidateX(c, d) - kMarkHalf) + "\" y1=\"" +
                           Num(CandidateY(c, d) + kMarkHalf) + "\" x2=\"" + Num(CandidateX(c, d) + kMarkHalf) +
                           "\" y2=\"" + Num(CandidateY(c, d) - kMarkHalf) + "\"/>";
    }

    // Step 8. The order of a chain's nodes: a small number at the corner of
    // each node's first candidate (a forcing branch's own nodes only, the
    // assumption being 1).
    void NodeOrder() {
        for (const PatternChain& ch : p.chains) {
            if (ch.nodes.size() < 2) continue;
            for (std::size_t i = 0; i < ch.nodes.size(); ++i) {
                const ChainNode& n = ch.nodes[i];
                if (n.cells.empty() || n.digits == 0) continue;
                const int cell = n.cells[0], d = LowestDigit(n.digits);
                out += "<text class=\"order\" x=\"" + Num(CandidateX(cell, d) - 5) + "\" y=\"" +
                       Num(CandidateY(cell, d) - 3) + "\">" + std::to_string(i + 1) + "</text>";
            }
        }
    }
};

}  // namespace

std::string GridSvg(const Board& board, const Step* step) {
    static const Pattern kNoPattern;
    Drawing d{board, step, step != nullptr ? step->pattern : kNoPattern, {}};
    d.out = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(kGridPx) + "\" height=\"" +
            std::to_string(kGridPx) + "\" viewBox=\"0 0 " + std::to_string(kGridPx) + " " + std::to_string(kGridPx) +
            "\" role=\"img\">";
    if (!d.p.chains.empty() && Implications(d.p.chains[0]))
        d.out += "<defs><marker id=\"arrow\" viewBox=\"0 0 10 10\" refX=\"9\" refY=\"5\" markerWidth=\"5\" "
                 "markerHeight=\"5\" orient=\"auto\"><path d=\"M0 0L10 5L0 10z\" fill=\"context-stroke\"/></marker></defs>";
    Rect(d.out, 0, 0, kGridPx, kGridPx, "#ffffff");
    d.ReadChanges();
    d.TintPattern();
    d.MarkCandidates();
    d.GridLines();
    d.Links();
    d.Digits();
    d.Strikes();
    d.NodeOrder();
    return d.out + "</svg>";
}

namespace {

// Runs of at least this many singles in a row fold into one group.
constexpr std::size_t kFoldRun = 3;

bool IsSingle(const Step& st) { return st.rung <= 2; }

std::string Figure(const std::string& id, const std::string& svg, const std::string& caption) {
    return "<figure" + (id.empty() ? std::string() : " id=\"" + id + "\"") + ">" + svg + "<figcaption>" + caption +
           "</figcaption></figure>";
}

// A trial's refutation, a line each, the sub-chains indented.
std::string RefutationHtml(const std::vector<Line>& lines) {
    if (lines.empty()) return {};
    std::string out = "<ol class=\"lines\">";
    for (const Line& l : lines)
        out += "<li class=\"depth" + std::to_string(std::min(l.depth, 3)) + "\">" + Escape(l.text) + "</li>";
    return out + "</ol>";
}

// A step's caption: its number (a link to itself), its text, and a forcing
// chain's branches or a trial's refutation, each behind a swatch of its colour
// in the drawing.
std::string Caption(const std::string& id, const std::string& number, const Step& st) {
    std::string out = "<a href=\"#" + id + "\"><b>" + number + ".</b></a> " + Escape(StepText(st));
    const std::vector<std::string> branches = BranchLines(st);
    for (std::size_t k = 0; k < branches.size(); ++k)
        out += "<br><span class=\"swatch\" style=\"background:" + std::string(kGroupMark[k % 6]) + "\"></span>" +
               Escape(branches[k]);
    // A refutation is the trial's only chain in the drawing: it takes the
    // first colour, and its steps follow a line each.
    const std::vector<Line> refutation = RefutationLines(st);
    if (!refutation.empty())
        out += "<br><span class=\"swatch\" style=\"background:" + std::string(kGroupMark[0]) +
               "\"></span>Why not the other candidate:" + RefutationHtml(refutation);
    return out;
}

// The figures of `steps` from `board` on (which they advance), step i with
// the anchor `id` + (i + 1) and the number `number` + (i + 1); runs of
// singles fold into one group. With `toc`, a link per step or run. A trial's
// own steps follow its figure, folded, then the solved grid.
void StepFigures(Board& board, const std::vector<Step>& steps, const std::string& id, const std::string& number,
                 std::string& grids, std::string* toc) {
    auto stepId = [&](std::size_t i) { return id + std::to_string(i + 1); };
    auto label = [&](std::size_t i) { return number + std::to_string(i + 1); };
    for (std::size_t i = 0; i < steps.size();) {
        std::size_t end = i;
        while (end < steps.size() && IsSingle(steps[end])) ++end;
        if (end - i >= kFoldRun) {
            std::string placed;
            for (std::size_t k = i; k < end; ++k)
                for (const Change& ch : steps[k].changes)
                    if (ch.kind == 'P') placed += (placed.empty() ? "" : ", ") + Cell(ch.cell) + "=" + std::to_string(ch.digit);
            const std::string range = label(i) + "-" + label(end - 1);
            if (toc != nullptr) *toc += "<a href=\"#" + stepId(i) + "\">" + range + " singles</a> ";
            grids += "<details class=\"run\" id=\"" + stepId(i) + "\"><summary>Steps " + range + ": " +
                     std::to_string(end - i) + " singles (" + Escape(placed) + ")</summary><div class=\"grids\">";
            for (const std::size_t first = i; i < end; ++i) {
                grids += Figure(i == first ? "" : stepId(i), GridSvg(board, &steps[i]),
                                Caption(stepId(i), label(i), steps[i]));
                board.Apply(steps[i]);
            }
            grids += "</div></details>";
            continue;
        }
        if (end == i) end = i + 1;  // one step that is not a single
        for (; i < end; ++i) {
            const Step& st = steps[i];
            if (toc != nullptr) *toc += "<a href=\"#" + stepId(i) + "\">" + label(i) + " " + Escape(st.name) + "</a> ";
            grids += Figure(stepId(i), GridSvg(board, &st), Caption(stepId(i), label(i), st));
            if (!st.fill.empty()) {
                const Change assumed = st.changes.at(0);
                Board trial = board;
                trial.Apply(Change{'P', assumed.cell, assumed.digit});
                grids += "<details class=\"run\" id=\"" + stepId(i) + "-fill\"><summary>Steps " + label(i) + ".1-" +
                         label(i) + "." + std::to_string(st.fill.size()) + ": from " + Cell(assumed.cell) + "=" +
                         std::to_string(assumed.digit) + " the ladder fills the grid</summary><div class=\"grids\">";
                StepFigures(trial, st.fill, stepId(i) + "-", label(i) + ".", grids, nullptr);
                grids += "</div></details>";
                static const Step kAfter;  // draws every digit not given as placed before
                grids += Figure(stepId(i) + "-solved", GridSvg(trial, &kAfter), "The solved grid");
            }
            board.Apply(st);
        }
    }
}

}  // namespace

std::string HtmlPage::Section(int line, const Board& start, int level, const std::vector<Step>& steps,
                              double score) {
    const std::string id = "line-" + std::to_string(line);
    std::string out;
    out += "<section id=\"" + id + "\"><h2><a href=\"#" + id + "\">Line " + std::to_string(line) + "</a>: " +
           kLevelNames[static_cast<std::size_t>(level)] + " (" + std::to_string(level) + "), score " +
           ScoreText(score < 0 ? Score(level, steps) : score) + ", " + std::to_string(steps.size()) + " steps</h2>";
    // The contents: one link per step, a run of singles as one link.
    std::string toc;
    std::string grids = "<div class=\"grids\">";
    Board board = start;
    grids += Figure("", GridSvg(board, nullptr), "The puzzle");
    StepFigures(board, steps, id + "-step-", "", grids, &toc);
    if (level == 9) grids += Figure("", GridSvg(board, nullptr), Escape(StuckLine(board)));
    out += "<nav class=\"toc\">" + toc + "</nav>" + grids + "</div><p class=\"summary\">";
    for (const std::string& l : Summary(steps, level)) out += Escape(l) + "<br>";
    out += "</p></section>\n";
    return out;
}

std::string HtmlPage::UnusableSection(int line, const std::string& text, const Unusable& why) {
    const std::string id = "line-" + std::to_string(line);
    std::string out = "<section id=\"" + id + "\"><h2><a href=\"#" + id + "\">Line " + std::to_string(line) +
                      "</a>: not graded</h2><p class=\"unusable\">" + Escape(why.reason) + "</p>";
    if (!why.parsed) {
        if (!text.empty()) out += "<pre class=\"input\">" + Escape(text) + "</pre>";
        return out + "</section>\n";
    }
    out += "<div class=\"grids\">";
    if (why.twoSolutions) {
        // Each solution drawn over the givens, the cells where they differ tinted.
        int n = 0;
        for (const Grid* g : {&why.first, &why.second}) {
            Board board(why.puzzle);
            for (int c = 0; c < 81; ++c)
                if (why.puzzle[c] == 0) board.Apply(Change{'P', static_cast<std::uint8_t>(c), (*g)[c]});
            Step shown;
            for (int c : why.differ) shown.pattern.Cell(c, 0, Role::Set);
            ++n;
            out += Figure(id + "-solution-" + std::to_string(n), GridSvg(board, &shown),
                          "Solution " + std::to_string(n) + (n == 1 ? "" : ": differs from solution 1 in " +
                                                                             Escape(Cells(why.differ))));
        }
    } else if (why.unit >= 0) {
        Board board(why.puzzle);
        board.masks.fill(0);  // pencil marks mean nothing among clashing givens
        Step shown;
        shown.pattern.Unit(why.unit, Role::Cover);
        for (int c : why.clash) shown.pattern.Cell(c, 0, Role::Contradiction);
        out += Figure(id + "-clash", GridSvg(board, &shown),
                      std::to_string(why.digit) + " twice in " + Unit(why.unit) + ": " + Escape(Cells(why.clash)));
    } else {
        out += Figure("", GridSvg(Board(why.puzzle), nullptr), "The puzzle");
    }
    return out + "</div></section>\n";
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
           ".weak{stroke:" + std::string(kLinkInk) + ";stroke-width:2;stroke-dasharray:5 4;fill:none}\n"
           // A chain's node numbers: small, with a white halo over the pencil marks.
           ".order{font-size:8px;font-weight:bold;fill:#000;paint-order:stroke;stroke:#fff;stroke-width:2px}\n";
}

std::string StandaloneGridSvg(const Board& board, const Step* step) {
    std::string svg = GridSvg(board, step);
    const std::size_t open = svg.find('>');
    svg.insert(open + 1, "<style type=\"text/css\">" + GridCss() + "</style>");
    return svg;
}

std::string HtmlPage::Text() const { return Head() + sections_ + Tail(); }

std::string HtmlPage::Tail() { return "</body></html>\n"; }

namespace {

// What the colours and lines of the drawings mean, as a line of small swatches.
std::string Legend() {
    auto swatch = [](const std::string& body) {
        return "<svg width=\"28\" height=\"16\" viewBox=\"0 0 28 16\">" + body + "</svg>";
    };
    auto square = [&](const char* fill) {
        return swatch("<rect x=\"6\" y=\"1\" width=\"14\" height=\"14\" fill=\"" + std::string(fill) + "\"/>");
    };
    auto digit = [&](const char* cls) {
        return swatch("<text class=\"" + std::string(cls) + "\" x=\"14\" y=\"14\" style=\"font-size:16px\">5</text>");
    };
    std::string out = "<p class=\"legend\"><b>Legend</b>";
    out += square("#cde8f8") + "pattern cells";
    out += square(kGroupMark[0]) + "pattern candidates";
    out += swatch("<rect x=\"6\" y=\"1\" width=\"14\" height=\"14\" fill=\"" + std::string(kStrikeFill) +
                  "\"/><line class=\"strike\" x1=\"6\" y1=\"15\" x2=\"20\" y2=\"1\"/>") + "struck candidate";
    out += swatch("<line class=\"strong\" x1=\"2\" y1=\"8\" x2=\"26\" y2=\"8\"/>") + "strong link";
    out += swatch("<line class=\"weak\" x1=\"2\" y1=\"8\" x2=\"26\" y2=\"8\"/>") + "weak link";
    out += digit("placed") + "placed by the step";
    out += digit("solved") + "placed before";
    out += digit("given") + "given";
    out += "<br>Forcing chains: one colour per branch, numbers give each branch's order; "
           "runs of singles are folded (click to open).</p>\n";
    return out;
}

}  // namespace

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
           ".legend{box-sizing:border-box;height:" + std::to_string(kLegendPx) + "px;overflow:hidden;margin:0;"
           "padding:6px " + std::to_string(kPadPx) + "px;font-size:12px;line-height:20px;background:#f4f4f4}\n"
           ".legend svg{vertical-align:middle;margin:0 4px 0 10px}\n"
           ".toc{box-sizing:border-box;height:" + std::to_string(kTocPx) + "px;padding:0 " + std::to_string(kPadPx) +
           "px;font-size:13px;line-height:" + std::to_string(kTocPx) + "px;white-space:nowrap;overflow-x:auto}\n"
           ".toc a{margin-right:6px}\n"
           ".unusable{padding:0 " + std::to_string(kPadPx) + "px;font-size:15px;overflow-wrap:anywhere}\n"
           "pre.input{margin:0 " + std::to_string(kPadPx) + "px;font-size:14px}\n"
           "details.run{grid-column:1/-1;border:1px solid #bbb;padding:6px}\n"
           "details.run summary{cursor:pointer;font-size:14px}\n"
           ".swatch{display:inline-block;width:10px;height:10px;margin-right:4px}\n"
           "ol.lines{margin:2px 0 0;padding:0;list-style:none}ol.lines li.depth1{margin-left:18px}\n"
           "ol.lines li.depth2,ol.lines li.depth3{margin-left:36px}\n"
           "</style></head><body>\n" + Legend();
}

bool HtmlPage::Write(const std::string& path) const {
    std::ofstream f(path, std::ios::binary);
    f << Text();
    f.close();
    return static_cast<bool>(f);
}

}  // namespace gw::explain
