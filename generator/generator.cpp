#include "generator/generator.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <chrono>

namespace gw {

void Rng::Seed(std::uint64_t seed) {
    for (auto& word : s_) {
        seed += 0x9e3779b97f4a7c15ULL;
        std::uint64_t z = seed;
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        word = z ^ (z >> 31);
    }
}

std::uint64_t Rng::Next() {
    const std::uint64_t result = std::rotl(s_[1] * 5, 7) * 9;
    const std::uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = std::rotl(s_[3], 45);
    return result;
}

std::uint64_t ClockSeed() {
    return static_cast<std::uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
}

namespace {

// A solution grid is filled in a cell order made by this many swaps of two
// random cells (a fixed count: every grid of a seed depends on it).
constexpr int kCellOrderSwaps = 500;

// Clues go in half-turn pairs: cell c with cell 80 - c for c = 0..39, and the
// centre cell 40 alone.
constexpr int kCluePairs = 41;

// The pairs are tried for removal in an order made by this many swaps of two
// random pairs (fixed too, for the same reason).
constexpr int kCluePairSwaps = 200;

// Digits used per row, column and box, as bit masks (bit d-1 for digit d).
struct UnitUse {
    std::array<std::uint16_t, 9> row{}, col{}, box{};

    unsigned Free(int cell) const {
        return ~static_cast<unsigned>(row[RowOf[cell]] | col[ColOf[cell]] | box[BoxOf[cell]]) & kAllDigits;
    }
    void Toggle(int cell, int d) {
        const std::uint16_t bit = DigitBit(d);
        row[RowOf[cell]] ^= bit;
        col[ColOf[cell]] ^= bit;
        box[BoxOf[cell]] ^= bit;
    }
};

// Among open positions pos, pos-1, ... 0, the most constrained cell: the first
// position (scanning down) whose count of free digits is strictly below the
// running minimum, so among equal counts the highest position wins.
template <typename Order>
int MostConstrained(const UnitUse& use, const Order& order, int pos) {
    int best = 10;
    int kept = pos;
    for (int j = pos; j >= 0; --j) {
        const int n = BitCount[use.Free(order[j])];
        if (n < best) {
            best = n;
            kept = j;
        }
    }
    return kept;
}

// The next free digit above `old` for the cell, or 0.
int NextFreeDigit(const UnitUse& use, int cell, int old) {
    const unsigned free = use.Free(cell) & ~((1u << old) - 1u);
    return free == 0 ? 0 : std::countr_zero(free) + 1;
}

}  // namespace

bool BuildSolutionGridFromOrder(GenState& g, std::array<int, 81> order, Yielder& y) {
    assert(std::all_of(order.begin(), order.end(), [](int c) { return c >= 0 && c < 81; }));
    UnitUse use;
    g.Solution.fill(0);
    int pos = 80;
    for (;;) {
        if (y.PumpAndCheckHalt()) return false;
        if (pos == -1) return true;
        if (g.Solution[order[pos]] == 0) {
            const int kept = MostConstrained(use, order, pos);
            if (kept != pos) std::swap(order[pos], order[kept]);
        }
        const int c = order[pos];
        const int old = g.Solution[c];
        // With `old` still marked used, the digits above it that are free are
        // exactly those free once it is released.
        const int d = NextFreeDigit(use, c, old);
        if (old != 0) use.Toggle(c, old);
        if (d == 0) {
            g.Solution[c] = 0;
            ++pos;
            continue;
        }
        g.Solution[c] = static_cast<std::uint8_t>(d);
        use.Toggle(c, d);
        --pos;
        // Forward check: step back onto c when some open cell has no digit left.
        for (int j = 0; j <= pos; ++j) {
            if (use.Free(order[j]) == 0) {
                ++pos;
                break;
            }
        }
    }
}

bool BuildSolutionGrid(GenState& g, Yielder& y) {
    std::array<int, 81> order{};
    for (int i = 0; i < 81; ++i) order[i] = i;
    for (int k = 0; k < kCellOrderSwaps; ++k) {
        const int a = g.rng.Below(81);
        const int b = g.rng.Below(81);
        std::swap(order[a], order[b]);
    }
    return BuildSolutionGridFromOrder(g, order, y);
}

namespace {

// Depth-first solution search on bit masks, choosing the open cell with the
// fewest free digits at every node and trying its digits in ascending order.
// Uniqueness tests and lists of solutions use the faster count of
// generator/solution_count.h; this plain search gives the first solution of a
// puzzle that has several in a fixed order, and is the reference the faster
// count is tested against.
class Counter {
public:
    Counter(const Grid& puzzle, int limit, Grid* first, Yielder* y)
        : grid_(puzzle), limit_(limit), first_(first), y_(y) {}

    int Run() {
        for (int c = 0; c < 81; ++c) {
            const int d = grid_[c];
            if (d == 0) {
                open_[n_++] = static_cast<std::uint8_t>(c);
                continue;
            }
            if (d > 9 || (use_.Free(c) & DigitBit(d)) == 0) return 0;  // clashing givens
            use_.Toggle(c, d);
        }
        Search(0);
        return count_;
    }

    bool halted() const { return halted_; }

private:
    void Search(int depth) {
        if (y_ != nullptr) {
            y_->Pump();
            if (y_->Halted()) {
                halted_ = true;
                return;
            }
        }
        if (depth == n_) {
            if (count_ == 0 && first_ != nullptr) *first_ = grid_;
            ++count_;
            return;
        }
        int bestAt = depth;
        int bestN = 10;
        unsigned bestFree = 0;
        for (int i = depth; i < n_; ++i) {
            const unsigned free = use_.Free(open_[i]);
            const int k = BitCount[free];
            if (k < bestN) {
                bestN = k;
                bestAt = i;
                bestFree = free;
                if (k <= 1) break;
            }
        }
        if (bestN == 0) return;
        std::swap(open_[depth], open_[bestAt]);
        const int c = open_[depth];
        for (unsigned free = bestFree; free != 0; free &= free - 1) {
            const int d = std::countr_zero(free) + 1;
            grid_[c] = static_cast<std::uint8_t>(d);
            use_.Toggle(c, d);
            Search(depth + 1);
            use_.Toggle(c, d);
            grid_[c] = 0;
            if (count_ >= limit_ || halted_) return;
        }
    }

    Grid grid_;
    UnitUse use_;
    std::array<std::uint8_t, 81> open_{};
    int n_ = 0;
    int count_ = 0;
    int limit_;
    Grid* first_;
    Yielder* y_;
    bool halted_ = false;
};

}  // namespace

int CountSolutions(const Grid& puzzle, int limit, Grid* first, Yielder* y) {
    Counter counter(puzzle, limit, first, y);
    return counter.Run();
}

std::vector<std::pair<Grid, Grid>> GeneratedPuzzles(int count, std::uint64_t seed) {
    std::vector<std::pair<Grid, Grid>> out;
    GenState g;
    g.rng.Seed(seed);
    Yielder y;
    for (int i = 0; i < count; ++i) {
        BuildSolutionGrid(g, y);
        RemoveClues(g, y);
        out.emplace_back(g.Puzzle, g.Solution);
    }
    return out;
}

bool RemoveClues(GenState& g, Yielder& y) {
    // Clues come from a complete solution grid.
    assert(std::none_of(g.Solution.begin(), g.Solution.end(), [](int v) { return v == 0 || v > 9; }));
    std::array<int, kCluePairs> pairOrder{};
    g.Puzzle = g.Solution;
    for (int i = 0; i < kCluePairs; ++i) pairOrder[i] = i;
    for (int k = 0; k < kCluePairSwaps; ++k) {
        const int a = g.rng.Below(kCluePairs);
        const int b = g.rng.Below(kCluePairs);
        std::swap(pairOrder[a], pairOrder[b]);
    }
    for (int k = 0; k < kCluePairs; ++k) {
        const int c = pairOrder[k];
        g.Puzzle[c] = 0;
        g.Puzzle[80 - c] = 0;
        if (!HasUniqueSolution(g.Puzzle, &y)) {
            g.Puzzle[c] = g.Solution[c];
            g.Puzzle[80 - c] = g.Solution[80 - c];
        }
        if (y.Halted()) {
            y.HaltSeen();
            return false;
        }
    }
    return true;
}

}  // namespace gw
