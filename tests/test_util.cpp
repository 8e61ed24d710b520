// The shared test helpers' bodies, compiled once for every test file.
#include "test_util.h"

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace gw::test {

Grid ParseGrid(std::string_view text) {
    Grid g{};
    int n = 0;
    for (char ch : text) {
        if (n == 81) break;
        if (ch >= '1' && ch <= '9') g[n++] = static_cast<std::uint8_t>(ch - '0');
        else if (ch == '.' || ch == '0') g[n++] = 0;
    }
    EXPECT_EQ(n, 81) << "grid text too short: " << text;
    return g;
}

std::string GridText(const Grid& g) {
    std::string s(81, '.');
    for (int c = 0; c < 81; ++c)
        if (g[c]) s[c] = static_cast<char>('0' + g[c]);
    return s;
}

std::uint16_t Mask(std::string_view digits) {
    std::uint16_t m = 0;
    for (char ch : digits) m |= DigitBit(ch - '0');
    return m;
}

std::string CellName(int cell) {
    return {'r', static_cast<char>('1' + cell / 9), 'c', static_cast<char>('1' + cell % 9)};
}

std::vector<std::pair<Grid, Grid>> LoadSharedPuzzles(const std::string& file) {
    std::vector<std::pair<Grid, Grid>> out;
    const std::string path = std::string(GRIDWICK_TEST_DATA) + "/" + file;
    std::ifstream in(path);
    if (!in) throw std::runtime_error("test data missing: " + path);
    std::string p, sol;
    while (in >> p >> sol) out.emplace_back(ParseGrid(p), ParseGrid(sol));
    if (out.empty()) throw std::runtime_error("test data holds no puzzle: " + path);
    return out;
}

std::vector<std::pair<Grid, Grid>> FirstSharedPuzzles(std::size_t count) {
    auto puzzles = LoadSharedPuzzles();
    EXPECT_GE(puzzles.size(), count);
    puzzles.resize(std::min(puzzles.size(), count));
    return puzzles;
}

std::vector<std::pair<Grid, Grid>> SharedAndGenerated(int count, std::uint64_t seed) {
    auto puzzles = LoadSharedPuzzles();
    const auto generated = GeneratedPuzzles(count, seed);
    puzzles.insert(puzzles.end(), generated.begin(), generated.end());
    return puzzles;
}

bool IsSymmetric(const Grid& puzzle) {
    for (int c = 0; c <= 40; ++c)
        if ((puzzle[c] == 0) != (puzzle[80 - c] == 0)) return false;
    return true;
}

void ExpectSymmetricUniquePairMinimal(const Grid& puzzle, const Grid& solution) {
    Grid found{};
    ASSERT_EQ(CountSolutions(puzzle, 2, &found), 1) << GridText(puzzle);
    EXPECT_EQ(found, solution);
    for (int c = 0; c <= 40; ++c) {
        ASSERT_EQ(puzzle[c] == 0, puzzle[80 - c] == 0) << "not symmetric at " << c << ": " << GridText(puzzle);
        if (puzzle[c] == 0) continue;
        EXPECT_EQ(puzzle[c], solution[c]);
        Grid less = puzzle;
        less[c] = less[80 - c] = 0;
        EXPECT_FALSE(HasUniqueSolution(less)) << "pair " << c << " could still be removed: " << GridText(puzzle);
    }
}

bool Contradicts(const Change& ch, const Grid& solution) {
    return (ch.kind == 'P' || ch.kind == 'T') ? solution[ch.cell] != ch.digit : solution[ch.cell] == ch.digit;
}

RungSet RungsOffFrom(int first, int keep) {
    RungSet off;
    for (int r = first; r <= kRungCount; ++r) off.set(static_cast<std::size_t>(r));
    if (keep != 0) off.reset(static_cast<std::size_t>(keep));
    return off;
}

RungSet OnlySinglesSubsetsAnd(std::initializer_list<int> more) {
    RungSet off;
    for (const Rung& r : kLadder) {
        const std::string_view t = r.technique;
        if (t != "TryHiddenSingle" && t != "TryNakedSingle" && t != "TrySubset")
            off.set(static_cast<std::size_t>(r.number));
    }
    for (int r : more) off.reset(static_cast<std::size_t>(r));
    return off;
}

RungSet RungsOff(std::initializer_list<int> rungs) {
    RungSet off;
    for (int r : rungs) off.set(static_cast<std::size_t>(r));
    return off;
}

RungUse CountRungSteps(const std::vector<std::pair<Grid, Grid>>& puzzles, int rung,
                       const RungSet& disabled) {
    RungUse use;
    for (const auto& [puzzle, solution] : puzzles) {
        const auto rep = GradeAndCheck(puzzle, solution, disabled);
        use.unsound += rep.unsound;
        for (const Step& st : rep.steps) use.steps += st.rung == rung;
        if (use.unsound > 5) break;
    }
    std::printf("rung %d made progress %d times in %zu gradings\n", rung, use.steps, puzzles.size());
    return use;
}

void ExpectSoundProgress(const std::vector<std::pair<Grid, Grid>>& puzzles, int rung,
                         const RungSet& disabled) {
    const RungUse use = CountRungSteps(puzzles, rung, disabled);
    EXPECT_EQ(use.unsound, 0);
    EXPECT_GT(use.steps, 0) << "the rung never made progress";
}

int GradingsUsingRung(const std::vector<std::pair<Grid, Grid>>& puzzles, int rung, int wanted) {
    int found = 0;
    for (const auto& [puzzle, solution] : puzzles) {
        const auto rep = GradeAndCheck(puzzle, solution);
        EXPECT_EQ(rep.unsound, 0);
        for (const Step& st : rep.steps) {
            if (st.rung != rung) continue;
            EXPECT_FALSE(st.changes.empty());
            ++found;
            break;
        }
        if (found >= wanted) break;
    }
    return found;
}

bool WalkLadder(GradeState& s, int below) {
    return WalkLadder(s, below, [](int, const GradeState&) { return Then::Run; });
}

GradeState GradedWith(const Grid& puzzle, const RungSet& off, int* level) {
    GradeState s;
    GradeRun run{.disabledRungs = off};
    s.run = &run;
    const int l = GradePuzzle(s, puzzle);
    if (level != nullptr) *level = l;
    s.run = nullptr;
    return s;
}

std::vector<Change> RungWhereLowerRungsAreStuck(std::string_view puzzle, int rung) {
    int level = 0;
    GradeState s = GradedWith(ParseGrid(puzzle), RungsOffFrom(rung), &level);
    EXPECT_EQ(level, 9);
    for (int r = 1; r < rung; ++r) EXPECT_FALSE(RunRung(s, r)) << "rung " << r;
    std::vector<Change> log;
    LogTo logging(s, log);
    EXPECT_TRUE(RunRung(s, rung));
    return log;
}

bool RunLogged(GradeState& s, const Rung& rung, std::vector<Change>& log) {
    LogTo logging(s, log);
    return rung.run(s);
}

GradeState MakeState(std::string_view text,
                     std::initializer_list<std::pair<std::string_view, std::string_view>> cells) {
    GradeState s;
    std::vector<std::string> tokens;
    std::istringstream in{std::string(text)};
    for (std::string tok; in >> tok;)
        if (tok.find_first_not_of("|-+") != std::string::npos) tokens.push_back(tok);
    if (tokens.size() == 1 && tokens[0].size() == 81) {
        ResetGradeState(s, ParseGrid(tokens[0]));
    } else {
        // A listing, or one token that every cell holds.
        if (tokens.size() == 1) tokens.resize(81, tokens[0]);
        EXPECT_EQ(tokens.size(), 81u) << "a listing must have 81 cells";
        for (int cell = 0; cell < 81 && cell < static_cast<int>(tokens.size()); ++cell) {
            const std::string& tok = tokens[static_cast<std::size_t>(cell)];
            if (tok[0] == '=') s.SolveGrid[cell] = s.Givens[cell] = static_cast<std::uint8_t>(tok[1] - '0');
            else s.CandMask[cell] = Mask(tok);
        }
    }
    for (const auto& [name, digits] : cells) {
        const int cell = CellNamed(name);
        Open(s, cell / 9 + 1, cell % 9 + 1, digits);
    }
    return s;
}

void SetLayer(GradeState& s, int d, std::string_view map) {
    int cell = 0;
    for (char ch : map) {
        if (ch != 'x' && ch != '.') continue;
        if (ch == 'x') s.CandMask[cell] |= DigitBit(d);
        else s.CandMask[cell] &= static_cast<std::uint16_t>(~DigitBit(d));
        ++cell;
    }
    ASSERT_EQ(cell, 81);
}

GradeState Picture(int d, std::string_view pic, Rest rest, std::string_view with) {
    GradeState s = MakeState("123456789");
    SetLayer(s, d, pic);
    if (rest == Rest::Open) return s;
    for (int c = 0; c < 81; ++c) {
        if (s.CandFlags(c, d)) {
            s.CandMask[c] = static_cast<std::uint16_t>(DigitBit(d) | Mask(with));
        } else {
            s.SolveGrid[c] = s.Givens[c] = 9;
            s.CandMask[c] = 0;
        }
    }
    return s;
}

void OnlyAt(GradeState& s, int d, std::initializer_list<std::pair<int, int>> cells, bool transpose) {
    for (int cell = 0; cell < 81; ++cell) s.CandMask[cell] &= static_cast<std::uint16_t>(~DigitBit(d));
    for (auto [r, c] : cells) s.CandMask[transpose ? Cell(c, r) : Cell(r, c)] |= DigitBit(d);
}

GradeState Picture(int d, std::initializer_list<std::pair<int, int>> cells, bool transpose) {
    GradeState s = MakeState("123456789");
    OnlyAt(s, d, cells, transpose);
    return s;
}

void Open(GradeState& s, int r, int c, std::string_view digits) {
    const int cell = Cell(r, c);
    s.SolveGrid[cell] = 0;
    s.Givens[cell] = 0;
    s.CandMask[cell] = Mask(digits);
}

void Place(GradeState& s, int r, int c, int d) {
    const int cell = Cell(r, c);
    s.SolveGrid[cell] = static_cast<std::uint8_t>(d);
    s.Givens[cell] = 0;
    s.CandMask[cell] = 0;
}

std::string CandsOf(const GradeState& s, std::string_view name) {
    std::string out;
    for (int d = 1; d <= 9; ++d)
        if (s.CandFlags(CellNamed(name), d)) out += static_cast<char>('0' + d);
    return out;
}

void ExpectCands(const GradeState& s,
                 std::initializer_list<std::pair<std::string_view, std::string_view>> cells) {
    for (const auto& [name, digits] : cells) EXPECT_EQ(CandsOf(s, name), digits) << name;
}

std::vector<std::string> Lost(const GradeState& before, const GradeState& after, int d) {
    std::vector<std::string> out;
    for (int c = 0; c < 81; ++c)
        if (before.CandFlags(c, d) && !after.CandFlags(c, d)) out.push_back(CellName(c));
    return out;
}

GradeState Thinned(const GradeState& base, std::mt19937& rng) {
    GradeState s = base;
    for (int n = 0; n < 6; ++n) {
        const int c = static_cast<int>(rng() % 81);
        const int d = 1 + static_cast<int>(rng() % 9);
        if (s.CandFlags(c, d) && BitCount[s.CandMask[c]] > 1) s.CandMask[c] &= static_cast<std::uint16_t>(~DigitBit(d));
    }
    return s;
}

GradeState RandomGrid(std::mt19937& rng, int pairTenths) {
    GradeState s;
    const unsigned density = 2 + rng() % 6;
    for (int c = 0; c < 81; ++c) {
        const unsigned kind = rng() % 10;
        if (kind == 0) {
            s.SolveGrid[c] = static_cast<std::uint8_t>(1 + rng() % 9);
        } else if (kind == 1) {
            s.CandMask[c] = 0;
        } else if (kind < 2u + static_cast<unsigned>(pairTenths)) {
            s.CandMask[c] = DigitBit(1 + static_cast<int>(rng() % 9)) | DigitBit(1 + static_cast<int>(rng() % 9));
        } else {
            std::uint16_t m = 0;
            for (int d = 1; d <= 9; ++d)
                if (rng() % 10 < density) m |= DigitBit(d);
            s.CandMask[c] = m;
        }
    }
    return s;
}

void ExpectProgressOnlyOnChange(const GradeState& s, std::initializer_list<const Rung*> rungs,
                                const std::string& where) {
    for (const Rung* rung : rungs) {
        GradeState t = s;
        const std::uint64_t before = t.changes;
        const bool r = rung->run(t);
        EXPECT_EQ(r, t.changes != before) << where << " " << rung->player;
    }
}

CheckedCall CheckOnCopy(const GradeState& s, RungFunction technique, const Grid& solution, const Grid& puzzle,
                        const std::string& name) {
    GradeState copy = s;
    const auto out = Apply(copy, technique);
    CheckedCall call{.progress = static_cast<bool>(out.progress), .changes = static_cast<int>(out.changes.size())};
    if (call.progress != !out.changes.empty()) {
        call.falseClaim = true;
        ADD_FAILURE() << name << " reported " << call.progress << " with " << call.changes << " changes in "
                      << GridText(puzzle);
    }
    for (const Change& ch : out.changes) {
        if (!Contradicts(ch, solution)) continue;
        ++call.unsound;
        ADD_FAILURE() << name << " made unsound change " << ch.kind << " " << CellName(ch.cell) << " digit "
                      << int(ch.digit) << " in puzzle " << GridText(puzzle);
    }
    return call;
}

int ProgressOnGeneratedStuckStates(std::initializer_list<const Rung*> rungs, int from, int count,
                                   std::uint64_t seed) {
    int progress = 0;
    for (const auto& [puzzle, solution] : GeneratedPuzzles(count, seed)) {
        int level = 0;
        const GradeState stuck = GradedWith(puzzle, RungsOffFrom(from), &level);
        if (level != 9) continue;
        for (const Rung* rung : rungs)
            progress += CheckOnCopy(stuck, rung->run, solution, puzzle, rung->player).progress;
    }
    return progress;
}

SweepReport SweepStuckStates(const std::vector<std::pair<Grid, Grid>>& puzzles, RungFunction tech,
                             int lastRung) {
    constexpr int kFirstLevel6 = RungNo("Jellyfish");
    constexpr int kPairExclusion = RungNo("Pair Exclusion");
    SweepReport rep;
    for (const auto& [puzzle, solution] : puzzles) {
        GradeState s;
        ResetGradeState(s, puzzle);
        WalkLadder(s, lastRung + 1, [&](int r, const GradeState& at) {
            if (r == kPairExclusion) {
                const CheckedCall call = CheckOnCopy(at, tech, solution, puzzle);
                ++rep.states;
                rep.acting += call.changes > 0;
                rep.unsound += call.unsound;
                rep.falseClaims += call.falseClaim;
            }
            return r >= kFirstLevel6 && r < kPairExclusion ? Then::Skip : Then::Run;
        });
    }
    std::printf("stuck states %d, acting %d\n", rep.states, rep.acting);
    return rep;
}

void ExpectSoundOnStuckStates(RungFunction tech, std::uint64_t seed, bool mustAct) {
    const auto puzzles = SharedAndGenerated(100, seed);
    ASSERT_GE(puzzles.size(), 1100u);
    const auto rep = SweepStuckStates(puzzles, tech);
    EXPECT_EQ(rep.unsound, 0);
    EXPECT_EQ(rep.falseClaims, 0);
    if (mustAct) {
        EXPECT_GT(rep.acting, 0);
    }
}

Grid RandomDisguise(const Grid& g, std::mt19937& rng) {
    auto shuffled = [&](int n) {
        std::vector<int> v(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) v[static_cast<std::size_t>(i)] = i;
        std::shuffle(v.begin(), v.end(), rng);
        return v;
    };
    auto lineOrder = [&] {
        std::vector<int> order;
        for (int band : shuffled(3))
            for (int k : shuffled(3)) order.push_back(3 * band + k);
        return order;
    };
    const std::vector<int> rows = lineOrder(), cols = lineOrder(), digits = shuffled(9);
    const bool transpose = rng() & 1;
    Grid out{};
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c) {
            const int src = transpose ? cols[static_cast<std::size_t>(c)] * 9 + rows[static_cast<std::size_t>(r)]
                                      : rows[static_cast<std::size_t>(r)] * 9 + cols[static_cast<std::size_t>(c)];
            const int d = g[static_cast<std::size_t>(src)];
            out[static_cast<std::size_t>(r * 9 + c)] =
                static_cast<std::uint8_t>(d == 0 ? 0 : 1 + digits[static_cast<std::size_t>(d - 1)]);
        }
    return out;
}

CommandResult RunCommand(const std::string& command) {
    CommandResult r;
    // Braces, so that a command that sends its own standard error to the pipe (2>&1) keeps it there.
    FILE* p = ::popen(("{ " + command + "; } 2>/dev/null").c_str(), "r");
    if (p == nullptr) return r;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    const int st = ::pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

CommandResult RunGridwick(const std::string& args) {
    return RunCommand(std::string("'") + GRIDWICK_CLI + "' " + args);
}

SoundnessReport GradeAndCheck(const Grid& puzzle, const Grid& solution, const RungSet& disabled) {
    SoundnessReport rep;
    GradeState s;
    GradeRun run{.disabledRungs = disabled};
    s.run = &run;
    rep.level = GradePuzzle(s, puzzle, &rep.steps);
    s.run = nullptr;
    for (const Step& st : rep.steps) {
        for (const Change& ch : st.changes) {
            if (Contradicts(ch, solution)) {
                ++rep.unsound;
                ADD_FAILURE() << "rung " << st.rung << " (" << st.name << ") made unsound change " << ch.kind << " "
                              << CellName(ch.cell) << " digit " << int(ch.digit) << " in puzzle " << GridText(puzzle);
            }
        }
    }
    if (rep.level >= 1 && rep.level <= 8) {
        EXPECT_EQ(s.SolveGrid, solution) << "solved grid differs from the solution: " << GridText(puzzle);
    }
    return rep;
}

}  // namespace gw::test
