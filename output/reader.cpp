#include "output/reader.h"

#include "generator/generator.h"
#include "generator/solution_count.h"

namespace gw {

namespace {

bool IsBinary(std::string_view data) {
    for (unsigned char ch : data)
        if (ch < 32 && ch != '\t' && ch != '\r' && ch != '\n') return true;
    return false;
}

bool IsCellChar(char ch) { return (ch >= '0' && ch <= '9') || ch == '.'; }

// Fills the grid from cell characters; returns an error text or "".
std::string ParseCells(std::string_view cells, Grid& g) {
    if (cells.size() != 81)
        return "expected 81 cells, found " + std::to_string(cells.size());
    for (int c = 0; c < 81; ++c) {
        const char ch = cells[static_cast<std::size_t>(c)];
        if (ch >= '1' && ch <= '9') g[c] = static_cast<std::uint8_t>(ch - '0');
        else if (ch == '0' || ch == '.') g[c] = 0;
        else return std::string("invalid character '") + ch + "' at " + CellName(c);
    }
    return {};
}

std::string DotText(const Grid& g) {
    std::string s(81, '.');
    for (int c = 0; c < 81; ++c)
        if (g[c] != 0) s[static_cast<std::size_t>(c)] = static_cast<char>('0' + g[c]);
    return s;
}

void Finish(InputPuzzle& p, std::string_view cells) {
    p.error = ParseCells(cells, p.grid);
    p.text = p.error.empty() ? DotText(p.grid) : std::string(cells);
    if (p.error.empty()) p.error = CheckPuzzle(p.grid);
}

// The cells of a grid row line such as "530|070|000" or "53..7....": nine cell
// characters, optionally split by '|' or spaces. Empty when it is not one.
std::string RowCells(std::string_view line) {
    std::string cells;
    for (char ch : line) {
        if (IsCellChar(ch)) cells.push_back(ch);
        else if (ch != '|' && ch != ' ' && ch != '\t') return {};
    }
    return cells.size() == 9 ? cells : std::string{};
}

bool IsSeparator(std::string_view line) {
    bool dash = false;
    for (char ch : line) {
        if (ch == '-') dash = true;
        else if (ch != '+' && ch != ' ' && ch != '|') return false;
    }
    return dash;
}

}  // namespace

std::string CellName(int cell) {
    const char name[] = {'r', static_cast<char>('1' + cell / 9), 'c', static_cast<char>('1' + cell % 9), '\0'};
    return name;
}

std::string CheckPuzzle(const Grid& g) {
    static constexpr const char* kKinds[3] = {"row", "column", "box"};
    for (int u = 0; u < 27; ++u) {
        unsigned seen = 0;
        for (int k = 0; k < 9; ++k) {
            const int d = g[UnitCell(u, k)];
            if (d == 0) continue;
            if (seen & DigitBit(d))
                return "digit " + std::to_string(d) + " appears twice in " + kKinds[u / 9] + " " +
                       std::to_string(u % 9 + 1);
            seen |= DigitBit(d);
        }
    }
    const SolutionCount count = CountSolutionsBounded(g, 2);
    if (!count.complete) return "too many possibilities to decide whether the solution is unique";
    const int n = count.solutions;
    if (n == 0) return "no solution";
    if (n > 1) return "more than one solution";
    return {};
}

std::vector<InputPuzzle> ReadPuzzles(std::string_view data) {
    std::vector<InputPuzzle> out;
    if (IsBinary(data)) {
        constexpr std::size_t kRecord = 166;
        for (std::size_t off = 0, rec = 1; off < data.size(); off += kRecord, ++rec) {
            InputPuzzle p;
            p.line = static_cast<int>(rec);
            if (data.size() - off < kRecord) {
                p.error = "incomplete record of " + std::to_string(data.size() - off) + " bytes";
                out.push_back(p);
                break;
            }
            std::string cells(81, '0');
            bool ok = true;
            for (int c = 0; c < 81; ++c) {
                const auto v = static_cast<unsigned char>(data[off + static_cast<std::size_t>(c)]);
                if (v > 9) {
                    p.error = "invalid byte " + std::to_string(v) + " at " + CellName(c);
                    ok = false;
                    break;
                }
                cells[static_cast<std::size_t>(c)] = static_cast<char>('0' + v);
            }
            if (ok) Finish(p, cells);
            out.push_back(p);
        }
        return out;
    }

    std::string rows;  // cells gathered from row lines
    int rowsStart = 0;
    int rowCount = 0;
    auto flushRows = [&](bool force) {
        if (rowCount == 0) return;
        if (rowCount == 9 || force) {
            InputPuzzle p;
            p.line = rowsStart;
            if (rowCount == 9) Finish(p, rows);
            else {
                p.text = rows;
                p.error = "incomplete grid: " + std::to_string(rowCount) + " rows of 9";
            }
            out.push_back(p);
            rows.clear();
            rowCount = 0;
        }
    };

    int lineNo = 0;
    std::size_t pos = 0;
    while (pos < data.size()) {
        std::size_t end = data.find('\n', pos);
        if (end == std::string_view::npos) end = data.size();
        std::string_view line = data.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
        if (line.empty() || line.front() == '#') {
            flushRows(true);
            continue;
        }
        if (IsSeparator(line)) continue;
        const std::string row = RowCells(line);
        if (!row.empty()) {
            if (rowCount == 0) rowsStart = lineNo;
            rows += row;
            ++rowCount;
            flushRows(false);
            continue;
        }
        flushRows(true);
        // One puzzle on one line: its first word (a solution may follow it).
        const std::size_t space = line.find_first_of(" \t");
        const std::string_view word = line.substr(0, space);
        InputPuzzle p;
        p.line = lineNo;
        Finish(p, word);
        out.push_back(p);
    }
    flushRows(true);
    return out;
}

}  // namespace gw
