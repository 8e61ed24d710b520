#include "explain/explain.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstdio>
#include <bit>
#include <map>

namespace gw::explain {

namespace {

char Num(int v) { return static_cast<char>('1' + v); }

std::vector<int> CellsOf(const Pattern& p, Role role) {
    std::vector<int> out;
    for (const PatternCell& c : p.cells)
        if (c.role == role && std::find(out.begin(), out.end(), c.cell) == out.end()) out.push_back(c.cell);
    return out;
}

std::vector<int> UnitsOf(const Pattern& p, Role role) {
    std::vector<int> out;
    for (const PatternUnit& u : p.units)
        if (u.role == role) out.push_back(u.unit);
    return out;
}

// "r1c1{12}" for the cells of one role, each with the digits it contributes.
std::string CellsWithDigits(const Pattern& p, Role role, int group = -1) {
    std::string out;
    for (const PatternCell& c : p.cells) {
        if (c.role != role || (group >= 0 && c.group != group)) continue;
        if (!out.empty()) out += ' ';
        out += Cell(c.cell);
        if (c.digits != 0) out += "{" + Digits(c.digits) + "}";
    }
    return out;
}

std::vector<int> GroupCells(const Pattern& p, Role role, int group) {
    std::vector<int> out;
    for (const PatternCell& c : p.cells)
        if (c.role == role && c.group == group) out.push_back(c.cell);
    return out;
}

int MaxGroup(const Pattern& p, Role role) {
    int m = -1;
    for (const PatternCell& c : p.cells)
        if (c.role == role) m = std::max(m, static_cast<int>(c.group));
    return m;
}

std::string Slashed(unsigned mask) {
    std::string out;
    for (int d = 1; d <= 9; ++d) {
        if (!(mask & DigitBit(d))) continue;
        if (!out.empty()) out += '/';
        out += static_cast<char>('0' + d);
    }
    return out;
}

void Append(std::string& out, const std::string& part, const char* sep = " ") {
    if (part.empty()) return;
    if (!out.empty()) out += sep;
    out += part;
}

std::string ChainsText(const Pattern& p) {
    std::string out;
    for (const PatternChain& c : p.chains) Append(out, Eureka(c), "; ");
    return out;
}

std::string TrialText(const Pattern& p) {
    std::string out;
    for (const PatternCell& c : p.cells)
        if (c.role == Role::Assumption) out = "assume " + Cell(c.cell) + "=" + Digits(c.digits);
    std::string branch;
    for (const PatternCell& c : p.cells)
        if (c.role == Role::Branch) branch = Cell(c.cell) + "=" + Digits(c.digits);
    if (branch.empty()) return out;
    std::string why;
    for (const PatternCell& c : p.cells)
        if (c.role == Role::Contradiction) why = Cell(c.cell) + " has no candidate left";
    for (const PatternUnit& u : p.units)
        if (u.role == Role::Contradiction) why = "no place left for " + Digits(u.digits) + " in " + Unit(u.unit);
    out += ", the ladder fills the grid; ";
    if (why.empty()) return out + branch + " leaves the ladder stuck";
    return out + branch + " meets a contradiction: " + why;
}

}  // namespace

std::string Cell(int cell) {
    assert(cell >= 0 && cell < 81);
    return {'r', Num(cell / 9), 'c', Num(cell % 9)};
}

std::string Unit(int unit) {
    assert(unit >= 0 && unit < 27);
    return {"rcb"[KindOfUnit(unit)], Num(IndexOfUnit(unit))};
}

std::string Cells(std::vector<int> cells) {
    std::sort(cells.begin(), cells.end());
    cells.erase(std::unique(cells.begin(), cells.end()), cells.end());
    // Group by rows (the columns of each row) or by columns; lines with the
    // same cells across merge ("r15c37"). The grouping with fewer parts wins,
    // rows on a tie; each part is written rows first.
    using Part = std::pair<unsigned, unsigned>;  // (rows, columns) as bit sets
    auto group = [&](bool byRow) {
        std::array<unsigned, 9> lines{};
        for (int c : cells) lines[static_cast<std::size_t>(byRow ? c / 9 : c % 9)] |= 1u << (byRow ? c % 9 : c / 9);
        std::vector<Part> parts;  // (lines, cells across)
        for (unsigned m = 0; m < 9; ++m) {
            if (lines[m] == 0) continue;
            auto it = std::find_if(parts.begin(), parts.end(), [&](const Part& p) { return p.second == lines[m]; });
            if (it != parts.end()) it->first |= 1u << m;
            else parts.push_back({1u << m, lines[m]});
        }
        if (!byRow)
            for (Part& p : parts) std::swap(p.first, p.second);
        return parts;
    };
    std::vector<Part> rows = group(true), cols = group(false);
    std::string out;
    for (const auto& [rs, cs] : cols.size() < rows.size() ? cols : rows) {
        if (!out.empty()) out += ',';
        out += 'r';
        for (int k = 0; k < 9; ++k)
            if (rs & (1u << k)) out += Num(k);
        out += 'c';
        for (int k = 0; k < 9; ++k)
            if (cs & (1u << k)) out += Num(k);
    }
    return out;
}

std::string Units(std::vector<int> units) {
    std::string out;
    std::sort(units.begin(), units.end());
    int kind = -1;
    for (int u : units) {
        if (KindOfUnit(u) != kind) {
            if (!out.empty()) out += ',';
            out += "rcb"[KindOfUnit(u)];
            kind = KindOfUnit(u);
        }
        out += Num(IndexOfUnit(u));
    }
    return out;
}

std::string Digits(unsigned mask) {
    std::string out;
    for (int d = 1; d <= 9; ++d)
        if (mask & DigitBit(d)) out += static_cast<char>('0' + d);
    return out;
}

std::string Eureka(const PatternChain& chain) {
    std::string out;
    auto node = [](const ChainNode& n) {
        std::vector<int> cells(n.cells.begin(), n.cells.end());
        return "(" + Digits(n.digits) + ")" + Cells(cells);
    };
    for (std::size_t i = 0; i < chain.nodes.size(); ++i) {
        if (i > 0) out += (i - 1 < chain.strong.size() && chain.strong[i - 1]) ? '=' : '-';
        out += node(chain.nodes[i]);
    }
    if (chain.loop && !chain.nodes.empty()) {
        const std::size_t last = chain.nodes.size() - 1;
        out += (last < chain.strong.size() && chain.strong[last]) ? '=' : '-';
        out += node(chain.nodes[0]);
    }
    return out;
}

std::string PatternText(const Step& step) {
    const Pattern& p = step.pattern;
    std::string out;
    const std::string digit = Slashed(p.digits);
    switch (p.kind) {
        case PatternKind::None: return {};
        case PatternKind::Single:
            if (!UnitsOf(p, Role::Base).empty()) out = digit + " in " + Units(UnitsOf(p, Role::Base));
            else out = "only " + digit + " left in " + Cells(CellsOf(p, Role::Target));
            break;
        case PatternKind::Locked:
            out = digit + " in " + Units(UnitsOf(p, Role::Base)) + " only in " + Units(UnitsOf(p, Role::Cover));
            break;
        case PatternKind::Subset:
            out = digit + " in " + Cells(CellsOf(p, Role::Set));
            break;
        case PatternKind::Fish:
            out = digit + " " + Units(UnitsOf(p, Role::Base)) + " " + Units(UnitsOf(p, Role::Cover));
            if (!CellsOf(p, Role::Fin).empty()) out += " fin " + Cells(CellsOf(p, Role::Fin));
            break;
        case PatternKind::Wing:
            out = "pivot " + CellsWithDigits(p, Role::Pivot) + ", pincers " + CellsWithDigits(p, Role::Pincer);
            break;
        case PatternKind::Colouring: {
            // One digit: the cells of each colour; several (3D Medusa): each
            // candidate of each colour.
            const int top = MaxGroup(p, Role::Set);
            auto side = [&](int g) {
                return p.digits ? Cells(GroupCells(p, Role::Set, g)) : CellsWithDigits(p, Role::Set, g);
            };
            for (int g = 0; g <= top; g += 2) Append(out, side(g) + " / " + side(g + 1), "; ");
            if (p.digits) out = digit + ": " + out;
            break;
        }
        case PatternKind::Rectangle: {
            std::vector<int> corners = CellsOf(p, Role::Base), roof = CellsOf(p, Role::Cover);
            corners.insert(corners.end(), roof.begin(), roof.end());
            out = digit + " in " + Cells(corners);
            break;
        }
        case PatternKind::Exclusion:
            out = Cells(CellsOf(p, Role::Base));
            if (!CellsOf(p, Role::Link).empty()) out += " with " + CellsWithDigits(p, Role::Link);
            break;
        case PatternKind::Als: {
            const int top = MaxGroup(p, Role::Set);
            for (int g = 0; g <= top; ++g) {
                const std::string set = Cells(GroupCells(p, Role::Set, g));
                unsigned mask = 0;
                for (const PatternCell& c : p.cells)
                    if (c.role == Role::Set && c.group == g) mask |= c.digits;
                Append(out, std::string(1, static_cast<char>('A' + g)) + "=" + set + "{" + Digits(mask) + "}", ", ");
            }
            break;
        }
        case PatternKind::Forcing: {
            std::string source = CellsWithDigits(p, Role::Source);
            for (const PatternUnit& u : p.units)
                if (u.role == Role::Source) source = Digits(u.digits) + " in " + Unit(u.unit);
            // Each branch assumes one candidate of the source; all agree.
            std::string branches;
            for (const PatternCell& c : p.cells)
                if (c.role == Role::Branch) Append(branches, Cell(c.cell) + "=" + Digits(c.digits), " | ");
            return source + ": " + branches + (p.note.empty() ? "" : ", " + p.note);
        }
        case PatternKind::Count:
            out = digit + " in " + Units(UnitsOf(p, Role::Base));
            break;
        case PatternKind::Bug:
            out = CellsWithDigits(p, Role::Target);
            break;
        case PatternKind::Trial: return TrialText(p);
        case PatternKind::Pairs:
        case PatternKind::Chain:
            if (!UnitsOf(p, Role::Base).empty()) out = digit + " in " + Units(UnitsOf(p, Role::Base));
            break;
    }
    Append(out, ChainsText(p), out.empty() ? "" : ": ");
    // A note the step's name carries already is not repeated.
    if (!p.note.empty() && step.name.find(p.note) == std::string::npos) out += " (" + p.note + ")";
    return out;
}

std::string ResultText(const std::vector<Change>& changes) {
    std::string out;
    int placedAfterTrial = -1;
    std::map<int, std::vector<int>> removed;  // digit -> cells
    for (const Change& c : changes) {
        if (c.kind == 'T') {
            Append(out, Cell(c.cell) + "=" + std::to_string(c.digit), ", ");
            placedAfterTrial = 0;
        } else if (c.kind == 'P') {
            if (placedAfterTrial >= 0) ++placedAfterTrial;
            else Append(out, Cell(c.cell) + "=" + std::to_string(c.digit), ", ");
        } else {
            removed[c.digit].push_back(c.cell);
        }
    }
    // Digits removed from the same cells are written together: r1c2569<>37.
    std::vector<std::pair<std::vector<int>, unsigned>> groups;
    for (auto& entry : removed) {
        // A named reference, not a structured binding: lambdas capture it on every compiler.
        std::vector<int>& cells = entry.second;
        std::sort(cells.begin(), cells.end());
        auto it = std::find_if(groups.begin(), groups.end(), [&](const auto& g) { return g.first == cells; });
        if (it != groups.end()) it->second |= DigitBit(entry.first);
        else groups.push_back({cells, DigitBit(entry.first)});
    }
    for (const auto& [cells, digits] : groups) Append(out, Cells(cells) + "<>" + Digits(digits), ", ");
    if (placedAfterTrial > 0)
        out += " (and " + std::to_string(placedAfterTrial) + " more cells)";
    return out;
}

std::vector<std::string> BranchLines(const Step& step) {
    std::vector<std::string> out;
    if (step.pattern.kind != PatternKind::Forcing) return out;
    for (const PatternChain& ch : step.pattern.chains) {
        if (ch.role != Role::Branch || ch.nodes.empty()) continue;
        std::string line;
        for (std::size_t k = 0; k < ch.nodes.size(); ++k) {
            const ChainNode& n = ch.nodes[k];
            if (n.cells.empty()) continue;
            std::string node = Cell(n.cells[0]) + "=" + Digits(n.digits);
            if (n.unit >= 0) node += " (last " + Digits(n.digits) + " in " + Unit(n.unit) + ")";
            else if (k > 0) node += " (last in cell)";
            Append(line, node, " => ");
        }
        // The branch ends in the concluded placement itself, or in the
        // placement that removes the concluded candidate.
        if (step.pattern.note.rfind("every branch places", 0) != 0) line += " => " + ResultText(step.changes);
        out.push_back(line);
    }
    return out;
}

namespace {

std::string ContradictionText(const Pattern& p) {
    for (const PatternCell& c : p.cells)
        if (c.role == Role::Contradiction) return Cell(c.cell) + " has no candidate left";
    for (const PatternUnit& u : p.units)
        if (u.role == Role::Contradiction) return "no place left for " + Digits(u.digits) + " in " + Unit(u.unit);
    return {};
}

}  // namespace

std::string RefutationText(const Step& step) {
    const PatternChain* chain = nullptr;
    for (const PatternChain& ch : step.pattern.chains)
        if (ch.role == Role::Contradiction) chain = &ch;
    if (chain == nullptr || chain->nodes.empty() || chain->nodes[0].cells.empty()) return {};
    std::string out = Cell(chain->nodes[0].cells[0]) + "=" + Digits(chain->nodes[0].digits);
    for (const Step& st : step.refutation) {
        std::string node;
        if (st.rung <= 2 && !st.changes.empty()) {
            const Change& placed = st.changes[0];
            node = Cell(placed.cell) + "=" + std::to_string(placed.digit);
            node += st.pattern.units.empty() ? " (last in cell)"
                                             : " (last " + std::to_string(placed.digit) + " in " +
                                                   Unit(st.pattern.units[0].unit) + ")";
        } else {
            const std::string pattern = PatternText(st);
            node = ResultText(st.changes) + " (" + st.name + (pattern.empty() ? "" : ": " + pattern) + ")";
        }
        Append(out, node, " => ");
    }
    return out + " => " + ContradictionText(step.pattern);
}

std::vector<Line> RefutationLines(const Step& step) {
    std::vector<Line> out;
    const PatternChain* chain = nullptr;
    for (const PatternChain& ch : step.pattern.chains)
        if (ch.role == Role::Contradiction) chain = &ch;
    if (chain == nullptr || chain->nodes.empty() || chain->nodes[0].cells.empty()) return out;
    const std::string assumed = Cell(chain->nodes[0].cells[0]) + "=" + Digits(chain->nodes[0].digits);
    int n = 0;
    auto numbered = [&](const std::string& text) { out.push_back({0, std::to_string(++n) + ". " + text}); };
    numbered(assumed + " (the cell's other candidate, assumed)");
    for (const Step& st : step.refutation) {
        if (st.rung <= 2 && !st.changes.empty()) {
            const Change& placed = st.changes[0];
            numbered(Cell(placed.cell) + "=" + std::to_string(placed.digit) +
                     (st.pattern.units.empty() ? " (last in cell)"
                                               : " (last " + std::to_string(placed.digit) + " in " +
                                                     Unit(st.pattern.units[0].unit) + ")"));
            continue;
        }
        const std::string pattern = PatternText(st);
        numbered(ResultText(st.changes) + " (" + st.name + (pattern.empty() ? "" : ": " + pattern) + ")");
        for (const std::string& b : BranchLines(st)) out.push_back({1, b});
    }
    out.push_back({0, "=> " + ContradictionText(step.pattern) + ": " + assumed + " is impossible"});
    return out;
}

std::string StepJson(const Step& st) {
    const Rung& rung = kLadder[static_cast<std::size_t>(st.rung - 1)];
    std::string out = "{\"rung\": " + std::to_string(st.rung) + ", \"technique\": " + JsonString(rung.player) +
                      ", \"level\": " + std::to_string(rung.level) + ", \"changes\": [";
    for (std::size_t k = 0; k < st.changes.size(); ++k) {
        const Change& ch = st.changes[k];
        if (k) out += ", ";
        out += "[\"" + std::string(1, ch.kind) + "\", " + std::to_string(ch.cell) + ", " + std::to_string(ch.digit) + "]";
    }
    out += "], \"pattern\": " + PatternJson(st.pattern);
    if (!st.refutation.empty()) out += ", \"refutation\": " + StepsJson(st.refutation);
    if (!st.fill.empty()) out += ", \"fill\": " + StepsJson(st.fill);
    return out + "}";
}

std::string StepsJson(const std::vector<Step>& steps) {
    std::string out = "[";
    for (std::size_t i = 0; i < steps.size(); ++i) out += (i ? ", " : "") + StepJson(steps[i]);
    return out + "]";
}

std::vector<std::string> StepDetails(const Step& step) {
    std::vector<std::string> out = BranchLines(step);
    const std::vector<Line> refutation = RefutationLines(step);
    if (!refutation.empty()) out.push_back("why not the other candidate:");
    for (const Line& l : refutation) out.push_back(std::string(2 + 5 * static_cast<std::size_t>(l.depth), ' ') + l.text);
    return out;
}

std::vector<Frame> Frames(const Grid& puzzle, int level, const std::vector<Step>& steps) {
    std::vector<Frame> out;
    Board board(puzzle);
    out.push_back({"", "The puzzle", {}, board, nullptr, false, 0});
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step& st = steps[i];
        const std::string label = std::to_string(i + 1);
        out.push_back({label, StepText(st), StepDetails(st), board, &st, false, i + 1});
        if (!st.fill.empty()) {
            const Change assumed = st.changes.at(0);
            Board trial = board;
            trial.Apply(Change{'P', assumed.cell, assumed.digit});
            for (std::size_t k = 0; k < st.fill.size(); ++k) {
                out.push_back({label + "." + std::to_string(k + 1), StepText(st.fill[k]), StepDetails(st.fill[k]), trial,
                               &st.fill[k], false, i + 1});
                trial.Apply(st.fill[k]);
            }
            // An empty step draws every digit that is not a given as placed.
            static const Step kSolved;
            out.push_back({"", "The solved grid", {}, trial, &kSolved, true, i + 1});
        }
        board.Apply(st);
    }
    if (level == 9) out.push_back({"", "S" + StuckLine(board).substr(1), {}, board, nullptr, false, steps.size()});
    return out;
}

std::string StepText(const Step& step) {
    const std::string pattern = PatternText(step);
    return step.name + ": " + (pattern.empty() ? "" : pattern + " => ") + ResultText(step.changes);
}

std::vector<std::string> Summary(const std::vector<Step>& steps, int level) {
    std::vector<std::string> out;
    if (steps.empty()) return out;
    std::vector<std::pair<std::string, int>> counts;
    std::size_t hardest = 0;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        auto it = std::find_if(counts.begin(), counts.end(), [&](const auto& c) { return c.first == steps[i].name; });
        if (it != counts.end()) ++it->second;
        else counts.push_back({steps[i].name, 1});
        if (steps[i].rung >= steps[hardest].rung) hardest = i;
    }
    std::string used = "techniques:";
    for (std::size_t i = 0; i < counts.size(); ++i)
        used += (i ? ", " : " ") + counts[i].first + " x" + std::to_string(counts[i].second);
    out.push_back(used);
    const Step& h = steps[hardest];
    const Rung& r = kLadder[static_cast<std::size_t>(h.rung - 1)];
    const std::string where = "step " + std::to_string(hardest + 1) + ", " + h.name + " (rung " +
                              std::to_string(h.rung) + ", " + kLevelNames[static_cast<std::size_t>(r.level)] + ")";
    if (level == 9)
        out.push_back("hardest step the ladder could take: " + where + "; what is left is beyond every rung (Outlaw)");
    else
        out.push_back("hardest: " + where);
    return out;
}

// A JSON string literal: quotes, backslashes and every byte outside printable
// ASCII escaped.
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

namespace {

std::string JsonDigits(unsigned mask) {
    std::string out = "[";
    for (int d = 1; d <= 9; ++d)
        if (mask & DigitBit(d)) out += (out.size() > 1 ? ", " : "") + std::to_string(d);
    return out + "]";
}

const char* KindName(PatternKind k) {
    switch (k) {
        case PatternKind::Single: return "single";
        case PatternKind::Locked: return "locked";
        case PatternKind::Subset: return "subset";
        case PatternKind::Fish: return "fish";
        case PatternKind::Wing: return "wing";
        case PatternKind::Pairs: return "pairs";
        case PatternKind::Colouring: return "colouring";
        case PatternKind::Rectangle: return "rectangle";
        case PatternKind::Als: return "als";
        case PatternKind::Chain: return "chain";
        case PatternKind::Forcing: return "forcing";
        case PatternKind::Exclusion: return "exclusion";
        case PatternKind::Count: return "count";
        case PatternKind::Bug: return "bug";
        case PatternKind::Trial: return "trial";
        case PatternKind::None: break;
    }
    return "none";
}

}  // namespace

std::string PatternJson(const Pattern& p) {
    // Members without content are left out.
    std::string out = "{\"kind\": \"" + std::string(KindName(p.kind)) + "\"";
    if (p.digits) out += ", \"digits\": " + JsonDigits(p.digits);
    if (!p.units.empty()) {
        out += ", \"units\": [";
        for (std::size_t i = 0; i < p.units.size(); ++i) {
            const PatternUnit& u = p.units[i];
            out += std::string(i ? ", " : "") + "{\"unit\": \"" + Unit(u.unit) + "\", \"role\": \"" +
                   RoleName(u.role) + "\"";
            if (u.digits) out += ", \"digits\": " + JsonDigits(u.digits);
            out += "}";
        }
        out += "]";
    }
    if (!p.cells.empty()) {
        out += ", \"cells\": [";
        for (std::size_t i = 0; i < p.cells.size(); ++i) {
            const PatternCell& c = p.cells[i];
            out += std::string(i ? ", " : "") + "{\"cell\": " + std::to_string(c.cell) + ", \"digits\": " +
                   JsonDigits(c.digits) + ", \"role\": \"" + RoleName(c.role) + "\", \"group\": " +
                   std::to_string(c.group) + "}";
        }
        out += "]";
    }
    if (!p.chains.empty()) {
        out += ", \"chains\": [";
        for (std::size_t i = 0; i < p.chains.size(); ++i) {
            const PatternChain& ch = p.chains[i];
            out += std::string(i ? ", " : "") + "{\"role\": \"" + RoleName(ch.role) + "\", \"loop\": " +
                   (ch.loop ? "true" : "false") + ", \"nodes\": [";
            for (std::size_t k = 0; k < ch.nodes.size(); ++k) {
                out += std::string(k ? ", " : "") + "{\"digits\": " + JsonDigits(ch.nodes[k].digits) +
                       ", \"cells\": [";
                for (std::size_t j = 0; j < ch.nodes[k].cells.size(); ++j)
                    out += (j ? ", " : "") + std::to_string(ch.nodes[k].cells[j]);
                out += "]";
                if (ch.nodes[k].unit >= 0) out += ", \"unit\": \"" + Unit(ch.nodes[k].unit) + "\"";
                if (ch.nodes[k].removal) out += ", \"removal\": true";
                out += "}";
            }
            out += "], \"links\": [";
            for (std::size_t k = 0; k < ch.strong.size(); ++k)
                out += std::string(k ? ", " : "") + (ch.strong[k] ? "\"strong\"" : "\"weak\"");
            out += "]}";
        }
        out += "]";
    }
    if (!p.note.empty()) out += ", \"note\": " + JsonString(p.note);
    return out + "}";
}

Board::Board(const Position& from) {
    GradeState s;
    ResetGradeState(s, from);
    grid = s.SolveGrid;
    masks = s.CandMask;
    for (int c = 0; c < 81; ++c) given[c] = from.givens[c] != 0;
}

Board::Board(const Grid& puzzle) {
    masks.fill(kAllDigits);
    for (int c = 0; c < 81; ++c)
        if (puzzle[c]) {
            Apply(Change{'P', static_cast<std::uint8_t>(c), puzzle[c]});
            given[c] = true;
        }
}

void Board::Apply(const Change& change) {
    const int c = change.cell, d = change.digit;
    if (change.kind == 'R') {
        masks[c] = static_cast<std::uint16_t>(masks[c] & ~DigitBit(d));
        return;
    }
    // A placement, or the assumption of a trial that the grid then confirms.
    grid[c] = static_cast<std::uint8_t>(d);
    masks[c] = 0;
    for (int p : Peers[c]) masks[p] = static_cast<std::uint16_t>(masks[p] & ~DigitBit(d));
}

std::string CandidateGrid(const Board& b) {
    std::array<std::string, 81> text;
    std::array<std::size_t, 9> width{};
    for (int c = 0; c < 81; ++c) {
        text[c] = Digits(b.grid[c] ? DigitBit(b.grid[c]) : b.masks[c]);
        if (text[c].empty()) text[c].push_back('-');  // no candidate left
        width[c % 9] = std::max(width[c % 9], text[c].size());
    }
    std::string rule;
    for (int band = 0; band < 3; ++band) {
        rule += band == 0 ? "." : ".";
        for (int k = 0; k < 3; ++k) rule += std::string(width[3 * band + k] + 2, '-');
        rule += '-';
    }
    rule += ".\n";
    std::string out = rule;
    for (int r = 0; r < 9; ++r) {
        for (int col = 0; col < 9; ++col) {
            if (col % 3 == 0) out += "| ";
            const std::string& t = text[9 * r + col];
            out += t + std::string(width[col] - t.size() + 2, ' ');
        }
        out += "|\n";
        if (r % 3 == 2) out += rule;
    }
    return out;
}

namespace {

std::string Indented(const std::string& text) {
    std::string out;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        out += "     " + text.substr(start, end - start + 1);
        start = end + 1;
    }
    return out;
}

}  // namespace

std::string GridRows(const Grid& grid) {
    std::string out;
    for (int r = 0; r < 9; ++r) {
        for (int c = 0; c < 9; ++c) {
            if (c == 3 || c == 6) out += ' ';
            out += static_cast<char>('0' + grid[9 * r + c]);
        }
        out += '\n';
    }
    return out;
}

namespace {

// A trial's refutation, then its own steps numbered "21.1", "21.2"... from the
// board before the trial, then the solved grid.
std::string TrialText(const Board& before, const Step& trial, std::size_t number, bool grids) {
    std::string out;
    const Change assumed = trial.changes.at(0);
    Board board = before;
    board.Apply(Change{'P', assumed.cell, assumed.digit});
    out += "      from " + Cell(assumed.cell) + "=" + std::to_string(assumed.digit) + " the ladder fills the grid:\n";
    for (std::size_t k = 0; k < trial.fill.size(); ++k) {
        if (grids) out += Indented(Indented(CandidateGrid(board)));
        out += "      " + std::to_string(number) + "." + std::to_string(k + 1) + ". " + StepText(trial.fill[k]) + "\n";
        for (const std::string& b : StepDetails(trial.fill[k])) out += "          " + b + "\n";
        board.Apply(trial.fill[k]);
    }
    out += "      solved grid:\n" + Indented(Indented(GridRows(board.grid)));
    return out;
}

}  // namespace

std::string ExplanationText(const Grid& puzzle, int level, const std::vector<Step>& steps, bool grids) {
    return ExplanationText(Board(puzzle), level, steps, grids);
}

std::string StuckLine(const Board& board) {
    int bivalue = 0;
    for (int c = 0; c < 81; ++c) bivalue += board.grid[c] == 0 && std::popcount(board.masks[c]) == 2;
    std::string trial = bivalue == 0 ? "and there is no two-candidate cell to try"
                                     : "not even a trial of each candidate of the " + std::to_string(bivalue) +
                                           " two-candidate cell" + (bivalue == 1 ? "" : "s");
    return "stuck: no rung of the ladder finishes the grid from here, " + trial;
}

std::string ExplanationText(const Board& start, int level, const std::vector<Step>& steps, bool grids) {
    assert(level >= 0 && level <= 9);
    std::string out;
    Board board = start;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (grids) out += Indented(CandidateGrid(board));
        out += "  " + std::to_string(i + 1) + ". " + StepText(steps[i]) + "\n";
        for (const std::string& b : StepDetails(steps[i])) out += "      " + b + "\n";
        if (!steps[i].fill.empty()) out += TrialText(board, steps[i], i + 1, grids);
        board.Apply(steps[i]);
    }
    if (level == 9) out += "  " + StuckLine(board) + "; where it stopped:\n" + Indented(CandidateGrid(board));
    for (const std::string& line : Summary(steps, level)) out += "  " + line + "\n";
    return out;
}

std::string StuckGridText(const Board& start, const std::vector<Step>& steps) {
    Board board = start;
    for (const Step& st : steps) board.Apply(st);
    return "  stuck here:\n" + Indented(CandidateGrid(board));
}

}  // namespace gw::explain
