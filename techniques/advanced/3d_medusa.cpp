// 3D Medusa: bivalue colour propagation over cells and candidates.
//
// The nodes are candidates: a digit in a cell. Two kinds of link join them,
// each saying that exactly one of its two candidates is true:
// - the two candidates of a two-candidate cell;
// - the two cells of a unit in which a digit fits exactly twice (a conjugate
//   pair), taken for that digit.
// Starting from one candidate of a two-candidate cell, colour 1 is given to it
// and spread over the links, alternating with colour 2, until the cluster is
// closed. Since every link is "exactly one of the two", the candidates of one
// colour are either all true or all false, and exactly one colour is true.
//
// Colour contradictions. Colour X is false (and every candidate of colour X is
// removed) when, were X true,
//   (a) one cell would hold two digits: two candidates of colour X in a cell;
//   (b) a digit would appear twice in a unit: the digit coloured X in two cells
//       of one row, column or box;
//   (c) a cell would be left without a digit: a cell with no candidate of
//       colour X whose every candidate either has the other colour or sees the
//       same digit coloured X.
// Colour 1 is tested before colour 2, each with (a), (b), (c); the first false
// colour found is removed in cell order 0..80, digits ascending.
//
// Eliminations, when neither colour is shown false: an uncoloured candidate d
// of a cell is removed when it is false whichever colour is true, that is when
// for colour 1 and for colour 2 alike the cell holds a candidate of that
// colour or the candidate sees d of that colour (in another cell of a shared
// row, column or box). This covers an uncoloured candidate in a cell holding
// both colours, one that sees d in both colours, and one that shares its cell
// with one colour and sees d of the other. All such removals of the cluster
// are made, in cell order 0..80, digits ascending.
//
// Scan order: start cells 0..80 with exactly two candidates, starting from the
// lower of the two digits; a start whose candidate already belongs to a
// cluster built earlier in the call is skipped (that cluster is the same). The
// first cluster that removes something ends the call; only that cluster (one
// instance) is acted on.
#include <array>

#include "techniques/digit_search.h"
#include "techniques/techniques.h"

namespace gw {

namespace {

constexpr int Node(int cell, int d) { return cell * 9 + d - 1; }
constexpr int NodeCell(int n) { return n / 9; }
constexpr int NodeDigit(int n) { return n % 9 + 1; }

// The two colours; a candidate left out of the cluster has neither.
enum Colour : std::uint8_t { kUncoloured = 0, kColour1 = 1, kColour2 = 2 };
constexpr Colour Other(Colour x) { return x == kColour1 ? kColour2 : kColour1; }

// One cluster: its candidates in the order they were coloured, and the colour
// of every candidate of the grid.
struct Cluster {
    std::array<std::uint8_t, 729> colour{};
    std::array<int, 729> nodes{};
    int size = 0;
    // False when an odd loop of links reached a candidate with both colours:
    // the grid itself is contradictory (only possible under a trial
    // assumption), and the cluster proves nothing.
    bool consistent = true;
};

// Colours the cluster of candidate `first` with colour 1, spreading breadth
// first over bivalue cells and conjugate pairs.
void Spread(const Masks& cand, const std::array<ConjugatePairs, 10>& pairs, int first, Cluster& k) {
    const auto link = [&](int cell, int d, Colour c) {
        const int n = Node(cell, d);
        if (k.colour[n] == kUncoloured) {
            k.colour[n] = c;
            k.nodes[k.size++] = n;
        } else if (k.colour[n] != c) {
            k.consistent = false;
        }
    };
    k.colour[first] = kColour1;
    k.nodes[k.size++] = first;
    for (int head = 0; head < k.size; ++head) {
        const int n = k.nodes[head];
        const int cell = NodeCell(n), d = NodeDigit(n);
        const Colour other = Other(static_cast<Colour>(k.colour[n]));
        if (BitCount[cand[cell]] == 2) link(cell, LowestDigit(cand[cell] & ~DigitBit(d)), other);
        for (int u : UnitsOfCell[cell])
            if (pairs[d].Pair(u)) link(pairs[d].Partner(u, cell), d, other);
    }
}

// Per colour: the digits of that colour in each cell, and the digits that a
// cell sees in that colour (the same digit in a peer).
struct ColourSets {
    std::array<std::array<std::uint16_t, 81>, 3> inCell{}, seen{};
};

ColourSets Tally(const Cluster& k) {
    ColourSets sets;
    for (int i = 0; i < k.size; ++i) {
        const int n = k.nodes[i];
        const int cell = NodeCell(n), d = NodeDigit(n);
        sets.inCell[k.colour[n]][cell] |= DigitBit(d);
        for (int p : Peers[cell]) sets.seen[k.colour[n]][p] |= DigitBit(d);
    }
    return sets;
}

// The first colour (1 before 2) shown false by a contradiction, or
// kUncoloured when neither is.
Colour FalseColour(const Masks& cand, const ColourSets& sets) {
    for (const Colour x : {kColour1, kColour2}) {
        const Colour y = Other(x);
        for (int cell = 0; cell < 81; ++cell) {
            const std::uint16_t mine = sets.inCell[x][cell];
            // (a) two digits of colour X in one cell.
            if (BitCount[mine] >= 2) return x;
            // (b) a digit of colour X seen by the same digit of colour X: the
            // two cells share a unit.
            if (mine & sets.seen[x][cell]) return x;
            // (c) a cell emptied by colour X.
            if (cand[cell] != 0 && mine == 0 && (cand[cell] & ~(sets.inCell[y][cell] | sets.seen[x][cell])) == 0)
                return x;
        }
    }
    return kUncoloured;
}

// Removes every candidate of colour x, cells 0..80, digits ascending.
bool RemoveColour(GradeState& s, const ColourSets& sets, Colour x) {
    bool removed = false;
    for (int cell = 0; cell < 81; ++cell)
        for (int d = 1; d <= 9; ++d)
            if (sets.inCell[x][cell] & DigitBit(d)) removed = RemoveCandidate(s, d, cell) || removed;
    return removed;
}

// Removes the uncoloured candidates that are false whichever colour is true.
bool RemoveFalseEitherWay(GradeState& s, const Masks& cand, const ColourSets& sets) {
    bool removed = false;
    for (int cell = 0; cell < 81; ++cell) {
        const std::uint16_t uncoloured = cand[cell] & ~(sets.inCell[kColour1][cell] | sets.inCell[kColour2][cell]);
        if (uncoloured == 0) continue;
        const std::uint16_t kill1 = sets.inCell[kColour1][cell] != 0 ? kAllDigits : sets.seen[kColour1][cell];
        const std::uint16_t kill2 = sets.inCell[kColour2][cell] != 0 ? kAllDigits : sets.seen[kColour2][cell];
        const auto doomed = static_cast<std::uint16_t>(uncoloured & kill1 & kill2);
        for (int d = 1; d <= 9; ++d)
            if (doomed & DigitBit(d)) removed = RemoveCandidate(s, d, cell) || removed;
    }
    return removed;
}

// Explanations: the candidates of the two colours (groups 0 and 1).
void Record(const GradeState& s, const ColourSets& sets, const char* note) {
    s.pattern->Kind(PatternKind::Colouring).note = note;
    for (const Colour x : {kColour1, kColour2})
        for (int cell = 0; cell < 81; ++cell)
            if (sets.inCell[x][cell] != 0) s.pattern->Cell(cell, sets.inCell[x][cell], Role::Set, x - 1);
}

}  // namespace

bool Try3DMedusa(GradeState& s) {
    // Step 1. The state as the call found it, and its conjugate pairs per
    // digit: removals below do not change which clusters are built.
    const Masks cand = s.CandMask;
    std::array<ConjugatePairs, 10> pairs{};
    for (int d = 1; d <= 9; ++d) pairs[d] = ConjugatePairsOf(s, d);

    std::array<bool, 729> clustered{};  // the candidate belongs to an earlier cluster
    for (int start = 0; start < 81; ++start) {
        if (BitCount[cand[start]] != 2) continue;
        const int first = Node(start, LowestDigit(cand[start]));
        if (clustered[first]) continue;
        s.Pump();

        // Step 2. Colour the cluster of the start cell's lower candidate.
        Cluster k;
        Spread(cand, pairs, first, k);
        for (int i = 0; i < k.size; ++i) clustered[k.nodes[i]] = true;
        if (!k.consistent) continue;
        const ColourSets sets = Tally(k);

        // Step 3. A colour that leads to a contradiction is false: remove it.
        if (const Colour x = FalseColour(cand, sets); x != kUncoloured) {
            if (!RemoveColour(s, sets, x)) continue;
            s.stepNote = "3D Medusa (colour contradiction)";
            s.stepSize.nodes = static_cast<std::uint16_t>(k.size);
            if (s.pattern != nullptr) Record(s, sets, "colour contradiction");
            return true;
        }

        // Step 4. Otherwise remove what is false whichever colour is true.
        if (RemoveFalseEitherWay(s, cand, sets)) {
            s.stepSize.nodes = static_cast<std::uint16_t>(k.size);
            if (s.pattern != nullptr) Record(s, sets, "");
            return true;
        }
    }
    return false;
}

}  // namespace gw
