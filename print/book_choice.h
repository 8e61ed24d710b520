// Which puzzles make a book: the chosen levels (and scores), repeats dropped,
// put in order (easy to hard, by score, as read, or random from a seed), at most so many of each
// level and in all. Chosen while the puzzles are read, so that a book of 10
// out of millions holds little more than 10 in memory. Every front end that
// makes books chooses through it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <vector>

#include "grader/grader.h"
#include "grader/score.h"
#include "model/levels.h"
#include "model/state.h"

namespace gw::print {

enum class BookOrder {
    Level,   // easy to hard, each level as read
    Input,   // as read
    Random,  // a place drawn from the seed and the clues
    Score,   // by difficulty score, easy to hard
};

struct BookChoiceOptions {
    unsigned levels = kAllLevels;  // bit L: level L
    long long perLevel = 0;        // at most this many of each level; 0: all
    long long count = 0;           // at most this many in all; 0: all
    BookOrder order = BookOrder::Level;
    std::optional<std::uint64_t> seed;  // of the random order; none: from the clock
    bool unique = false;                // also drop disguised repeats
    std::optional<ScoreRange> score;    // only puzzles whose difficulty score lies in it
};

// A puzzle chosen for a book.
struct BookPick {
    Grid puzzle{};
    Grid solution{};  // as offered (all zero when the reader had none)
    int level = 0;
};

struct BookChoice {
    std::vector<BookPick> puzzles;  // in the book's order
    long long repeats = 0, disguised = 0;
    std::uint64_t seed = 0;  // of the random order
};

// Repeats are the same clues (with `unique`, the same canonical form); the
// first one stays. Of each level only the puzzles with the first places the
// book can still take are held: a repeat is told from the puzzles held, which
// is enough since a puzzle that lost its place takes its repeats' place with it.
class BookChooser {
public:
    explicit BookChooser(const BookChoiceOptions& options);

    // Takes the next puzzle read; false when no later one can make the book.
    bool Offer(const Grid& puzzle, const Grid& solution, int level);

    BookChoice Finish();

private:
    struct Held {
        std::uint64_t key = 0, seq = 0;
        BookPick pick;
        bool operator<(const Held& other) const { return key != other.key ? key < other.key : seq < other.seq; }
    };
    std::uint64_t RandomPlace(const Grid& g) const;
    void Forget(const Held& h);

    BookChoiceOptions o_;
    bool scored_ = false;  // the order or the selection needs each puzzle's score
    GradeState grading_;
    long long cap_ = 0;  // puzzles of one level the book can take
    BookChoice c_;
    std::array<std::set<Held>, 10> held_;
    std::set<Grid> clues_, forms_;  // of the puzzles held
    std::uint64_t seq_ = 0;
    long long heldInAll_ = 0;
};

}  // namespace gw::print
