// Conversion tables between cells, rows, columns and boxes.
//
// Cells are numbered 0..80 row by row, boxes 0..8 row by row over the 3x3
// blocks, and positions inside a box 0..8 row by row. The tables are built
// once at compile time and never change.
#pragma once

#include <array>
#include <cstdint>

namespace gw {

struct ConversionTables {
    std::array<int, 81> rowOf{};
    std::array<int, 81> colOf{};
    std::array<int, 81> boxOf{};
    std::array<int, 81> boxStartOf{};
    std::array<std::array<int, 9>, 9> cellAt{};   // [row][col]
    std::array<std::array<int, 9>, 9> boxAt{};    // [row][col]
    std::array<int, 9> boxStart{};
    std::array<int, 9> boxTopRow{};
    std::array<int, 9> boxLeftCol{};
    std::array<std::array<int, 9>, 9> boxCell{};  // [box][position]
    std::array<int, 512> bitCount{};
    // The 20 peers of every cell in ascending order (not part of the classic
    // set of tables, but nearly every technique wants them).
    std::array<std::array<int, 20>, 81> peers{};
};

constexpr ConversionTables InitConversionArrays() {
    ConversionTables t{};
    for (int cell = 0; cell < 81; ++cell) {
        t.rowOf[cell] = cell / 9;
        t.colOf[cell] = cell % 9;
        t.boxOf[cell] = 3 * (cell / 27) + (cell % 9) / 3;
        t.boxStartOf[cell] = 27 * (cell / 27) + 3 * ((cell % 9) / 3);
    }
    for (int r = 0; r < 9; ++r) {
        for (int c = 0; c < 9; ++c) {
            t.cellAt[r][c] = 9 * r + c;
            t.boxAt[r][c] = 3 * (r / 3) + c / 3;
        }
    }
    for (int b = 0; b < 9; ++b) {
        t.boxStart[b] = 27 * (b / 3) + 3 * (b % 3);
        t.boxTopRow[b] = 3 * (b / 3);
        t.boxLeftCol[b] = 3 * (b % 3);
    }
    for (int v = 0; v < 512; ++v) {
        int n = 0;
        for (int x = v; x != 0; x /= 2) n += x % 2;
        t.bitCount[v] = n;
    }
    for (int br = 0; br < 3; ++br)
        for (int bc = 0; bc < 3; ++bc)
            for (int ro = 0; ro < 3; ++ro)
                for (int co = 0; co < 3; ++co)
                    t.boxCell[3 * br + bc][3 * ro + co] = 27 * br + 3 * bc + 9 * ro + co;
    for (int cell = 0; cell < 81; ++cell) {
        int n = 0;
        for (int x = 0; x < 81; ++x) {
            if (x == cell) continue;
            if (t.rowOf[x] == t.rowOf[cell] || t.colOf[x] == t.colOf[cell] ||
                t.boxOf[x] == t.boxOf[cell])
                t.peers[cell][n++] = x;
        }
    }
    return t;
}

inline constexpr ConversionTables kTables = InitConversionArrays();

inline constexpr const auto& RowOf = kTables.rowOf;
inline constexpr const auto& ColOf = kTables.colOf;
inline constexpr const auto& BoxOf = kTables.boxOf;
inline constexpr const auto& BoxStartOf = kTables.boxStartOf;
inline constexpr const auto& CellAt = kTables.cellAt;
inline constexpr const auto& BoxAt = kTables.boxAt;
inline constexpr const auto& BoxStart = kTables.boxStart;
inline constexpr const auto& BoxTopRow = kTables.boxTopRow;
inline constexpr const auto& BoxLeftCol = kTables.boxLeftCol;
inline constexpr const auto& BoxCell = kTables.boxCell;
inline constexpr const auto& BitCount = kTables.bitCount;
inline constexpr const auto& Peers = kTables.peers;

// True when two different cells share a row, a column or a box.
constexpr bool Sees(int a, int b) {
    return a != b && (RowOf[a] == RowOf[b] || ColOf[a] == ColOf[b] || BoxOf[a] == BoxOf[b]);
}

// The 27 units are numbered rows 0..8, columns 9..17, boxes 18..26: the unit
// of a kind and an index (row, column or box number) is 9 * kind + index.
enum UnitKind { kRowUnit = 0, kColUnit = 1, kBoxUnit = 2 };

constexpr int UnitNumber(UnitKind kind, int index) { return 9 * kind + index; }
constexpr int RowUnit(int row) { return UnitNumber(kRowUnit, row); }
constexpr int ColUnit(int col) { return UnitNumber(kColUnit, col); }
constexpr int BoxUnit(int box) { return UnitNumber(kBoxUnit, box); }

// The kind of a unit, and its row, column or box number.
constexpr UnitKind KindOfUnit(int unit) { return static_cast<UnitKind>(unit / 9); }
constexpr int IndexOfUnit(int unit) { return unit % 9; }

// The row, column and box unit of a cell.
constexpr int RowUnitOf(int cell) { return RowUnit(RowOf[cell]); }
constexpr int ColUnitOf(int cell) { return ColUnit(ColOf[cell]); }
constexpr int BoxUnitOf(int cell) { return BoxUnit(BoxOf[cell]); }

// The three units of every cell in kind order: row, column, box.
inline constexpr std::array<std::array<int, 3>, 81> UnitsOfCell = [] {
    std::array<std::array<int, 3>, 81> t{};
    for (int c = 0; c < 81; ++c) t[c] = {RowUnitOf(c), ColUnitOf(c), BoxUnitOf(c)};
    return t;
}();

// The cell's unit of the given kind.
constexpr int UnitOfCell(int cell, UnitKind kind) {
    return kind == kRowUnit ? RowUnitOf(cell) : kind == kColUnit ? ColUnitOf(cell) : BoxUnitOf(cell);
}

// The k-th cell of a unit: rows left to right, columns top to bottom, boxes
// row by row.
constexpr int UnitCell(int unit, int k) {
    if (unit < ColUnit(0)) return CellAt[unit][k];
    if (unit < BoxUnit(0)) return CellAt[k][unit - ColUnit(0)];
    return BoxCell[unit - BoxUnit(0)][k];
}

// Bit of digit d (1..9) in a candidate mask.
constexpr std::uint16_t DigitBit(int d) { return static_cast<std::uint16_t>(1u << (d - 1)); }

// The lowest digit in a non-empty mask.
constexpr int LowestDigit(unsigned mask) {
    int d = 1;
    while ((mask & 1u) == 0) {
        mask >>= 1;
        ++d;
    }
    return d;
}

}  // namespace gw
