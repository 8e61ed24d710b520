// Keeping a collection varied: no two saved puzzles may share more than a set
// number of givens (the same digit in the same cell). Neighbours of one puzzle
// keep most of its givens while their solution grids differ, so neither
// distinct puzzles nor distinct grids make a varied collection.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "model/state.h"

namespace gw {

int GivenCount(const Grid& puzzle);

// Givens the two puzzles share: the same digit in the same cell.
int SharedGivens(const Grid& a, const Grid& b);

// How many givens two puzzles may share.
struct SharedLimit {
    enum class Kind { Off, Share, Count } kind = Kind::Share;
    double share = 0.5;  // Kind::Share: of the smaller puzzle's givens
    int count = 0;       // Kind::Count: givens

    bool On() const { return kind != Kind::Off; }
    // The most givens puzzles of `n` and `m` givens may share.
    int Most(int n, int m) const;
    std::string Text() const;
};

// "off" (or "none"), a share of the smaller puzzle's givens ("0.5", "50%",
// from 0 to 1) or a count of givens ("12"). False with the reason on an
// unreadable text.
bool ParseSharedLimit(const std::string& text, SharedLimit& limit, std::string& error);

// Puzzles indexed by their givens: for each cell and digit, the puzzles that
// hold that digit there. A query walks the lists of its own givens only, so
// it costs about givens x puzzles / 729 steps.
class GivenIndex {
public:
    void Add(const Grid& puzzle);
    std::size_t size() const { return givens_.size(); }

    // True when no indexed puzzle shares more givens with `puzzle` than the
    // limit allows.
    bool Far(const Grid& puzzle, const SharedLimit& limit) const;

    // The largest share of the smaller puzzle's givens that `puzzle` has in
    // common with an indexed puzzle other than number `skip` (0 when none).
    double LargestShare(const Grid& puzzle, int skip = -1) const;

private:
    // Counts the shared givens of every indexed puzzle; stops early, with
    // false, when `over` says a count went too far.
    template <typename Over>
    bool Count(const Grid& puzzle, Over over) const;

    std::array<std::vector<std::uint32_t>, 81 * 9> lists_;
    std::vector<std::uint8_t> givens_;
    mutable std::vector<std::uint8_t> shared_;
};

// The puzzles a run must stay apart from: those of the same level that it
// saved or that were stored before it. A book of one level holds no two
// puzzles alike; puzzles of different levels are never alike in the way they
// solve, even when they share givens. With `unique`, a puzzle that is another
// in disguise (the same canonical form) is turned away too. Safe to call from
// several threads.
class NearCopyGuard {
public:
    NearCopyGuard(const SharedLimit& limit, bool unique);

    const SharedLimit& limit() const { return limit_; }
    bool Active() const { return limit_.On() || unique_; }

    // A puzzle stored before the run, of level 1..9.
    void AddStored(const Grid& puzzle, int level);

    // True when the puzzle of `level` may be saved; a true answer counts it
    // among the run's puzzles.
    bool Admit(const Grid& puzzle, int level);

    // True when the limit keeps the puzzle from being saved at every one of
    // `levels` (the disguise test aside).
    bool Near(const Grid& puzzle, unsigned levels);

    long long turnedAway() const;  // Admit calls answered false

private:
    bool FarLocked(const Grid& puzzle, int level, Grid* form);

    const SharedLimit limit_;
    const bool unique_;
    mutable std::mutex mutex_;
    std::array<GivenIndex, 10> index_;  // per level 1..9: the run's puzzles and the stored ones
    std::array<std::set<Grid>, 10> forms_;
    long long turnedAway_ = 0;
};

}  // namespace gw
