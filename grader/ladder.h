// The ladder: the one table of the rungs the grader climbs. Everything known
// about a rung lives in its row: the level the driver enters before calling
// it, the name players know it by, the function that runs it, its typical cost,
// whether its search keeps a memo, the parameters it runs with and the further
// names `--without` accepts. A rung's number is its row's position.
#pragma once

#include <array>
#include <bitset>
#include <stdexcept>
#include <string_view>

#include "model/state.h"
#include "techniques/techniques.h"

namespace gw {

// Whether a rung's search keeps what it learnt from failing in the state's
// memo (model/search_memo.h).
enum MemoUse : bool { NoMemo = false, Memo = true };

struct Rung {
    int number;             // 1.., the order of the climb: the row's position
    int level;              // 1..8 (the last rung, the bivalue trial, counts as 8)
    const char* player;     // what a Sudoku player calls it; unique in the ladder
    const char* technique;  // the function that runs it (shared by rungs of one technique)
    int micros;             // typical time of one call on Kamikaze and Extreme puzzles, in
                            // microseconds (measured on this engine; only the proportions
                            // matter, the hunt weighs gradings by them)
    MemoUse memo;           // its search keeps a memo of fruitless digits or units
    const char* aliases;    // further names for --without, comma-separated ("" for none)
    RungParams params;      // what this rung passes to a technique that serves several rungs
    bool (*run)(GradeState&);  // true when the rung placed a digit or removed a candidate
};

namespace ladder_detail {

// A rung whose technique takes no parameters.
template <bool (*Fn)(GradeState&)>
constexpr Rung Plain(int level, const char* player, const char* technique, int micros, MemoUse memo,
                     const char* aliases = "") {
    return {0, level, player, technique, micros, memo, aliases, RungParams{}, Fn};
}

// A rung of a technique that serves several rungs: its parameters are written
// once, here, and handed to the technique on every call.
template <bool (*Fn)(GradeState&, const RungParams&), RungParams P>
constexpr Rung With(int level, const char* player, const char* technique, int micros, MemoUse memo,
                    const char* aliases = "") {
    return {0, level, player, technique, micros, memo, aliases, P, [](GradeState& s) { return Fn(s, P); }};
}

constexpr RungParams Subset(bool naked, int size) { return {.naked = naked, .size = size}; }
constexpr RungParams Chain(int limit) { return {.chainLimit = limit}; }
constexpr RungParams Cycle(bool anyLength) { return {.anyLength = anyLength}; }

}  // namespace ladder_detail

// The ladder, in the order of the climb. A level rises before its first rung
// (rungs 3, 5, 11, 15, 20, 33 and 40). Each row: level, player's name,
// function, cost in microseconds, memo use, further names.
inline constexpr auto kLadder = [] {
    using namespace ladder_detail;
    constexpr const char* kXCycleAliases = "X-Cycle, X-Cycles, TryXCycles";
    constexpr const char* kChainAliases = "Alternating Inference Chain, AIC, TryAlternatingChains";
    std::array rows{
        Plain<TryHiddenSingle>(1, "Hidden Single", "TryHiddenSingle", 1, NoMemo),
        Plain<TryNakedSingle>(1, "Naked Single", "TryNakedSingle", 1, NoMemo),
        Plain<TryPointing>(2, "Pointing", "TryPointing", 4, Memo),
        Plain<TryClaiming>(2, "Claiming", "TryClaiming", 5, Memo),
        With<TrySubset, Subset(true, 2)>(3, "Naked Pair", "TrySubset", 7, Memo),
        With<TrySubset, Subset(true, 3)>(3, "Naked Triple", "TrySubset", 12, Memo),
        With<TrySubset, Subset(false, 2)>(3, "Hidden Pair", "TrySubset", 5, Memo),
        With<TrySubset, Subset(true, 4)>(3, "Naked Quad", "TrySubset", 14, Memo),
        With<TrySubset, Subset(false, 3)>(3, "Hidden Triple", "TrySubset", 7, Memo),
        With<TrySubset, Subset(true, 5)>(3, "Naked Quint", "TrySubset", 11, Memo),
        Plain<TryXWing>(4, "X-Wing", "TryXWing", 8, Memo),
        Plain<TrySwordfish>(4, "Swordfish", "TrySwordfish", 15, Memo),
        Plain<TryBivalueConjugateLoop>(4, "Bivalue Conjugate Loop", "TryBivalueConjugateLoop", 35, NoMemo),
        Plain<TryEmptyRectangle>(4, "Empty Rectangle", "TryEmptyRectangle", 11, Memo),
        Plain<TryXYWing>(5, "XY-Wing", "TryXYWing", 25, NoMemo),
        Plain<TryTwoStringKite>(5, "Two-String Kite", "TryTwoStringKite", 7, Memo),
        Plain<TrySkyscraper>(5, "Skyscraper", "TrySkyscraper", 8, Memo),
        Plain<TryXYZWing>(5, "XYZ-Wing", "TryXYZWing", 15, NoMemo),
        Plain<TrySimpleColouring>(5, "Simple Colouring", "TrySimpleColouring", 26, Memo),
        Plain<TryJellyfish>(6, "Jellyfish", "TryJellyfish", 25, Memo),
        Plain<TryWXYZWing>(6, "WXYZ-Wing", "TryWXYZWing", 39, NoMemo, "TryWxyzWing"),
        Plain<TryMultiColouring>(6, "Multi-Colouring", "TryMultiColouring", 19, Memo, "TryMultiColoring"),
        Plain<TryFinnedXWing>(6, "Finned X-Wing", "TryFinnedXWing", 7, Memo),
        Plain<Try3DMedusa>(6, "3D Medusa", "Try3DMedusa", 25, NoMemo, "Medusa, TryBivalueColourPropagation"),
        Plain<TrySueDeCoq>(6, "Sue de Coq", "TrySueDeCoq", 15, NoMemo, "TryIntersectionSets"),
        Plain<TryPairExclusion>(6, "Pair Exclusion", "TryPairExclusion", 37, NoMemo),
        Plain<TryUniqueRectangle>(6, "Unique Rectangle", "TryUniqueRectangle", 10, NoMemo, "TryUniqueRectangles"),
        Plain<TryAvoidableRectangle>(6, "Avoidable Rectangle", "TryAvoidableRectangle", 5, NoMemo, "TryAvoidableRectangles"),
        Plain<TryAlignedPairExclusion>(6, "Aligned Pair Exclusion", "TryAlignedPairExclusion", 41, NoMemo),
        Plain<TryBugPlusOne>(6, "BUG+1", "TryBugPlusOne", 3, NoMemo, "TryBivalueGravePlusOne"),
        With<TryXCycle, Cycle(false)>(6, "X-Cycle (up to 11 cells)", "TryXCycle", 29, Memo, kXCycleAliases),
        With<TryAlternatingInferenceChain, Chain(10)>(6, "Alternating Inference Chain (length 10)",
                                                      "TryAlternatingInferenceChain", 95, NoMemo, kChainAliases),
        Plain<TryXYChain>(7, "XY-Chain", "TryXYChain", 49, NoMemo, "TryConjugateXYChain"),
        Plain<TryAlignedTripleExclusion>(7, "Aligned Triple Exclusion", "TryAlignedTripleExclusion", 10, NoMemo),
        With<TryXCycle, Cycle(true)>(7, "X-Cycle (any length)", "TryXCycle", 26, Memo, kXCycleAliases),
        With<TryAlternatingInferenceChain, Chain(20)>(7, "Alternating Inference Chain (length 20)",
                                                      "TryAlternatingInferenceChain", 299, NoMemo, kChainAliases),
        Plain<TryAlsXZ>(7, "ALS-XZ", "TryAlsXZ", 183, NoMemo),
        Plain<TryFourDigitRowCount>(7, "Four-Digit Row Count", "TryFourDigitRowCount", 5, NoMemo,
                                    "TryFourDigitOpenRowCount"),
        Plain<TryForcingChain>(7, "Forcing Chain", "TryForcingChain", 97, NoMemo, "Forcing Chains, TryForcingChains"),
        Plain<TryAlignedTripleGroups>(8, "Aligned Triple Exclusion (witness groups)", "TryAlignedTripleGroups", 100, NoMemo),
        With<TryAlternatingInferenceChain, Chain(30)>(8, "Alternating Inference Chain (length 30)",
                                                      "TryAlternatingInferenceChain", 300, NoMemo, kChainAliases),
        Plain<BivalueTrial>(8, "Bivalue Trial", "BivalueTrial", 300, NoMemo, "Trial"),
    };
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i].number = static_cast<int>(i) + 1;
    return rows;
}();

// The number of rungs; the last one is the bivalue trial.
inline constexpr int kRungCount = static_cast<int>(kLadder.size());
static_assert(kRungCount < kMaxRungs, "a RungSet holds rungs 1..kMaxRungs-1");

// The rung a player's name (exactly as in the table) stands for. Tests and
// benchmarks name rungs this way rather than by number; an unknown name throws
// (and fails to compile where the lookup is a constant expression).
constexpr const Rung& RungNamed(std::string_view player) {
    for (const Rung& r : kLadder)
        if (player == r.player) return r;
    throw std::invalid_argument("no rung of that name");
}

// The rung with the given number (1..kRungCount).
constexpr const Rung& RungNumbered(int number) { return kLadder.at(static_cast<std::size_t>(number - 1)); }

}  // namespace gw
