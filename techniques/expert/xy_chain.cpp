// XY-chain over conjugate links: a path of two-candidate cells where each step
// goes from a cell's "out" digit to the one other cell of a row, column or box
// that holds that digit.
//
// Along such a path the cells fall into two fixed colourings: either every
// cell takes the digit by which the path leaves it, or every cell takes the
// digit by which the path enters it (the first cell then takes the start
// digit j). The link digit occurs exactly twice in the shared unit and both
// cells are bivalue, so "this cell is its out digit" and "the next cell is
// its out digit" are equivalent. Two endings are used:
//   - the last cell leaves by j: one end or the other is j, so j goes from
//     every cell that sees both ends;
//   - the last cell is entered by j and sees the first cell: the entry
//     colouring would put j in both, so every cell takes its out digit.
//
// The search is depth first from every start cell, trying row, column and box
// links in that order, and acts on the first chain that ends in one of those
// ways. Whether a chain acts depends only on its first cell, its last cell and
// the digit by which the last cell was entered, so before stepping into a cell
// the search checks that some acting end can still be reached from it without
// passing through the chain; a branch that cannot act is skipped, which gives
// the same result as walking it. Without this check, grids rich in conjugate
// bivalue cells but without any acting end (for example every cell holding
// its digits of two different solutions) send the search through an
// exponential number of paths.
#include <array>
#include <cstdint>

#include "model/cellset.h"
#include "techniques/techniques.h"

namespace gw {

namespace {

// One step of the chain. `tried` counts the link directions already tried
// from this cell: 0 none, 1 row, 2 row and column, 3 all three.
struct ChainEntry {
    int cell;
    int out;
    int tried;
};

// Per-call snapshot of the candidates and the unit counts the search reads.
struct ChainTables {
    std::array<std::uint16_t, 81> cand{};
    std::array<bool, 81> bivalue{};
    std::array<std::array<int, 9>, 10> rowCount{};  // [digit][row]
    std::array<std::array<int, 9>, 10> colCount{};  // [digit][column]
    std::array<std::array<int, 9>, 10> boxCount{};  // [digit][box]
    std::array<int, 10> bivalueCount{};             // [digit]
};

ChainTables BuildTables(const GradeState& s) {
    ChainTables t;
    for (int d = 1; d <= 9; ++d) {
        for (int cell = 0; cell < 81; ++cell) {
            if (!s.CandFlags(cell, d)) continue;
            t.cand[cell] = static_cast<std::uint16_t>(t.cand[cell] | DigitBit(d));
            ++t.rowCount[d][RowOf[cell]];
            ++t.colCount[d][ColOf[cell]];
            ++t.boxCount[d][BoxOf[cell]];
        }
    }
    for (int cell = 0; cell < 81; ++cell) {
        if (BitCount[t.cand[cell]] != 2) continue;
        t.bivalue[cell] = true;
        for (int d = 1; d <= 9; ++d)
            if (t.cand[cell] & DigitBit(d)) ++t.bivalueCount[d];
    }
    return t;
}

// The other digit of a bivalue cell.
int OtherDigit(std::uint16_t cand, int d) {
    return LowestDigit(static_cast<unsigned>(cand & ~DigitBit(d)));
}

// The cell by which a chain can leave `cell` through digit d in one
// direction (0 row, 1 column, 2 box), or -1: the one other cell of the unit
// that holds d, when d occurs exactly twice there and that cell is bivalue.
// The box link skips cells of the row and column of `cell`, which belong to
// the row and column links.
int Partner(const ChainTables& t, int cell, int d, int direction) {
    const auto usable = [&](int c) { return c != cell && (t.cand[c] & DigitBit(d)) && t.bivalue[c]; };
    if (direction == 0) {
        if (t.rowCount[d][RowOf[cell]] != 2) return -1;
        for (int k = 0; k < 9; ++k)
            if (usable(CellAt[RowOf[cell]][k])) return CellAt[RowOf[cell]][k];
    } else if (direction == 1) {
        if (t.colCount[d][ColOf[cell]] != 2) return -1;
        for (int k = 0; k < 9; ++k)
            if (usable(CellAt[k][ColOf[cell]])) return CellAt[k][ColOf[cell]];
    } else {
        if (t.boxCount[d][BoxOf[cell]] != 2) return -1;
        for (int k = 0; k < 9; ++k) {
            const int c = BoxCell[BoxOf[cell]][k];
            if (RowOf[c] == RowOf[cell] || ColOf[c] == ColOf[cell]) continue;
            if (usable(c)) return c;
        }
    }
    return -1;
}

class ChainSearch {
public:
    ChainSearch(GradeState& s, const ChainTables& t, int j) : s_(s), t_(t), j_(j) {}

    // Grows every chain from `start` depth first; true when one was acted on.
    bool Run(int start) {
        len_ = 0;
        tally_ = 1;
        inChain_.fill(false);
        MarkActingEnds(start);
        Push(start, OtherDigit(t_.cand[start], j_));
        if (!CanReachActingEnd(start, chain_[0].out)) return false;

        while (len_ > 0) {
            s_.Pump();
            ChainEntry& e = chain_[len_ - 1];
            const int cur = e.cell;
            const int d = e.out;
            // The chain holds every bivalue cell with j: it cannot grow.
            const bool room = tally_ < t_.bivalueCount[j_];
            int next = -1;

            // Row first, then column, then box; each direction is tried once.
            while (next < 0 && e.tried < 3) {
                const int direction = e.tried++;
                if (!room) continue;
                const int c = Partner(t_, cur, d, direction);
                if (c >= 0 && !inChain_[c] && WorthEntering(c, d)) next = c;
            }

            if (next >= 0) {
                const int out = OtherDigit(t_.cand[next], d);
                if (out == j_ || d == j_) ++tally_;
                Push(next, out);
                if (ActOnEnds(d)) {
                    // Each cell is two nodes: the digit it is entered by and the one it leaves by.
                    s_.stepSize.nodes = static_cast<std::uint16_t>(2 * len_);
                    if (s_.pattern != nullptr) Record();
                    return true;
                }
                continue;
            }

            // Every direction tried from the last cell: step back.
            if (len_ > 1 && (chain_[len_ - 1].out == j_ || chain_[len_ - 2].out == j_)) --tally_;
            inChain_[chain_[len_ - 1].cell] = false;
            --len_;
        }
        return false;
    }

private:
    void Push(int cell, int out) {
        chain_[len_++] = {cell, out, 0};
        inChain_[cell] = true;
    }

    // Which (cell, entry digit) ends act for a chain that starts at `first`.
    void MarkActingEnds(int first) {
        for (auto& row : acts_) row.fill(false);
        // The cells that hold j and see the first cell (never the first
        // cell itself).
        CellSet holdJSeeingFirst;
        for (int x = 0; x < 81; ++x)
            if (s_.CandMask[x] & DigitBit(j_)) holdJSeeingFirst.Set(x);
        holdJSeeingFirst &= PeerSet[first];
        for (int cell = 0; cell < 81; ++cell) {
            if (!t_.bivalue[cell] || cell == first) continue;
            for (int entry = 1; entry <= 9; ++entry) {
                if (!(t_.cand[cell] & DigitBit(entry))) continue;
                if (entry == j_) {
                    acts_[cell][entry] = Sees(first, cell);
                } else if (OtherDigit(t_.cand[cell], entry) == j_) {
                    // A cell other than the two that holds j and sees both.
                    acts_[cell][entry] = (holdJSeeingFirst & PeerSet[cell]).Any();
                }
            }
        }
    }

    // Entering `cell` by d is worth it when the chain acts there or an acting
    // end can be reached from there without passing through the chain.
    bool WorthEntering(int cell, int d) {
        if (acts_[cell][d]) return true;
        inChain_[cell] = true;
        const bool reach = CanReachActingEnd(cell, OtherDigit(t_.cand[cell], d));
        inChain_[cell] = false;
        return reach;
    }

    // Breadth-first over (cell, entry digit) from the chain's tip `cell`
    // leaving by `out`, avoiding chain cells. It may walk through one cell
    // twice by its two digits, which no chain can, so it errs only towards
    // "reachable": the search then just walks the branch.
    bool CanReachActingEnd(int cell, int out) {
        std::array<std::array<bool, 10>, 81> seen{};
        std::array<std::pair<int, int>, 162> queue{};  // (cell, out digit)
        int head = 0;
        int tail = 0;
        queue[tail++] = {cell, out};
        while (head < tail) {
            const auto [from, d] = queue[head++];
            for (int direction = 0; direction < 3; ++direction) {
                const int c = Partner(t_, from, d, direction);
                if (c < 0 || inChain_[c] || seen[c][d]) continue;
                if (acts_[c][d]) return true;
                seen[c][d] = true;
                queue[tail++] = {c, OtherDigit(t_.cand[c], d)};
            }
        }
        return false;
    }

    // Explanations: the chain cell by cell, each bivalue cell a strong link
    // between its entry and exit digits, each step to the next cell weak.
    void Record() const {
        PatternChain& ch = s_.pattern->Kind(PatternKind::Chain).Digit(j_).NewChain();
        int entry = j_;
        for (int k = 0; k < len_; ++k) {
            ch.Add(false, DigitBit(entry), {chain_[k].cell}).Add(true, DigitBit(chain_[k].out), {chain_[k].cell});
            entry = chain_[k].out;
        }
    }

    // The new last cell was entered by `entry`.
    bool ActOnEnds(int entry) {
        const int first = chain_[0].cell;
        const ChainEntry& last = chain_[len_ - 1];
        if (last.out == j_) {
            // One end or the other holds j.
            return RemoveFromCommonPeers(s_, first, last.cell, j_);
        }
        if (entry == j_ && Sees(first, last.cell)) {
            // Entering every cell by its entry digit would put j in two cells
            // that see each other: each cell keeps its out digit instead.
            // (The cell before the last left by j, and the last cell holds j
            // and sees both it and the first cell: the check above, made
            // when that cell was appended, has already removed j from the
            // last cell. This ending is kept for completeness.)
            RemoveCandidate(s_, j_, first);
            RemoveCandidate(s_, j_, last.cell);
            for (int k = 1; k < len_ - 1; ++k) RemoveCandidate(s_, chain_[k - 1].out, chain_[k].cell);
            return true;
        }
        return false;
    }

    GradeState& s_;
    const ChainTables& t_;
    const int j_;
    std::array<ChainEntry, 81> chain_{};
    std::array<bool, 81> inChain_{};
    std::array<std::array<bool, 10>, 81> acts_{};  // [cell][entry digit]
    int len_ = 0;
    int tally_ = 0;  // chain cells holding j
};

}  // namespace

bool TryXYChain(GradeState& s) {
    const ChainTables t = BuildTables(s);
    for (int j = 1; j <= 9; ++j) {
        if (t.bivalueCount[j] <= 1) continue;
        ChainSearch search(s, t, j);
        for (int start = 0; start < 81; ++start) {
            if (!t.bivalue[start] || !(t.cand[start] & DigitBit(j))) continue;
            if (search.Run(start)) return true;
        }
    }
    return false;
}

}  // namespace gw
