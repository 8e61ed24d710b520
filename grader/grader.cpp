#include "grader/grader.h"

#include <algorithm>
#include <cassert>
#include <cctype>
#include <charconv>

#include "grader/trial_explain.h"
#include "model/state_check.h"
#include "techniques/techniques.h"

namespace gw {

bool RunRung(GradeState& s, int rung) {
    if (s.RungDisabled(rung)) return false;
    const std::uint64_t before = s.changes;
#ifndef NDEBUG
    // Rungs keep a whole state whole; a state made by hand (tests, fuzzing)
    // may be broken before any rung touches it.
    const bool whole = StateIsWhole(s);
#endif
    const bool progress = kLadder[static_cast<std::size_t>(rung - 1)].run(s);
    assert((!whole || StateIsWhole(s)) && "a rung broke the grading state");
    // A rung that claims progress without changing anything would make the
    // driver loop forever on the same state: treat it as stuck.
    return progress && s.changes != before;
}

namespace {

// Grades from the bare puzzle, or from `from` when it is given; stops once
// `stepLimit` steps are recorded.
int Grade(GradeState& s, const Grid& puzzle, const Position* from, std::vector<Step>* steps, GradeTrace* trace,
          std::size_t stepLimit) {
    int level = 1;
    // The caller's hooks and settings, with the driver's own log of each pass.
    GradeRun* const caller = s.run;
    GradeRun pass = caller != nullptr ? *caller : GradeRun{};
    std::vector<Change>* const userLog = pass.log;
    pass.log = nullptr;
    s.run = &pass;
    if (from != nullptr) ResetGradeState(s, *from);
    else ResetGradeState(s, puzzle);

    std::vector<Change> passLog;
    Pattern pattern;
    Pattern* const outerPattern = s.pattern;
    s.pattern = steps != nullptr ? &pattern : nullptr;
    for (;;) {
        if (IsSolved(s)) break;
        s.Pump();
        if (s.Halted()) {
            s.HaltSeen();
            level = 0;
            break;
        }
        passLog.clear();
        pass.log = (steps != nullptr || userLog != nullptr) ? &passLog : nullptr;
        int made = 0;
        std::uint64_t before = s.changes;
        bool stop = false;
        for (const Rung& r : kLadder) {
            if (r.number < kRungCount && r.level > level) level = r.level;
            // The level never falls: once above what the caller asks about,
            // the rest of the grading cannot matter to it.
            if (trace != nullptr && level > trace->stopAbove) {
                stop = true;
                break;
            }
            s.stepNote = nullptr;
            s.stepSize = {};
            if (s.pattern != nullptr) s.pattern->Clear();
            before = s.changes;
            if (RunRung(s, r.number)) {
                made = r.number;
                break;
            }
        }
        // Every placement and removal of a step is in its log (the trial logs
        // its assumption and the cells it filled instead of its own steps).
        assert(made == 0 || made == kRungCount || pass.log == nullptr || passLog.size() == s.changes - before);
        (void)before;
        pass.log = nullptr;
        if (stop) {
            trace->stopped = true;
            break;
        }
        if (made == 0) {
            level = 9;
            break;
        }
        if (userLog != nullptr) userLog->insert(userLog->end(), passLog.begin(), passLog.end());
        if (trace != nullptr) {
            trace->rungs.push_back(made);
            trace->sizes.push_back(s.stepSize);
        }
        if (steps != nullptr) {
            const Rung& r = kLadder[static_cast<std::size_t>(made - 1)];
            steps->push_back({made, s.stepNote != nullptr ? s.stepNote : r.player, passLog, std::move(pattern)});
            steps->back().size = s.stepSize;
            if (steps->size() >= stepLimit) break;
        }
    }
    s.run = caller;
    s.pattern = outerPattern;
    return level;
}

}  // namespace

int GradePuzzle(GradeState& s, const Grid& puzzle, std::vector<Step>* steps) {
    return Grade(s, puzzle, nullptr, steps, nullptr, static_cast<std::size_t>(-1));
}

int GradePuzzle(GradeState& s, const Grid& puzzle, GradeTrace& trace) { return GradePuzzle(s, puzzle, nullptr, trace); }

int GradePuzzle(GradeState& s, const Grid& puzzle, std::vector<Step>* steps, GradeTrace& trace) {
    trace.rungs.clear();
    trace.sizes.clear();
    trace.stopped = false;
    return Grade(s, puzzle, nullptr, steps, &trace, static_cast<std::size_t>(-1));
}

int GradeFrom(GradeState& s, const Position& from, std::vector<Step>* steps, std::size_t stepLimit) {
    return Grade(s, from.givens, &from, steps, nullptr, stepLimit);
}

int GradeFrom(GradeState& s, const Position& from, std::vector<Step>* steps, GradeTrace& trace) {
    trace.rungs.clear();
    trace.sizes.clear();
    trace.stopped = false;
    return Grade(s, from.givens, &from, steps, &trace, static_cast<std::size_t>(-1));
}

namespace {

std::string CellText(int c) { return {'r', static_cast<char>('1' + c / 9), 'c', static_cast<char>('1' + c % 9)}; }

}  // namespace

std::string PositionError(const Position& from, const Grid& solution) {
    for (int c = 0; c < 81; ++c)
        if (from.givens[c] != 0 && from.grid[c] != from.givens[c])
            return "the given " + std::to_string(from.givens[c]) + " of " + CellText(c) + " is missing";
    for (int c = 0; c < 81; ++c)
        if (from.grid[c] != 0 && from.grid[c] != solution[c])
            return CellText(c) + " holds " + std::to_string(from.grid[c]) + ", which is wrong";
    for (int c = 0; c < 81; ++c)
        if (from.grid[c] == 0 && from.marks[c] != 0 && !(from.marks[c] & DigitBit(solution[c])))
            return "the candidate " + std::to_string(solution[c]) + " of " + CellText(c) +
                   " was removed, but it is that cell's digit";
    return {};
}

bool BivalueTrial(GradeState& s) {
    // Two-candidate cells, computed once: failed trials restore the state, so
    // the set stays valid for every later trial.
    std::array<bool, 81> bivalue{};
    for (int c = 0; c < 81; ++c) bivalue[c] = BitCount[s.CandMask[c]] == 2;

    // The trial's own steps rest on an assumption: they run without the log.
    GradeRun* const outer = s.run;
    std::vector<Change>* const outerLog = s.Log();
    GradeRun quiet = outer != nullptr ? *outer : GradeRun{};
    quiet.log = nullptr;
    int tries = 0;
    for (int d = 1; d <= 9; ++d) {
        for (int c = 0; c < 81; ++c) {
            if (s.CandFlags(c, d) && bivalue[c]) {
                const Grid before = s.SolveGrid;
                const Masks beforeMasks = s.CandMask;
                s.run = &quiet;
                const bool solved = TrialSolve(s, d, c);
                s.run = outer;
                if (solved) {
                    // The trial's size: the passes that filled the grid (left
                    // by TrialSolve) and the assumptions tried before this one.
                    s.stepSize = {.fill = s.stepSize.fill, .tries = static_cast<std::uint16_t>(tries)};
                    if (s.pattern != nullptr) RecordTrial(s, before, beforeMasks, d, c, *s.pattern);
                    if (outerLog != nullptr) {
                        outerLog->push_back({'T', static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(d)});
                        for (int x = 0; x < 81; ++x)
                            if (before[x] == 0 && s.SolveGrid[x] != 0)
                                outerLog->push_back({'P', static_cast<std::uint8_t>(x), s.SolveGrid[x]});
                    }
                    // The trial's placements are the rung's progress.
                    return true;
                }
                ++tries;
            }
            if (s.Halted()) {
                s.HaltSeen();
                return false;
            }
        }
    }
    return false;
}

bool TrialSolve(GradeState& s, int digit, int cell) {
    assert(!s.inTrial && "trials do not nest");
    // The steps inside a trial are not the trial's own: they neither name it
    // nor describe its pattern.
    struct KeepOwn {
        GradeState& s;
        const char* note = s.stepNote;
        Pattern* pattern = s.pattern;
        ~KeepOwn() {
            s.stepNote = note;
            s.pattern = pattern;
        }
    } keep{s};
    s.pattern = nullptr;
    // The undo record: a failed trial leaves the state exactly as it found it.
    const Grid savedGrid = s.SolveGrid;
    const Masks savedCands = s.CandMask;
    s.inTrial = true;
    PlaceDigit(s, digit, cell);
    int passes = 0;
    for (;;) {
        if (IsSolved(s)) {
            s.inTrial = false;
            s.stepSize.fill = static_cast<std::uint16_t>(passes);
            return true;
        }
        if (s.Halted()) {
            s.HaltSeen();
            s.inTrial = false;
            return false;
        }
        s.Pump();
        bool progress = false;
        for (int rung = 1; rung < kRungCount; ++rung) {
            if (RunRung(s, rung)) {
                progress = true;
                ++passes;
                break;
            }
        }
        if (!progress) {
            s.SolveGrid = savedGrid;
            s.CandMask = savedCands;
            s.inTrial = false;
            return false;
        }
    }
}

namespace {

std::string Squash(std::string_view text) {
    std::string out;
    for (char ch : text)
        if (std::isalnum(static_cast<unsigned char>(ch)))
            out.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(ch))));
    return out;
}

bool ParseInt(std::string_view t, int& v) {
    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    return ec == std::errc() && p == t.data() + t.size();
}

// True when one of the rung's comma-separated aliases squashes to `key`.
bool HasAlias(const Rung& r, const std::string& key) {
    std::string_view rest = r.aliases;
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        if (Squash(rest.substr(0, comma)) == key) return true;
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    return false;
}

}  // namespace

bool ParseRungList(std::string_view text, RungSet& out, std::string& error) {
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t comma = text.find(',', pos);
        if (comma == std::string_view::npos) comma = text.size();
        std::string_view item = text.substr(pos, comma - pos);
        while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
        while (!item.empty() && item.back() == ' ') item.remove_suffix(1);
        pos = comma + 1;
        if (item.empty()) continue;
        int a = 0, b = 0;
        const std::size_t dash = item.find('-');
        if (ParseInt(item, a)) {
            b = a;
        } else if (dash != std::string_view::npos && ParseInt(item.substr(0, dash), a) &&
                   ParseInt(item.substr(dash + 1), b)) {
        } else {
            const std::string key = Squash(item);
            bool found = false;
            for (const Rung& r : kLadder) {
                if (Squash(r.technique) == key || Squash(r.player) == key || HasAlias(r, key)) {
                    out.set(static_cast<std::size_t>(r.number));
                    found = true;
                }
            }
            if (!found) {
                error = "unknown technique or rung: " + std::string(item);
                return false;
            }
            continue;
        }
        if (a < 1 || b > kRungCount || a > b) {
            error = "rung out of range 1-" + std::to_string(kRungCount) + ": " + std::string(item);
            return false;
        }
        for (int r = a; r <= b; ++r) out.set(static_cast<std::size_t>(r));
    }
    return true;
}

}  // namespace gw
