#include "grader/trial_explain.h"

#include <array>

namespace gw {

bool FindContradiction(const GradeState& s, Pattern& p) {
    for (int c = 0; c < 81; ++c) {
        if (s.SolveGrid[c] == 0 && s.CandMask[c] == 0) {
            p.Cell(c, 0, Role::Contradiction);
            return true;
        }
    }
    for (int u = 0; u < 27; ++u) {
        unsigned present = 0;
        for (int k = 0; k < 9; ++k) {
            const int c = UnitCell(u, k);
            present |= s.CandMask[c];
            if (s.SolveGrid[c] != 0) present |= DigitBit(s.SolveGrid[c]);
        }
        if (present != kAllDigits) {
            const int d = LowestDigit(kAllDigits & ~present);
            p.Unit(u, Role::Contradiction, DigitBit(d));
            return true;
        }
    }
    return false;
}

namespace {

// A scratch copy of the grading state's grid, candidates and givens, with
// its own run: no hooks, no log, the rungs `disabled` switched off.
struct Scratch {
    GradeRun run;
    GradeState t;
    Scratch(const Grid& grid, const Masks& masks, const Grid& givens, const RungSet& disabled) {
        run.disabledRungs = disabled;
        t.SolveGrid = grid;
        t.CandMask = masks;
        t.Givens = givens;
        t.run = &run;
    }
};

// Runs rungs 1..41 pass by pass, as the trial does, until `done` holds or
// they are stuck; with `out`, each pass that makes progress is a step.
template <typename Done>
void RunPasses(Scratch& x, std::vector<Step>* out, Done done) {
    std::vector<Change> log;
    Pattern pattern;
    x.run.log = out != nullptr ? &log : nullptr;
    x.t.pattern = out != nullptr ? &pattern : nullptr;
    while (!done(x.t)) {
        log.clear();
        int made = 0;
        for (int rung = 1; rung < kRungCount && made == 0; ++rung) {
            x.t.stepNote = nullptr;
            pattern.Clear();
            if (RunRung(x.t, rung)) made = rung;
        }
        if (made == 0) break;
        if (out != nullptr)
            out->push_back({made, x.t.stepNote != nullptr ? x.t.stepNote : RungNumbered(made).player, log,
                            std::move(pattern)});
    }
    x.run.log = nullptr;
    x.t.pattern = nullptr;
}

}  // namespace

void RecordTrial(const GradeState& s, const Grid& grid, const Masks& masks, int digit, int cell, Pattern& p) {
    p.Kind(PatternKind::Trial).Digit(digit).Cell(cell, DigitBit(digit), Role::Assumption);
    const unsigned other = masks[cell] & ~DigitBit(digit);
    if (other == 0) return;
    const int e = LowestDigit(other);
    p.Cell(cell, DigitBit(e), Role::Branch);
    Scratch x(grid, masks, s.Givens, s.run != nullptr ? s.run->disabledRungs : RungSet{});
    PlaceDigit(x.t, e, cell);
    RunPasses(x, nullptr, [&](const GradeState& t) { return FindContradiction(t, p) || IsSolved(t); });
}

namespace {

constexpr int kHiddenSingle = RungNamed("Hidden Single").number;
constexpr int kNakedSingle = RungNamed("Naked Single").number;
constexpr int kAssumption = -1, kNobody = -2;

// Which step of a refutation first took each candidate away: kAssumption,
// the step's index, or kNobody.
class Takers {
public:
    explicit Takers(const Masks& start) : masks_(start) {
        for (auto& cell : by_) cell.fill(kNobody);
    }
    void Apply(const Change& ch, int who) {
        if (ch.kind == 'R') {
            Take(ch.cell, DigitBit(ch.digit), who);
            return;
        }
        Take(ch.cell, masks_[ch.cell], who);
        for (int p : Peers[ch.cell]) Take(p, DigitBit(ch.digit), who);
    }
    int Of(int cell, int digit) const { return by_[cell][digit]; }

private:
    void Take(int cell, unsigned bits, int who) {
        for (int d = 1; d <= 9; ++d)
            if ((bits & masks_[cell] & DigitBit(d)) && by_[cell][d] == kNobody) by_[cell][d] = who;
        masks_[cell] = static_cast<std::uint16_t>(masks_[cell] & ~bits);
    }
    Masks masks_;
    std::array<std::array<int, 10>, 81> by_{};
};

// The steps of `steps` the contradiction `why` rests on, in their order.
std::vector<Step> NeededSteps(std::vector<Step>& steps, const Masks& start, int cell, int digit, const Pattern& why) {
    Takers takers(start);
    takers.Apply({'P', static_cast<std::uint8_t>(cell), static_cast<std::uint8_t>(digit)}, kAssumption);
    for (std::size_t k = 0; k < steps.size(); ++k)
        for (const Change& ch : steps[k].changes) takers.Apply(ch, static_cast<int>(k));

    std::vector<bool> kept(steps.size(), false);
    std::vector<int> todo;
    auto need = [&](int c, int d) {
        const int who = takers.Of(c, d);
        if (who >= 0 && !kept[static_cast<std::size_t>(who)]) {
            kept[static_cast<std::size_t>(who)] = true;
            todo.push_back(who);
        }
    };
    // Every candidate the contradiction misses was taken by someone.
    auto needDigitOfUnit = [&](int u, int d, int except) {
        for (int k = 0; k < 9; ++k) {
            const int x = UnitCell(u, k);
            if (x != except && (start[x] & DigitBit(d))) need(x, d);
        }
    };
    auto needCellBut = [&](int c, int except) {
        for (int d = 1; d <= 9; ++d)
            if (d != except && (start[c] & DigitBit(d))) need(c, d);
    };
    for (const PatternCell& c : why.cells)
        if (c.role == Role::Contradiction) needCellBut(c.cell, 0);
    for (const PatternUnit& u : why.units)
        if (u.role == Role::Contradiction) needDigitOfUnit(u.unit, LowestDigit(u.digits), -1);

    while (!todo.empty()) {
        const auto k = static_cast<std::size_t>(todo.back());
        todo.pop_back();
        const Step& st = steps[k];
        const Change placed = st.changes.at(0);
        if (st.rung == kHiddenSingle && !st.pattern.units.empty()) {
            needDigitOfUnit(st.pattern.units[0].unit, placed.digit, placed.cell);
        } else if (st.rung == kNakedSingle) {
            needCellBut(placed.cell, placed.digit);
        } else {
            // A harder step rests on the whole state it found.
            for (std::size_t j = 0; j < k; ++j)
                if (!kept[j]) {
                    kept[j] = true;
                    todo.push_back(static_cast<int>(j));
                }
        }
    }
    std::vector<Step> out;
    for (std::size_t k = 0; k < steps.size(); ++k)
        if (kept[k]) out.push_back(std::move(steps[k]));
    return out;
}

// The refutation as a chain of the picture: the assumption, then each kept
// step's placements (or, for a step that only removes, its removals) as one
// node.
PatternChain RefutationChain(int cell, int digit, const std::vector<Step>& refutation) {
    PatternChain chain;
    chain.role = Role::Contradiction;
    chain.Add(true, DigitBit(digit), {cell});
    for (const Step& st : refutation) {
        ChainNode node;
        bool places = false;
        for (const Change& ch : st.changes) places = places || ch.kind == 'P';
        for (const Change& ch : st.changes) {
            if ((ch.kind == 'P') != places) continue;
            node.digits = static_cast<std::uint16_t>(node.digits | DigitBit(ch.digit));
            node.cells.push_back(ch.cell);
        }
        node.removal = !places;
        if (st.rung == kHiddenSingle && !st.pattern.units.empty())
            node.unit = static_cast<std::int8_t>(st.pattern.units[0].unit);
        chain.strong.push_back(true);
        chain.nodes.push_back(std::move(node));
    }
    return chain;
}

}  // namespace

void ExplainTrial(const Grid& puzzle, std::vector<Step>& steps, const RungSet& disabled) {
    ExplainTrial(StartOf(puzzle), steps, disabled);
}

void ExplainTrial(const Position& from, std::vector<Step>& steps, const RungSet& disabled) {
    // The trial fills the grid: when there is one, it is the last step.
    if (steps.empty() || steps.back().rung != kRungCount) return;
    GradeState s;
    ResetGradeState(s, from);
    for (Step& st : steps) {
        if (st.rung != kRungCount) {
            for (const Change& ch : st.changes) {
                if (ch.kind == 'R') RemoveCandidate(s, ch.digit, ch.cell);
                else PlaceDigit(s, ch.digit, ch.cell);
            }
            continue;
        }
        const Change assumed = st.changes.at(0);
        const int cell = assumed.cell, digit = assumed.digit;
        st.fill.clear();
        st.refutation.clear();
        // The kept assumption: the ladder's steps up to the solved grid.
        Scratch kept(s.SolveGrid, s.CandMask, s.Givens, disabled);
        PlaceDigit(kept.t, digit, cell);
        RunPasses(kept, &st.fill, [](const GradeState& t) { return IsSolved(t); });
        // The other candidate: the steps up to the contradiction, then only
        // those it rests on.
        const unsigned other = s.CandMask[cell] & ~DigitBit(digit);
        if (other == 0) return;
        const int e = LowestDigit(other);
        Scratch refuted(s.SolveGrid, s.CandMask, s.Givens, disabled);
        PlaceDigit(refuted.t, e, cell);
        std::vector<Step> all;
        Pattern why;
        RunPasses(refuted, &all, [&](const GradeState& t) { return FindContradiction(t, why) || IsSolved(t); });
        if (why.cells.empty() && why.units.empty()) return;  // stuck: no contradiction to show
        st.refutation = NeededSteps(all, s.CandMask, cell, e, why);
        st.pattern.chains.push_back(RefutationChain(cell, e, st.refutation));
        return;  // the trial fills the grid: it is the last step
    }
}

}  // namespace gw
