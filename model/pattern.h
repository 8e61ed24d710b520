// What a technique saw when it made its step: the units, cells, digits and
// links of the pattern, each with the role it plays. Techniques fill it only
// when the state carries a pattern to fill (GradeState::pattern), that is when
// someone asked for an explanation; the grading itself never reads it.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace gw {

// The family of a pattern decides how an explanation words it.
enum class PatternKind : std::uint8_t {
    None,
    Single,       // a digit with one place in a unit, or a cell with one digit
    Locked,       // pointing and claiming: the digit of a box held in one line, or the reverse
    Subset,       // naked or hidden subsets
    Fish,         // base and cover lines, possibly fins
    Wing,         // pivot and pincers
    Pairs,        // conjugate pairs joined at their ends (kite, skyscraper, empty rectangle)
    Colouring,    // clusters of two colours
    Rectangle,    // unique and avoidable rectangles
    Als,          // almost-locked sets and their restricted common digits
    Chain,        // chains and cycles, node by node
    Forcing,      // a source and the branches that all lead to the same result
    Exclusion,    // aligned pair or triple exclusion: combinations ruled out
    Count,        // a count of places against a count of digits
    Bug,          // bivalue universal grave plus one
    Trial,        // an assumption and what became of it
};

// What a unit, a cell or a chain is to the pattern.
enum class Role : std::uint8_t {
    None,
    Base,
    Cover,
    Fin,
    Pivot,
    Pincer,
    Source,
    Branch,
    Set,            // an almost-locked set, a subset, a colour cluster's side...
    Link,           // the cells that join two parts of a pattern
    Target,         // a cell whose candidates the step removes or fixes
    Assumption,
    Contradiction,
};

inline const char* RoleName(Role r) {
    switch (r) {
        case Role::Base: return "base";
        case Role::Cover: return "cover";
        case Role::Fin: return "fin";
        case Role::Pivot: return "pivot";
        case Role::Pincer: return "pincer";
        case Role::Source: return "source";
        case Role::Branch: return "branch";
        case Role::Set: return "set";
        case Role::Link: return "link";
        case Role::Target: return "target";
        case Role::Assumption: return "assumption";
        case Role::Contradiction: return "contradiction";
        case Role::None: break;
    }
    return "";
}

// A unit of the pattern (0..8 rows, 9..17 columns, 18..26 boxes); `digits` names the digits meant in it when they
// differ from the pattern's own.
struct PatternUnit {
    std::uint8_t unit;
    Role role;
    std::uint16_t digits = 0;
    bool operator==(const PatternUnit&) const = default;
};

// A cell of the pattern and the candidates it contributes (bit d-1 for digit
// d; 0 when the cell as a whole is meant). `group` tells apart the sides of a
// pattern that has more than one (colours, sets): 0, 1, 2...
struct PatternCell {
    std::uint8_t cell;
    std::uint16_t digits;
    Role role;
    std::uint8_t group = 0;
    bool operator==(const PatternCell&) const = default;
};

// One node of a chain: a digit (or several, for a set) in one or more cells.
struct ChainNode {
    std::uint16_t digits = 0;
    std::vector<std::uint8_t> cells;
    // In a forcing chain's branch, where a node is a placement: the unit in
    // which it was the digit's last place (a hidden single), or -1 (the
    // assumption, or the cell's last candidate).
    std::int8_t unit = -1;
    // The node takes its digits out of its cells instead of placing them (a
    // step of a trial's refutation that only removes candidates).
    bool removal = false;
    bool operator==(const ChainNode&) const = default;
};

// A chain or cycle: strong[i] is the kind of the link from node i to node i+1
// (true: at least one end is true, written '='; false: not both, written '-').
// A loop has one more link, from the last node back to the first.
struct PatternChain {
    std::vector<ChainNode> nodes;
    std::vector<bool> strong;
    bool loop = false;
    Role role = Role::None;
    bool operator==(const PatternChain&) const = default;

    // Appends a node; from the second node on, `strongLink` is the kind of the
    // link that joins it to the node before.
    template <typename Cells>
    PatternChain& Add(bool strongLink, std::uint16_t nodeDigits, const Cells& nodeCells) {
        if (!nodes.empty()) strong.push_back(strongLink);
        ChainNode n;
        n.digits = nodeDigits;
        for (int x : nodeCells) n.cells.push_back(static_cast<std::uint8_t>(x));
        nodes.push_back(std::move(n));
        return *this;
    }
    PatternChain& Add(bool strongLink, std::uint16_t nodeDigits, std::initializer_list<int> nodeCells) {
        return Add<std::initializer_list<int>>(strongLink, nodeDigits, nodeCells);
    }
};

struct Pattern {
    PatternKind kind = PatternKind::None;
    std::uint16_t digits = 0;  // the digits the pattern is about
    std::vector<PatternUnit> units;
    std::vector<PatternCell> cells;
    std::vector<PatternChain> chains;
    // A refinement in words: "type 2", "colour wrap", the contradiction met...
    std::string note;

    void Clear() { *this = Pattern{}; }
    bool Empty() const { return kind == PatternKind::None; }

    Pattern& Kind(PatternKind k) {
        kind = k;
        return *this;
    }
    Pattern& Digit(int d) {
        digits = static_cast<std::uint16_t>(digits | (1u << (d - 1)));
        return *this;
    }
    Pattern& Digits(std::uint16_t mask) {
        digits = static_cast<std::uint16_t>(digits | mask);
        return *this;
    }
    Pattern& Unit(int unit, Role role, std::uint16_t unitDigits = 0) {
        units.push_back({static_cast<std::uint8_t>(unit), role, unitDigits});
        return *this;
    }
    Pattern& Cell(int cell, std::uint16_t cellDigits, Role role, int group = 0) {
        cells.push_back({static_cast<std::uint8_t>(cell), cellDigits, role, static_cast<std::uint8_t>(group)});
        return *this;
    }
    // Starts a chain; add its nodes with Node() and the links between them
    // with Link().
    PatternChain& NewChain(Role role = Role::None) {
        chains.emplace_back();
        chains.back().role = role;
        return chains.back();
    }
};

}  // namespace gw
