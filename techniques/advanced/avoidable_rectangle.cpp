// Avoidable rectangles.
//
// Four cells at the corners of a rectangle over two rows, two columns and two
// boxes, none of them a given, can never end up as a swappable pattern
// (a b / b a): the two digits could be exchanged around the rectangle without
// touching any given, and the puzzle would have a second solution. Unlike the
// unique rectangle this also applies to cells the grader has already solved,
// as long as they were not given. Two forms:
//
//  1. Two solved corners on a diagonal hold the same digit d and a third
//     corner was solved with x: the open fourth corner cannot be x.
//  2. Two solved corners in one line hold a and b, the corner across from a is
//     {b, x} and the corner across from b is {a, x}: one of those two is x, so
//     x leaves every cell that sees both.
//
// Form 1 is tried for digits 1..9 and corner pairs in cell order, then form 2
// for solved corner pairs in cell order; the first removal ends the call.
#include <array>
#include <cstdint>

#include "techniques/techniques.h"

namespace gw {

namespace {

// Solved by the grader, as opposed to given in the puzzle.
bool Placed(const GradeState& s, int cell) { return s.SolveGrid[cell] != 0 && s.Givens[cell] == 0; }

bool Given(const GradeState& s, int cell) { return s.Givens[cell] != 0; }

// Explanations: the corners placed by the ladder (base) and the open ones.
void RecordCorners(const GradeState& s, std::initializer_list<int> corners) {
    if (s.pattern == nullptr) return;
    s.pattern->Kind(PatternKind::Rectangle).note = "avoidable";
    for (int c : corners)
        s.pattern->Cell(c, s.SolveGrid[c] ? DigitBit(s.SolveGrid[c]) : s.CandMask[c],
                        s.SolveGrid[c] ? Role::Base : Role::Cover);
}

bool FormOne(GradeState& s) {
    // The placed cells of each digit, in cell order.
    std::array<std::array<int, 81>, 10> placed{};
    std::array<int, 10> count{};
    for (int c = 0; c < 81; ++c)
        if (Placed(s, c)) placed[s.SolveGrid[c]][count[s.SolveGrid[c]]++] = c;
    for (int d = 1; d <= 9; ++d) {
        const auto& cells = placed[d];
        const int n = count[d];
        for (int ka = 0; ka + 1 < n; ++ka) {
            const int a = cells[ka];
            for (int kb = ka + 1; kb < n; ++kb) {
                const int b = cells[kb];
                const int c = CellAt[RowOf[a]][ColOf[b]];
                const int dd = CellAt[RowOf[b]][ColOf[a]];
                if (Given(s, c) || Given(s, dd)) continue;
                if (BoxOf[a] != BoxOf[c] && BoxOf[a] != BoxOf[dd]) continue;
                const bool cSolved = s.SolveGrid[c] != 0;
                const bool dSolved = s.SolveGrid[dd] != 0;
                if (cSolved == dSolved) continue;
                if ((!cSolved && RemoveCandidate(s, s.SolveGrid[dd], c)) ||
                    (!dSolved && RemoveCandidate(s, s.SolveGrid[c], dd))) {
                    RecordCorners(s, {a, b, c, dd});
                    return true;
                }
            }
        }
    }
    return false;
}

// Bivalue cells ordered by their digit pair (lexicographic), then by cell.
// Every cell can be bivalue, so the list has room for all 81.
struct BivalueList {
    std::array<int, 81> cells{};
    int n = 0;

    explicit BivalueList(const GradeState& s) {
        // Counting sort on the rank of the digit pair, stable in cell order.
        std::array<int, 81> rank{};
        std::array<int, 37> start{};
        for (int c = 0; c < 81; ++c) {
            rank[c] = -1;
            if (BitCount[s.CandMask[c]] != 2) continue;
            const int i = LowestDigit(s.CandMask[c]);
            const int j = LowestDigit(s.CandMask[c] & ~DigitBit(i));
            // (1,2) .. (1,9) take ranks 0..7, (2,3) .. (2,9) ranks 8..14, ...
            rank[c] = (i - 1) * (18 - i) / 2 + (j - i - 1);
            ++start[rank[c] + 1];
            ++n;
        }
        for (int k = 1; k <= 36; ++k) start[k] += start[k - 1];
        for (int c = 0; c < 81; ++c)
            if (rank[c] >= 0) cells[start[rank[c]]++] = c;
    }
};

// a and b are solved corners in one line, e the corner across from a and f the
// corner across from b. Acts when e = {b, x} and f = {a, x}.
bool TryCorners(GradeState& s, int a, int b, int e, int f) {
    const int da = s.SolveGrid[a];
    const int db = s.SolveGrid[b];
    if (!s.CandFlags(e, db)) return false;
    const int x = LowestDigit(s.CandMask[e] & ~DigitBit(db));
    if (!s.CandFlags(f, da) || BitCount[s.CandMask[f]] != 2 || !s.CandFlags(f, x)) return false;
    if (BoxOf[a] != BoxOf[b] && BoxOf[a] != BoxOf[e]) return false;
    if (!RemoveFromCommonPeers(s, e, f, x)) return false;
    RecordCorners(s, {a, b, e, f});
    return true;
}

bool FormTwo(GradeState& s) {
    const BivalueList list(s);
    for (int a = 0; a < 80; ++a) {
        if (!Placed(s, a)) continue;
        for (int b = a + 1; b < 81; ++b) {
            if (!Placed(s, b) || s.SolveGrid[b] == s.SolveGrid[a]) continue;
            if (RowOf[a] == RowOf[b]) {
                for (int k = 0; k < list.n; ++k) {
                    const int e = list.cells[k];
                    if (ColOf[e] != ColOf[a]) continue;
                    if (TryCorners(s, a, b, e, CellAt[RowOf[e]][ColOf[b]])) return true;
                }
            } else if (ColOf[a] == ColOf[b]) {
                for (int k = 0; k < list.n; ++k) {
                    const int e = list.cells[k];
                    if (RowOf[e] != RowOf[a]) continue;
                    if (TryCorners(s, a, b, e, CellAt[RowOf[b]][ColOf[e]])) return true;
                }
            }
        }
    }
    return false;
}

}  // namespace

bool TryAvoidableRectangle(GradeState& s) {
    if (FormOne(s)) return true;
    return FormTwo(s);
}

}  // namespace gw
