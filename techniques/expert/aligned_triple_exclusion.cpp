// Aligned triple exclusion (see aligned_triple_exclusion.h for the pattern).
//
// A single witness is a cell of the segment's line or box, outside the
// segment, with two or three candidates. It sees all three segment cells, so
// an assignment that uses every one of its candidates would leave it empty:
// the assignment is struck when the witness's candidates are a subset of the
// assignment's three digits.
//
// The assignments are the triples (a, b, c) of pairwise different digits that
// segment cells 1, 2 and 3 hold. Whether one is struck depends only on its set
// of digits, so each set is judged once and the verdict reused for all of its
// orderings.
#include "techniques/expert/aligned_triple_exclusion.h"

#include <array>
#include <cstdint>
#include <span>

#include "techniques/combinations.h"
#include "techniques/techniques.h"

namespace gw {

namespace {

struct Segment {
    std::array<int, 3> cells;
    int line;  // unit number: rows 0..8, columns 9..17
    int box;   // 0..8
};

constexpr std::array<Segment, 54> MakeSegments() {
    std::array<Segment, 54> segs{};
    int n = 0;
    for (int r = 0; r < 9; ++r)
        for (int t = 0; t < 3; ++t)
            segs[n++] = {{CellAt[r][3 * t], CellAt[r][3 * t + 1], CellAt[r][3 * t + 2]}, RowUnit(r), BoxOf[CellAt[r][3 * t]]};
    for (int c = 0; c < 9; ++c)
        for (int t = 0; t < 3; ++t)
            segs[n++] = {{CellAt[3 * t][c], CellAt[3 * t + 1][c], CellAt[3 * t + 2][c]}, ColUnit(c), BoxOf[CellAt[3 * t][c]]};
    return segs;
}

constexpr std::array<Segment, 54> kSegments = MakeSegments();

// The witnesses of one segment as candidate masks.
struct Witnesses {
    std::array<std::uint16_t, 12> cells{};  // single cells, line first, then box
    int cellCount = 0;
    std::array<std::uint16_t, 40> groups{};  // unions of three-cell groups
    int groupCount = 0;
};

bool InSegment(const Segment& seg, int cell) {
    return cell == seg.cells[0] || cell == seg.cells[1] || cell == seg.cells[2];
}

// Adds the union of every unordered three of `masks` (the order of the
// members does not change a union, so each group is visited once).
void AddGroups(Witnesses& w, const std::array<std::uint16_t, 6>& masks, int n) {
    ForEachCombination(static_cast<std::uint16_t>((1u << n) - 1), 3, [&](unsigned, std::span<const int> k) {
        w.groups[w.groupCount++] = static_cast<std::uint16_t>(masks[k[0]] | masks[k[1]] | masks[k[2]]);
        return false;
    });
}

Witnesses CollectWitnesses(const GradeState& s, const Segment& seg, bool withGroups) {
    Witnesses w;
    for (const int unit : {seg.line, BoxUnit(seg.box)}) {
        std::array<std::uint16_t, 6> groupCells{};
        int groupCellCount = 0;
        for (int k = 0; k < 9; ++k) {
            const int cell = UnitCell(unit, k);
            if (InSegment(seg, cell)) continue;
            const std::uint16_t m = s.CandMask[cell];
            const int n = BitCount[m];
            if (n == 2 || n == 3) w.cells[w.cellCount++] = m;
            if (n >= 2 && n <= 5) groupCells[groupCellCount++] = m;
        }
        if (withGroups) AddGroups(w, groupCells, groupCellCount);
    }
    return w;
}

bool Struck(const Witnesses& w, unsigned triple) {
    for (int i = 0; i < w.cellCount; ++i)
        if ((w.cells[i] & ~triple) == 0) return true;
    for (int i = 0; i < w.groupCount; ++i)
        if (GroupStrikes(w.groups[i], triple)) return true;
    return false;
}

// Judges the segment's assignments; true when it removed anything.
bool ExcludeInSegment(GradeState& s, const Segment& seg, bool withGroups) {
    const Witnesses w = CollectWitnesses(s, seg, withGroups);
    std::array<std::uint16_t, 3> holds{};
    for (int i = 0; i < 3; ++i) holds[i] = s.CandMask[seg.cells[i]];

    // Verdict per digit set: 0 not judged yet, 1 possible, 2 struck.
    std::array<std::uint8_t, 512> verdict{};
    std::array<std::uint16_t, 3> supported{};
    for (int a = 1; a <= 9; ++a) {
        if (!(holds[0] & DigitBit(a))) continue;
        for (int b = 1; b <= 9; ++b) {
            if (b == a || !(holds[1] & DigitBit(b))) continue;
            for (int c = 1; c <= 9; ++c) {
                if (c == a || c == b || !(holds[2] & DigitBit(c))) continue;
                const unsigned triple = DigitBit(a) | DigitBit(b) | DigitBit(c);
                if (verdict[triple] == 0) verdict[triple] = Struck(w, triple) ? 2 : 1;
                if (verdict[triple] == 2) continue;
                supported[0] = static_cast<std::uint16_t>(supported[0] | DigitBit(a));
                supported[1] = static_cast<std::uint16_t>(supported[1] | DigitBit(b));
                supported[2] = static_cast<std::uint16_t>(supported[2] | DigitBit(c));
            }
        }
    }

    bool removed = false;
    for (int v = 1; v <= 9; ++v) {
        for (int i = 0; i < 3; ++i) {
            if ((holds[i] & DigitBit(v)) && !(supported[i] & DigitBit(v))) {
                RemoveCandidate(s, v, seg.cells[i]);
                removed = true;
            }
        }
    }
    if (removed && s.pattern != nullptr) {
        // The three aligned cells and the digits each keeps in some combination.
        s.pattern->Kind(PatternKind::Exclusion).Unit(seg.line, Role::Base).Unit(BoxUnit(seg.box), Role::Base);
        for (int i = 0; i < 3; ++i) s.pattern->Cell(seg.cells[i], supported[i], Role::Base);
    }
    return removed;
}

}  // namespace

bool AlignedTripleExclusion(GradeState& s, bool withGroups) {
    for (const Segment& seg : kSegments) {
        s.Pump();
        if (s.SolveGrid[seg.cells[0]] != 0 || s.SolveGrid[seg.cells[1]] != 0 || s.SolveGrid[seg.cells[2]] != 0)
            continue;
        if (ExcludeInSegment(s, seg, withGroups)) return true;
    }
    return false;
}

bool TryAlignedTripleExclusion(GradeState& s) { return AlignedTripleExclusion(s, false); }

}  // namespace gw
