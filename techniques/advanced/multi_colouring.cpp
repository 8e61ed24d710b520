// Multi-colouring: colour the conjugate pairs of a digit into clusters and
// compare clusters with each other.
//
// A unit where the digit has exactly two candidate cells is a conjugate pair:
// one of the two holds the digit. Pairs that share a cell chain into a
// cluster, coloured with two alternating colours; in every cluster exactly
// one colour holds the digit. Two colours of different clusters that see each
// other cannot both be true. From that:
// - a colour that sees both colours of another cluster is false (one of those
//   is true), so its own opposite colour is true, and a true colour makes
//   every colour it sees false;
// - when two colours see each other, their opposite colours cannot both be
//   false, so a cell that sees a cell of each opposite colour cannot hold the
//   digit.
#include <array>
#include <cstdint>
#include <utility>

#include "techniques/digit_search.h"
#include "techniques/techniques.h"

namespace gw {

namespace {

// What a rule does with the cells of one colour.
enum Act : std::uint8_t { kNone, kRemove, kPlace };

// Flags of a cluster pair (i, j): colour of i first, colour of j second.
enum : unsigned { kOddOdd = 1, kOddEven = 2, kEvenOdd = 4, kEvenEven = 8 };

struct Rule {
    unsigned flags;            // all of these must be set
    std::array<Act, 4> act;    // odd(i), even(i), odd(j), even(j)
};

// Tried in order; the first whose flags are all set is applied. When all four
// flags are set the grid has no solution, and the pair is left alone.
constexpr std::array<Rule, 8> kRules = {{
    {kOddOdd | kOddEven | kEvenOdd, {kRemove, kPlace, kRemove, kPlace}},
    {kOddOdd | kOddEven | kEvenEven, {kRemove, kPlace, kPlace, kRemove}},
    {kOddOdd | kEvenOdd | kEvenEven, {kPlace, kRemove, kRemove, kPlace}},
    {kOddEven | kEvenOdd | kEvenEven, {kPlace, kRemove, kPlace, kRemove}},
    {kOddOdd | kOddEven, {kRemove, kPlace, kNone, kNone}},
    {kEvenOdd | kEvenEven, {kPlace, kRemove, kNone, kNone}},
    {kOddOdd | kEvenOdd, {kNone, kNone, kRemove, kPlace}},
    {kOddEven | kEvenEven, {kNone, kNone, kPlace, kRemove}},
}};

constexpr int kMaxClusters = 41;  // a cluster has at least two of the <= 81 cells

int ClusterOf(int colour) { return (colour + 1) / 2; }
bool IsOdd(int colour) { return (colour & 1) != 0; }

// The conjugate cells of one digit in a list, and their colours.
struct Clusters {
    ConjugatePairs pairs;
    std::array<int, 81> list{};             // link list: cells in order of discovery
    int size = 0;
    std::array<int, 81> entryOf{};          // cell -> list position, -1 when not listed
    std::array<int, 81> colour{};           // per list position; 0 = not coloured
    int clusters = 0;
};

void ListPairCells(const ConjugatePairs& pairs, Clusters& g) {
    g.pairs = pairs;
    g.entryOf.fill(-1);
    // Units 0..8 rows, 9..17 columns, 18..26 boxes: all row pairs first, then
    // column pairs, then box pairs.
    for (int u = 0; u < 27; ++u) {
        if (!pairs.Pair(u)) continue;
        for (int cell : {pairs.First(u), pairs.Second(u)}) {
            if (g.entryOf[cell] >= 0) continue;
            g.entryOf[cell] = g.size;
            g.list[g.size++] = cell;
        }
    }
}

// Colours the link list: clusters grow by sweeps over the list until a sweep
// colours nothing; the first uncoloured entry then starts the next cluster.
void Colour(Clusters& g) {
    g.colour.fill(0);
    g.colour[0] = 1;
    g.clusters = 1;
    int uncoloured = g.size - 1;
    while (uncoloured > 0) {
        bool coloured = false;
        for (int p = 0; p < g.size; ++p) {
            if (g.colour[p] != 0) continue;
            const int cell = g.list[p];
            // The partner in the cell's strong row if that one is coloured,
            // else in its strong column, else in its strong box.
            for (int u : UnitsOfCell[cell]) {
                if (!g.pairs.Pair(u)) continue;
                const int partner = g.pairs.Partner(u, cell);
                const int pc = g.colour[g.entryOf[partner]];
                if (pc == 0) continue;
                g.colour[p] = IsOdd(pc) ? pc + 1 : pc - 1;
                --uncoloured;
                coloured = true;
                break;
            }
        }
        if (coloured || uncoloured == 0) continue;
        ++g.clusters;
        for (int p = 0; p < g.size; ++p) {
            if (g.colour[p] == 0) {
                g.colour[p] = 2 * g.clusters - 1;
                --uncoloured;
                break;
            }
        }
    }
}

// The clusters' size and, for explanations, the colours of clusters i (groups 0 and 1) and j (2 and 3).
void RecordClusters(GradeState& s, int d, const Clusters& g, int i, int j, const char* rule) {
    int size = 0;
    for (int p = 0; p < g.size; ++p) size += ClusterOf(g.colour[p]) == i || ClusterOf(g.colour[p]) == j;
    s.stepSize.nodes = static_cast<std::uint16_t>(size);
    if (s.pattern == nullptr) return;
    s.pattern->Kind(PatternKind::Colouring).Digit(d).note = rule;
    for (int cluster : {i, j})
        for (int p = 0; p < g.size; ++p)
            if (ClusterOf(g.colour[p]) == cluster)
                s.pattern->Cell(g.list[p], DigitBit(d), Role::Set, (cluster == i ? 0 : 2) + (IsOdd(g.colour[p]) ? 0 : 1));
}

// Compares the clusters of one digit pair by pair. Returns true when a rule
// or a trapped cell was acted on.
bool CompareClusters(GradeState& s, int d, const Clusters& g) {
    // seen[x][j]: colour of the first entry of cluster j (in list order) that
    // entry x sees, 0 when x sees none. Each entry counts only that first one.
    std::array<std::array<std::uint8_t, kMaxClusters + 1>, 81> seen{};
    for (int x = 0; x < g.size; ++x) {
        for (int y = 0; y < g.size; ++y) {
            if (y == x || !Sees(g.list[x], g.list[y])) continue;
            auto& first = seen[x][ClusterOf(g.colour[y])];
            if (first == 0) first = static_cast<std::uint8_t>(g.colour[y]);
        }
    }

    for (int i = 1; i < g.clusters; ++i) {
        for (int j = i + 1; j <= g.clusters; ++j) {
            unsigned flags = 0;
            for (int x = 0; x < g.size; ++x) {
                if (ClusterOf(g.colour[x]) != i || seen[x][j] == 0) continue;
                const bool xOdd = IsOdd(g.colour[x]);
                const bool yOdd = IsOdd(seen[x][j]);
                flags |= xOdd ? (yOdd ? kOddOdd : kOddEven) : (yOdd ? kEvenOdd : kEvenEven);
            }
            if (flags == 0) continue;
            if (flags == (kOddOdd | kOddEven | kEvenOdd | kEvenEven)) continue;  // no solution: leave it

            const std::array<int, 4> colours = {2 * i - 1, 2 * i, 2 * j - 1, 2 * j};
            for (const Rule& rule : kRules) {
                if ((flags & rule.flags) != rule.flags) continue;
                RecordClusters(s, d, g, i, j, "colours that see each other");
                for (int p = 0; p < g.size; ++p) {
                    for (int k = 0; k < 4; ++k) {
                        if (g.colour[p] != colours[k]) continue;
                        if (rule.act[k] == kRemove) {
                            RemoveCandidate(s, d, g.list[p]);
                        } else if (rule.act[k] == kPlace && s.CandFlags(g.list[p], d)) {
                            // In a grid with a solution the cells of the true
                            // colour never see each other. In a contradictory
                            // grid (trial solving meets them) an earlier
                            // placement may already have struck the digit
                            // here; placing it anyway would put it twice into
                            // one unit, and trial solving relies on every
                            // placement being a live candidate. Skip the cell.
                            PlaceDigit(s, d, g.list[p]);
                        }
                    }
                }
                return true;
            }

            // Two colours that see each other are not both true, so their
            // opposite colours are not both false: a cell that sees a cell of
            // each opposite colour cannot hold the digit.
            const std::array<std::pair<unsigned, std::array<int, 2>>, 4> opposite = {{
                {kOddOdd, {2 * i, 2 * j}},
                {kOddEven, {2 * i, 2 * j - 1}},
                {kEvenOdd, {2 * i - 1, 2 * j}},
                {kEvenEven, {2 * i - 1, 2 * j - 1}},
            }};
            for (const auto& [flag, pairColours] : opposite) {
                if ((flags & flag) == 0) continue;
                for (int x = 0; x < g.size; ++x) {
                    if (g.colour[x] != pairColours[0]) continue;
                    for (int y = 0; y < g.size; ++y) {
                        if (g.colour[y] != pairColours[1]) continue;
                        if (RemoveFromCommonPeers(s, g.list[x], g.list[y], d)) {
                            RecordClusters(s, d, g, i, j, "trap");
                            return true;
                        }
                    }
                }
            }
        }
    }
    return false;
}

}  // namespace

bool TryMultiColouring(GradeState& s) {
    // Nothing changes before the call returns, so each digit's links can be
    // built when its turn comes. Only digits whose places changed since the
    // search last found nothing can hold a pattern (model/search_memo.h).
    return SearchEachChangedDigit(s, DigitSearch::MultiColouring, [&](int d) {
        Clusters g;
        ListPairCells(ConjugatePairsOf(s, d), g);
        if (g.size == 0) return false;
        Colour(g);
        return g.clusters >= 2 && CompareClusters(s, d, g);
    });
}

}  // namespace gw
