// Helpers shared by the test files: readable grading states, puzzle files and
// the soundness check of a grading against a known solution.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "generator/generator.h"
#include "grader/grader.h"
#include "model/state.h"

namespace gw::test {

// 81 characters, digits and '.' or '0' for empty.
inline Grid ParseGrid(std::string_view text) {
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

inline std::string GridText(const Grid& g) {
    std::string s(81, '.');
    for (int c = 0; c < 81; ++c)
        if (g[c]) s[c] = static_cast<char>('0' + g[c]);
    return s;
}

// A grading state from a readable candidate listing: 81 whitespace-separated
// tokens row by row; a token of digits is an unsolved cell's candidate set and
// "=d" a cell that holds d. '|' and lines of '-' or '+' are ignored, so a
// listing can be laid out as a grid.
inline GradeState FromCandidates(std::string_view listing) {
    GradeState s;
    std::istringstream in{std::string(listing)};
    std::string tok;
    int cell = 0;
    while (in >> tok) {
        if (tok.find_first_not_of("|-+") == std::string::npos) continue;
        if (cell >= 81) {
            ADD_FAILURE() << "more than 81 cells in listing";
            break;
        }
        if (tok[0] == '=') {
            s.SolveGrid[cell] = static_cast<std::uint8_t>(tok[1] - '0');
            s.CandMask[cell] = 0;
            s.Givens[cell] = s.SolveGrid[cell];
        } else {
            std::uint16_t m = 0;
            for (char ch : tok)
                if (ch >= '1' && ch <= '9') m |= DigitBit(ch - '0');
            s.CandMask[cell] = m;
        }
        ++cell;
    }
    EXPECT_EQ(cell, 81) << "listing must have 81 cells";
    return s;
}

// The grading state right after the givens of a puzzle are entered.
inline GradeState FromPuzzle(std::string_view text) {
    GradeState s;
    ResetGradeState(s, ParseGrid(text));
    return s;
}

// Puzzles with their solutions from the shared folder ("puzzle solution" a line).
inline std::vector<std::pair<Grid, Grid>> LoadSharedPuzzles(const std::string& file = "random.txt") {
    std::vector<std::pair<Grid, Grid>> out;
    std::ifstream in(std::string(GRIDWICK_SHARED_PUZZLES) + "/" + file);
    std::string p, sol;
    while (in >> p >> sol) out.emplace_back(ParseGrid(p), ParseGrid(sol));
    return out;
}

// Generates `count` puzzles with their solutions from a fixed seed.
inline std::vector<std::pair<Grid, Grid>> GeneratePuzzles(int count, std::uint64_t seed) {
    std::vector<std::pair<Grid, Grid>> out;
    GenState g;
    g.rng.Seed(seed);
    Yielder y;
    for (int i = 0; i < count; ++i) {
        BuildSolutionGrid(g, y);
        RemoveClues(g, y);
        out.emplace_back(g.Puzzle, g.Solution);
    }
    return out;
}

// Result of grading one puzzle with every change checked against its solution.
struct SoundnessReport {
    int level = 0;
    int unsound = 0;
    std::vector<Step> steps;
};

// Grades the puzzle and checks that every placement is the solution digit and
// no removal strikes the solution digit. Failures name the rung and the change.
inline SoundnessReport GradeAndCheck(const Grid& puzzle, const Grid& solution,
                                     const std::bitset<kRungCount + 1>& disabled = {}) {
    SoundnessReport rep;
    GradeState s;
    s.disabledRungs = disabled;
    rep.level = GradePuzzle(s, puzzle, &rep.steps);
    for (const Step& st : rep.steps) {
        for (const Change& ch : st.changes) {
            const bool bad = (ch.kind == 'P' || ch.kind == 'T') ? solution[ch.cell] != ch.digit
                                                                : solution[ch.cell] == ch.digit;
            if (bad) {
                ++rep.unsound;
                ADD_FAILURE() << "rung " << st.rung << " (" << st.name << ") made unsound change " << ch.kind
                              << " r" << ch.cell / 9 + 1 << "c" << ch.cell % 9 + 1 << " digit " << int(ch.digit)
                              << " in puzzle " << GridText(puzzle);
            }
        }
    }
    if (rep.level >= 1 && rep.level <= 8) {
        EXPECT_EQ(s.SolveGrid, solution) << "solved grid differs from the solution: " << GridText(puzzle);
    }
    return rep;
}

}  // namespace gw::test
