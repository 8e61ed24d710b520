// Sets of cells as 81-bit masks, and the unit and peer sets of the grid in
// that form.
//
// Searches that walk chains or combine almost locked sets ask questions like
// "which candidate cells of this digit see both ends": with cells as bits
// that is a couple of ANDs, and "the lowest such cell" is one bit scan.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <type_traits>

#include "model/tables.h"

namespace gw {

// Bit counts with the processor's own instruction when it has one.
//
// The plain x86-64 target has no popcount instruction, so the compiler calls
// a library routine of a dozen steps for every count. Most processors in use
// have the instruction, and the searches count bits on every step, so the
// program asks the processor once at start-up and uses the instruction when it
// is there. Builds for a target that has it (-march=x86-64-v2 and up), and
// builds for other processors, use the compiler's count as it is.
namespace bits {

#if defined(__x86_64__) && !defined(__POPCNT__) && (defined(__GNUC__) || defined(__clang__))
#define GRIDWICK_POPCNT_CHOICE 1

inline bool ProcessorHasPopcount() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("popcnt") != 0;
}

// Read-only once set, before main.
inline const bool kProcessorHasPopcount = ProcessorHasPopcount();

// The instruction itself; only called when the processor has it.
inline int PopcountInstruction(std::uint64_t x) {
    std::uint64_t n;
    asm("popcnt %1, %0" : "=r"(n) : "rm"(x) : "cc");
    return static_cast<int>(n);
}
#endif

constexpr int Popcount(std::uint64_t x) {
#ifdef GRIDWICK_POPCNT_CHOICE
    if (!std::is_constant_evaluated() && kProcessorHasPopcount) return PopcountInstruction(x);
#endif
    return std::popcount(x);
}

}  // namespace bits

// A set of cells 0..80 as two words.
struct CellSet {
    std::uint64_t lo = 0;  // cells 0..63
    std::uint64_t hi = 0;  // cells 64..80

    // Single cells are reached without a branch on the word: the chain
    // searches flip cells at unpredictable places, and keeping both words in
    // registers matters there. HighWord is all ones for a cell of `hi`.
    static constexpr std::uint64_t HighWord(int c) { return std::uint64_t{0} - static_cast<std::uint64_t>(c >> 6); }
    static constexpr std::uint64_t Bit(int c) { return std::uint64_t{1} << (c & 63); }

    // The set holding only cell c.
    static constexpr CellSet Of(int c) {
        const std::uint64_t b = Bit(c), h = HighWord(c);
        return {b & ~h, b & h};
    }
    constexpr void Set(int c) {
        const std::uint64_t b = Bit(c), h = HighWord(c);
        lo |= b & ~h;
        hi |= b & h;
    }
    constexpr void Reset(int c) {
        const std::uint64_t b = Bit(c), h = HighWord(c);
        lo &= ~(b & ~h);
        hi &= ~(b & h);
    }
    constexpr bool Test(int c) const { return (((lo & ~HighWord(c)) | (hi & HighWord(c))) >> (c & 63)) & 1u; }

    constexpr CellSet operator|(const CellSet& o) const { return {lo | o.lo, hi | o.hi}; }
    constexpr CellSet operator&(const CellSet& o) const { return {lo & o.lo, hi & o.hi}; }
    constexpr CellSet& operator&=(const CellSet& o) {
        lo &= o.lo;
        hi &= o.hi;
        return *this;
    }
    // The cells of this set that are not in o.
    constexpr CellSet Without(const CellSet& o) const { return {lo & ~o.lo, hi & ~o.hi}; }

    constexpr bool Empty() const { return (lo | hi) == 0; }
    constexpr bool Any() const { return (lo | hi) != 0; }
    constexpr int Count() const { return bits::Popcount(lo) + bits::Popcount(hi); }
    // The lowest cell, or 81 when the set is empty (bit 17 of `hi` stands for
    // cell 81, so the empty case costs no extra branch).
    constexpr int First() const {
        return lo != 0 ? std::countr_zero(lo) : 64 + std::countr_zero(hi | (std::uint64_t{1} << 17));
    }
    // Removes the lowest cell (an empty set stays empty).
    constexpr void PopFirst() {
        if (lo != 0) lo &= lo - 1;
        else hi &= hi - 1;
    }
};

// Calls f(cell) for every cell of the set in ascending order.
template <class F>
constexpr void ForEachCell(CellSet set, F&& f) {
    for (std::uint64_t w = set.lo; w != 0; w &= w - 1) f(std::countr_zero(w));
    for (std::uint64_t w = set.hi; w != 0; w &= w - 1) f(64 + std::countr_zero(w));
}

// The cells of each unit: rows 0-8, columns 9-17, boxes 18-26.
inline constexpr std::array<CellSet, 27> UnitSet = [] {
    std::array<CellSet, 27> t{};
    for (int u = 0; u < 27; ++u)
        for (int k = 0; k < 9; ++k) t[u].Set(UnitCell(u, k));
    return t;
}();

// The 20 peers of each cell.
inline constexpr std::array<CellSet, 81> PeerSet = [] {
    std::array<CellSet, 81> t{};
    for (int c = 0; c < 81; ++c)
        for (int p : Peers[c]) t[c].Set(p);
    return t;
}();

// Each cell's three units, bit u for unit u as in UnitSet.
inline constexpr std::array<std::uint32_t, 81> UnitBitsOf = [] {
    std::array<std::uint32_t, 81> t{};
    for (int c = 0; c < 81; ++c)
        for (int u : UnitsOfCell[c]) t[c] |= 1u << u;
    return t;
}();

inline constexpr CellSet AllCells{~std::uint64_t{0}, (std::uint64_t{1} << 17) - 1};

// Two cells share a unit whose bit is set in `units` (a 27-bit mask as in
// UnitBitsOf).
constexpr bool ShareUnit(std::uint32_t units, int a, int b) { return (UnitBitsOf[a] & UnitBitsOf[b] & units) != 0; }

}  // namespace gw
