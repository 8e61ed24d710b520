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

#include "techniques/techniques.h"

namespace gw {

namespace {

constexpr int Node(int cell, int d) { return cell * 9 + d - 1; }

}  // namespace

bool Try3DMedusa(GradeState& s) {
    const Masks cand = s.CandMask;

    // Conjugate pairs, per unit (rows 0-8, columns 9-17, boxes 18-26) and digit:
    // the two cells when the digit fits in exactly two cells of the unit.
    std::array<std::array<std::array<int, 2>, 10>, 27> pair{};
    for (int u = 0; u < 27; ++u) {
        for (int d = 1; d <= 9; ++d) {
            int count = 0;
            pair[u][d] = {-1, -1};
            for (int k = 0; k < 9; ++k) {
                const int cell = UnitCell(u, k);
                if (!(cand[cell] & DigitBit(d))) continue;
                if (count < 2) pair[u][d][count] = cell;
                ++count;
            }
            if (count != 2) pair[u][d] = {-1, -1};
        }
    }

    std::array<bool, 729> clustered{};  // the candidate belongs to an earlier cluster
    for (int start = 0; start < 81; ++start) {
        if (BitCount[cand[start]] != 2) continue;
        const int startDigit = LowestDigit(cand[start]);
        if (clustered[Node(start, startDigit)]) continue;
        s.Pump();

        // Spread the two colours (0 = uncoloured) breadth first.
        std::array<std::uint8_t, 729> colour{};
        std::array<int, 729> queue{};
        int head = 0, tail = 0;
        bool consistent = true;
        colour[Node(start, startDigit)] = 1;
        queue[tail++] = Node(start, startDigit);
        const auto link = [&](int cell, int d, std::uint8_t c) {
            const int n = Node(cell, d);
            if (colour[n] == 0) {
                colour[n] = c;
                queue[tail++] = n;
            } else if (colour[n] != c) {
                // An odd loop of links: the grid itself is contradictory (only
                // possible under a trial assumption). Draw no conclusion.
                consistent = false;
            }
        };
        while (head < tail) {
            const int n = queue[head++];
            const int cell = n / 9, d = n % 9 + 1;
            const auto other = static_cast<std::uint8_t>(3 - colour[n]);
            if (BitCount[cand[cell]] == 2) link(cell, LowestDigit(cand[cell] & ~DigitBit(d)), other);
            for (int u : UnitsOfCell[cell]) {
                const auto& p = pair[u][d];
                if (p[0] < 0) continue;
                link(p[0] == cell ? p[1] : p[0], d, other);
            }
        }
        for (int i = 0; i < tail; ++i) clustered[queue[i]] = true;
        if (!consistent) continue;

        // Per colour: the digits of that colour in each cell, and the digits
        // that a cell sees in that colour (same digit in a peer).
        std::array<std::array<std::uint16_t, 81>, 3> inCell{}, seen{};
        for (int i = 0; i < tail; ++i) {
            const int n = queue[i];
            const int cell = n / 9, d = n % 9 + 1;
            inCell[colour[n]][cell] |= DigitBit(d);
            for (int p : Peers[cell]) seen[colour[n]][p] |= DigitBit(d);
        }

        // Explanations: the candidates of the two colours (groups 0 and 1).
        const auto record = [&](const char* note) {
            s.pattern->Kind(PatternKind::Colouring).note = note;
            for (int x = 1; x <= 2; ++x)
                for (int cell = 0; cell < 81; ++cell)
                    if (inCell[x][cell] != 0) s.pattern->Cell(cell, inCell[x][cell], Role::Set, x - 1);
        };

        // Colour contradictions.
        int falseColour = 0;
        for (int x = 1; x <= 2 && falseColour == 0; ++x) {
            const int y = 3 - x;
            for (int cell = 0; cell < 81 && falseColour == 0; ++cell) {
                // (a) two digits of colour X in one cell.
                if (BitCount[inCell[x][cell]] >= 2) falseColour = x;
                // (b) a digit of colour X seen by the same digit of colour X:
                // the two cells share a unit.
                else if (inCell[x][cell] & seen[x][cell]) falseColour = x;
                // (c) a cell emptied by colour X.
                else if (cand[cell] != 0 && inCell[x][cell] == 0 &&
                         (cand[cell] & ~(inCell[y][cell] | seen[x][cell])) == 0)
                    falseColour = x;
            }
        }
        if (falseColour != 0) {
            bool removed = false;
            for (int cell = 0; cell < 81; ++cell)
                for (int d = 1; d <= 9; ++d)
                    if (inCell[falseColour][cell] & DigitBit(d)) removed = RemoveCandidate(s, d, cell) || removed;
            if (removed) {
                s.stepNote = "3D Medusa (colour contradiction)";
                if (s.pattern != nullptr) record("colour contradiction");
                return true;
            }
            continue;
        }

        // Candidates false whichever colour is true.
        bool removed = false;
        for (int cell = 0; cell < 81; ++cell) {
            const std::uint16_t uncoloured = cand[cell] & ~(inCell[1][cell] | inCell[2][cell]);
            if (uncoloured == 0) continue;
            const std::uint16_t kill1 = inCell[1][cell] != 0 ? kAllDigits : seen[1][cell];
            const std::uint16_t kill2 = inCell[2][cell] != 0 ? kAllDigits : seen[2][cell];
            const auto doomed = static_cast<std::uint16_t>(uncoloured & kill1 & kill2);
            for (int d = 1; d <= 9; ++d)
                if (doomed & DigitBit(d)) removed = RemoveCandidate(s, d, cell) || removed;
        }
        if (removed) {
            if (s.pattern != nullptr) record("");
            return true;
        }
    }
    return false;
}

}  // namespace gw
