#include "generator/solution_count.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <limits>
#include <vector>

#include "generator/generator.h"
#include "model/cellset.h"

namespace gw {

namespace {

// Where each digit may still go, as three bands of 27 bits per digit (bit
// 9 * (row % 3) + column of band row / 3). Rows and boxes of a band are fixed
// groups of its bits and the nine rows of a column line up across the bands,
// so a placement, a naked-single scan and a hidden-single scan are a few word
// operations each.
using Bands = std::array<std::uint32_t, 3>;

constexpr std::uint32_t kBandAll = (1u << 27) - 1;
constexpr std::uint32_t kRowBits = 0x1FF;

constexpr int BandOf(int c) { return c / 27; }
constexpr std::uint32_t BitOf(int c) { return 1u << (c % 27); }
constexpr int CellOf(int band, std::uint32_t bits) { return band * 27 + std::countr_zero(bits); }

// The box of a band from its column third t, and the column c of a band.
constexpr std::uint32_t BoxBits(int t) { return (0x7u << (3 * t)) * 0x40201u; }
constexpr std::uint32_t ColumnBits(int c) { return (1u << c) * 0x40201u; }

inline constexpr std::array<Bands, 81> kPeerBands = [] {
    std::array<Bands, 81> t{};
    for (int c = 0; c < 81; ++c)
        for (int p : Peers[c]) t[c][BandOf(p)] |= BitOf(p);
    return t;
}();

struct Board {
    std::array<Bands, 9> cand{};       // cand[d - 1]: open cells that may take d
    Bands open{kBandAll, kBandAll, kBandAll};  // cells not yet filled
    std::array<std::uint32_t, 9> done{};        // units (bit u) that hold d already
    Grid grid{};
};

// Puts d (a candidate there) into c: c leaves every digit's bands, and the
// peers of c leave d's.
inline void Place(Board& b, int c, int d) {
    const int band = BandOf(c);
    const std::uint32_t bit = BitOf(c);
    for (Bands& m : b.cand) m[band] &= ~bit;
    Bands& m = b.cand[d - 1];
    for (int i = 0; i < 3; ++i) m[i] &= ~kPeerBands[c][i];
    b.open[band] &= ~bit;
    b.done[d - 1] |= UnitBitsOf[c];
    b.grid[c] = static_cast<std::uint8_t>(d);
}

// The digit of c's candidates that is lowest (10 when it has none).
inline int LowestCandidate(const Board& b, int c) {
    const int band = BandOf(c);
    const std::uint32_t bit = BitOf(c);
    int d = 1;
    while (d <= 9 && (b.cand[d - 1][band] & bit) == 0) ++d;
    return d;
}

// The cells where one digit has its only place in a unit, and whether some
// unit that lacks the digit has no place left for it.
struct DigitScan {
    Bands single{};
    bool dead = false;
};

inline DigitScan ScanDigit(const Bands& x, std::uint32_t done) {
    DigitScan r;
    // Rows and boxes, band by band; units without a place are gathered as
    // unit bits (rows 0-8, columns 9-17, boxes 18-26).
    std::uint32_t empty = 0;
    for (int band = 0; band < 3; ++band) {
        const std::uint32_t v = x[band];
        for (int i = 0; i < 3; ++i) {
            const std::uint32_t row = v & (kRowBits << (9 * i));
            if (row == 0) empty |= 1u << (band * 3 + i);
            else if ((row & (row - 1)) == 0) r.single[band] |= row;
            const std::uint32_t box = v & BoxBits(i);
            if (box == 0) empty |= 1u << (18 + band * 3 + i);
            else if ((box & (box - 1)) == 0) r.single[band] |= box;
        }
    }
    // Columns: the nine rows as slices, counted once and twice.
    std::uint32_t once = 0, twice = 0;
    for (int band = 0; band < 3; ++band) {
        for (int i = 0; i < 3; ++i) {
            const std::uint32_t row = (x[band] >> (9 * i)) & kRowBits;
            twice |= once & row;
            once |= row;
        }
    }
    empty |= (~once & kRowBits) << 9;
    for (std::uint32_t cols = once & ~twice; cols != 0; cols &= cols - 1) {
        const std::uint32_t col = ColumnBits(std::countr_zero(cols));
        for (int band = 0; band < 3; ++band) r.single[band] |= x[band] & col;
    }
    // A unit with no place for the digit must hold it already.
    r.dead = (empty & ~done) != 0;
    return r;
}

class BoundedCounter {
    static constexpr long kLockedAfter = 200;

public:
    BoundedCounter(int limit, long maxGuesses, Grid* first, Yielder* y, std::vector<Grid>* all = nullptr)
        : limit_(limit), maxGuesses_(maxGuesses), first_(first), y_(y), all_(all) {}

    SolutionCount Run(const Grid& puzzle) {
        // The givens mark the units that hold their digits; a digit may go
        // into any open cell outside those units.
        Board b;
        b.grid = puzzle;
        std::array<std::uint32_t, 9>& units = b.done;  // rows 0-8, columns 9-17, boxes 18-26
        for (int c = 0; c < 81; ++c) {
            const int d = puzzle[c];
            if (d == 0) continue;
            if (d > 9 || (units[d - 1] & UnitBitsOf[c]) != 0) return result_;  // clashing givens
            units[d - 1] |= UnitBitsOf[c];
            b.open[BandOf(c)] &= ~BitOf(c);
        }
        for (int d = 1; d <= 9; ++d) {
            const std::uint32_t units = b.done[d - 1];
            // The columns holding d, repeated in the three rows of a band.
            const std::uint32_t cols = ((units >> 9) & kRowBits) * 0x40201u;
            for (int band = 0; band < 3; ++band) {
                const std::uint32_t taken =
                    kRowsOfBand[(units >> (3 * band)) & 7] | kBoxesOfBand[(units >> (18 + 3 * band)) & 7] | cols;
                b.cand[d - 1][band] = b.open[band] & ~taken;
            }
        }
        Search(b);
        return result_;
    }

    bool halted() const { return halted_; }

private:
    // A band's bits for a choice of its three rows, or of its three boxes.
    static constexpr auto kRowsOfBand = [] {
        std::array<std::uint32_t, 8> t{};
        for (unsigned m = 0; m < 8; ++m)
            for (int i = 0; i < 3; ++i)
                if ((m >> i) & 1u) t[m] |= kRowBits << (9 * i);
        return t;
    }();
    static constexpr auto kBoxesOfBand = [] {
        std::array<std::uint32_t, 8> t{};
        for (unsigned m = 0; m < 8; ++m)
            for (int i = 0; i < 3; ++i)
                if ((m >> i) & 1u) t[m] |= BoxBits(i);
        return t;
    }();

    static bool Empty(const Bands& m) { return (m[0] | m[1] | m[2]) == 0; }

    // Fills naked and hidden singles until none is left. False on a
    // contradiction: an open cell without candidates, or a digit with no
    // place in a unit that still lacks it.
    static bool Propagate(Board& b) {
        for (;;) {
            if (Empty(b.open)) return true;
            // Candidates per open cell, counted in bit slices: once or more,
            // twice or more.
            Bands naked{};
            bool any = false;
            for (int band = 0; band < 3; ++band) {
                std::uint32_t once = 0, twice = 0;
                for (const Bands& m : b.cand) {
                    twice |= once & m[band];
                    once |= m[band];
                }
                if ((b.open[band] & ~once) != 0) return false;
                naked[band] = once & ~twice;
                any |= naked[band] != 0;
            }
            if (any) {
                for (int band = 0; band < 3; ++band) {
                    for (std::uint32_t v = naked[band]; v != 0; v &= v - 1) {
                        const int c = CellOf(band, v);
                        const int d = LowestCandidate(b, c);
                        // An earlier single of this pass took its last digit.
                        if (d > 9) return false;
                        Place(b, c, d);
                    }
                }
                continue;
            }
            bool placed = false;
            for (int d = 1; d <= 9; ++d) {
                const DigitScan scan = ScanDigit(b.cand[d - 1], b.done[d - 1]);
                if (scan.dead) return false;
                for (int band = 0; band < 3; ++band) {
                    for (std::uint32_t v = scan.single[band]; v != 0; v &= v - 1) {
                        // Two units may name cells that see each other: the
                        // first placement takes the other's place.
                        if ((b.cand[d - 1][band] & (v & (0u - v))) == 0) return false;
                        Place(b, CellOf(band, v), d);
                        placed = true;
                    }
                }
            }
            if (!placed) return true;
        }
    }

    // Locked candidates: a digit whose places in a box lie in one row or
    // column of it leaves the rest of that line, and a digit whose places in a
    // line lie in one box leaves the rest of that box. True when something
    // went.
    static bool LockedCandidates(Board& b) {
        bool changed = false;
        for (Bands& x : b.cand) {
            for (int band = 0; band < 3; ++band) {
                for (int t = 0; t < 3; ++t) {
                    const std::uint32_t box = x[band] & BoxBits(t);
                    if (box == 0) continue;
                    for (int i = 0; i < 3; ++i) {
                        // Box and row: the segment is the box's cells in row i.
                        const std::uint32_t rowBits = kRowBits << (9 * i);
                        const std::uint32_t seg = BoxBits(t) & rowBits;
                        if ((box & seg) == 0) continue;
                        const std::uint32_t inRow = x[band] & rowBits;
                        std::uint32_t gone = 0;
                        if ((box & ~seg) == 0) gone |= inRow & ~seg;
                        if ((inRow & ~seg) == 0) gone |= box & ~seg;
                        if (gone != 0) {
                            x[band] &= ~gone;
                            changed = true;
                        }
                    }
                    for (int i = 0; i < 3; ++i) {
                        // Box and column: the column crosses all three bands.
                        const int colIndex = 3 * t + i;
                        const std::uint32_t col = ColumnBits(colIndex);
                        const std::uint32_t boxNow = x[band] & BoxBits(t);
                        const std::uint32_t seg = BoxBits(t) & col;
                        if ((boxNow & seg) == 0) continue;
                        std::uint32_t rest = 0;  // the column outside the box
                        for (int o = 0; o < 3; ++o)
                            if (o != band) rest |= x[o] & col;
                        const bool boxInCol = (boxNow & ~seg) == 0;
                        const bool colInBox = rest == 0;
                        if (boxInCol && !colInBox) {
                            for (int o = 0; o < 3; ++o)
                                if (o != band) x[o] &= ~col;
                            changed = true;
                        }
                        if (colInBox && !boxInCol) {
                            x[band] &= ~(BoxBits(t) & ~seg);
                            changed = true;
                        }
                    }
                }
            }
        }
        return changed;
    }

    void Search(Board& b) {
        if (y_ != nullptr) {
            y_->Pump();
            if (y_->Halted()) {
                halted_ = true;
                return;
            }
        }
        // Trees of valid puzzles are small and singles alone are cheapest
        // there; a tree that keeps growing (puzzles crafted to have no
        // solution) also gets locked candidates before every guess.
        do {
            if (!Propagate(b)) return;
        } while (result_.guesses > kLockedAfter && !Empty(b.open) && LockedCandidates(b));
        if (Empty(b.open)) {
            if (result_.solutions == 0 && first_ != nullptr) *first_ = b.grid;
            if (all_ != nullptr) all_->push_back(b.grid);
            ++result_.solutions;
            return;
        }
        // Branch on an open cell with the fewest candidates (two, whenever
        // some cell has two).
        int best = 81;
        for (int band = 0; band < 3 && best == 81; ++band) {
            std::uint32_t once = 0, twice = 0, thrice = 0;
            for (const Bands& m : b.cand) {
                thrice |= twice & m[band];
                twice |= once & m[band];
                once |= m[band];
            }
            const std::uint32_t pairs = twice & ~thrice;
            if (pairs != 0) best = CellOf(band, pairs);
        }
        if (best == 81) {
            int bestN = 10;
            for (int band = 0; band < 3; ++band) {
                for (std::uint32_t v = b.open[band]; v != 0; v &= v - 1) {
                    const int c = CellOf(band, v);
                    int n = 0;
                    for (const Bands& m : b.cand) n += (m[band] & (v & (0u - v))) != 0;
                    if (n < bestN) {
                        bestN = n;
                        best = c;
                    }
                }
            }
        }
        const int band = BandOf(best);
        const std::uint32_t bit = BitOf(best);
        for (int d = 1; d <= 9; ++d) {
            if ((b.cand[d - 1][band] & bit) == 0) continue;
            if (result_.guesses >= maxGuesses_) {
                result_.complete = false;
                return;
            }
            ++result_.guesses;
            Board next = b;
            Place(next, best, d);
            Search(next);
            if (result_.solutions >= limit_ || !result_.complete || halted_) return;
        }
    }

    int limit_;
    long maxGuesses_;
    Grid* first_;
    Yielder* y_;
    std::vector<Grid>* all_;
    bool halted_ = false;
    SolutionCount result_;
};

}  // namespace

SolutionCount CountSolutionsBounded(const Grid& puzzle, int limit, long maxGuesses, Grid* first, Yielder* y) {
    BoundedCounter counter(limit, maxGuesses, first, y);
    SolutionCount n = counter.Run(puzzle);
    if (counter.halted()) n.complete = false;
    return n;
}

int ListSolutions(const Grid& puzzle, int limit, std::vector<Grid>& out, Yielder* y) {
    out.clear();
    BoundedCounter counter(limit, std::numeric_limits<long>::max(), nullptr, y, &out);
    return counter.Run(puzzle).solutions;
}

bool HasUniqueSolution(const Grid& puzzle, Yielder* y) {
    assert(std::all_of(puzzle.begin(), puzzle.end(), [](int v) { return v <= 9; }));
    BoundedCounter counter(2, std::numeric_limits<long>::max(), nullptr, y);
    const SolutionCount n = counter.Run(puzzle);
    if (counter.halted()) {
        y->HaltSeen();
        return false;
    }
    return n.solutions <= 1;
}

}  // namespace gw
