#include "print/book.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace gw::print {

namespace {

constexpr double kMargin = 42;      // about 15 mm around the page
constexpr double kFooter = 20;      // room for the page number
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

std::vector<GridBox> Place(Paper paper, int cols, int rows, double caption, double gap) {
    const PageSize page = PaperSize(paper);
    const double w = (page.width - 2 * kMargin) / cols;
    const double h = (page.height - 2 * kMargin - kFooter) / rows;
    const double size = std::min(w - gap, h - caption - gap);
    std::vector<GridBox> out;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            const double x = kMargin + c * w + (w - size) / 2;
            const double y = kMargin + r * h + (h - size - caption) / 2 + caption;
            out.push_back({x, y, size});
        }
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
    Centred(cr, text, page.width / 2, page.height - kMargin / 2 - 4);
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
    return Place(paper, a.cols, a.rows, a.caption, perPage == 1 ? 0 : 28);
}

std::vector<GridBox> SolutionPage(Paper paper) { return Place(paper, 3, 4, 11, 20); }

namespace {

cairo_status_t ToSink(void* closure, const unsigned char* data, unsigned length) {
    return (*static_cast<const Sink*>(closure))(data, length) ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

void DrawBook(cairo_surface_t* surface, cairo_t* cr, const std::vector<BookPuzzle>& puzzles, const BookOptions& o);

}  // namespace

bool WritePdf(const std::string& path, const std::vector<BookPuzzle>& puzzles, const BookOptions& o,
              std::string& error) {
    const PageSize page = PaperSize(o.paper);
    cairo_surface_t* surface = cairo_pdf_surface_create(path.c_str(), page.width, page.height);
    cairo_t* cr = cairo_create(surface);
    DrawBook(surface, cr, puzzles, o);
    return Finish(surface, cr, error);
}

bool WritePdf(const Sink& sink, const std::vector<BookPuzzle>& puzzles, const BookOptions& o, std::string& error) {
    const PageSize page = PaperSize(o.paper);
    cairo_surface_t* surface =
        cairo_pdf_surface_create_for_stream(ToSink, const_cast<Sink*>(&sink), page.width, page.height);
    cairo_t* cr = cairo_create(surface);
    DrawBook(surface, cr, puzzles, o);
    return Finish(surface, cr, error);
}

namespace {

void DrawBook(cairo_surface_t* surface, cairo_t* cr, const std::vector<BookPuzzle>& puzzles, const BookOptions& o) {
    const PageSize page = PaperSize(o.paper);
    if (!o.title.empty()) cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_TITLE, o.title.c_str());
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATOR, "Gridwick");
    int pageNo = 0;

    if (!o.title.empty()) {
        cairo_set_source_rgb(cr, 0, 0, 0);
        SetFont(cr, true, 30);
        Centred(cr, o.title, page.width / 2, page.height * 0.4);
        SetFont(cr, false, 14);
        Centred(cr, std::to_string(puzzles.size()) + (puzzles.size() == 1 ? " puzzle" : " puzzles"), page.width / 2,
                page.height * 0.4 + 40);
        cairo_show_page(cr);
        ++pageNo;
    }

    const std::vector<GridBox> boxes = PuzzlePage(o.paper, o.perPage);
    const double caption = Arrangement(o.perPage).caption * 0.7;
    // Each puzzle names its id and the page of its solution.
    const std::size_t puzzlePages = (puzzles.size() + boxes.size() - 1) / boxes.size();
    const int firstSolutionPage = pageNo + static_cast<int>(puzzlePages) + 1;
    for (std::size_t i = 0; i < puzzles.size(); i += boxes.size()) {
        for (std::size_t k = 0; k < boxes.size() && i + k < puzzles.size(); ++k) {
            std::string note = puzzles[i + k].id;
            if (o.solutions)
                note += (note.empty() ? "" : " \u00b7 ") + std::string("solution p. ") +
                        std::to_string(firstSolutionPage + static_cast<int>((i + k) / kSolutionsPerPage));
            DrawGrid(cr, boxes[k], puzzles[i + k], false, caption, note);
        }
        Footer(cr, o.paper, std::to_string(++pageNo));
        cairo_show_page(cr);
    }

    if (o.solutions) {
        const std::vector<GridBox> small = SolutionPage(o.paper);
        for (std::size_t i = 0; i < puzzles.size(); i += small.size()) {
            for (std::size_t k = 0; k < small.size() && i + k < puzzles.size(); ++k)
                DrawGrid(cr, small[k], puzzles[i + k], true, 8);
            Footer(cr, o.paper, "Solutions \u00b7 " + std::to_string(++pageNo));
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

}  // namespace gw::print
