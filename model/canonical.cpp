#include "model/canonical.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace gw {

namespace {

// One partial disguise, built row by row. The stack order is fixed from the
// start; inside a stack, columns that every row so far leaves indistinguishable
// (all empty in those rows) form a block whose order is still open. A column
// holding a clue in some finished row stands in a block of its own.
struct Partial {
    std::uint8_t grid;          // 0: the puzzle as given, 1: its transpose
    std::uint8_t col[9];        // source column shown in each output column
    std::uint16_t blockStart;   // bit j: output column j begins a block
    std::uint8_t label[10];     // new name of each source digit, 0 while unnamed
    std::uint8_t next;          // the next unused name
    std::uint8_t bandsUsed;     // source bands already placed (bits 0..2)
    std::uint8_t band;          // source band of the output band being filled
    std::uint8_t rowsUsed;      // rows of that band already placed (bits 0..2)
};

constexpr std::uint8_t kNone = 255;

// The smallest row the partial disguise can show when output row `outRow` is
// taken from source row `src`: inside each block, empty cells first, then the
// named digits by name, then the unnamed ones, which take the next names in
// turn. Returns -1, 0 or 1 as this row compares with `best`; when it is not
// larger, `row` and `order` (the block-sorted columns) are filled.
int BestRowFor(const Partial& p, const std::uint8_t* g, int src, const std::uint8_t* best, std::uint8_t* row,
               std::uint8_t* order) {
    int cmp = 0;
    std::uint8_t next = p.next;
    int j = 0;
    while (j < 9) {
        int end = j + 1;
        while (end < 9 && !((p.blockStart >> end) & 1)) ++end;
        // Sort the block's columns: empty, then named by name, then unnamed in
        // their current order (any order of them gives the same row).
        std::uint8_t keys[3], cols[3];
        const int n = end - j;
        for (int k = 0; k < n; ++k) {
            const std::uint8_t c = p.col[j + k];
            const std::uint8_t d = g[src * 9 + c];
            cols[k] = c;
            keys[k] = d == 0 ? 0 : (p.label[d] != 0 ? p.label[d] : static_cast<std::uint8_t>(10 + k));
        }
        for (int a = 1; a < n; ++a)
            for (int b = a; b > 0 && keys[b] < keys[b - 1]; --b) {
                std::swap(keys[b], keys[b - 1]);
                std::swap(cols[b], cols[b - 1]);
            }
        for (int k = 0; k < n; ++k) {
            const std::uint8_t v = keys[k] >= 10 ? next++ : keys[k];
            if (cmp == 0) {
                if (v > best[j + k]) return 1;
                if (v < best[j + k]) cmp = -1;
            }
            row[j + k] = v;
            order[j + k] = cols[k];
        }
        j = end;
    }
    return cmp;
}

// Appends to `out` the partial disguises that show `row` from source row
// `src`: one for each order of the unnamed digits inside a block (they give
// the same row but name the digits differently).
void Extend(const Partial& p, const std::uint8_t* g, int src, const std::uint8_t* order, int outRow,
            std::vector<Partial>& out) {
    Partial q = p;
    std::memcpy(q.col, order, 9);
    std::uint16_t filled = 0;
    for (int j = 0; j < 9; ++j)
        if (g[src * 9 + order[j]] != 0) filled |= static_cast<std::uint16_t>(1u << j);
    q.blockStart = static_cast<std::uint16_t>(p.blockStart | filled);
    const int b = src / 3, i = src % 3;
    if (outRow % 3 == 0) {
        q.bandsUsed = static_cast<std::uint8_t>(p.bandsUsed | (1u << b));
        q.band = static_cast<std::uint8_t>(b);
        q.rowsUsed = static_cast<std::uint8_t>(1u << i);
    } else {
        q.rowsUsed = static_cast<std::uint8_t>(p.rowsUsed | (1u << i));
    }

    // Runs of unnamed digits that share a block.
    int runStart[9], runLen[9], runs = 0;
    for (int j = 0; j < 9;) {
        const std::uint8_t d = g[src * 9 + q.col[j]];
        if (d == 0 || p.label[d] != 0) {
            ++j;
            continue;
        }
        int e = j + 1;
        while (e < 9 && !((p.blockStart >> e) & 1)) {
            const std::uint8_t d2 = g[src * 9 + q.col[e]];
            if (d2 == 0 || p.label[d2] != 0) break;
            ++e;
        }
        if (e - j > 1) {
            runStart[runs] = j;
            runLen[runs] = e - j;
            ++runs;
        }
        j = e;
    }

    auto emit = [&](Partial r) {
        for (int j = 0; j < 9; ++j) {
            const std::uint8_t d = g[src * 9 + r.col[j]];
            if (d != 0 && r.label[d] == 0) r.label[d] = r.next++;
        }
        out.push_back(r);
    };
    if (runs == 0) {
        emit(q);
        return;
    }
    // Every order of every run (at most three columns each).
    auto walk = [&](auto&& self, Partial& r, int k) -> void {
        if (k == runs) {
            emit(r);
            return;
        }
        std::uint8_t* first = r.col + runStart[k];
        std::uint8_t* last = first + runLen[k];
        std::sort(first, last);
        do {
            self(self, r, k + 1);
        } while (std::next_permutation(first, last));
    };
    walk(walk, q, 0);
}

}  // namespace

Grid CanonicalForm(const Grid& puzzle) {
    std::uint8_t grids[2][81];
    for (int c = 0; c < 81; ++c) {
        grids[0][c] = puzzle[c];
        grids[1][(c % 9) * 9 + c / 9] = puzzle[c];
    }

    static constexpr std::uint8_t kStackOrders[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2},
                                                       {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
    std::vector<Partial> current, next;
    current.reserve(64);
    next.reserve(64);
    for (std::uint8_t t = 0; t < 2; ++t)
        for (const auto& so : kStackOrders) {
            Partial p{};
            p.grid = t;
            for (int s = 0; s < 3; ++s)
                for (int k = 0; k < 3; ++k) p.col[3 * s + k] = static_cast<std::uint8_t>(3 * so[s] + k);
            p.blockStart = 0b001001001;
            p.next = 1;
            current.push_back(p);
        }

    Grid result{};
    for (int outRow = 0; outRow < 9; ++outRow) {
        std::uint8_t best[9];
        std::memset(best, kNone, sizeof best);
        std::uint8_t row[9], order[9];
        next.clear();
        for (const Partial& p : current) {
            const std::uint8_t* g = grids[p.grid];
            for (int src = 0; src < 9; ++src) {
                const int b = src / 3, i = src % 3;
                if (outRow % 3 == 0 ? ((p.bandsUsed >> b) & 1) != 0
                                    : (b != p.band || ((p.rowsUsed >> i) & 1) != 0))
                    continue;
                const int cmp = BestRowFor(p, g, src, best, row, order);
                if (cmp > 0) continue;
                if (cmp < 0) {
                    std::memcpy(best, row, 9);
                    next.clear();
                }
                Extend(p, g, src, order, outRow, next);
            }
        }
        for (int j = 0; j < 9; ++j) result[outRow * 9 + j] = best[j];
        std::swap(current, next);
    }
    return result;
}

std::string CanonicalText(const Grid& puzzle) {
    const Grid g = CanonicalForm(puzzle);
    std::string s(81, '.');
    for (int c = 0; c < 81; ++c)
        if (g[c] != 0) s[static_cast<std::size_t>(c)] = static_cast<char>('0' + g[c]);
    return s;
}

}  // namespace gw
