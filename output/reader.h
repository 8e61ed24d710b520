// Reads puzzles that users bring: one-line puzzles (81 cells, optionally
// followed by a level, a solution or CSV fields), nine lines of nine, and every
// file layout Gridwick writes (the nine-line layouts and the raw .sds records).
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/state.h"

namespace gw {

struct InputPuzzle {
    int line = 0;        // first line of the puzzle (record number for .sds data)
    bool record = false; // `line` counts .sds records, not text lines
    std::string text;    // the puzzle as read, 81 characters with '.' for empty when parsed
    Grid grid{};
    std::string error;   // empty when the puzzle parsed (and, once checked, is valid)
    // A grid of pencil marks: where its solver stands. `grid` then holds the
    // givens (the puzzle checked and graded): the puzzle written before the
    // marks on their line, else every filled cell of the marks.
    std::optional<Position> position;
};

// Pencil marks of a whole grid as players write them: 81 cells, each its
// candidates (one digit alone is a filled cell; '.', '0' or '-' a cell not
// marked yet), between spaces, '|' and ':' and in any number of lines, rule
// lines of '-', '+', '.', '=' and ':' ignored; or 729 characters, nine a
// cell, the digit d (or '.' or '0') at the cell's d-th place. False with the
// reason when `text` is no such grid.
bool ParseMarks(std::string_view text, Position& out, std::string& error);

// Longest text line read; a longer one is reported and skipped without being
// stored.
inline constexpr std::size_t kMaxLineLength = 4096;

// Reads puzzles one at a time from a byte source, holding at most one line (or
// one record) in memory, so input of any size and input that still arrives
// (a pipe, a terminal) are read as they come.
//
// The layout is decided per input: data whose first bytes have the shape of a
// .sds record (81 cell bytes 0-9, then solution bytes 1-9) is read as .sds
// records of kSdsRecordLength bytes; anything else is text. A UTF-8
// byte-order mark is skipped.
//
// Puzzles come out parsed but not checked for a unique solution (that is the
// costly part, left to the caller: see CheckPuzzle in runs/grading.h).
class PuzzleReader {
public:
    // Fills up to `n` bytes; returns the count, 0 at the end, -1 on a read
    // error (with errno set).
    using Source = std::function<long(char* buf, std::size_t n)>;

    explicit PuzzleReader(Source source);

    // The next puzzle, or a line that is not one (with `error` set). False at
    // the end of the input or after a read error.
    bool Next(InputPuzzle& out);

    // errno of a failed read, 0 when the input ended normally.
    int ReadError() const { return readErrno_; }
    // Bytes consumed so far (for progress).
    unsigned long long BytesRead() const { return consumed_; }

private:
    bool Fill();                       // more bytes into buf_; false at end or error
    bool NextRecord(InputPuzzle& out);
    bool NextText(InputPuzzle& out);
    bool ReadLine(std::string& line, bool& tooLong);

    Source source_;
    std::string buf_;          // bytes read but not consumed
    std::size_t pos_ = 0;      // first unconsumed byte of buf_
    bool eof_ = false;
    int readErrno_ = 0;
    unsigned long long consumed_ = 0;
    enum class Layout { Unknown, Text, Records } layout_ = Layout::Unknown;
    int lineNo_ = 0;
    int record_ = 0;
    bool stop_ = false;        // the rest of the input is not read
    // Rows of a nine-line grid being gathered.
    std::string rows_;
    std::string rowLines_;  // the same rows as read, a line each (what a bad grid shows)
    int rowsStart_ = 0;
    int rowCount_ = 0;
    int badRow_ = 0;       // the first row (1..9) of them without nine cells, 0 for none
    int badRowCells_ = 0;  // its cells
    std::string BadRow(const char* lead) const;  // lead + "row 2 has 8 cells", "" for none
    bool headerChecked_ = false;
    std::optional<InputPuzzle> held_;  // a line's result that waits behind an incomplete grid
    std::optional<InputPuzzle> title_;  // a line of words that is a title if a grid follows
    std::optional<std::string> replay_;  // a line to read again after a title that was none
    int csvColumn_ = -1;  // the CSV column named "puzzle" by a header (-1: none)
    // The rows of a grid of pencil marks being gathered (a token a cell).
    std::vector<std::string> markCells_;
    int markRows_ = 0;
    int markStart_ = 0;
    std::string markLines_;
};

// "r5c3" for a cell.
std::string CellName(int cell);

}  // namespace gw
