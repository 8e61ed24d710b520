// ALS-XZ: two almost locked sets joined by a restricted common digit.
//
// An almost locked set (ALS) is n cells of one unit whose candidates together
// make n + 1 digits; a two-candidate cell is an ALS of one cell. If a digit x
// is restricted common to two ALSs (every cell of either set that holds x sees
// every cell of the other that holds x), at most one of them holds x, so the
// other one is locked on its remaining digits. Hence for any other digit z of
// both sets, z lies in one of them: a cell that sees every z-holder of both
// sets cannot be z.
//
// When z is restricted common as well (doubly linked), one set lacks x and the
// other lacks z, so both are locked: x lies in exactly one of them, z in
// exactly one of them, and every other digit of a set lies inside that set.
// Each of those digits can then leave every cell that sees all its holders.
//
// Stage 1 pairs a two-candidate cell X with an ALS of 2..7 cells in a unit
// through a peer of X; stage 2 pairs two general ALSs of 2..7 cells each.
//
// How the search is kept cheap. The search changes no candidate, so all it
// reads is fixed for the call:
// - Every ALS of every unit is listed once up front, by size and then in
//   increasing cell order. The sets made of a cell C and later cells of
//   "C, then the other open cells of the unit" are exactly the listed sets of
//   that unit that contain C, and in the same order; a search that admits only
//   some cells of the unit sees the listed sets drawn from those cells, again
//   in the same order.
// - Cells, holders of a digit and peers are 81-bit cell sets, so "the cells
//   that see every holder of d in a list and hold d" is a few ANDs.
// - In stage 2 the test of a pair (A, x) does not depend on the anchor C it
//   was reached from, nor the test of a second set B on the cell B0 it was
//   reached from. Either is met again from each of its x-holders; since the
//   first meeting found nothing, the later ones would find nothing either, so
//   only the first meeting (the lowest x-holder) is tested. The sets are
//   grouped by unit, digit and lowest holder of the digit to find those.
// - For each set and digit, the cells seeing all its holders in the set are
//   worked out once, the first time stage 2 needs them.
#include <array>
#include <bit>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "model/cellset.h"
#include "techniques/combinations.h"
#include "techniques/techniques.h"

namespace gw {

namespace {

// The cells that see every cell of the list (all cells for an empty list).
CellSet CommonPeers(CellSet list) {
    CellSet seers = AllCells;
    ForEachCell(list, [&](int c) { seers &= PeerSet[c]; });
    return seers;
}

constexpr int kMaxAlsCells = 7;

// An almost locked set of 2..7 cells of one unit.
struct Als {
    CellSet cells;
    std::uint16_t mask = 0;  // union of the candidates
};

// For one ALS and each of its digits d: the cells that see every holder of d
// in the set, and whether one of them holds d (the set alone can then lose it).
struct AlsSeers {
    std::array<CellSet, 10> seers{};
    std::uint16_t removable = 0;
    bool known = false;
};

// What the search reads, gathered once per call.
struct Board {
    std::array<CellSet, 10> holders{};  // [d]: the cells holding digit d
    std::vector<Als> als;               // every ALS, unit by unit
    std::array<int, 28> unitBegin{};    // ALSs of unit u: [unitBegin[u], unitBegin[u + 1])
    // The ALSs of each unit grouped by a digit and the place of their lowest
    // holder of it, in list order within a group (filled for stage 2 only).
    std::vector<std::uint16_t> byLowestHolder;
    std::array<int, 27 * 81 + 1> groupBegin{};
    std::vector<AlsSeers> seersOf;      // each filled on first use (stage 2 only)

    explicit Board(const GradeState& s) {
        for (int c = 0; c < 81; ++c)
            for (unsigned m = s.CandMask[c]; m != 0; m &= m - 1) holders[1 + std::countr_zero(m)].Set(c);
        als.reserve(256);
        for (int u = 0; u < 27; ++u) {
            unitBegin[u] = static_cast<int>(als.size());
            std::array<int, 9> cells{};
            std::array<std::uint16_t, 512> unionOf{};
            int n = 0;
            for (int k = 0; k < 9; ++k) {
                const int c = UnitCell(u, k);
                if (s.CandMask[c] != 0) cells[n++] = c;
            }
            for (unsigned m = 1; m < (1u << n); ++m)
                unionOf[m] = static_cast<std::uint16_t>(unionOf[m & (m - 1)] | s.CandMask[cells[std::countr_zero(m)]]);
            // The sets of the unit's open cells by size, each size in
            // lexicographic order of the cells' places.
            const auto open = static_cast<std::uint16_t>((1u << n) - 1);
            for (int size = 2; size <= kMaxAlsCells && size <= n; ++size)
                ForEachCombination(open, size, [&](unsigned m) {
                    if (BitCount[unionOf[m]] != BitCount[m] + 1) return false;
                    Als a;
                    a.mask = unionOf[m];
                    for (unsigned w = m; w != 0; w &= w - 1) a.cells.Set(cells[std::countr_zero(w)]);
                    als.push_back(a);
                    return false;
                });
        }
        unitBegin[27] = static_cast<int>(als.size());
    }

    std::span<const Als> Unit(int u) const {
        return {als.data() + unitBegin[u], static_cast<std::size_t>(unitBegin[u + 1] - unitBegin[u])};
    }

    // Group key: unit, digit, place of the lowest holder.
    static int Group(int u, int d, int place) { return 81 * u + 9 * (d - 1) + place; }

    // The place of a cell in unit u (one of the cell's units).
    static int PlaceIn(int u, int c) {
        if (u < ColUnit(0)) return ColOf[c];       // a row: the cell's column
        if (u < BoxUnit(0)) return RowOf[c];       // a column: the cell's row
        return 3 * (RowOf[c] % 3) + ColOf[c] % 3;  // a box: row by row
    }
    static int LowestPlace(int u, CellSet cells) { return PlaceIn(u, cells.First()); }

    void GroupByLowestHolder() {
        std::array<int, 27 * 81 + 1> count{};
        for (int u = 0; u < 27; ++u)
            for (int i = unitBegin[u]; i < unitBegin[u + 1]; ++i)
                for (unsigned m = als[i].mask; m != 0; m &= m - 1) {
                    const int d = 1 + std::countr_zero(m);
                    ++count[Group(u, d, LowestPlace(u, als[i].cells & holders[d]))];
                }
        int at = 0;
        for (std::size_t g = 0; g < count.size(); ++g) {
            groupBegin[g] = at;
            at += count[g];
        }
        byLowestHolder.resize(static_cast<std::size_t>(at));
        std::array<int, 27 * 81 + 1> next = groupBegin;
        for (int u = 0; u < 27; ++u)
            for (int i = unitBegin[u]; i < unitBegin[u + 1]; ++i)
                for (unsigned m = als[i].mask; m != 0; m &= m - 1) {
                    const int d = 1 + std::countr_zero(m);
                    byLowestHolder[next[Group(u, d, LowestPlace(u, als[i].cells & holders[d]))]++] =
                        static_cast<std::uint16_t>(i);
                }
        seersOf.resize(als.size());
    }

    // The ALSs of unit u that hold d and whose lowest holder of d is the
    // cell at `place`, in list order.
    std::span<const std::uint16_t> LowestHolderGroup(int u, int d, int place) const {
        const int g = Group(u, d, place);
        return {byLowestHolder.data() + groupBegin[g], static_cast<std::size_t>(groupBegin[g + 1] - groupBegin[g])};
    }

    const AlsSeers& SeersOf(int i) {
        AlsSeers& out = seersOf[static_cast<std::size_t>(i)];
        if (out.known) return out;
        out.known = true;
        const Als& a = als[static_cast<std::size_t>(i)];
        for (unsigned m = a.mask; m != 0; m &= m - 1) {
            const int d = 1 + std::countr_zero(m);
            out.seers[d] = CommonPeers(a.cells & holders[d]);
            if ((out.seers[d] & holders[d]).Any()) out.removable = static_cast<std::uint16_t>(out.removable | (1u << (d - 1)));
        }
        return out;
    }

    // The cells that see every holder of the digit in the list and hold the
    // digit; empty when the list holds no such digit. Listed cells never
    // qualify: a holder is not its own peer, and the others lack the digit.
    CellSet SeersOfHolders(CellSet list, int digit) const {
        const CellSet held = list & holders[digit];
        if (held.Empty()) return {};
        return CommonPeers(held) & holders[digit];
    }
};

// Removes the digit from every cell that sees every holder of it in the list,
// in cell order, reading the candidates as they stand now (earlier removals
// of the same find may have taken the digit from listed cells). A list with
// no holder of the digit names no cell.
bool RemoveFromSeers(GradeState& s, CellSet list, int digit) {
    const std::uint16_t bit = DigitBit(digit);
    CellSet held;
    ForEachCell(list, [&](int c) {
        if (s.CandMask[c] & bit) held.Set(c);
    });
    if (held.Empty()) return false;
    bool any = false;
    ForEachCell(CommonPeers(held), [&](int c) {
        if (s.CandMask[c] & bit) any = RemoveCandidate(s, digit, c) || any;
    });
    return any;
}

// Stage 1: a two-candidate cell X with digits r (tried as the restricted
// common digit) and z (the digit to remove), and an ALS A whose first cell Y
// is a peer of X holding r. The unit of A is chosen so that every r-holder of
// A sees X.
struct Stage1Find {
    CellSet zList;  // X and the z-holders of A
    CellSet rList;  // X and the r-holders of A that see X (doubly linked only)
    Als als;
    int r = 0;
    int z = 0;
    bool doubly = false;
};

// Tests one ALS against X; on a find fills `find` and returns true.
bool TestStage1(const Board& b, int x, int r, int z, const Als& a, Stage1Find& find) {
    const CellSet zHolders = a.cells & b.holders[z];
    if (zHolders.Empty()) return false;  // A does not hold z
    // Doubly linked when every z-holder of A sees X too.
    const bool doubly = zHolders.Without(PeerSet[x]).Empty();
    CellSet zList = zHolders;
    zList.Set(x);
    CellSet rList;
    if (doubly) {
        rList = a.cells & b.holders[r] & PeerSet[x];
        rList.Set(x);
    }
    bool found = b.SeersOfHolders(zList, z).Any();
    if (!found && doubly) {
        found = b.SeersOfHolders(rList, r).Any();
        for (unsigned m = a.mask & ~(DigitBit(r) | DigitBit(z)); m != 0 && !found; m &= m - 1)
            found = b.SeersOfHolders(a.cells, 1 + std::countr_zero(m)).Any();
    }
    if (!found) return false;
    find.zList = zList;
    find.rList = rList;
    find.als = a;
    find.r = r;
    find.z = z;
    find.doubly = doubly;
    return true;
}

// Applies a stage-1 find in full, whichever of its tests succeeded.
bool ApplyStage1(GradeState& s, const Stage1Find& f) {
    bool any = RemoveFromSeers(s, f.zList, f.z);
    if (f.doubly) {
        any = RemoveFromSeers(s, f.rList, f.r) || any;
        for (unsigned m = f.als.mask & ~(DigitBit(f.r) | DigitBit(f.z)); m != 0; m &= m - 1)
            any = RemoveFromSeers(s, f.als.cells, 1 + std::countr_zero(m)) || any;
    }
    return any;
}

bool FindStage1(GradeState& s, const Board& b, Stage1Find& find) {
    for (int x = 0; x < 81; ++x) {
        const std::uint16_t xMask = s.CandMask[x];
        if (BitCount[xMask] != 2) continue;
        int r = LowestDigit(xMask);
        int z = LowestDigit(xMask & ~DigitBit(r));
        const CellSet& xBox = UnitSet[BoxUnitOf(x)];
        const CellSet xLines = UnitSet[RowUnitOf(x)] | UnitSet[ColUnitOf(x)];

        for (int y : Peers[x]) {
            s.Pump();
            if (s.CandMask[y] == 0) continue;
            const CellSet yCell = CellSet::Of(y);
            for (int pass = 0; pass < 2; ++pass) {
                if (s.CandMask[y] & DigitBit(r)) {
                    // The sets of Y and open cells of one unit through Y in
                    // which every r-holder other than Y lies in `allowed`
                    // (there it sees X).
                    auto search = [&](int unit, const CellSet& allowed) -> bool {
                        for (const Als& a : b.Unit(unit)) {
                            if (!a.cells.Test(y)) continue;
                            if ((a.cells & b.holders[r]).Without(allowed).Without(yCell).Any()) continue;
                            s.Pump();
                            if (TestStage1(b, x, r, z, a, find)) return true;
                        }
                        return false;
                    };
                    // Y in X's row: Y's column, r-holders inside X's box.
                    if (RowOf[y] == RowOf[x] && search(ColUnitOf(y), xBox)) return true;
                    // Y in X's column: Y's row, r-holders inside X's box.
                    if (ColOf[y] == ColOf[x] && search(RowUnitOf(y), xBox)) return true;
                    // Y outside X's box: Y's box, r-holders in X's row or column.
                    if (BoxOf[y] != BoxOf[x] && search(BoxUnitOf(y), xLines)) return true;
                }
                // Nothing with this r: try the other digit as r. The exchange is
                // made once per peer, so the next peer starts from the pair as
                // this one left it.
                if (pass == 0) std::swap(r, z);
            }
        }
    }
    return false;
}

// Stage 2 find: two ALSs, the restricted common digit x and the digit z.
struct AlsPairRecord {
    int ZDigit = 0;
    int LinkDigit = 0;
    Als A;
    Als B;
    std::uint16_t ExtraMaskA = 0;  // A's union when doubly linked, else 0
    std::uint16_t ExtraMaskB = 0;
};

void RecordAlsPair(AlsPairRecord& rec, const Als& a, const Als& b, int x, int z, bool doubly) {
    rec.A = a;
    rec.B = b;
    rec.LinkDigit = x;
    rec.ZDigit = z;
    rec.ExtraMaskA = doubly ? a.mask : 0;
    rec.ExtraMaskB = doubly ? b.mask : 0;
}

bool AllInOneUnit(const Als& a, const Als& b) {
    const CellSet all = a.cells | b.cells;
    const int first = a.cells.First();
    return all.Without(UnitSet[RowUnitOf(first)]).Empty() || all.Without(UnitSet[ColUnitOf(first)]).Empty() ||
           all.Without(UnitSet[BoxUnitOf(first)]).Empty();
}

// Looks for a second ALS B for which x is restricted common with A (ALS
// number `ai`, in unit `unitA` of kind k), and a digit
// z of both whose elimination (or, when doubly linked, one of the further
// eliminations) finds something. Records the first such pair.
bool FindSecondAls(GradeState& s, Board& bd, int ai, int x, UnitKind k, int unitA, AlsPairRecord& rec) {
    const Als a = bd.als[static_cast<std::size_t>(ai)];
    const std::uint16_t xBit = DigitBit(x);
    const CellSet xHolders = a.cells & bd.holders[x];
    // The x-holders of a box set that spread over two rows and two columns are
    // seen together only from inside that box.
    if (k == kBoxUnit) {
        const int first = xHolders.First();
        if (xHolders.Without(UnitSet[RowUnitOf(first)]).Any() && xHolders.Without(UnitSet[ColUnitOf(first)]).Any())
            return false;
    }
    const AlsSeers& seersA = bd.SeersOf(ai);
    const CellSet& seesAllX = seersA.seers[x];
    // B starts at a cell holding x that sees every x-holder of A (such a cell
    // is never in A). For a box set A, B is a box set too and lies in another
    // box, so its first cell does.
    CellSet firstCells = seesAllX & bd.holders[x];
    if (k == kBoxUnit) firstCells = firstCells.Without(UnitSet[unitA]);
    if (firstCells.Empty()) return false;

    auto testPair = [&](int bi) -> bool {
        const Als& b = bd.als[static_cast<std::size_t>(bi)];
        if (AllInOneUnit(a, b)) return false;
        const std::uint16_t common = a.mask & b.mask & ~xBit;
        if (common == 0) return false;
        const AlsSeers& seersB = bd.SeersOf(bi);
        for (unsigned m = common; m != 0; m &= m - 1) {
            const int z = 1 + std::countr_zero(m);
            // Doubly linked when every z-holder of B sees every z-holder of A.
            const bool doubly = (b.cells & bd.holders[z]).Without(seersA.seers[z]).Empty();
            if ((seersA.seers[z] & seersB.seers[z] & bd.holders[z]).Any()) {
                RecordAlsPair(rec, a, b, x, z, doubly);
                return true;
            }
            if (!doubly) continue;
            const auto others = static_cast<std::uint16_t>(~(xBit | DigitBit(z)));
            if ((seesAllX & seersB.seers[x] & bd.holders[x]).Any() ||
                ((seersA.removable | seersB.removable) & others) != 0) {
                RecordAlsPair(rec, a, b, x, z, doubly);
                return true;
            }
        }
        return false;
    };

    bool found = false;
    ForEachCell(firstCells, [&](int b0) {
        if (found) return;
        for (int kind = k; kind <= kBoxUnit && !found; ++kind) {
            const int unitB = UnitOfCell(b0, static_cast<UnitKind>(kind));
            if (unitB == unitA) continue;
            // A set met again from a later x-holder was tested already.
            for (const std::uint16_t bi : bd.LowestHolderGroup(unitB, x, Board::PlaceIn(unitB, b0))) {
                const Als& b = bd.als[bi];
                if ((b.cells & a.cells).Any() || (b.cells & bd.holders[x]).Without(seesAllX).Any()) continue;
                s.Pump();
                if (testPair(bi)) {
                    found = true;
                    break;
                }
            }
        }
    });
    return found;
}

// Stage 2 search: every ALS A around an anchor cell C (C and 1..6 further
// cells of one of C's units), for every candidate x of C, handed to
// FindSecondAls. Stops at the first recorded pair.
bool FindAlsPair(GradeState& s, Board& bd, AlsPairRecord& rec) {
    bd.GroupByLowestHolder();
    for (int c = 0; c < 81; ++c) {
        for (unsigned m = s.CandMask[c]; m != 0; m &= m - 1) {
            const int x = 1 + std::countr_zero(m);
            for (const UnitKind k : {kRowUnit, kColUnit, kBoxUnit}) {
                const int unit = UnitOfCell(c, k);
                // The sets of the unit that contain C, taken only where C is
                // their lowest x-holder: from a later x-holder the same set was
                // tested already.
                for (const std::uint16_t ai : bd.LowestHolderGroup(unit, x, Board::PlaceIn(unit, c)))
                    if (FindSecondAls(s, bd, ai, x, k, unit, rec)) return true;
            }
        }
    }
    return false;
}

// Applies a recorded pair: z first, then (doubly linked) x and every other
// digit of each set, each step reading the candidates as the previous steps
// left them.
bool ApplyAlsPair(GradeState& s, const AlsPairRecord& rec) {
    const CellSet both = rec.A.cells | rec.B.cells;
    bool any = RemoveFromSeers(s, both, rec.ZDigit);
    if (rec.ExtraMaskA != 0) {
        any = RemoveFromSeers(s, both, rec.LinkDigit) || any;
        for (int d = 1; d <= 9; ++d) {
            if (d == rec.LinkDigit || d == rec.ZDigit) continue;
            if (rec.ExtraMaskA & DigitBit(d)) any = RemoveFromSeers(s, rec.A.cells, d) || any;
            if (rec.ExtraMaskB & DigitBit(d)) any = RemoveFromSeers(s, rec.B.cells, d) || any;
        }
    }
    return any;
}

// Explanations: the two sets (groups 0 and 1), the restricted common digit x
// and the digit z.
void RecordAls(const GradeState& s, CellSet a, CellSet b, int x, int z, bool doubly) {
    s.pattern->Kind(PatternKind::Als).Digit(z).note =
        "x=" + std::to_string(x) + ", z=" + std::to_string(z) + (doubly ? ", doubly linked" : "");
    ForEachCell(a, [&](int c) { s.pattern->Cell(c, s.CandMask[c], Role::Set, 0); });
    ForEachCell(b, [&](int c) { s.pattern->Cell(c, s.CandMask[c], Role::Set, 1); });
}

}  // namespace

bool TryAlsXZ(GradeState& s) {
    Board board(s);
    Stage1Find find;
    if (FindStage1(s, board, find)) {
        // The two-candidate cell is the second set.
        s.stepSize.nodes = static_cast<std::uint16_t>(find.als.cells.Count() + 1);
        if (s.pattern != nullptr)
            RecordAls(s, find.als.cells, find.zList.Without(find.als.cells), find.r, find.z, find.doubly);
        return ApplyStage1(s, find);
    }
    AlsPairRecord rec;
    if (FindAlsPair(s, board, rec)) {
        s.stepSize.nodes = static_cast<std::uint16_t>(rec.A.cells.Count() + rec.B.cells.Count());
        if (s.pattern != nullptr) RecordAls(s, rec.A.cells, rec.B.cells, rec.LinkDigit, rec.ZDigit, rec.ExtraMaskA != 0);
        return ApplyAlsPair(s, rec);
    }
    return false;
}

}  // namespace gw
