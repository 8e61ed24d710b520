// The ladder: the one table of the 42 rungs the grader climbs. Everything known
// about a rung lives in its row: its number, the level the driver enters
// before calling it, the name players know it by, the function that runs it,
// the parameters it runs with and the further names `--without` accepts.
#pragma once

#include <array>
#include <stdexcept>
#include <string_view>

#include "model/state.h"
#include "techniques/techniques.h"

namespace gw {

struct Rung {
    int number;             // 1..42, the order of the climb
    int level;              // 1..8 (the last rung, the bivalue trial, counts as 8)
    const char* player;     // what a Sudoku player calls it; unique in the ladder
    const char* technique;  // the function that runs it (shared by rungs of one technique)
    const char* aliases;    // further names for --without, comma-separated ("" for none)
    RungParams params;      // what this rung passes to a technique that serves several rungs
    bool (*run)(GradeState&);  // true when the rung placed a digit or removed a candidate
};

namespace ladder_detail {

// A rung whose technique takes no parameters.
template <bool (*Fn)(GradeState&)>
constexpr Rung Plain(int number, int level, const char* player, const char* technique, const char* aliases = "") {
    return {number, level, player, technique, aliases, RungParams{}, Fn};
}

// A rung of a technique that serves several rungs: its parameters are written
// once, here, and handed to the technique on every call.
template <bool (*Fn)(GradeState&, const RungParams&), RungParams P>
constexpr Rung With(int number, int level, const char* player, const char* technique, const char* aliases = "") {
    return {number, level, player, technique, aliases, P, [](GradeState& s) { return Fn(s, P); }};
}

constexpr RungParams Subset(bool naked, int size) { return {.naked = naked, .size = size}; }
constexpr RungParams Chain(int limit) { return {.chainLimit = limit}; }
constexpr RungParams Cycle(bool anyLength) { return {.anyLength = anyLength}; }

}  // namespace ladder_detail

// The ladder, in the order of the climb. A level rises before its first rung
// (rungs 3, 5, 11, 15, 20, 33 and 40).
inline constexpr std::array<Rung, kRungCount> kLadder = [] {
    using namespace ladder_detail;
    constexpr const char* kXCycleAliases = "X-Cycle, X-Cycles, TryXCycles";
    constexpr const char* kChainAliases = "Alternating Inference Chain, AIC, TryAlternatingChains";
    return std::array<Rung, kRungCount>{{
        Plain<TryHiddenSingle>(1, 1, "Hidden Single", "TryHiddenSingle"),
        Plain<TryNakedSingle>(2, 1, "Naked Single", "TryNakedSingle"),
        Plain<TryPointing>(3, 2, "Pointing", "TryPointing"),
        Plain<TryClaiming>(4, 2, "Claiming", "TryClaiming"),
        With<TrySubset, Subset(true, 2)>(5, 3, "Naked Pair", "TrySubset"),
        With<TrySubset, Subset(true, 3)>(6, 3, "Naked Triple", "TrySubset"),
        With<TrySubset, Subset(false, 2)>(7, 3, "Hidden Pair", "TrySubset"),
        With<TrySubset, Subset(true, 4)>(8, 3, "Naked Quad", "TrySubset"),
        With<TrySubset, Subset(false, 3)>(9, 3, "Hidden Triple", "TrySubset"),
        With<TrySubset, Subset(true, 5)>(10, 3, "Naked Quint", "TrySubset"),
        Plain<TryXWing>(11, 4, "X-Wing", "TryXWing"),
        Plain<TrySwordfish>(12, 4, "Swordfish", "TrySwordfish"),
        Plain<TryBivalueConjugateLoop>(13, 4, "Bivalue Conjugate Loop", "TryBivalueConjugateLoop"),
        Plain<TryEmptyRectangle>(14, 4, "Empty Rectangle", "TryEmptyRectangle"),
        Plain<TryXYWing>(15, 5, "XY-Wing", "TryXYWing"),
        Plain<TryTwoStringKite>(16, 5, "Two-String Kite", "TryTwoStringKite"),
        Plain<TrySkyscraper>(17, 5, "Skyscraper", "TrySkyscraper"),
        Plain<TryXYZWing>(18, 5, "XYZ-Wing", "TryXYZWing"),
        Plain<TrySimpleColouring>(19, 5, "Simple Colouring", "TrySimpleColouring"),
        Plain<TryJellyfish>(20, 6, "Jellyfish", "TryJellyfish"),
        Plain<TryWXYZWing>(21, 6, "WXYZ-Wing", "TryWXYZWing", "TryWxyzWing"),
        Plain<TryMultiColouring>(22, 6, "Multi-Colouring", "TryMultiColouring", "TryMultiColoring"),
        Plain<TryFinnedXWing>(23, 6, "Finned X-Wing", "TryFinnedXWing"),
        Plain<Try3DMedusa>(24, 6, "3D Medusa", "Try3DMedusa", "Medusa, TryBivalueColourPropagation"),
        Plain<TrySueDeCoq>(25, 6, "Sue de Coq", "TrySueDeCoq", "TryIntersectionSets"),
        Plain<TryPairExclusion>(26, 6, "Pair Exclusion", "TryPairExclusion"),
        Plain<TryUniqueRectangle>(27, 6, "Unique Rectangle", "TryUniqueRectangle", "TryUniqueRectangles"),
        Plain<TryAvoidableRectangle>(28, 6, "Avoidable Rectangle", "TryAvoidableRectangle", "TryAvoidableRectangles"),
        Plain<TryAlignedPairExclusion>(29, 6, "Aligned Pair Exclusion", "TryAlignedPairExclusion"),
        Plain<TryBugPlusOne>(30, 6, "BUG+1", "TryBugPlusOne", "TryBivalueGravePlusOne"),
        With<TryXCycle, Cycle(false)>(31, 6, "X-Cycle (up to 11 cells)", "TryXCycle", kXCycleAliases),
        With<TryAlternatingInferenceChain, Chain(10)>(32, 6, "Alternating Inference Chain (length 10)",
                                                      "TryAlternatingInferenceChain", kChainAliases),
        Plain<TryXYChain>(33, 7, "XY-Chain", "TryXYChain", "TryConjugateXYChain"),
        Plain<TryAlignedTripleExclusion>(34, 7, "Aligned Triple Exclusion", "TryAlignedTripleExclusion"),
        With<TryXCycle, Cycle(true)>(35, 7, "X-Cycle (any length)", "TryXCycle", kXCycleAliases),
        With<TryAlternatingInferenceChain, Chain(20)>(36, 7, "Alternating Inference Chain (length 20)",
                                                      "TryAlternatingInferenceChain", kChainAliases),
        Plain<TryAlsXZ>(37, 7, "ALS-XZ", "TryAlsXZ"),
        Plain<TryFourDigitRowCount>(38, 7, "Four-Digit Row Count", "TryFourDigitRowCount",
                                    "TryFourDigitOpenRowCount"),
        Plain<TryForcingChain>(39, 7, "Forcing Chain", "TryForcingChain", "Forcing Chains, TryForcingChains"),
        Plain<TryAlignedTripleGroups>(40, 8, "Aligned Triple Exclusion (witness groups)", "TryAlignedTripleGroups"),
        With<TryAlternatingInferenceChain, Chain(30)>(41, 8, "Alternating Inference Chain (length 30)",
                                                      "TryAlternatingInferenceChain", kChainAliases),
        Plain<BivalueTrial>(42, 8, "Bivalue Trial", "BivalueTrial", "Trial"),
    }};
}();

// The rung a player's name (exactly as in the table) stands for. Tests and
// benchmarks name rungs this way rather than by number; an unknown name throws
// (and fails to compile where the lookup is a constant expression).
constexpr const Rung& RungNamed(std::string_view player) {
    for (const Rung& r : kLadder)
        if (player == r.player) return r;
    throw std::invalid_argument("no rung of that name");
}

// The rung with the given number (1..42).
constexpr const Rung& RungNumbered(int number) { return kLadder.at(static_cast<std::size_t>(number - 1)); }

}  // namespace gw
