#include "print/book_choice.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

#include "generator/generator.h"
#include "model/canonical.h"

namespace gw::print {

BookChooser::BookChooser(const BookChoiceOptions& options) : o_(options) {
    if (o_.order == BookOrder::Random) c_.seed = o_.seed ? *o_.seed : ClockSeed();
    scored_ = o_.order == BookOrder::Score || o_.score.has_value();
    constexpr long long kAll = std::numeric_limits<long long>::max();
    cap_ = std::min(o_.perLevel > 0 ? o_.perLevel : kAll, o_.count > 0 ? o_.count : kAll);
}

bool BookChooser::Offer(const Grid& puzzle, const Grid& solution, int level) {
    if (level < 1 || level > 9 || !((o_.levels >> level) & 1u)) return true;
    if (clues_.count(puzzle) != 0) {
        ++c_.repeats;
        return true;
    }
    const Grid form = o_.unique ? CanonicalForm(puzzle) : Grid{};
    if (o_.unique && forms_.count(form) != 0) {
        ++c_.disguised;
        return true;
    }
    // The score needs a grading: only the puzzles that may still make the book get one.
    const double score = scored_ ? GradeAndScore(grading_, puzzle).score : 0;
    if (o_.score && !o_.score->Contains(score)) return true;
    Held h{.key = 0, .seq = seq_++, .pick = {puzzle, solution, level}};
    if (o_.order == BookOrder::Level) h.key = static_cast<std::uint64_t>(level);
    else if (o_.order == BookOrder::Score) h.key = static_cast<std::uint64_t>(std::lround(100 * score));
    else if (o_.order == BookOrder::Random) h.key = RandomPlace(o_.unique ? form : puzzle);
    std::set<Held>& held = held_[static_cast<std::size_t>(level)];
    if (static_cast<long long>(held.size()) >= cap_) {
        // Full: the new puzzle replaces the one with the last place if it comes before it.
        if (!(h < *held.rbegin())) return true;
        Forget(*held.rbegin());
        held.erase(std::prev(held.end()));
    }
    clues_.insert(puzzle);
    if (o_.unique) forms_.insert(form);
    held.insert(h);
    ++heldInAll_;
    // In the order as read, the first `count` puzzles held are the book.
    return !(o_.order == BookOrder::Input && o_.count > 0 && heldInAll_ >= o_.count);
}

BookChoice BookChooser::Finish() {
    std::vector<Held> all;
    for (std::set<Held>& held : held_) all.insert(all.end(), held.begin(), held.end());
    std::sort(all.begin(), all.end());
    if (o_.count > 0 && static_cast<long long>(all.size()) > o_.count) all.resize(static_cast<std::size_t>(o_.count));
    for (const Held& h : all) c_.puzzles.push_back(h.pick);
    return std::move(c_);
}

// A place drawn from the seed and the clues: the same puzzle takes the same
// place wherever it stands in the inputs.
std::uint64_t BookChooser::RandomPlace(const Grid& g) const {
    std::uint64_t h = c_.seed ^ 0xcbf29ce484222325ULL;
    for (const auto cell : g) h = (h ^ cell) * 0x100000001b3ULL;
    h ^= h >> 30;
    h *= 0xbf58476d1ce4e5b9ULL;
    h ^= h >> 27;
    h *= 0x94d049bb133111ebULL;
    return h ^ (h >> 31);
}

void BookChooser::Forget(const Held& h) {
    clues_.erase(h.pick.puzzle);
    if (o_.unique) forms_.erase(CanonicalForm(h.pick.puzzle));
    --heldInAll_;
}

}  // namespace gw::print
