#include "generator/solution_count.h"

#include <bit>

#include "model/cellset.h"

namespace gw {

namespace {

// Marks a solved cell, beside the bit of its digit.
constexpr std::uint16_t kSolved = 0x8000;

// Candidates of every cell; a solved cell keeps only its digit.
struct Board {
    std::array<std::uint16_t, 81> cand{};
    std::uint16_t solvedMask[27]{};  // digits placed per unit
    int open = 81;
};

class BoundedCounter {
public:
    BoundedCounter(int limit, long maxGuesses, Grid* first) : limit_(limit), maxGuesses_(maxGuesses), first_(first) {}

    SolutionCount Run(const Grid& puzzle) {
        Board b;
        b.cand.fill(kAllDigits);
        for (int c = 0; c < 81; ++c) {
            const int d = puzzle[c];
            if (d == 0) continue;
            if (d > 9 || !Place(b, c, d)) return result_;  // clashing givens
        }
        Search(b);
        return result_;
    }

private:
    // Places d in c and removes it from the peers. False on a contradiction
    // (d not a candidate, or a peer left with no candidate).
    static bool Place(Board& b, int c, int d) {
        const std::uint16_t bit = DigitBit(d);
        if ((b.cand[c] & bit) == 0) return false;
        const auto& units = UnitsOfCell[c];
        for (int u : units) {
            if (b.solvedMask[u] & bit) return false;
            b.solvedMask[u] |= bit;
        }
        b.cand[c] = static_cast<std::uint16_t>(bit | kSolved);
        --b.open;
        for (int p : Peers[c]) {
            if (b.cand[p] & kSolved) continue;
            b.cand[p] &= static_cast<std::uint16_t>(~bit);
            if (b.cand[p] == 0) return false;
        }
        return true;
    }

    // Fills naked and hidden singles until none is left. False on a
    // contradiction: a cell without candidates, or a digit with no place in a
    // unit that still lacks it.
    static bool Propagate(Board& b) {
        for (bool changed = true; changed && b.open > 0;) {
            changed = false;
            for (int c = 0; c < 81; ++c) {
                const std::uint16_t m = b.cand[c];
                if (m & kSolved) continue;
                if (m == 0) return false;
                if ((m & (m - 1)) == 0) {
                    if (!Place(b, c, std::countr_zero(m) + 1)) return false;
                    changed = true;
                }
            }
            for (int u = 0; u < 27; ++u) {
                unsigned once = 0, twice = 0;
                for (int k = 0; k < 9; ++k) {
                    const std::uint16_t m = b.cand[UnitCell(u, k)];
                    if (m & kSolved) continue;
                    twice |= once & m;
                    once |= m;
                }
                const unsigned missing = kAllDigits & ~b.solvedMask[u];
                if ((once & missing) != missing) return false;
                unsigned hidden = once & ~twice & missing;
                while (hidden != 0) {
                    const int d = std::countr_zero(hidden) + 1;
                    hidden &= hidden - 1;
                    int at = -1;
                    for (int k = 0; k < 9 && at < 0; ++k) {
                        const int c = UnitCell(u, k);
                        if ((b.cand[c] & kSolved) == 0 && (b.cand[c] & DigitBit(d))) at = c;
                    }
                    // Its only place was just taken by another hidden single.
                    if (at < 0 || !Place(b, at, d)) return false;
                    changed = true;
                }
            }
        }
        return true;
    }

    // Locked candidates: a digit whose places in a box lie in one row or
    // column of it leaves the rest of that line, and a digit whose places in a
    // line lie in one box leaves the rest of that box. Sets `changed` when
    // something went; false on a contradiction (a cell left empty).
    static bool LockedCandidates(Board& b, bool& changed) {
        std::array<CellSet, 10> placesOf{};
        for (int c = 0; c < 81; ++c) {
            if (b.cand[c] & kSolved) continue;
            for (unsigned m = b.cand[c]; m != 0; m &= m - 1) placesOf[std::countr_zero(m) + 1].Set(c);
        }
        for (int d = 1; d <= 9; ++d) {
            const std::uint16_t bit = DigitBit(d);
            const CellSet& places = placesOf[d];
            if (places.Empty()) continue;
            CellSet gone;
            for (int box = 0; box < 9; ++box) {
                const CellSet inBox = places & UnitSet[18 + box];
                if (inBox.Empty()) continue;
                for (int i = 0; i < 3; ++i) {
                    for (const int line : {box / 3 * 3 + i, 9 + box % 3 * 3 + i}) {
                        const CellSet& segment = SegmentOf(box, line);
                        if ((inBox & segment).Empty()) continue;
                        const CellSet inLine = places & UnitSet[line];
                        if (inBox.Without(segment).Empty()) gone = gone | inLine.Without(segment);
                        if (inLine.Without(segment).Empty()) gone = gone | inBox.Without(segment);
                    }
                }
            }
            bool empty = false;
            ForEachCell(gone, [&](int c) {
                b.cand[c] &= static_cast<std::uint16_t>(~bit);
                empty |= b.cand[c] == 0;
            });
            if (empty) return false;
            changed |= gone.Any();
        }
        return true;
    }

    // The cells a box shares with a row or column crossing it.
    static const CellSet& SegmentOf(int box, int line) {
        static constexpr auto kSegments = [] {
            std::array<std::array<CellSet, 27>, 9> t{};
            for (int bx = 0; bx < 9; ++bx)
                for (int u = 0; u < 18; ++u) t[bx][u] = UnitSet[18 + bx] & UnitSet[u];
            return t;
        }();
        return kSegments[box][line];
    }

    void Search(Board& b) {
        for (bool changed = true; changed;) {
            if (!Propagate(b)) return;
            changed = false;
            if (b.open > 0 && !LockedCandidates(b, changed)) return;
        }
        if (b.open == 0) {
            if (result_.solutions == 0 && first_ != nullptr)
                for (int c = 0; c < 81; ++c)
                    (*first_)[c] = static_cast<std::uint8_t>(std::countr_zero(static_cast<unsigned>(b.cand[c] & kAllDigits)) + 1);
            ++result_.solutions;
            return;
        }
        // Branch on the smallest choice: the open cell with the fewest
        // candidates, or the digit of a unit with the fewest places left.
        int best = -1, bestN = 10;
        for (int c = 0; c < 81 && bestN > 2; ++c) {
            if (b.cand[c] & kSolved) continue;
            const int n = std::popcount(static_cast<unsigned>(b.cand[c]));
            if (n < bestN) {
                bestN = n;
                best = c;
            }
        }
        int bestUnit = -1, bestDigit = 0;
        for (int u = 0; u < 27 && bestN > 2; ++u) {
            const unsigned missing = kAllDigits & ~b.solvedMask[u];
            for (unsigned m = missing; m != 0; m &= m - 1) {
                const std::uint16_t bit = static_cast<std::uint16_t>(m & (0u - m));
                int n = 0;
                for (int k = 0; k < 9; ++k) {
                    const std::uint16_t cm = b.cand[UnitCell(u, k)];
                    n += (cm & kSolved) == 0 && (cm & bit) != 0;
                }
                if (n < bestN) {
                    bestN = n;
                    bestUnit = u;
                    bestDigit = std::countr_zero(m) + 1;
                }
            }
        }
        // The choices: (cell, digit) pairs.
        int choiceCell[9], choiceDigit[9], choices = 0;
        if (bestUnit >= 0) {
            for (int k = 0; k < 9; ++k) {
                const int c = UnitCell(bestUnit, k);
                if ((b.cand[c] & kSolved) == 0 && (b.cand[c] & DigitBit(bestDigit))) {
                    choiceCell[choices] = c;
                    choiceDigit[choices++] = bestDigit;
                }
            }
        } else {
            for (unsigned m = b.cand[best]; m != 0; m &= m - 1) {
                choiceCell[choices] = best;
                choiceDigit[choices++] = std::countr_zero(m) + 1;
            }
        }
        for (int i = 0; i < choices; ++i) {
            if (result_.guesses >= maxGuesses_) {
                result_.complete = false;
                return;
            }
            ++result_.guesses;
            Board next = b;
            if (Place(next, choiceCell[i], choiceDigit[i])) Search(next);
            if (result_.solutions >= limit_ || !result_.complete) return;
        }
    }

    int limit_;
    long maxGuesses_;
    Grid* first_;
    SolutionCount result_;
};

}  // namespace

SolutionCount CountSolutionsBounded(const Grid& puzzle, int limit, long maxGuesses, Grid* first) {
    return BoundedCounter(limit, maxGuesses, first).Run(puzzle);
}

}  // namespace gw
