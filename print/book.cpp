#include "print/book.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "model/canonical.h"
#include "output/replacing_file.h"

namespace gw::print {

namespace {

constexpr double kMm = 72 / 25.4;
// Margins: the grids and texts keep 15 mm from the sides of the paper and
// 12 mm from the top. The page number's centre stands 15 mm above the bottom
// edge, so the number keeps more than 12 mm, clear of what printers cut or
// leave blank; the grids end 20 mm above the edge.
constexpr double kSide = 15 * kMm, kTop = 12 * kMm, kBottom = 20 * kMm, kPageNumber = 15 * kMm;
constexpr const char* kFont = "sans-serif";

struct Grid3 {
    int cols, rows;
    double caption;  // height of the caption line above each grid
};

Grid3 Arrangement(int perPage) {
    switch (perPage) {
        case 1: return {1, 1, 22};
        case 2: return {1, 2, 18};
        case 6: return {2, 3, 14};
        default: return {2, 2, 16};
    }
}

// The largest equal grids that fit `cols` by `rows` between the margins, with
// `gap` between neighbours; the room left over is shared out evenly around
// and between them.
std::vector<GridBox> Place(Paper paper, int cols, int rows, double caption, double gap) {
    const PageSize page = PaperSize(paper);
    const double width = page.width - 2 * kSide, height = page.height - kTop - kBottom;
    const double size = std::min((width - (cols - 1) * gap) / cols, (height - rows * caption - (rows - 1) * gap) / rows);
    const double spareX = (width - cols * size - (cols - 1) * gap) / (cols + 1);
    const double spareY = (height - rows * (size + caption) - (rows - 1) * gap) / (rows + 1);
    std::vector<GridBox> out;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            out.push_back({kSide + spareX * (c + 1) + c * (size + gap),
                           kTop + spareY * (r + 1) + r * (size + caption + gap) + caption, size});
    return out;
}

void SetFont(cairo_t* cr, bool bold, double size) {
    cairo_select_font_face(cr, kFont, CAIRO_FONT_SLANT_NORMAL, bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
}

// Draws text with its centre at (cx, cy).
void Centred(cairo_t* cr, const std::string& text, double cx, double cy) {
    cairo_text_extents_t e;
    cairo_text_extents(cr, text.c_str(), &e);
    cairo_move_to(cr, cx - (e.x_bearing + e.width / 2), cy - (e.y_bearing + e.height / 2));
    cairo_show_text(cr, text.c_str());
}

std::string Caption(const BookPuzzle& p) { return "No. " + std::to_string(p.number) + " \u00b7 " + p.levelName; }

// One grid: the caption (with `note` at its right, smaller), the digits
// (givens bold; with `solution`, the other cells in grey), thin cell lines and
// thick box lines.
void DrawGrid(cairo_t* cr, const GridBox& box, const BookPuzzle& p, bool solution, double captionSize,
              const std::string& note = {}) {
    const double cell = box.size / 9;
    cairo_set_source_rgb(cr, 0, 0, 0);
    SetFont(cr, true, captionSize);
    cairo_move_to(cr, box.x, box.y - captionSize * 0.45);
    cairo_show_text(cr, Caption(p).c_str());
    if (!note.empty()) {
        SetFont(cr, false, captionSize * 0.8);
        cairo_text_extents_t e;
        cairo_text_extents(cr, note.c_str(), &e);
        cairo_set_source_rgb(cr, 0.3, 0.3, 0.3);
        cairo_move_to(cr, box.x + box.size - e.x_advance, box.y - captionSize * 0.45);
        cairo_show_text(cr, note.c_str());
        cairo_set_source_rgb(cr, 0, 0, 0);
    }

    const double digitSize = cell * 0.62;
    for (int c = 0; c < 81; ++c) {
        const bool given = p.puzzle[static_cast<std::size_t>(c)] != 0;
        const int d = given ? p.puzzle[static_cast<std::size_t>(c)] : (solution ? p.solution[static_cast<std::size_t>(c)] : 0);
        if (d == 0) continue;
        SetFont(cr, given, digitSize);
        const double shade = given ? 0 : 0.38;
        cairo_set_source_rgb(cr, shade, shade, shade);
        Centred(cr, std::string(1, static_cast<char>('0' + d)), box.x + (c % 9 + 0.5) * cell,
                box.y + (c / 9 + 0.5) * cell);
    }

    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
    const double thin = std::max(0.5, box.size / 600), thick = std::max(1.6, box.size / 130);
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i <= 9; ++i) {
            if ((i % 3 == 0) != (pass == 1)) continue;
            cairo_move_to(cr, box.x + i * cell, box.y);
            cairo_line_to(cr, box.x + i * cell, box.y + box.size);
            cairo_move_to(cr, box.x, box.y + i * cell);
            cairo_line_to(cr, box.x + box.size, box.y + i * cell);
        }
        cairo_set_line_width(cr, pass == 0 ? thin : thick);
        cairo_stroke(cr);
    }
}

void Footer(cairo_t* cr, Paper paper, const std::string& text) {
    const PageSize page = PaperSize(paper);
    cairo_set_source_rgb(cr, 0.3, 0.3, 0.3);
    SetFont(cr, false, 9);
    Centred(cr, text, page.width / 2, page.height - kPageNumber);
}

bool Finish(cairo_surface_t* surface, cairo_t* cr, std::string& error) {
    cairo_status_t st = cairo_status(cr);
    cairo_destroy(cr);
    cairo_surface_finish(surface);
    if (st == CAIRO_STATUS_SUCCESS) st = cairo_surface_status(surface);
    cairo_surface_destroy(surface);
    if (st != CAIRO_STATUS_SUCCESS) {
        error = cairo_status_to_string(st);
        return false;
    }
    return true;
}

}  // namespace

PageSize PaperSize(Paper paper) {
    return paper == Paper::Letter ? PageSize{612, 792} : PageSize{595.276, 841.89};
}

std::vector<GridBox> PuzzlePage(Paper paper, int perPage) {
    const Grid3 a = Arrangement(perPage);
    return Place(paper, a.cols, a.rows, a.caption, 8 * kMm);
}

std::vector<GridBox> SolutionPage(Paper paper) { return Place(paper, 3, 4, 12, 6 * kMm); }

namespace {

cairo_status_t ToSink(void* closure, const unsigned char* data, unsigned length) {
    return (*static_cast<const Sink*>(closure))(data, length) ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

void DrawBook(cairo_surface_t* surface, cairo_t* cr, const std::vector<BookPuzzle>& puzzles, const BookOptions& o);

}  // namespace

bool WritePdf(const std::string& path, const std::vector<BookPuzzle>& puzzles, const BookOptions& o,
              std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        error = std::strerror(errno);
        return false;
    }
    int failure = 0;
    const Sink sink = [&](const unsigned char* data, unsigned length) {
        if (std::fwrite(data, 1, length, file) == length) return true;
        failure = errno;
        return false;
    };
    bool ok = WritePdf(sink, puzzles, o, error);
    if (std::fclose(file) != 0 && ok) {
        failure = errno;
        ok = false;
    }
    if (failure != 0) error = std::strerror(failure);
    return ok;
}

bool WritePdf(const Sink& sink, const std::vector<BookPuzzle>& puzzles, const BookOptions& o, std::string& error) {
    // cairo is never told of a failed write: after one, this cairo crashes
    // while finishing a book with links and bookmarks. The rest of the book
    // goes nowhere and the failure is reported here.
    bool failed = false;
    const Sink guarded = [&](const unsigned char* data, unsigned length) {
        failed = failed || !sink(data, length);
        return true;
    };
    const PageSize page = PaperSize(o.paper);
    cairo_surface_t* surface =
        cairo_pdf_surface_create_for_stream(ToSink, const_cast<Sink*>(&guarded), page.width, page.height);
    cairo_t* cr = cairo_create(surface);
    DrawBook(surface, cr, puzzles, o);
    if (!Finish(surface, cr, error)) return false;
    if (failed) error = "cannot write the book";
    return !failed;
}

namespace {

// Writes `text` wrapped to `width`, its first baseline at `y`; returns the
// baseline after the last line.
double Paragraph(cairo_t* cr, const std::string& text, double x, double y, double width, double lead) {
    std::string line;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find(' ', at);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(at, end - at);
        const std::string longer = line.empty() ? word : line + " " + word;
        cairo_text_extents_t e;
        cairo_text_extents(cr, longer.c_str(), &e);
        if (e.x_advance > width && !line.empty()) {
            cairo_move_to(cr, x, y);
            cairo_show_text(cr, line.c_str());
            y += lead;
            line = word;
        } else {
            line = longer;
        }
        at = end + 1;
    }
    if (!line.empty()) {
        cairo_move_to(cr, x, y);
        cairo_show_text(cr, line.c_str());
        y += lead;
    }
    return y;
}

// Draws text with its right end at x.
void RightAligned(cairo_t* cr, const std::string& text, double x, double y) {
    cairo_text_extents_t e;
    cairo_text_extents(cr, text.c_str(), &e);
    cairo_move_to(cr, x - e.x_advance, y);
    cairo_show_text(cr, text.c_str());
}

// A strip of cells of the how-to-play page: `cells` row by row, '.' empty,
// `found` the cell whose digit the reader works out (shaded, its digit grey).
void Cells(cairo_t* cr, double x, double y, double cell, int cols, const std::string& cells, int found) {
    const int rows = static_cast<int>(cells.size()) / cols;
    const int fr = found / cols, fc = found % cols;
    cairo_set_source_rgb(cr, 0.88, 0.88, 0.88);
    cairo_rectangle(cr, x + fc * cell, y + fr * cell, cell, cell);
    cairo_fill(cr);
    for (int i = 0; i < static_cast<int>(cells.size()); ++i) {
        if (cells[static_cast<std::size_t>(i)] == '.') continue;
        SetFont(cr, i != found, cell * 0.62);
        const double shade = i == found ? 0.38 : 0;
        cairo_set_source_rgb(cr, shade, shade, shade);
        Centred(cr, std::string(1, cells[static_cast<std::size_t>(i)]), x + (i % cols + 0.5) * cell,
                y + (i / cols + 0.5) * cell);
    }
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
    for (int pass = 0; pass < 2; ++pass) {
        for (int c = 0; c <= cols; ++c)
            if ((c % 3 == 0) == (pass == 1)) {
                cairo_move_to(cr, x + c * cell, y);
                cairo_line_to(cr, x + c * cell, y + rows * cell);
            }
        for (int r = 0; r <= rows; ++r)
            if ((r % 3 == 0 || r == rows) == (pass == 1)) {
                cairo_move_to(cr, x, y + r * cell);
                cairo_line_to(cr, x + cols * cell, y + r * cell);
            }
        cairo_set_line_width(cr, pass == 0 ? 0.6 : 2.2);
        cairo_stroke(cr);
    }
}

// A page's heading in large bold type at the top left; returns its baseline.
double PageHeading(cairo_t* cr, double left, const char* text) {
    cairo_set_source_rgb(cr, 0, 0, 0);
    SetFont(cr, true, 24);
    const double y = kTop + 40;
    cairo_move_to(cr, left, y);
    cairo_show_text(cr, text);
    return y;
}

// The rules in a few sentences and two worked examples.
void DrawHowToPlay(cairo_t* cr, Paper paper, bool solutions) {
    const PageSize page = PaperSize(paper);
    const double left = 25 * kMm, width = page.width - 2 * left, lead = 17;
    double y = PageHeading(cr, left, "How to play") + 36;
    SetFont(cr, false, 12);
    const char* rules[] = {
        "Fill in the empty cells so that every row, every column and every 3\u00d73 box (the squares outlined in bold) "
        "holds each digit from 1 to 9 exactly once.",
        "The digits printed at the start stay as they are. Every puzzle has exactly one solution, and you can reach it "
        "by reasoning alone: there is never a need to guess.",
        "Start where a row, a column or a box is nearly full, and look for the one cell where a digit can go. A pencil "
        "helps: note in a corner of a cell the digits that still fit it, and rub them out as you go.",
    };
    for (const char* r : rules) y = Paragraph(cr, r, left, y, width, lead) + 8;

    const double cell = 10 * kMm, stripX = (page.width - 9 * cell) / 2;
    // An example's bold title, then its text; y ends where its picture starts.
    auto example = [&](const char* title, const char* text) {
        SetFont(cr, true, 12);
        y = Paragraph(cr, title, left, y, width, lead);
        SetFont(cr, false, 12);
        y = Paragraph(cr, text, left, y, width, lead) + 4;
    };
    y += 10;
    example("Example: one cell left in a row",
            "This row already holds 1, 2, 3, 4, 5, 7, 8 and 9. The only digit missing is 6, so the empty cell is 6.");
    Cells(cr, stripX, y, cell, 9, "826519473", 2);
    y += cell + 36;

    example("Example: where can the 5 go in the middle box?",
            "A row holds one 5 only. The 5 in the first row and the 5 in the second row rule both rows out for the "
            "middle box, so its 5 is in the third row, where one cell is free.");
    const std::string band = "35......9"
                             "4......51"
                             "..62.7...";
    std::string shown = band;
    shown[2 * 9 + 4] = '5';
    Cells(cr, stripX, y, cell, 9, shown, 2 * 9 + 4);
    // The lines along which the two 5s rule their rows out.
    cairo_set_source_rgb(cr, 0.45, 0.45, 0.45);
    cairo_set_line_width(cr, 1.6);
    cairo_move_to(cr, stripX + 1.8 * cell, y + 0.5 * cell);
    cairo_line_to(cr, stripX + 5.8 * cell, y + 0.5 * cell);
    cairo_move_to(cr, stripX + 7.2 * cell, y + 1.5 * cell);
    cairo_line_to(cr, stripX + 3.2 * cell, y + 1.5 * cell);
    cairo_stroke(cr);
    y += 3 * cell + 36;

    cairo_set_source_rgb(cr, 0, 0, 0);
    SetFont(cr, false, 12);
    Paragraph(cr, solutions ? "Above each puzzle stand its number, its level, a short id that finds it again and the "
                              "page of its solution. In the solutions at the back, the digits given at the start are "
                              "bold and those you fill in are grey."
                            : "Above each puzzle stand its number, its level and a short id that finds it again.",
              left, y, width, lead);
}

// Where each level starts, in page order.
struct ContentsLine {
    std::string name;
    int puzzles = 0;
    int page = 0;
    int solutionPage = 0;
};

// Links of the contents go to named places, one at the top of each page:
// cairo resolves names once the whole book is written, where a link to a page
// number would need that page to exist already.
void Link(cairo_t* cr, int page, bool begin) {
    if (begin) cairo_tag_begin(cr, CAIRO_TAG_LINK, ("dest='p" + std::to_string(page) + "'").c_str());
    else cairo_tag_end(cr, CAIRO_TAG_LINK);
}

void Anchor(cairo_t* cr, int page) {
    const std::string name = "name='p" + std::to_string(page) + "' x=0 y=0";
    cairo_tag_begin(cr, CAIRO_TAG_DEST, name.c_str());
    cairo_tag_end(cr, CAIRO_TAG_DEST);
}

void DrawContents(cairo_t* cr, Paper paper, const std::vector<ContentsLine>& levels, int howToPlayPage,
                  int solutionsPage, bool mixed) {
    const PageSize page = PaperSize(paper);
    const double left = 25 * kMm, right = page.width - left, lead = 24;
    // Columns from the right: solutions (when the book has them), page, count.
    const double pageAt = solutionsPage > 0 ? right - 110 : right, puzzlesAt = pageAt - 90;
    double y = PageHeading(cr, left, "Contents") + 44;

    auto row = [&](const std::string& name, const std::string& count, int at, int solutionAt) {
        Link(cr, at, true);
        cairo_move_to(cr, left, y);
        cairo_show_text(cr, name.c_str());
        RightAligned(cr, count, puzzlesAt, y);
        RightAligned(cr, std::to_string(at), pageAt, y);
        Link(cr, at, false);
        if (solutionAt > 0) {
            Link(cr, solutionAt, true);
            RightAligned(cr, std::to_string(solutionAt), right, y);
            Link(cr, solutionAt, false);
        }
        y += lead;
    };

    SetFont(cr, false, 13);
    if (howToPlayPage > 0) {
        row("How to play", "", howToPlayPage, 0);
        y += 10;
    }
    cairo_set_source_rgb(cr, 0.35, 0.35, 0.35);
    SetFont(cr, false, 10);
    cairo_move_to(cr, left, y);
    cairo_show_text(cr, "Level");
    RightAligned(cr, "Puzzles", puzzlesAt, y);
    RightAligned(cr, "Page", pageAt, y);
    if (solutionsPage > 0) RightAligned(cr, "Solutions", right, y);
    cairo_set_line_width(cr, 0.6);
    cairo_move_to(cr, left, y + 7);
    cairo_line_to(cr, right, y + 7);
    cairo_stroke(cr);
    y += lead;
    cairo_set_source_rgb(cr, 0, 0, 0);
    SetFont(cr, false, 13);
    int total = 0;
    for (const ContentsLine& l : levels) {
        row(l.name, std::to_string(l.puzzles), l.page, l.solutionPage);
        total += l.puzzles;
    }
    cairo_set_source_rgb(cr, 0.35, 0.35, 0.35);
    cairo_move_to(cr, left, y - lead + 7);
    cairo_line_to(cr, right, y - lead + 7);
    cairo_stroke(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    SetFont(cr, true, 13);
    cairo_move_to(cr, left, y);
    cairo_show_text(cr, "All");
    RightAligned(cr, std::to_string(total), puzzlesAt, y);
    y += lead;
    SetFont(cr, false, 13);
    if (solutionsPage > 0) {
        y += 10;
        row("Solutions", "", solutionsPage, 0);
    }
    if (mixed) {
        y += 10;
        cairo_set_source_rgb(cr, 0.35, 0.35, 0.35);
        SetFont(cr, false, 11);
        Paragraph(cr, "The levels are mixed through the book: the page shown is where a level's first puzzle is.",
                  left, y, right - left, 16);
    }
}

void DrawBook(cairo_surface_t* surface, cairo_t* cr, const std::vector<BookPuzzle>& puzzles, const BookOptions& o) {
    const PageSize page = PaperSize(o.paper);
    if (!o.title.empty()) cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_TITLE, o.title.c_str());
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATOR, "Gridwick");

    // The plan of the book: title, contents, how to play, puzzles, solutions.
    const std::vector<GridBox> boxes = PuzzlePage(o.paper, o.perPage);
    const int contentsPage = o.title.empty() ? 1 : 2;
    const int howToPlayPage = o.howToPlay ? contentsPage + 1 : 0;
    const int firstPuzzlePage = std::max(contentsPage, howToPlayPage) + 1;
    const int puzzlePages = static_cast<int>((puzzles.size() + boxes.size() - 1) / boxes.size());
    const int firstSolutionPage = o.solutions ? firstPuzzlePage + puzzlePages : 0;
    const auto puzzlePage = [&](std::size_t i) { return firstPuzzlePage + static_cast<int>(i / boxes.size()); };
    const auto solutionPage = [&](std::size_t i) { return firstSolutionPage + static_cast<int>(i / kSolutionsPerPage); };

    std::vector<ContentsLine> levels;
    bool mixed = false;
    for (std::size_t i = 0; i < puzzles.size(); ++i) {
        auto it = std::find_if(levels.begin(), levels.end(),
                               [&](const ContentsLine& l) { return l.name == puzzles[i].levelName; });
        if (it == levels.end()) {
            levels.push_back({puzzles[i].levelName, 1, puzzlePage(i), o.solutions ? solutionPage(i) : 0});
        } else {
            mixed |= it + 1 != levels.end();
            ++it->puzzles;
        }
    }

    cairo_pdf_surface_add_outline(surface, CAIRO_PDF_OUTLINE_ROOT, "Contents",
                                  ("page=" + std::to_string(contentsPage)).c_str(), CAIRO_PDF_OUTLINE_FLAG_OPEN);
    if (o.howToPlay)
        cairo_pdf_surface_add_outline(surface, CAIRO_PDF_OUTLINE_ROOT, "How to play",
                                      ("page=" + std::to_string(howToPlayPage)).c_str(), CAIRO_PDF_OUTLINE_FLAG_OPEN);
    for (const ContentsLine& l : levels)
        cairo_pdf_surface_add_outline(surface, CAIRO_PDF_OUTLINE_ROOT, l.name.c_str(),
                                      ("page=" + std::to_string(l.page)).c_str(), CAIRO_PDF_OUTLINE_FLAG_OPEN);
    if (o.solutions)
        cairo_pdf_surface_add_outline(surface, CAIRO_PDF_OUTLINE_ROOT, "Solutions",
                                      ("page=" + std::to_string(firstSolutionPage)).c_str(),
                                      CAIRO_PDF_OUTLINE_FLAG_OPEN);

    if (!o.title.empty()) {
        cairo_set_source_rgb(cr, 0, 0, 0);
        SetFont(cr, true, 30);
        Centred(cr, o.title, page.width / 2, page.height * 0.4);
        SetFont(cr, false, 14);
        Centred(cr, std::to_string(puzzles.size()) + (puzzles.size() == 1 ? " puzzle" : " puzzles"), page.width / 2,
                page.height * 0.4 + 40);
        cairo_show_page(cr);
    }

    DrawContents(cr, o.paper, levels, howToPlayPage, firstSolutionPage, mixed);
    Footer(cr, o.paper, std::to_string(contentsPage));
    cairo_show_page(cr);
    if (o.howToPlay) {
        Anchor(cr, howToPlayPage);
        DrawHowToPlay(cr, o.paper, o.solutions);
        Footer(cr, o.paper, std::to_string(howToPlayPage));
        cairo_show_page(cr);
    }

    // Each puzzle names its id and the page of its solution.
    const double caption = Arrangement(o.perPage).caption * 0.7;
    for (std::size_t i = 0; i < puzzles.size(); i += boxes.size()) {
        Anchor(cr, puzzlePage(i));
        for (std::size_t k = 0; k < boxes.size() && i + k < puzzles.size(); ++k) {
            std::string note = puzzles[i + k].id;
            if (o.solutions)
                note += (note.empty() ? "" : " \u00b7 ") + std::string("solution p. ") +
                        std::to_string(solutionPage(i + k));
            DrawGrid(cr, boxes[k], puzzles[i + k], false, caption, note);
        }
        Footer(cr, o.paper, std::to_string(puzzlePage(i)));
        cairo_show_page(cr);
    }

    if (o.solutions) {
        const std::vector<GridBox> small = SolutionPage(o.paper);
        for (std::size_t i = 0; i < puzzles.size(); i += small.size()) {
            Anchor(cr, solutionPage(i));
            for (std::size_t k = 0; k < small.size() && i + k < puzzles.size(); ++k)
                DrawGrid(cr, small[k], puzzles[i + k], true, 8);
            Footer(cr, o.paper, "Solutions \u00b7 " + std::to_string(solutionPage(i)));
            cairo_show_page(cr);
        }
    }
}

// The picture of one grid as SVG text. Written by hand rather than through
// cairo, whose SVG draws each digit as a path: here the digits are <text>,
// readable by any program and by screen readers.
std::string SvgText(const BookPuzzle& p, bool solution) {
    constexpr double kX = 20, kY = 44, kSize = 360, kCell = kSize / 9;
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"400pt\" height=\"424pt\" "
                      "viewBox=\"0 0 400 424\" role=\"img\">\n";
    std::string title = (solution ? "Solution of " : "Sudoku ") + Caption(p);
    if (!p.id.empty()) title += " (" + p.id + ")";
    std::string cells;
    for (int c = 0; c < 81; ++c) {
        const auto i = static_cast<std::size_t>(c);
        const int d = p.puzzle[i] != 0 ? p.puzzle[i] : (solution ? p.solution[i] : 0);
        cells += d == 0 ? '.' : static_cast<char>('0' + d);
    }
    svg += "<title>" + title + "</title>\n<desc>Row by row, '.' for an empty cell: " + cells + "</desc>\n";
    svg += "<rect width=\"400\" height=\"424\" fill=\"#fff\"/>\n";
    svg += "<text x=\"20\" y=\"37.7\" font-family=\"sans-serif\" font-weight=\"bold\" font-size=\"14\">" +
           Caption(p) + "</text>\n";
    svg += "<g font-family=\"sans-serif\" font-size=\"" + std::to_string(kCell * 0.62) +
           "\" text-anchor=\"middle\" dominant-baseline=\"central\">\n";
    char buf[160];
    for (int c = 0; c < 81; ++c) {
        if (cells[static_cast<std::size_t>(c)] == '.') continue;
        const bool given = p.puzzle[static_cast<std::size_t>(c)] != 0;
        std::snprintf(buf, sizeof buf, "<text x=\"%.2f\" y=\"%.2f\"%s>%c</text>\n", kX + (c % 9 + 0.5) * kCell,
                      kY + (c / 9 + 0.5) * kCell, given ? " font-weight=\"bold\"" : " fill=\"#616161\"",
                      cells[static_cast<std::size_t>(c)]);
        svg += buf;
    }
    svg += "</g>\n<g stroke=\"#000\" stroke-linecap=\"square\">\n";
    for (int i = 0; i <= 9; ++i) {
        const double at = i * kCell, width = i % 3 == 0 ? 2.8 : 0.6;
        std::snprintf(buf, sizeof buf,
                      "<line x1=\"%.2f\" y1=\"%.2f\" x2=\"%.2f\" y2=\"%.2f\" stroke-width=\"%.1f\"/>\n"
                      "<line x1=\"%.2f\" y1=\"%.2f\" x2=\"%.2f\" y2=\"%.2f\" stroke-width=\"%.1f\"/>\n",
                      kX + at, kY, kX + at, kY + kSize, width, kX, kY + at, kX + kSize, kY + at, width);
        svg += buf;
    }
    return svg + "</g>\n</svg>\n";
}

}  // namespace

bool WriteSvg(const std::string& path, const BookPuzzle& p, bool solution, std::string& error) {
    std::ofstream out(path, std::ios::binary);
    out << SvgText(p, solution);
    out.close();
    if (!out) error = "cannot write the file";
    return static_cast<bool>(out);
}

bool WriteSvg(const Sink& sink, const BookPuzzle& p, bool solution, std::string& error) {
    const std::string svg = SvgText(p, solution);
    if (sink(reinterpret_cast<const unsigned char*>(svg.data()), static_cast<unsigned>(svg.size()))) return true;
    error = "cannot write the picture";
    return false;
}

bool WritePng(const Sink& sink, const BookPuzzle& p, bool solution, int dpi, std::string& error) {
    const double scale = dpi / 72.0;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, static_cast<int>(400 * scale + 0.5),
                                                          static_cast<int>(424 * scale + 0.5));
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, scale, scale);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    DrawGrid(cr, GridBox{20, 44, 360}, p, solution, 14);
    cairo_surface_flush(surface);
    const cairo_status_t written = cairo_surface_write_to_png_stream(surface, ToSink, const_cast<Sink*>(&sink));
    if (!Finish(surface, cr, error)) return false;
    if (written != CAIRO_STATUS_SUCCESS) {
        error = cairo_status_to_string(written);
        return false;
    }
    return true;
}

std::string ShortId(const Grid& puzzle) {
    std::uint64_t h = 0xcbf29ce484222325ULL;
    for (const auto cell : CanonicalForm(puzzle)) h = (h ^ static_cast<std::uint64_t>(cell)) * 0x100000001b3ULL;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%06llx", static_cast<unsigned long long>(h >> 40));
    return buf;
}

bool WriteWhole(const std::filesystem::path& path, const std::function<bool(const Sink&, std::string&)>& draw,
                std::string& reason) {
    ReplacingFile file;
    if (!file.Open(path)) {
        reason = std::strerror(file.Error());
        return false;
    }
    const Sink sink = [&file](const unsigned char* data, unsigned length) { return file.Write(data, length); };
    std::string error;
    const bool drawn = draw(sink, error);
    if (drawn && file.Commit()) return true;
    file.Discard();
    reason = file.Error() != 0 ? std::strerror(file.Error()) : error;
    return false;
}

}  // namespace gw::print
