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
    void AssumePlacement(int cell, int digit) {
        Touch(cell, digit, 1);
        for (int d = 1; d <= 9; ++d)
            if (h_[cell][d - 1] == 0 && Holds(cell, d)) Touch(cell, d, -1);
        for (int p : Peers[cell])
            if (h_[p][digit - 1] == 0 && Holds(p, digit)) Touch(p, digit, -1);
    }

    // Follows one assumption through with singles.
    void Propagate(int base, int digit) {
        Clear();
        AssumePlacement(base, digit);
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
                        AssumePlacement(c, current);
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
            AssumePlacement(single, d);
            current = d;
        }
    }

    const Outcome& Result() const { return outcome_; }

private:
    bool Holds(int cell, int d) const { return (cand_[cell] >> (d - 1)) & 1u; }

    void Touch(int cell, int d, std::int8_t value) {
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
};

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
        if (result == 1 && s.pattern != nullptr) {
            s.pattern->Kind(PatternKind::Forcing).Cell(c, cand[c], Role::Source).note = verdict;
            for (int d = 1; d <= 9; ++d)
                if ((cand[c] >> (d - 1)) & 1u) s.pattern->Cell(c, DigitBit(d), Role::Branch);
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
            if (result == 1 && s.pattern != nullptr) {
                s.pattern->Kind(PatternKind::Forcing).Digit(d).Unit(u, Role::Source, DigitBit(d)).note = verdict;
                for (int k = 0; k < 9; ++k)
                    if ((cand[UnitCell(u, k)] >> (d - 1)) & 1u) s.pattern->Cell(UnitCell(u, k), DigitBit(d), Role::Branch);
            }
            if (result >= 0) return result == 1;
        }
    return false;
}

}  // namespace gw
