#include "generator/near_copies.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "model/canonical.h"
#include "model/levels.h"

namespace gw {

int GivenCount(const Grid& puzzle) {
    return static_cast<int>(std::count_if(puzzle.begin(), puzzle.end(), [](std::uint8_t d) { return d != 0; }));
}

int SharedGivens(const Grid& a, const Grid& b) {
    int n = 0;
    for (int c = 0; c < 81; ++c) n += a[c] != 0 && a[c] == b[c];
    return n;
}

int SharedLimit::Most(int n, int m) const {
    switch (kind) {
        case Kind::Off: return 81;
        case Kind::Count: return count;
        case Kind::Share: break;
    }
    // A small allowance for the rounding of shares such as 1/3.
    return static_cast<int>(std::floor(share * std::min(n, m) + 1e-9));
}

std::string SharedLimit::Text() const {
    switch (kind) {
        case Kind::Off: return "off";
        case Kind::Count: return std::to_string(count) + " givens";
        case Kind::Share: break;
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g of the givens", share);
    return buf;
}

bool ParseSharedLimit(const std::string& text, SharedLimit& limit, std::string& error) {
    if (text == "off" || text == "none") {
        limit.kind = SharedLimit::Kind::Off;
        return true;
    }
    const char* begin = text.c_str();
    char* end = nullptr;
    const double value = std::strtod(begin, &end);
    const std::string rest = end;
    const bool whole = text.find_first_not_of("0123456789") == std::string::npos;
    if (!text.empty() && whole && text.size() <= 2 && value <= 81) {
        limit.kind = SharedLimit::Kind::Count;
        limit.count = static_cast<int>(value);
        return true;
    }
    if (end != begin && (rest.empty() || rest == "%") && std::isfinite(value)) {
        const double share = rest == "%" ? value / 100 : value;
        if (share >= 0 && share <= 1) {
            limit.kind = SharedLimit::Kind::Share;
            limit.share = share;
            return true;
        }
    }
    error = "'" + text + "' is neither a share of the givens (0 to 1, or 0% to 100%), a count of givens (0 to 81) "
            "nor off";
    return false;
}

void GivenIndex::Add(const Grid& puzzle) {
    const auto id = static_cast<std::uint32_t>(givens_.size());
    for (int c = 0; c < 81; ++c)
        if (puzzle[c] != 0) lists_[static_cast<std::size_t>(9 * c + puzzle[c] - 1)].push_back(id);
    givens_.push_back(static_cast<std::uint8_t>(GivenCount(puzzle)));
    shared_.push_back(0);
}

template <typename Over>
bool GivenIndex::Count(const Grid& puzzle, Over over) const {
    std::fill(shared_.begin(), shared_.end(), 0);
    for (int c = 0; c < 81; ++c) {
        if (puzzle[c] == 0) continue;
        for (const std::uint32_t id : lists_[static_cast<std::size_t>(9 * c + puzzle[c] - 1)])
            if (over(id, ++shared_[id])) return false;
    }
    return true;
}

bool GivenIndex::Far(const Grid& puzzle, const SharedLimit& limit) const {
    if (!limit.On() || givens_.empty()) return true;
    const int n = GivenCount(puzzle);
    std::array<int, 82> most{};
    for (int m = 0; m <= 81; ++m) most[static_cast<std::size_t>(m)] = limit.Most(n, m);
    return Count(puzzle, [&](std::uint32_t id, int shared) { return shared > most[givens_[id]]; });
}

double GivenIndex::LargestShare(const Grid& puzzle, int skip) const {
    Count(puzzle, [](std::uint32_t, int) { return false; });
    const int n = GivenCount(puzzle);
    double largest = 0;
    for (std::size_t id = 0; id < givens_.size(); ++id) {
        if (static_cast<int>(id) == skip || shared_[id] == 0) continue;
        largest = std::max(largest, static_cast<double>(shared_[id]) / std::min<int>(n, givens_[id]));
    }
    return largest;
}

NearCopyGuard::NearCopyGuard(const SharedLimit& limit, bool unique) : limit_(limit), unique_(unique) {}

void NearCopyGuard::AddStored(const Grid& puzzle, int level) {
    if (level < 1 || level > 9) return;
    std::lock_guard lock(mutex_);
    const auto l = static_cast<std::size_t>(level);
    if (limit_.On()) index_[l].Add(puzzle);
    if (unique_) forms_[l].insert(CanonicalForm(puzzle));
}

bool NearCopyGuard::FarLocked(const Grid& puzzle, int level, Grid* form) {
    const auto l = static_cast<std::size_t>(level);
    if (limit_.On() && !index_[l].Far(puzzle, limit_)) return false;
    if (!unique_) return true;
    *form = CanonicalForm(puzzle);
    return forms_[l].count(*form) == 0;
}

bool NearCopyGuard::Admit(const Grid& puzzle, int level) {
    if (!Active()) return true;
    if (level < 1 || level > 9) return false;
    std::lock_guard lock(mutex_);
    Grid form{};
    if (!FarLocked(puzzle, level, &form)) {
        ++turnedAway_;
        return false;
    }
    const auto l = static_cast<std::size_t>(level);
    if (limit_.On()) index_[l].Add(puzzle);
    if (unique_) forms_[l].insert(form);
    return true;
}

bool NearCopyGuard::Near(const Grid& puzzle, unsigned levels) {
    if (!limit_.On() || (levels & kAllLevels) == 0) return false;
    std::lock_guard lock(mutex_);
    for (std::size_t l = 1; l <= 9; ++l)
        if ((levels >> l) & 1u && index_[l].Far(puzzle, limit_)) return false;
    return true;
}

long long NearCopyGuard::turnedAway() const {
    std::lock_guard lock(mutex_);
    return turnedAway_;
}

}  // namespace gw
