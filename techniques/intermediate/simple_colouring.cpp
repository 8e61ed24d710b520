// Simple colouring. For one digit d, every unit where d fits in exactly two
// cells is a conjugate pair: exactly one of the two cells holds d. Chaining the
// pairs links cells into clusters, coloured alternately; in each cluster one
// colour holds d everywhere and the other nowhere.
//
// - Colour wrap: two cells of one colour in one unit cannot both hold d, so
//   that colour is the false one and d goes from all of its cells.
// - Colour trap: a cell that sees both colours of a cluster sees the cell that
//   holds d, so it cannot hold d.
//
// Digits go 1 to 9; within a digit, cluster 1 (wrap, then trap), cluster 2, ...
// The first rule that removes something ends the call.
#include <array>

#include "techniques/digit_search.h"
#include "techniques/techniques.h"

namespace gw {

namespace {

struct Colouring {
    std::array<int, 81> nodeCell{};  // node -> cell, in the order nodes were met
    int nodes = 0;
    std::array<int, 81> colour{};    // per node: 0 none; cluster c uses 2c-1 and 2c
    int clusters = 0;
};

// Cluster colours come in pairs (1, 2), (3, 4), ...: the partner of an odd
// colour is the next one up, of an even colour the one below.
int PartnerColour(int k) { return (k % 2 == 1) ? k + 1 : k - 1; }

// Builds the conjugate pairs of d, the node list and the cluster colours.
// Returns false when d has no conjugate unit.
bool Colour(const GradeState& s, int d, Colouring& g) {
    const ConjugatePairs pairs = ConjugatePairsOf(s, d);
    if (pairs.units == 0) return false;

    // Nodes in the order met: for m = 0..8 the pair of row m, column m, box m.
    std::array<int, 81> nodeOf{};
    nodeOf.fill(-1);
    g.nodes = 0;
    const auto addNode = [&](int cell) {
        if (nodeOf[cell] >= 0) return;
        nodeOf[cell] = g.nodes;
        g.nodeCell[g.nodes++] = cell;
    };
    for (int m = 0; m < 9; ++m) {
        for (int u : {RowUnit(m), ColUnit(m), BoxUnit(m)}) {
            if (!pairs.Pair(u)) continue;
            addNode(pairs.First(u));
            addNode(pairs.Second(u));
        }
    }

    // Colouring passes: an uncoloured node takes the partner colour of the first
    // coloured node it is paired with (through its row, column, box in that
    // order). When a pass colours nothing, the lowest uncoloured node opens a
    // new cluster.
    g.colour.fill(0);
    g.clusters = 1;
    g.colour[0] = 1;
    int uncoloured = g.nodes - 1;
    while (uncoloured > 0) {
        bool coloured = false;
        for (int u = 1; u < g.nodes; ++u) {
            if (g.colour[u] != 0) continue;
            const int cell = g.nodeCell[u];
            for (int unit : UnitsOfCell[cell]) {
                if (!pairs.Pair(unit)) continue;
                const int partner = pairs.Partner(unit, cell);
                const int pc = g.colour[nodeOf[partner]];
                if (pc == 0) continue;
                g.colour[u] = PartnerColour(pc);
                --uncoloured;
                coloured = true;
                break;
            }
        }
        if (!coloured && uncoloured > 0) {
            ++g.clusters;
            for (int u = 1; u < g.nodes; ++u) {
                if (g.colour[u] == 0) {
                    g.colour[u] = 2 * g.clusters - 1;
                    --uncoloured;
                    break;
                }
            }
        }
    }
    return true;
}

// The cluster's size and, for explanations, the two colours of cluster c (groups 0 and 1) and the rule used.
void RecordCluster(GradeState& s, int d, const Colouring& g, int c, const char* rule) {
    int size = 0;
    for (int n = 0; n < g.nodes; ++n) size += g.colour[n] == 2 * c - 1 || g.colour[n] == 2 * c;
    s.stepSize.nodes = static_cast<std::uint16_t>(size);
    if (s.pattern == nullptr) return;
    s.pattern->Kind(PatternKind::Colouring).Digit(d).note = rule;
    for (int n = 0; n < g.nodes; ++n)
        if (g.colour[n] == 2 * c - 1 || g.colour[n] == 2 * c)
            s.pattern->Cell(g.nodeCell[n], DigitBit(d), Role::Set, g.colour[n] == 2 * c ? 1 : 0);
}

}  // namespace

bool TrySimpleColouring(GradeState& s) {
    // Only digits whose places changed since the search last found nothing
    // can hold a wrap or a trap (model/search_memo.h).
    return SearchEachChangedDigit(s, DigitSearch::SimpleColouring, [&](int d) {
        Colouring g;
        if (!Colour(s, d, g)) return false;
        for (int c = 1; c <= g.clusters; ++c) {
            const int odd = 2 * c - 1, even = 2 * c;
            // Colour wrap.
            for (int i = 0; i + 1 < g.nodes; ++i) {
                for (int j = i + 1; j < g.nodes; ++j) {
                    const int ci = g.colour[i];
                    if (ci != g.colour[j] || (ci != odd && ci != even)) continue;
                    if (!Sees(g.nodeCell[i], g.nodeCell[j])) continue;
                    RecordCluster(s, d, g, c, "colour wrap");
                    for (int n = 0; n < g.nodes; ++n)
                        if (g.colour[n] == ci) RemoveCandidate(s, d, g.nodeCell[n]);
                    return true;
                }
            }
            // Colour trap.
            for (int i = 0; i + 1 < g.nodes; ++i) {
                for (int j = i + 1; j < g.nodes; ++j) {
                    const int ci = g.colour[i], cj = g.colour[j];
                    if (!((ci == odd && cj == even) || (ci == even && cj == odd))) continue;
                    if (RemoveFromCommonPeers(s, g.nodeCell[i], g.nodeCell[j], d)) {
                        RecordCluster(s, d, g, c, "colour trap");
                        return true;
                    }
                }
            }
        }
        return false;
    });
}

}  // namespace gw
