// Empty rectangle: a box whose candidates of a digit all lie on one row U and
// one column S of the box (its cross), combined with a conjugate pair of the
// digit outside the box.
//
// Step A: column c holds the digit only in O = (U, c), outside the box, and in
// one more cell (p, c) outside the box's band. If the digit sat in (p, S), the
// pair would put it in O; then row U and column S would both hold it outside
// the box, and the box could not hold it at all. So (p, S) loses the digit.
// Step B is the same with a row pair met in column S, removing from (U, q).
#include <array>
#include <vector>

#include "techniques/digit_search.h"
#include "techniques/techniques.h"

namespace gw {

namespace {

struct Cross {
    int row;  // U, whole-grid row through the box
    int col;  // S, whole-grid column through the box
};

// Up to two crosses of digit d in box b, in the order they are tried.
struct Crosses {
    std::array<Cross, 2> cross{};
    int count = 0;
};

Crosses FindCrosses(const GradeState& s, int d, int b) {
    Crosses out;
    const int top = BoxTopRow[b];
    const int left = BoxLeftCol[b];
    std::array<int, 5> cells{};
    std::array<int, 3> rowCount{};
    std::array<int, 3> colCount{};
    int n = 0;
    for (int ro = 0; ro < 3; ++ro)
        for (int co = 0; co < 3; ++co) {
            const int cell = CellAt[top + ro][left + co];
            if (!s.CandFlags(cell, d)) continue;
            if (n < 5) cells[n] = cell;
            ++n;
            ++rowCount[ro];
            ++colCount[co];
        }
    // Box-relative index of the first line among three holding `want` cells, or -1.
    const auto lineWith = [](const std::array<int, 3>& counts, int want) {
        for (int i = 0; i < 3; ++i)
            if (counts[i] == want) return i;
        return -1;
    };
    const auto linesWith = [&](int want) {
        int k = 0;
        for (int i = 0; i < 3; ++i) k += (rowCount[i] == want) + (colCount[i] == want);
        return k;
    };
    switch (n) {
        case 2:
            // Two cells on different rows and columns: either can lie on the row.
            if (RowOf[cells[0]] == RowOf[cells[1]] || ColOf[cells[0]] == ColOf[cells[1]]) break;
            out.cross[0] = {RowOf[cells[0]], ColOf[cells[1]]};
            out.cross[1] = {RowOf[cells[1]], ColOf[cells[0]]};
            out.count = 2;
            break;
        case 3: {
            // An L (two on a line, one off it); not a full line, not a diagonal.
            if (linesWith(3) > 0 || linesWith(0) == 0) break;
            const int r2 = lineWith(rowCount, 2);
            const int c2 = lineWith(colCount, 2);
            if (r2 >= 0) {
                for (int i = 0; i < 3; ++i)
                    if (RowOf[cells[i]] != top + r2) out.cross[0] = {top + r2, ColOf[cells[i]]};
                out.count = 1;
            } else if (c2 >= 0) {
                for (int i = 0; i < 3; ++i)
                    if (ColOf[cells[i]] != left + c2) out.cross[0] = {RowOf[cells[i]], left + c2};
                out.count = 1;
            }
            break;
        }
        case 4: {
            // Two on a row and two on a column, their crossing empty.
            if (linesWith(2) != 2) break;
            const int r2 = lineWith(rowCount, 2);
            const int c2 = lineWith(colCount, 2);
            if (r2 < 0 || c2 < 0) break;
            if (s.CandFlags(CellAt[top + r2][left + c2], d)) break;
            out.cross[0] = {top + r2, left + c2};
            out.count = 1;
            break;
        }
        case 5: {
            // A full row and a full column of the box.
            if (linesWith(3) != 2) break;
            const int r3 = lineWith(rowCount, 3);
            const int c3 = lineWith(colCount, 3);
            if (r3 < 0 || c3 < 0) break;
            out.cross[0] = {top + r3, left + c3};
            out.count = 1;
            break;
        }
        default:
            break;
    }
    return out;
}

// Step A: a conjugate pair of d in a column, one end on row U outside the box,
// the other end outside the box's band; removes d from (p, S).
// Explanations: the conjugate pair far - near, then the box's candidates in
// the cross row and in the cross column, as one chain.
void RecordEmptyRectangle(const GradeState& s, int d, int b, Cross x, int far, int near, bool rowFirst) {
    std::vector<int> inRow, inCol;
    for (int k = 0; k < 9; ++k) {
        const int c = UnitCell(BoxUnit(b), k);
        if (!s.CandFlags(c, d)) continue;
        if (RowOf[c] == x.row) inRow.push_back(c);
        if (ColOf[c] == x.col) inCol.push_back(c);
    }
    const std::uint16_t bit = DigitBit(d);
    s.pattern->Kind(PatternKind::Pairs).Digit(d).Unit(BoxUnit(b), Role::Base);
    s.pattern->NewChain().Add(false, bit, {far}).Add(true, bit, {near}).Add(false, bit, rowFirst ? inRow : inCol).Add(
        true, bit, rowFirst ? inCol : inRow);
}

bool StepA(GradeState& s, int d, int b, Cross x) {
    for (int c = 0; c < 9; ++c) {
        const int o = CellAt[x.row][c];
        if (BoxOf[o] == b || !s.CandFlags(o, d)) continue;
        int others = 0;
        int p = -1;
        for (int r = 0; r < 9; ++r) {
            if (r == x.row || !s.CandFlags(CellAt[r][c], d)) continue;
            if (others++ == 0) p = r;
        }
        if (others != 1 || p / 3 == BoxTopRow[b] / 3) continue;
        if (RemoveCandidate(s, d, CellAt[p][x.col])) {
            if (s.pattern != nullptr) RecordEmptyRectangle(s, d, b, x, CellAt[p][c], o, true);
            return true;
        }
    }
    return false;
}

// Step B: a conjugate pair of d in a row, one end on column S outside the box,
// the other end outside the box's stack; removes d from (U, q).
bool StepB(GradeState& s, int d, int b, Cross x) {
    for (int r = 0; r < 9; ++r) {
        const int o = CellAt[r][x.col];
        if (BoxOf[o] == b || !s.CandFlags(o, d)) continue;
        int others = 0;
        int q = -1;
        for (int c = 0; c < 9; ++c) {
            if (c == x.col || !s.CandFlags(CellAt[r][c], d)) continue;
            if (others++ == 0) q = c;
        }
        if (others != 1 || q / 3 == BoxLeftCol[b] / 3) continue;
        if (RemoveCandidate(s, d, CellAt[x.row][q])) {
            if (s.pattern != nullptr) RecordEmptyRectangle(s, d, b, x, CellAt[r][q], o, false);
            return true;
        }
    }
    return false;
}

}  // namespace

// Digits 1..9, within each digit boxes 0..8; each cross of a box runs step A
// then step B. Removes one candidate and returns at the first success.
bool TryEmptyRectangle(GradeState& s) {
    // Only digits whose places changed since the search last found nothing
    // can hold an empty rectangle (model/search_memo.h).
    return SearchEachChangedDigit(s, DigitSearch::EmptyRectangle, [&](int d) {
        for (int b = 0; b < 9; ++b) {
            const Crosses crosses = FindCrosses(s, d, b);
            for (int i = 0; i < crosses.count; ++i)
                if (StepA(s, d, b, crosses.cross[i]) || StepB(s, d, b, crosses.cross[i])) return true;
        }
        return false;
    });
}

}  // namespace gw
