// Printable puzzle books: page layout and drawing of puzzle and solution grids
// into PDF and SVG through cairo.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "model/state.h"

namespace gw::print {

enum class Paper { A4, Letter };

struct PageSize {
    double width, height;  // in points (1/72 inch)
};

PageSize PaperSize(Paper paper);

// Where a grid goes on a page: its top left corner and side, in points from
// the top left of the page. The caption stands just above the grid.
struct GridBox {
    double x, y, size;
};

inline constexpr int kSolutionsPerPage = 12;

// The grid places of a puzzle page with `perPage` (1, 2, 4 or 6) puzzles, and
// of a solution page, in reading order.
std::vector<GridBox> PuzzlePage(Paper paper, int perPage);
std::vector<GridBox> SolutionPage(Paper paper);

struct BookPuzzle {
    int number = 0;
    Grid puzzle{};
    Grid solution{};
    std::string levelName;
    std::string id;  // a short name that finds the puzzle again (empty: none)
};

struct BookOptions {
    Paper paper = Paper::A4;
    int perPage = 4;
    bool solutions = true;
    std::string title;  // empty: no title page
    bool howToPlay = false;  // a page of rules and worked examples after the contents
};

// Writes the book: a title page when asked, the contents (each level and the
// pages of its first puzzle and solution), the how-to-play page when asked,
// the puzzle pages, then the solution pages. False with the reason when cairo cannot write the file.
bool WritePdf(const std::string& path, const std::vector<BookPuzzle>& puzzles, const BookOptions& options,
              std::string& error);

// One puzzle (or, with `solution`, its solution) as a one-grid SVG picture:
// the digits stay text and a <title> names the puzzle, so that any renderer
// and a screen reader can read it.
bool WriteSvg(const std::string& path, const BookPuzzle& puzzle, bool solution, std::string& error);

// Where the bytes of a book or picture go when the caller writes them: false
// stops the drawing (the caller keeps the reason).
using Sink = std::function<bool(const unsigned char* data, unsigned length)>;

// As above, the bytes handed to `sink`; false when the sink or cairo failed
// (`error` has cairo's reason).
bool WritePdf(const Sink& sink, const std::vector<BookPuzzle>& puzzles, const BookOptions& options,
              std::string& error);
bool WriteSvg(const Sink& sink, const BookPuzzle& puzzle, bool solution, std::string& error);

// The same picture as a PNG image of `dpi` dots per inch.
bool WritePng(const Sink& sink, const BookPuzzle& puzzle, bool solution, int dpi, std::string& error);

// A short name for a puzzle that every disguise of it shares: six hex digits
// of a hash of its canonical form.
std::string ShortId(const Grid& puzzle);

// Draws into the file at `path`, written whole or not at all: a fresh
// temporary beside it, created exclusively, renamed over the name (a link
// planted there is replaced, never followed) once every byte is on disk. False
// with the reason (the system's, or the drawing's) when anything failed; the
// previous file is then left as it was.
bool WriteWhole(const std::filesystem::path& path, const std::function<bool(const Sink&, std::string&)>& draw,
                std::string& reason);

}  // namespace gw::print
