// Cell and unit forcing chains.
//
// A base is a set of mutually exclusive assumptions of which one must hold:
// the candidates of one cell, or the places of one digit in one unit. Each
// assumption (branch) is followed through with singles on a private hypothesis
// table, never on the grid itself. Whatever every branch of a base agrees on
// (a candidate placed in every branch, or eliminated in every branch) is true,
// since the true branch is among them and singles only derive consequences.
//
// Within a branch, hidden singles are looked for only in the digit placed
// most recently; a hidden single of another digit is reached once a naked
// single has made that digit the current one. Contradictions are not looked
// for: a branch just stops when no single is left.
#include <array>
#include <bit>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "techniques/techniques.h"

namespace gw {

namespace {

// Hypothesis entries: 0 untouched, 1 placed, -1 eliminated.
using Hypothesis = std::array<std::array<std::int8_t, 9>, 81>;

// The candidates a branch placed and those it eliminated, bit 9 * cell +
// digit - 1 each: the order in which conclusions are looked for.
struct Outcome {
    std::array<std::uint64_t, 12> placed;
    std::array<std::uint64_t, 12> eliminated;
};

// One branch's hypothesis table with running counts that make the singles
// scans cheap: for each unit and digit, the cells that hold the digit with an
// untouched entry; for each cell, its candidates with an untouched entry.
class Branch {
public:
    Branch(const std::array<std::uint16_t, 81>& cand, const std::array<std::array<int, 9>, 27>& unitCount)
        : cand_(cand), unitCount_(unitCount) {}

    void Clear() {
        for (auto& row : h_) row.fill(0);
        outcome_.placed.fill(0);
        outcome_.eliminated.fill(0);
        unitOpen_ = unitCount_;
        for (int c = 0; c < 81; ++c) cellOpen_[c] = BitCount[cand_[c]];
    }

    // Marks the digit as placed in the cell, and as eliminated everywhere the
    // placement excludes it: the cell's other candidates, and the digit in
    // every peer that holds it.
    // With Record, the placement is also written down with its reason (the
    // unit of a hidden single, -1 otherwise) as the cause of every entry it
    // touches.
    template <bool Record = false>
    void AssumePlacement(int cell, int digit, int unit = -1) {
        if constexpr (Record) placements_.push_back({static_cast<std::uint8_t>(cell), static_cast<std::uint8_t>(digit),
                                                     static_cast<std::int8_t>(unit)});
        Touch<Record>(cell, digit, 1);
        for (int d = 1; d <= 9; ++d)
            if (h_[cell][d - 1] == 0 && Holds(cell, d)) Touch<Record>(cell, d, -1);
        for (int p : Peers[cell])
            if (h_[p][digit - 1] == 0 && Holds(p, digit)) Touch<Record>(p, digit, -1);
    }

    // Follows one assumption through with singles. With Record, every
    // placement is kept in order with the placement that touched each entry
    // first, for explanations (see Path).
    template <bool Record = false>
    void Propagate(int base, int digit) {
        Clear();
        if constexpr (Record) placements_.clear();
        AssumePlacement<Record>(base, digit);
        int current = digit;
        for (;;) {
            // Hidden single of the current digit: rows, then columns, then
            // boxes; after each placement the scan starts again at row 0.
            int unit = 0;
            while (unit < 27) {
                if (unitOpen_[unit][current - 1] != 1) {
                    ++unit;
                    continue;
                }
                for (int k = 0; k < 9; ++k) {
                    const int c = UnitCell(unit, k);
                    if (Holds(c, current) && h_[c][current - 1] == 0) {
                        AssumePlacement<Record>(c, current, unit);
                        break;
                    }
                }
                unit = 0;
            }
            // Naked single: the first cell, other than the base, left with one
            // untouched candidate.
            int single = -1;
            for (int c = 0; c < 81 && single < 0; ++c)
                if (c != base && cand_[c] != 0 && cellOpen_[c] == 1) single = c;
            if (single < 0) return;
            int d = 1;
            while (!(Holds(single, d) && h_[single][d - 1] == 0)) ++d;
            AssumePlacement<Record>(single, d);
            current = d;
        }
    }

    const Outcome& Result() const { return outcome_; }

    // One placement of a recorded branch; `unit` is where the digit had its
    // last place (a hidden single), -1 for the assumption or a cell's last
    // candidate.
    struct Placement {
        std::uint8_t cell, digit;
        std::int8_t unit;
    };

    // After a recorded Propagate: the placements that lead to the entry of
    // `digit` in `cell` (placed or eliminated), in the order they were made,
    // the assumption first. A placement needs the ones that touched the
    // entries its single rests on: the digit's other places in its unit, or
    // the cell's other candidates.
    std::vector<Placement> Path(int cell, int digit) const {
        std::vector<bool> needed(placements_.size(), false);
        std::vector<int> todo{cause_[cell][digit - 1]};
        while (!todo.empty()) {
            const int k = todo.back();
            todo.pop_back();
            if (k < 0 || needed[static_cast<std::size_t>(k)]) continue;
            needed[static_cast<std::size_t>(k)] = true;
            const Placement& p = placements_[static_cast<std::size_t>(k)];
            if (k == 0) continue;  // the assumption
            if (p.unit >= 0) {
                for (int i = 0; i < 9; ++i) {
                    const int c = UnitCell(p.unit, i);
                    if (c != p.cell && Holds(c, p.digit)) todo.push_back(cause_[c][p.digit - 1]);
                }
            } else {
                for (int d = 1; d <= 9; ++d)
                    if (d != p.digit && Holds(p.cell, d)) todo.push_back(cause_[p.cell][d - 1]);
            }
        }
        std::vector<Placement> out;
        for (std::size_t k = 0; k < placements_.size(); ++k)
            if (needed[k]) out.push_back(placements_[k]);
        return out;
    }

private:
    bool Holds(int cell, int d) const { return (cand_[cell] >> (d - 1)) & 1u; }

    template <bool Record = false>
    void Touch(int cell, int d, std::int8_t value) {
        if constexpr (Record) cause_[cell][d - 1] = static_cast<std::int16_t>(placements_.size() - 1);
        std::int8_t& e = h_[cell][d - 1];
        if (e == 0 && Holds(cell, d)) {
            for (int u : UnitsOfCell[cell]) --unitOpen_[u][d - 1];
            --cellOpen_[cell];
        }
        e = value;
        const int bit = 9 * cell + d - 1;
        const std::uint64_t mask = std::uint64_t{1} << (bit & 63);
        auto& set = value > 0 ? outcome_.placed : outcome_.eliminated;
        auto& other = value > 0 ? outcome_.eliminated : outcome_.placed;
        set[static_cast<std::size_t>(bit >> 6)] |= mask;
        other[static_cast<std::size_t>(bit >> 6)] &= ~mask;
    }

    const std::array<std::uint16_t, 81>& cand_;
    const std::array<std::array<int, 9>, 27>& unitCount_;
    Hypothesis h_{};
    Outcome outcome_{};
    std::array<std::array<int, 9>, 27> unitOpen_{};
    std::array<int, 81> cellOpen_{};
    // Recorded branches only: the placements in order, and for each entry
    // the index of the placement that touched it.
    std::vector<Placement> placements_;
    std::array<std::array<std::int16_t, 9>, 81> cause_;
};

// The step's size (its branches and the placements on their paths) and, for
// explanations, each branch of the base that gave the conclusion, from its
// assumption to the placement that decides the concluded entry, one chain
// per branch (its nodes are placements; a node's unit names the hidden
// single that made it).
void RecordBranches(GradeState& s, Branch& branch, const std::vector<std::pair<int, int>>& branches, int cell,
                    int digit) {
    // The steps inside a bivalue trial are neither scored nor explained.
    if (s.inTrial && s.pattern == nullptr) return;
    int nodes = 0;
    for (const auto& [bc, bd] : branches) {
        branch.Propagate<true>(bc, bd);
        const std::vector<Branch::Placement> path = branch.Path(cell, digit);
        nodes += static_cast<int>(path.size());
        if (s.pattern == nullptr) continue;
        PatternChain& chain = s.pattern->NewChain(Role::Branch);
        for (const Branch::Placement& step : path) {
            chain.Add(true, DigitBit(step.digit), {static_cast<int>(step.cell)});
            chain.nodes.back().unit = step.unit;
        }
    }
    s.stepSize.branches = static_cast<std::uint16_t>(branches.size());
    s.stepSize.nodes = static_cast<std::uint16_t>(nodes);
}

}  // namespace

bool TryForcingChain(GradeState& s) {
    // The candidates as they stand at the start of the call; nothing changes
    // them until a conclusion is applied, and the call returns right after.
    const std::array<std::uint16_t, 81> cand = s.CandMask;
    // For every unit (rows 0..8, columns 9..17, boxes 18..26) and digit, the
    // number of the unit's cells that hold the digit.
    std::array<std::array<int, 9>, 27> unitCount{};
    for (int c = 0; c < 81; ++c)
        for (int d = 1; d <= 9; ++d)
            if ((cand[c] >> (d - 1)) & 1u)
                for (int u : UnitsOfCell[c]) ++unitCount[u][d - 1];

    Branch branch(cand, unitCount);
    // What all branches of the base so far placed, and eliminated.
    Outcome agree{};

    // A branch depends only on its assumption: each one met again (a
    // candidate is a branch of its cell and of its three units) is taken
    // from the first time it was followed.
    const std::unique_ptr<Outcome[]> followed(new Outcome[729]);  // filled when first followed
    std::array<bool, 729> known{};
    auto addBranch = [&](int cell, int digit) {
        const int node = 9 * cell + digit - 1;
        Outcome& o = followed[static_cast<std::size_t>(node)];
        if (!known[static_cast<std::size_t>(node)]) {
            branch.Propagate(cell, digit);
            o = branch.Result();
            known[static_cast<std::size_t>(node)] = true;
        }
        for (std::size_t w = 0; w < 12; ++w) {
            agree.placed[w] &= o.placed[w];
            agree.eliminated[w] &= o.eliminated[w];
        }
    };
    auto newBase = [&] {
        agree.placed.fill(~std::uint64_t{0});
        agree.eliminated.fill(~std::uint64_t{0});
    };

    // After the branches of a base: the first candidate on which all n agree.
    // A candidate eliminated in every branch goes; a digit placed in every
    // branch leaves its cell as the only candidate (the next singles pass
    // places it). True when something was removed.
    std::string verdict;  // explanations: what every branch agrees on
    int concluded = -1;   // and the entry, 9 * cell + digit - 1
    auto conclude = [&](int n) -> int {
        if (n <= 1) return -1;
        // The first candidate (cells ascending, digits ascending) that every
        // branch placed or every branch eliminated.
        int first = 729;
        for (std::size_t w = 0; w < 12 && first == 729; ++w) {
            std::uint64_t any = agree.placed[w] | agree.eliminated[w];
            if (w == 11) any &= (std::uint64_t{1} << (729 - 704)) - 1;
            if (any != 0) first = static_cast<int>(64 * w) + std::countr_zero(any);
        }
        if (first == 729) return -1;
        const int c = first / 9;
        const int d = first % 9 + 1;
        const bool placed = (agree.placed[static_cast<std::size_t>(first >> 6)] >> (first & 63)) & 1u;
        concluded = first;
        if (s.pattern != nullptr)
            verdict = "every branch " + std::string(placed ? "places " : "removes ") + std::to_string(d) +
                      (placed ? " in r" : " from r") + std::to_string(RowOf[c] + 1) + "c" + std::to_string(ColOf[c] + 1);
        if (!placed) return RemoveCandidate(s, d, c) ? 1 : 0;
        bool any = false;
        for (int e = 1; e <= 9; ++e)
            if (e != d && ((cand[c] >> (e - 1)) & 1u)) any = RemoveCandidate(s, e, c) || any;
        return any ? 1 : 0;
    };

    // Cell bases: each candidate of the cell in turn.
    for (int c = 0; c < 81; ++c) {
        const int n = BitCount[cand[c]];
        if (n <= 1) continue;  // a single branch agrees with itself only
        s.Pump();
        newBase();
        for (int d = 1; d <= 9; ++d)
            if ((cand[c] >> (d - 1)) & 1u) addBranch(c, d);
        const int result = conclude(n);
        if (result == 1) {
            if (s.pattern != nullptr) s.pattern->Kind(PatternKind::Forcing).Cell(c, cand[c], Role::Source).note = verdict;
            std::vector<std::pair<int, int>> branches;
            for (int d = 1; d <= 9; ++d)
                if ((cand[c] >> (d - 1)) & 1u) {
                    if (s.pattern != nullptr) s.pattern->Cell(c, DigitBit(d), Role::Branch);
                    branches.push_back({c, d});
                }
            RecordBranches(s, branch, branches, concluded / 9, concluded % 9 + 1);
        }
        if (result >= 0) return result == 1;
    }

    // Unit bases: each place of the digit in the unit in turn; digits
    // ascending, and for each digit rows, columns, then boxes.
    for (int d = 1; d <= 9; ++d)
        for (int u = 0; u < 27; ++u) {
            const int n = unitCount[u][d - 1];
            if (n <= 1) continue;
            s.Pump();
            newBase();
            for (int k = 0; k < 9; ++k) {
                const int c = UnitCell(u, k);
                if ((cand[c] >> (d - 1)) & 1u) addBranch(c, d);
            }
            const int result = conclude(n);
            if (result == 1) {
                if (s.pattern != nullptr)
                    s.pattern->Kind(PatternKind::Forcing).Digit(d).Unit(u, Role::Source, DigitBit(d)).note = verdict;
                std::vector<std::pair<int, int>> branches;
                for (int k = 0; k < 9; ++k)
                    if ((cand[UnitCell(u, k)] >> (d - 1)) & 1u) {
                        if (s.pattern != nullptr) s.pattern->Cell(UnitCell(u, k), DigitBit(d), Role::Branch);
                        branches.push_back({UnitCell(u, k), d});
                    }
                RecordBranches(s, branch, branches, concluded / 9, concluded % 9 + 1);
            }
            if (result >= 0) return result == 1;
        }
    return false;
}

}  // namespace gw
