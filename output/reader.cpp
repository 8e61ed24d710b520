#include "output/reader.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <bit>

#include "generator/generator.h"
#include "generator/solution_count.h"
#include "output/targets.h"

namespace gw {

namespace {

constexpr auto kRecord = static_cast<std::size_t>(kSdsRecordLength);  // the .sds targets' record
constexpr std::size_t kRecordShape = 2 * 81;  // the puzzle and solution bytes, whose values tell a record
constexpr std::size_t kChunk = 64 * 1024;
constexpr std::size_t kGiveUp = 1024 * 1024;  // bytes without a line end after which a file is not text

// Digits, and the blanks people write: '.', '0', '*', 'x', '_'.
bool IsCellChar(char ch) {
    return (ch >= '0' && ch <= '9') || ch == '.' || ch == '*' || ch == 'x' || ch == 'X' || ch == '_';
}

std::uint8_t CellValue(char ch) { return ch >= '1' && ch <= '9' ? static_cast<std::uint8_t>(ch - '0') : 0; }

// A character as a message shows it: 'x', or byte 0x1a for what cannot be shown.
std::string Shown(char ch) {
    const auto u = static_cast<unsigned char>(ch);
    if (u >= 0x20 && u < 0x7f) return std::string("'") + ch + "'";
    char buf[16];
    std::snprintf(buf, sizeof buf, "byte 0x%02x", u);
    return buf;
}

std::string DotText(const Grid& g) {
    std::string s(81, '.');
    for (int c = 0; c < 81; ++c)
        if (g[c] != 0) s[static_cast<std::size_t>(c)] = static_cast<char>('0' + g[c]);
    return s;
}

bool IsSpace(char ch) { return ch == ' ' || ch == '\t'; }

// The cells of a grid row line such as "530|070|000", "53..7...." or
// "5 3 . . 7 . . . .": nine cell characters, optionally split by '|' or
// spaces. Empty when it is not one.
std::string RowCells(std::string_view line) {
    std::string cells;
    for (char ch : line) {
        if (IsCellChar(ch)) cells.push_back(ch);
        else if (ch != '|' && !IsSpace(ch)) return {};
        if (cells.size() > 9) return {};
    }
    return cells.size() == 9 ? cells : std::string{};
}

// The cells of a line that looks like a grid row but holds fewer or more than
// nine cells ("53..7...", "5 3 . . 7 . . . . 1"): cell characters, '|' and
// spaces only, 1 to 17 cells. Empty when it is no such line.
std::string BadRowCells(std::string_view line) {
    std::string cells;
    for (char ch : line) {
        if (IsCellChar(ch)) cells.push_back(ch);
        else if (ch != '|' && !IsSpace(ch)) return {};
        if (cells.size() > 17) return {};
    }
    return cells.size() == 9 ? std::string{} : cells;
}

// A rule line between bands: "------+-------", ".---.---.", ":===:".
bool IsSeparator(std::string_view line) {
    bool dash = false;
    for (char ch : line) {
        if (ch == '-' || ch == '=') dash = true;
        else if (ch != '+' && ch != ' ' && ch != '|' && ch != '.' && ch != ':' && ch != '\'' && ch != '*') return false;
    }
    return dash;
}

// What splits the cells of a line of pencil marks.
bool IsMarkGap(char ch) { return IsSpace(ch) || ch == '|' || ch == ':' || ch == '!'; }

// The cells of a line of pencil marks, a token each: the digits 1-9 of the
// cell's candidates, or one of '.', '0' and '-' for a cell without any.
// `ok` is false when the line holds anything else.
std::vector<std::string> MarkTokens(std::string_view line, bool& ok) {
    std::vector<std::string> out;
    ok = true;
    std::size_t i = 0;
    while (i < line.size()) {
        if (IsMarkGap(line[i])) {
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < line.size() && !IsMarkGap(line[j])) ++j;
        const std::string_view t = line.substr(i, j - i);
        const bool blank = t == "." || t == "0" || t == "-";
        const bool digits = std::all_of(t.begin(), t.end(), [](char ch) { return ch >= '1' && ch <= '9'; });
        if (!blank && !digits) {
            ok = false;
            return {};
        }
        out.emplace_back(blank ? "" : t);
        i = j;
    }
    return out;
}

bool HasSeveralDigits(const std::vector<std::string>& tokens) {
    return std::any_of(tokens.begin(), tokens.end(), [](const std::string& t) { return t.size() > 1; });
}

// The position of 81 cell tokens: a lone digit is a filled cell, more are
// its pencil marks, none a cell not marked yet. The givens are the filled
// cells.
Position MarksPosition(const std::vector<std::string>& cells) {
    Position out;
    for (int c = 0; c < 81; ++c) {
        const std::string& t = cells[static_cast<std::size_t>(c)];
        std::uint16_t mask = 0;
        for (char ch : t) mask = static_cast<std::uint16_t>(mask | DigitBit(ch - '0'));
        if (std::popcount(mask) == 1) out.grid[c] = static_cast<std::uint8_t>(std::countr_zero(mask) + 1);
        else out.marks[c] = mask;
    }
    out.givens = out.grid;
    return out;
}

// True when `text` is pencil marks written on one line: 729 characters, or
// 81 cells of which some hold several digits.
bool LooksLikeMarks(std::string_view text) {
    while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
    while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
    if (text.size() == 729) return true;
    bool ok = false;
    const std::vector<std::string> tokens = MarkTokens(text, ok);
    return ok && tokens.size() >= 81 && HasSeveralDigits(tokens);
}

// The puzzle as text: its givens, or where a solver stands, its filled cells.
void SetText(InputPuzzle& p) { p.text = DotText(p.position ? p.position->grid : p.grid); }

// Field `n` of a CSV line, without spaces around it and quotes.
std::string_view CsvField(std::string_view line, int n) {
    for (; n > 0; --n) {
        const std::size_t comma = line.find(',');
        if (comma == std::string_view::npos) return {};
        line.remove_prefix(comma + 1);
    }
    line = line.substr(0, line.find(','));
    while (!line.empty() && IsSpace(line.back())) line.remove_suffix(1);
    while (!line.empty() && IsSpace(line.front())) line.remove_prefix(1);
    if (line.size() >= 2 && line.front() == '"' && line.back() == '"') line = line.substr(1, line.size() - 2);
    return line;
}

// Parses one line that holds a whole puzzle into `p` (grid and text, or the
// reason it is not one). `csvColumn` is the CSV field that holds the puzzle
// (-1: the first field of 81 characters, else the first field).
void ParseLine(std::string_view line, InputPuzzle& p, int csvColumn = -1) {
    if (line.find(',') != std::string_view::npos) {
        if (csvColumn >= 0) {
            line = CsvField(line, csvColumn);
        } else {
            // An index or a name may come before the puzzle ("1,4..3.....,...").
            const int fields = static_cast<int>(std::count(line.begin(), line.end(), ',')) + 1;
            std::string_view field = CsvField(line, 0);
            for (int n = 0; n < fields; ++n)
                if (CsvField(line, n).size() == 81) {
                    field = CsvField(line, n);
                    break;
                }
            line = field;
        }
    }
    // The first word is the puzzle ("puzzle level", "puzzle solution"); failing
    // that, the whole line may be the cells with spaces or '|' between them.
    const std::string_view word = line.substr(0, std::min(line.size(), line.find_first_of(" \t")));
    // Pencil marks: alone (where a solver stands, the filled cells taken for
    // the givens), or after the puzzle they belong to.
    const std::string_view rest = line.substr(word.size());
    const bool marksAfter = word.size() == 81 && LooksLikeMarks(rest);
    if (marksAfter || LooksLikeMarks(line)) {
        Position at;
        if (!ParseMarks(marksAfter ? rest : line, at, p.error)) return;
        if (marksAfter) {
            for (int c = 0; c < 81; ++c) {
                const char ch = word[static_cast<std::size_t>(c)];
                if (!IsCellChar(ch)) {
                    p.error = "invalid character " + Shown(ch) + " at " + CellName(c);
                    return;
                }
                at.givens[c] = CellValue(ch);
            }
        }
        p.grid = at.givens;
        p.position = at;
        SetText(p);
        return;
    }
    std::string cells;
    if (word.size() == 81) {
        cells = word;
    } else {
        // Spaced cells come as nine or more groups ("5 3 . . 7 ..." or rows
        // "53..7.... 6..195..."), so that "80 cells and a level" is no puzzle.
        bool allCells = true;
        int groups = 0;
        for (std::size_t i = 0; i < line.size(); ++i) {
            const char ch = line[i];
            if (IsCellChar(ch)) {
                cells.push_back(ch);
                if (i == 0 || !IsCellChar(line[i - 1])) ++groups;
            } else if (ch != '|' && !IsSpace(ch)) {
                allCells = false;
            }
        }
        if (!allCells || groups < 9 || cells.size() != 81) {
            for (std::size_t i = 0; i < word.size(); ++i)
                if (!IsCellChar(word[i])) {
                    p.error = "not a puzzle: unexpected " + Shown(word[i]) + " at column " + std::to_string(i + 1);
                    return;
                }
            p.error = "expected 81 cells, found " + std::to_string(allCells && groups >= 9 ? cells.size() : word.size());
            return;
        }
    }
    for (int c = 0; c < 81; ++c) {
        const char ch = cells[static_cast<std::size_t>(c)];
        if (!IsCellChar(ch)) {
            p.error = "invalid character " + Shown(ch) + " at " + CellName(c);
            return;
        }
        p.grid[c] = CellValue(ch);
    }
    p.text = DotText(p.grid);
}

}  // namespace

PuzzleReader::PuzzleReader(Source source) : source_(std::move(source)) {}

bool PuzzleReader::Fill() {
    if (eof_) return false;
    if (pos_ > 0 && pos_ >= buf_.size() / 2) {
        buf_.erase(0, pos_);
        pos_ = 0;
    }
    const std::size_t old = buf_.size();
    buf_.resize(old + kChunk);
    const long n = source_(buf_.data() + old, kChunk);
    buf_.resize(old + (n > 0 ? static_cast<std::size_t>(n) : 0));
    if (n < 0) readErrno_ = errno != 0 ? errno : EIO;
    if (n <= 0) eof_ = true;
    return n > 0;
}

bool PuzzleReader::Next(InputPuzzle& out) {
    out = InputPuzzle{};
    if (layout_ == Layout::Unknown) {
        // Decide the layout from the first bytes: as soon as one does not fit
        // a record, or once a whole record's worth fits.
        for (;;) {
            const std::size_t avail = buf_.size() - pos_;
            bool fits = true;
            bool onlyTabs = true;
            for (std::size_t i = 0; i < std::min(avail, kRecordShape) && fits; ++i) {
                const auto b = static_cast<unsigned char>(buf_[pos_ + i]);
                fits = i < 81 ? b <= 9 : (b >= 1 && b <= 9);
                if (b != 9) onlyTabs = false;
            }
            if (!fits) {
                layout_ = Layout::Text;
                break;
            }
            if (avail >= kRecordShape || (eof_ && avail > 0 && !onlyTabs)) {
                layout_ = Layout::Records;
                break;
            }
            if (eof_) {
                layout_ = Layout::Text;
                break;
            }
            Fill();
        }
    }
    return layout_ == Layout::Records ? NextRecord(out) : NextText(out);
}

bool PuzzleReader::NextRecord(InputPuzzle& out) {
    if (stop_) return false;
    while (buf_.size() - pos_ < kRecord && Fill()) {
    }
    const std::size_t avail = buf_.size() - pos_;
    if (avail == 0) return false;
    out.record = true;
    out.line = ++record_;
    if (avail < kRecord) {
        out.error = "incomplete record of " + std::to_string(avail) + " bytes";
        consumed_ += avail;
        pos_ = buf_.size();
        stop_ = true;
        return true;
    }
    const char* rec = buf_.data() + pos_;
    pos_ += kRecord;
    consumed_ += kRecord;
    for (int c = 0; c < 81; ++c) {
        const auto v = static_cast<unsigned char>(rec[c]);
        if (v > 9) {
            out.error = "invalid byte " + std::to_string(v) + " at " + CellName(c);
            return true;
        }
        out.grid[c] = v;
    }
    out.text = DotText(out.grid);
    return true;
}

// One text line without its line end into `line`; false at the end of the
// input. A line longer than kMaxLineLength is skipped, not stored: `tooLong`.
bool PuzzleReader::ReadLine(std::string& line, bool& tooLong) {
    tooLong = false;
    std::size_t scanned = 0;  // bytes of buf_ after pos_ known to hold no line end
    for (;;) {
        const std::size_t nl = buf_.find('\n', pos_ + scanned);
        if (nl != std::string::npos && nl - pos_ <= kMaxLineLength) {
            line.assign(buf_, pos_, nl - pos_);
            consumed_ += nl + 1 - pos_;
            pos_ = nl + 1;
            ++lineNo_;
            return true;
        }
        if (nl != std::string::npos || buf_.size() - pos_ > kMaxLineLength) break;
        scanned = buf_.size() - pos_;
        if (!Fill()) {
            if (buf_.size() == pos_) return false;
            line.assign(buf_, pos_, std::string::npos);  // a last line without a line end
            consumed_ += buf_.size() - pos_;
            pos_ = buf_.size();
            ++lineNo_;
            return true;
        }
    }
    // Too long: drop bytes up to the line end, holding at most one chunk.
    tooLong = true;
    ++lineNo_;
    std::size_t skipped = 0;
    for (;;) {
        const std::size_t nl = buf_.find('\n', pos_);
        if (nl != std::string::npos) {
            consumed_ += nl + 1 - pos_;
            pos_ = nl + 1;
            return true;
        }
        skipped += buf_.size() - pos_;
        consumed_ += buf_.size() - pos_;
        pos_ = buf_.size();
        if (skipped > kGiveUp) {
            stop_ = true;
            return true;
        }
        if (!Fill()) return true;
    }
}

bool PuzzleReader::NextText(InputPuzzle& out) {
    // An incomplete grid of row lines is reported at the line that ends it;
    // that line's own puzzle then waits in `held`.
    auto incompleteRows = [&](InputPuzzle& p) {
        p.line = rowsStart_;
        p.text = rowLines_;
        // A lone line of a few cells is no grid at all.
        if (badRow_ == 1 && rowCount_ == 1) p.error = "expected 81 cells, found " + std::to_string(badRowCells_);
        else p.error = "incomplete grid: " + std::to_string(rowCount_) + " rows of 9" + BadRow(", and ");
        rows_.clear();
        rowLines_.clear();
        rowCount_ = 0;
    };
    // A grid of pencil marks cut short by a line that is no row of it.
    auto incompleteMarks = [&](InputPuzzle& p) {
        p.line = markStart_;
        p.text = markLines_;
        p.error = "incomplete grid of pencil marks: " + std::to_string(markRows_) + " rows of 9";
        markCells_.clear();
        markLines_.clear();
        markRows_ = 0;
    };
    if (held_) {
        out = std::move(*held_);
        held_.reset();
        return true;
    }
    std::string line;
    bool tooLong = false;
    while (!stop_) {
        if (replay_) {
            line = std::move(*replay_);
            replay_.reset();
            tooLong = false;
        } else if (!ReadLine(line, tooLong)) {
            break;
        }
        InputPuzzle p;
        p.line = lineNo_;
        if (tooLong) {
            p.error = "line longer than " + std::to_string(kMaxLineLength) + " bytes";
            if (stop_) p.error += " and no line end in the next MiB: not a text file of puzzles; the rest is not read";
        } else {
            std::string_view v = line;
            if (lineNo_ == 1 && v.substr(0, 3) == "\xEF\xBB\xBF") v.remove_prefix(3);  // UTF-8 byte-order mark
            if (lineNo_ == 1 && (v.substr(0, 2) == "\xFF\xFE" || v.substr(0, 2) == "\xFE\xFF")) {
                p.error = "UTF-16 text is not read: save the file as UTF-8 or ASCII";
                stop_ = true;
            } else {
                // CR of CRLF, spaces, and a DOS end-of-file mark (^Z) are no content.
                while (!v.empty() && (v.back() == '\r' || IsSpace(v.back()) || v.back() == '\x1a')) v.remove_suffix(1);
                while (!v.empty() && IsSpace(v.front())) v.remove_prefix(1);
                if (v.empty() || v.front() == '#') {
                    if (markRows_ > 0) {
                        incompleteMarks(out);
                        return true;
                    }
                    if (rowCount_ == 0) continue;
                    incompleteRows(out);
                    return true;
                }
                if (IsSeparator(v)) continue;
                bool markLine = false;
                const std::vector<std::string> tokens = MarkTokens(v, markLine);
                markLine = markLine && tokens.size() == 9 && (markRows_ > 0 || HasSeveralDigits(tokens));
                if (markLine) {
                    title_.reset();
                    // Rows read so far as digits (every cell of them filled)
                    // are the first rows of these marks; other rows are a
                    // grid of their own, cut short.
                    std::optional<InputPuzzle> cut;
                    if (rowCount_ > 0) {
                        std::vector<std::string> earlier;
                        bool ok = true;
                        std::size_t at = 0;
                        while (ok && at < rowLines_.size()) {
                            const std::size_t nl = rowLines_.find('\n', at);
                            bool rowOk = false;
                            const auto row = MarkTokens(std::string_view(rowLines_).substr(at, nl - at), rowOk);
                            ok = rowOk && row.size() == 9;
                            earlier.insert(earlier.end(), row.begin(), row.end());
                            at = nl + 1;
                        }
                        if (ok) {
                            markCells_ = std::move(earlier);
                            markRows_ = rowCount_;
                            markStart_ = rowsStart_;
                            markLines_ = rowLines_;
                            rows_.clear();
                            rowLines_.clear();
                            rowCount_ = 0;
                        } else {
                            cut.emplace();
                            incompleteRows(*cut);
                        }
                    }
                    if (markRows_ == 0) markStart_ = lineNo_;
                    markCells_.insert(markCells_.end(), tokens.begin(), tokens.end());
                    markLines_ += std::string(v) + "\n";
                    std::optional<InputPuzzle> done;
                    if (++markRows_ == 9) {
                        done.emplace();
                        done->line = markStart_;
                        done->position = MarksPosition(markCells_);
                        done->grid = done->position->givens;
                        SetText(*done);
                        markCells_.clear();
                        markLines_.clear();
                        markRows_ = 0;
                    }
                    if (!cut && !done) continue;
                    if (cut && done) held_ = std::move(done);
                    out = std::move(cut ? *cut : *done);
                    return true;
                }
                if (markRows_ > 0) {
                    incompleteMarks(out);
                    replay_ = line;
                    return true;
                }
                const std::string row = RowCells(v);
                // A grid may start with a short row, but not with a lone number
                // (grids numbered "1", "2"... in a file).
                std::string bad = row.empty() ? BadRowCells(v) : std::string{};
                if (rowCount_ == 0 && bad.size() < 4) bad.clear();
                if (title_) {
                    // A line of words just before a grid of nine rows is its
                    // title ("Grid 01"); before anything else it is a bad line,
                    // reported now, and this line is read again after it.
                    if (row.empty() && bad.empty()) {
                        out = std::move(*title_);
                        title_.reset();
                        replay_ = line;
                        return true;
                    }
                    title_.reset();
                }
                if (!row.empty() || !bad.empty()) {
                    // A row of a grid; one with too few or too many cells
                    // spoils the grid, which is reported as a whole.
                    if (rowCount_ == 0) {
                        rowsStart_ = lineNo_;
                        badRow_ = 0;
                    }
                    if (!bad.empty() && badRow_ == 0) {
                        badRow_ = rowCount_ + 1;
                        badRowCells_ = static_cast<int>(bad.size());
                    }
                    rows_ += row.empty() ? bad : row;
                    rowLines_ += std::string(v) + "\n";
                    if (++rowCount_ < 9) continue;
                    out.line = rowsStart_;
                    if (badRow_ > 0) {
                        out.text = rowLines_;
                        out.error = BadRow("");
                    } else {
                        for (int c = 0; c < 81; ++c) out.grid[c] = CellValue(rows_[static_cast<std::size_t>(c)]);
                        out.text = DotText(out.grid);
                    }
                    rows_.clear();
                    rowLines_.clear();
                    rowCount_ = 0;
                    return true;
                }
                const bool first = !headerChecked_;
                headerChecked_ = true;
                ParseLine(v, p, csvColumn_);
                // A CSV header ("Puzzle,Solution,...", "id,puzzle,solution")
                // on the first line names the puzzle's column.
                if (first && !p.error.empty() && v.find(',') != std::string_view::npos) {
                    bool words = true;
                    for (char ch : v.substr(0, v.find(',')))
                        if (!std::isalpha(static_cast<unsigned char>(ch)) && !IsSpace(ch) && ch != '"') words = false;
                    if (words) {
                        for (int n = 0; n <= static_cast<int>(std::count(v.begin(), v.end(), ',')); ++n) {
                            std::string name(CsvField(v, n));
                            for (char& ch : name) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
                            if (name == "puzzle" || name == "puzzles" || name == "quizzes" || name == "quiz") {
                                csvColumn_ = n;
                                break;
                            }
                        }
                        continue;
                    }
                }
                if (!p.error.empty() && rowCount_ == 0 && std::isalpha(static_cast<unsigned char>(v.front()))) {
                    title_ = std::move(p);
                    continue;
                }
            }
        }
        if (title_) {
            held_ = std::move(p);
            out = std::move(*title_);
            title_.reset();
            return true;
        }
        if (rowCount_ > 0) {
            held_ = std::move(p);
            incompleteRows(out);
            return true;
        }
        out = std::move(p);
        return true;
    }
    if (markRows_ > 0) {
        incompleteMarks(out);
        return true;
    }
    if (rowCount_ > 0) {
        incompleteRows(out);
        return true;
    }
    if (title_) {
        out = std::move(*title_);
        title_.reset();
        return true;
    }
    return false;
}

std::string PuzzleReader::BadRow(const char* lead) const {
    if (badRow_ == 0) return {};
    return lead + ("row " + std::to_string(badRow_) + " has " + std::to_string(badRowCells_) + " cells");
}

bool ParseMarks(std::string_view text, Position& out, std::string& error) {
    std::string packed;
    for (char ch : text)
        if (!std::isspace(static_cast<unsigned char>(ch))) packed.push_back(ch);
    if (packed.size() == 729 && std::all_of(packed.begin(), packed.end(), [](char ch) {
            return (ch >= '0' && ch <= '9') || ch == '.';
        })) {
        // Nine places a cell: the digit d at place d, '.' or '0' elsewhere.
        std::vector<std::string> cells(81);
        for (std::size_t i = 0; i < 729; ++i) {
            const char ch = packed[i];
            if (ch >= '1' && ch <= '9' && static_cast<std::size_t>(ch - '1') != i % 9) {
                error = "pencil marks: the digit " + std::string(1, ch) + " stands at place " +
                        std::to_string(i % 9 + 1) + " of " + CellName(static_cast<int>(i / 9));
                return false;
            }
            if (ch >= '1' && ch <= '9') cells[i / 9].push_back(ch);
        }
        out = MarksPosition(cells);
        return true;
    }
    std::vector<std::string> cells;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && (line.back() == '\r' || IsSpace(line.back()))) line.remove_suffix(1);
        if (line.empty() || IsSeparator(line)) continue;
        bool ok = false;
        const std::vector<std::string> tokens = MarkTokens(line, ok);
        if (!ok) {
            error = "pencil marks: a cell holds something other than the digits 1-9";
            return false;
        }
        cells.insert(cells.end(), tokens.begin(), tokens.end());
    }
    if (cells.size() != 81) {
        error = "pencil marks: expected 81 cells, found " + std::to_string(cells.size());
        return false;
    }
    out = MarksPosition(cells);
    return true;
}

std::string CellName(int cell) {
    const char name[] = {'r', static_cast<char>('1' + cell / 9), 'c', static_cast<char>('1' + cell % 9), '\0'};
    return name;
}

}  // namespace gw
