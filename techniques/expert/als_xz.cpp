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
#include <array>
#include <cstdint>
#include <span>
#include <utility>

#include "techniques/techniques.h"

namespace gw {

namespace {

// A set of cells as an 81-bit mask.
struct Bits81 {
    std::uint64_t lo = 0;
    std::uint64_t hi = 0;

    constexpr void Set(int c) {
        if (c < 64) lo |= std::uint64_t{1} << c;
        else hi |= std::uint64_t{1} << (c - 64);
    }
    constexpr bool Test(int c) const {
        return c < 64 ? ((lo >> c) & 1u) != 0 : ((hi >> (c - 64)) & 1u) != 0;
    }
    constexpr Bits81& operator&=(const Bits81& o) {
        lo &= o.lo;
        hi &= o.hi;
        return *this;
    }
};

constexpr Bits81 AllCells() {
    Bits81 b;
    for (int c = 0; c < 81; ++c) b.Set(c);
    return b;
}

constexpr std::array<Bits81, 81> MakePeerBits() {
    std::array<Bits81, 81> t{};
    for (int c = 0; c < 81; ++c)
        for (int p : Peers[c]) t[c].Set(p);
    return t;
}

constexpr Bits81 kAllCells = AllCells();
constexpr std::array<Bits81, 81> kPeerBits = MakePeerBits();

constexpr bool SameRowColOrBox(int a, int b) { return a == b || Sees(a, b); }

// The cells outside the list that see every listed cell holding the digit and
// hold the digit themselves, read from the candidates as they stand now. A
// list with no holder of the digit has no such cell.
Bits81 SeersOfHolders(const GradeState& s, std::span<const int> cells, int digit) {
    const std::uint16_t bit = DigitBit(digit);
    Bits81 seers = kAllCells;
    bool anyHolder = false;
    for (int c : cells) {
        if ((s.CandMask[c] & bit) == 0) continue;
        seers &= kPeerBits[c];
        anyHolder = true;
    }
    if (!anyHolder) return {};
    Bits81 out;
    for (int c = 0; c < 81; ++c)
        if (seers.Test(c) && (s.CandMask[c] & bit) != 0) out.Set(c);
    // Listed cells never qualify (a holder is not its own peer; a listed cell
    // that does not hold the digit is filtered above already).
    for (int c : cells)
        if (out.Test(c)) {
            if (c < 64) out.lo &= ~(std::uint64_t{1} << c);
            else out.hi &= ~(std::uint64_t{1} << (c - 64));
        }
    return out;
}

// True when some cell outside the list sees every listed holder of the digit
// and still holds the digit.
bool CanRemoveFromSeers(const GradeState& s, std::span<const int> cells, int digit) {
    const Bits81 seers = SeersOfHolders(s, cells, digit);
    return (seers.lo | seers.hi) != 0;
}

// Removes the digit from every cell that CanRemoveFromSeers would name, in
// cell order.
bool RemoveFromSeers(GradeState& s, std::span<const int> cells, int digit) {
    const Bits81 seers = SeersOfHolders(s, cells, digit);
    bool any = false;
    for (int c = 0; c < 81; ++c)
        if (seers.Test(c)) any = RemoveCandidate(s, digit, c) || any;
    return any;
}

constexpr int kMaxAlsCells = 7;

// Cells of one unit that may form a set: the first cell, then the others.
struct CellList {
    std::array<int, 9> cells{};
    int count = 0;
    void Add(int c) {
        if (count < 9) cells[count++] = c;
    }
};

// A set of 1..7 cells with the union of their candidates.
struct CellSet {
    std::array<int, kMaxAlsCells> cells{};
    int count = 0;
    std::uint16_t mask = 0;
    std::span<const int> Span() const { return {cells.data(), static_cast<std::size_t>(count)}; }
};

// Calls onAls for every almost locked set made of list[0] and size - 1 later
// cells of the list, sizes 2..7 ascending and, within a size, the sets in
// increasing list order (the first varying slowest). Partial sets whose union
// is already too wide for the size are cut off, which skips only sets that are
// not ALSs. Stops and returns true as soon as onAls does.
template <class OnAls>
bool ForEachAls(const GradeState& s, const CellList& list, OnAls&& onAls) {
    CellSet set;
    set.count = 1;
    set.cells[0] = list.cells[0];
    const std::uint16_t firstMask = s.CandMask[list.cells[0]];
    const int maxSize = list.count < kMaxAlsCells ? list.count : kMaxAlsCells;
    for (int size = 2; size <= maxSize; ++size) {
        // Depth-first over the remaining size - 1 cells.
        auto extend = [&](auto&& self, int from, std::uint16_t mask) -> bool {
            if (set.count == size) {
                if (BitCount[mask] != size + 1) return false;
                set.mask = mask;
                return onAls(static_cast<const CellSet&>(set));
            }
            const int need = size - set.count;
            for (int i = from; i <= list.count - need; ++i) {
                const auto m = static_cast<std::uint16_t>(mask | s.CandMask[list.cells[i]]);
                if (BitCount[m] > size + 1) continue;
                set.cells[set.count++] = list.cells[i];
                const bool done = self(self, i + 1, m);
                --set.count;
                if (done) return true;
            }
            return false;
        };
        if (BitCount[firstMask] <= size + 1 && extend(extend, 1, firstMask)) return true;
    }
    return false;
}

// Stage 1: a two-candidate cell X with digits r (tried as the restricted
// common digit) and z (the digit to remove), and an ALS A whose first cell Y
// is a peer of X holding r. The unit of A is chosen so that every r-holder of
// A sees X.
struct Stage1Find {
    std::array<int, 8> zList{};
    int zCount = 0;
    std::array<int, 8> rList{};
    int rCount = 0;
    CellSet als;
    int r = 0;
    int z = 0;
    bool doubly = false;
};

// Tests one ALS against X; on a find fills `find` and returns true.
bool TestStage1(GradeState& s, int x, int r, int z, const CellSet& a, Stage1Find& find) {
    const std::uint16_t zBit = DigitBit(z);
    const std::uint16_t rBit = DigitBit(r);
    Stage1Find f;
    f.zList[f.zCount++] = x;
    for (int c : a.Span())
        if (s.CandMask[c] & zBit) f.zList[f.zCount++] = c;
    if (f.zCount == 1) return false;  // A does not hold z

    // Doubly linked when every z-holder of A sees X too.
    f.doubly = true;
    for (int i = 1; i < f.zCount; ++i)
        if (!Sees(f.zList[i], x)) f.doubly = false;
    if (f.doubly) {
        f.rList[f.rCount++] = x;
        for (int c : a.Span())
            if ((s.CandMask[c] & rBit) && Sees(c, x)) f.rList[f.rCount++] = c;
    }

    bool found = CanRemoveFromSeers(s, {f.zList.data(), static_cast<std::size_t>(f.zCount)}, z);
    if (!found && f.doubly) {
        found = CanRemoveFromSeers(s, {f.rList.data(), static_cast<std::size_t>(f.rCount)}, r);
        for (int d = 1; d <= 9 && !found; ++d) {
            if (d == r || d == z || (a.mask & DigitBit(d)) == 0) continue;
            found = CanRemoveFromSeers(s, a.Span(), d);
        }
    }
    if (!found) return false;
    f.als = a;
    f.r = r;
    f.z = z;
    find = f;
    return true;
}

// Applies a stage-1 find in full, whichever of its tests succeeded.
bool ApplyStage1(GradeState& s, const Stage1Find& f) {
    bool any = RemoveFromSeers(s, {f.zList.data(), static_cast<std::size_t>(f.zCount)}, f.z);
    if (f.doubly) {
        any = RemoveFromSeers(s, {f.rList.data(), static_cast<std::size_t>(f.rCount)}, f.r) || any;
        for (int d = 1; d <= 9; ++d) {
            if (d == f.r || d == f.z || (f.als.mask & DigitBit(d)) == 0) continue;
            any = RemoveFromSeers(s, f.als.Span(), d) || any;
        }
    }
    return any;
}

bool FindStage1(GradeState& s, Stage1Find& find) {
    for (int x = 0; x < 81; ++x) {
        const std::uint16_t xMask = s.CandMask[x];
        if (BitCount[xMask] != 2) continue;
        int r = LowestDigit(xMask);
        int z = LowestDigit(xMask & ~DigitBit(r));

        for (int y = 0; y < 81; ++y) {
            s.Pump();
            if (!Sees(x, y) || s.CandMask[y] == 0) continue;
            s.Pump();
            for (int pass = 0; pass < 2; ++pass) {
                if (s.CandMask[y] & DigitBit(r)) {
                    const std::uint16_t rBit = DigitBit(r);
                    // Y plus the open cells of one unit through Y; an r-holder is
                    // admitted only where it sees X.
                    auto search = [&](int unit, auto&& rHolderSeesX) -> bool {
                        CellList list;
                        list.Add(y);
                        for (int k = 0; k < 9; ++k) {
                            const int c = UnitCell(unit, k);
                            if (c == y || s.CandMask[c] == 0) continue;
                            if ((s.CandMask[c] & rBit) && !rHolderSeesX(c)) continue;
                            list.Add(c);
                        }
                        return ForEachAls(s, list, [&](const CellSet& a) {
                            s.Pump();
                            return TestStage1(s, x, r, z, a, find);
                        });
                    };
                    // Y in X's row: Y's column, r-holders inside X's box.
                    if (RowOf[y] == RowOf[x] &&
                        search(9 + ColOf[y], [&](int c) { return BoxOf[c] == BoxOf[x]; }))
                        return true;
                    // Y in X's column: Y's row, r-holders inside X's box.
                    if (ColOf[y] == ColOf[x] &&
                        search(RowOf[y], [&](int c) { return BoxOf[c] == BoxOf[x]; }))
                        return true;
                    // Y outside X's box: Y's box, r-holders in X's row or column.
                    if (BoxOf[y] != BoxOf[x] &&
                        search(18 + BoxOf[y],
                               [&](int c) { return RowOf[c] == RowOf[x] || ColOf[c] == ColOf[x]; }))
                        return true;
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
    CellSet A;
    CellSet B;
    std::uint16_t ExtraMaskA = 0;  // A's union when doubly linked, else 0
    std::uint16_t ExtraMaskB = 0;
};

void RecordAlsPair(AlsPairRecord& rec, const CellSet& a, const CellSet& b, int x, int z, bool doubly) {
    rec.A = a;
    rec.B = b;
    rec.LinkDigit = x;
    rec.ZDigit = z;
    rec.ExtraMaskA = doubly ? a.mask : 0;
    rec.ExtraMaskB = doubly ? b.mask : 0;
}

bool AllInOneUnit(const CellSet& a, const CellSet& b) {
    const int first = a.cells[0];
    bool row = true, col = true, box = true;
    auto check = [&](int c) {
        row = row && RowOf[c] == RowOf[first];
        col = col && ColOf[c] == ColOf[first];
        box = box && BoxOf[c] == BoxOf[first];
    };
    for (int c : a.Span()) check(c);
    for (int c : b.Span()) check(c);
    return row || col || box;
}

// Looks for a second ALS B for which x is restricted common with A (an ALS in
// unit `unitA`, of kind k: 1 row, 2 column, 3 box), and a digit z of both whose
// elimination (or, when doubly linked, one of the further eliminations) finds
// something. Records the first such pair.
bool FindSecondAls(GradeState& s, const CellSet& a, int x, int k, int unitA, AlsPairRecord& rec) {
    const std::uint16_t xBit = DigitBit(x);
    std::array<int, kMaxAlsCells> xHolders{};
    int xCount = 0;
    for (int c : a.Span())
        if (s.CandMask[c] & xBit) xHolders[xCount++] = c;
    bool manyRows = false, manyCols = false;
    Bits81 seesAllX = kAllCells;
    Bits81 inA;
    for (int i = 0; i < xCount; ++i) {
        manyRows = manyRows || RowOf[xHolders[i]] != RowOf[xHolders[0]];
        manyCols = manyCols || ColOf[xHolders[i]] != ColOf[xHolders[0]];
        seesAllX &= kPeerBits[xHolders[i]];
    }
    for (int c : a.Span()) inA.Set(c);
    // The x-holders of a box set that spread over two rows and two columns are
    // seen together only from inside that box.
    if (k == 3 && manyRows && manyCols) return false;

    for (int b0 = 0; b0 < 81; ++b0) {
        if (s.CandMask[b0] == 0 || (s.CandMask[b0] & xBit) == 0 || inA.Test(b0)) continue;
        if (!seesAllX.Test(b0)) continue;
        for (int kind = 1; kind <= 3; ++kind) {
            if (kind < k) continue;
            const int unitB = kind == 1 ? RowOf[b0] : kind == 2 ? 9 + ColOf[b0] : 18 + BoxOf[b0];
            if (unitB == unitA) continue;
            CellList list;
            list.Add(b0);
            for (int i = 0; i < 9; ++i) {
                const int c = UnitCell(unitB, i);
                if (c == b0 || s.CandMask[c] == 0 || inA.Test(c)) continue;
                if ((s.CandMask[c] & xBit) && !seesAllX.Test(c)) continue;
                list.Add(c);
            }
            const bool found = ForEachAls(s, list, [&](const CellSet& b) {
                s.Pump();
                if (AllInOneUnit(a, b)) return false;
                const auto common = static_cast<std::uint16_t>(a.mask & b.mask & ~xBit);
                for (int z = 1; z <= 9; ++z) {
                    const std::uint16_t zBit = DigitBit(z);
                    if ((common & zBit) == 0) continue;
                    std::array<int, 2 * kMaxAlsCells> zList{};
                    int zCount = 0;
                    for (int c : a.Span())
                        if (s.CandMask[c] & zBit) zList[zCount++] = c;
                    for (int c : b.Span())
                        if (s.CandMask[c] & zBit) zList[zCount++] = c;
                    bool doubly = true;
                    for (int i = 0; i < zCount && doubly; ++i)
                        for (int j = i + 1; j < zCount; ++j)
                            if (!SameRowColOrBox(zList[i], zList[j])) {
                                doubly = false;
                                break;
                            }
                    if (CanRemoveFromSeers(s, {zList.data(), static_cast<std::size_t>(zCount)}, z)) {
                        RecordAlsPair(rec, a, b, x, z, doubly);
                        return true;
                    }
                    if (!doubly) continue;
                    std::array<int, 2 * kMaxAlsCells> xList{};
                    int xListCount = 0;
                    for (int c : a.Span())
                        if (s.CandMask[c] & xBit) xList[xListCount++] = c;
                    for (int c : b.Span())
                        if (s.CandMask[c] & xBit) xList[xListCount++] = c;
                    if (CanRemoveFromSeers(s, {xList.data(), static_cast<std::size_t>(xListCount)}, x)) {
                        RecordAlsPair(rec, a, b, x, z, doubly);
                        return true;
                    }
                    for (int d = 1; d <= 9; ++d) {
                        if (d == x || d == z) continue;
                        if ((a.mask & DigitBit(d)) && CanRemoveFromSeers(s, a.Span(), d)) {
                            RecordAlsPair(rec, a, b, x, z, doubly);
                            return true;
                        }
                        if ((b.mask & DigitBit(d)) && CanRemoveFromSeers(s, b.Span(), d)) {
                            RecordAlsPair(rec, a, b, x, z, doubly);
                            return true;
                        }
                    }
                }
                return false;
            });
            if (found) return true;
        }
    }
    return false;
}

// Stage 2 search: every ALS A around an anchor cell C (C first, then 1..6
// further cells of one of C's units), for every candidate x of C, handed to
// FindSecondAls. Stops at the first recorded pair.
bool FindAlsPair(GradeState& s, AlsPairRecord& rec) {
    for (int c = 0; c < 81; ++c) {
        const std::uint16_t cMask = s.CandMask[c];
        if (cMask == 0) continue;
        for (int x = 1; x <= 9; ++x) {
            if ((cMask & DigitBit(x)) == 0) continue;
            for (int k = 1; k <= 3; ++k) {
                const int unit = k == 1 ? RowOf[c] : k == 2 ? 9 + ColOf[c] : 18 + BoxOf[c];
                CellList list;
                list.Add(c);
                for (int i = 0; i < 9; ++i) {
                    const int cell = UnitCell(unit, i);
                    if (cell != c && s.CandMask[cell] != 0) list.Add(cell);
                }
                if (ForEachAls(s, list, [&](const CellSet& a) { return FindSecondAls(s, a, x, k, unit, rec); }))
                    return true;
            }
        }
    }
    return false;
}

// Applies a recorded pair: z first, then (doubly linked) x and every other
// digit of each set, each step reading the candidates as the previous steps
// left them.
bool ApplyAlsPair(GradeState& s, const AlsPairRecord& rec) {
    std::array<int, 2 * kMaxAlsCells> both{};
    int n = 0;
    for (int c : rec.A.Span()) both[n++] = c;
    for (int c : rec.B.Span()) both[n++] = c;
    const std::span<const int> bothSpan{both.data(), static_cast<std::size_t>(n)};
    bool any = RemoveFromSeers(s, bothSpan, rec.ZDigit);
    if (rec.ExtraMaskA != 0) {
        any = RemoveFromSeers(s, bothSpan, rec.LinkDigit) || any;
        for (int d = 1; d <= 9; ++d) {
            if (d == rec.LinkDigit || d == rec.ZDigit) continue;
            if (rec.ExtraMaskA & DigitBit(d)) any = RemoveFromSeers(s, rec.A.Span(), d) || any;
            if (rec.ExtraMaskB & DigitBit(d)) any = RemoveFromSeers(s, rec.B.Span(), d) || any;
        }
    }
    return any;
}

}  // namespace

bool TryAlsXZ(GradeState& s) {
    Stage1Find find;
    if (FindStage1(s, find)) return ApplyStage1(s, find);
    AlsPairRecord rec;
    if (FindAlsPair(s, rec)) return ApplyAlsPair(s, rec);
    return false;
}

}  // namespace gw
