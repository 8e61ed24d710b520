#include "fuzz/targets.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>
#include <string>

#include "grader/grader.h"
#include "model/canonical.h"
#include "model/state_check.h"
#include "output/reader.h"
#include "runs/grading.h"
#include "output/stored.h"
#include "output/targets.h"

namespace gw::fuzz {

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace

void Reader(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return;
    // 1..255 bytes a read, or (0) as much as asked for.
    const std::size_t piece = data[0];
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    const std::size_t n = size - 1;
    std::size_t at = 0;
    PuzzleReader reader([&](char* buf, std::size_t want) -> long {
        const std::size_t k = std::min({want, n - at, piece == 0 ? want : piece});
        std::memcpy(buf, bytes + at, k);
        at += k;
        return static_cast<long>(k);
    });
    InputPuzzle p;
    int lastLine = 0;
    bool stopped = false;
    while (reader.Next(p)) {
        Check(p.line >= lastLine);  // in input order
        lastLine = p.line;
        if (p.error.empty()) Check(p.text.size() == 81);  // a puzzle is 81 cells
        // The reader gives up on UTF-16 text and on input that is no text of puzzles.
        stopped = p.error.find("not read") != std::string::npos;
        p = InputPuzzle{};
    }
    Check(reader.ReadError() == 0);
    Check(reader.BytesRead() <= n);
    // Everything is read unless the reader gave up on the input.
    Check(stopped || reader.BytesRead() == n);
}

void Grader(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return;
    const int rung = 1 + data[0] % kRungCount;
    ++data;
    --size;
    GradeState s;
    bool isPuzzle = size >= 81;
    for (std::size_t c = 0; c < 81 && isPuzzle; ++c) isPuzzle = data[c] == '.' || (data[c] >= '0' && data[c] <= '9');
    if (isPuzzle) {
        Grid puzzle{};
        for (int c = 0; c < 81; ++c) puzzle[c] = data[c] == '.' ? 0 : static_cast<std::uint8_t>(data[c] - '0');
        // A digit twice in a unit is refused before grading, as grade does.
        for (int c = 0; c < 81; ++c)
            for (int d = c + 1; d < 81; ++d)
                if (puzzle[c] != 0 && puzzle[c] == puzzle[d] &&
                    (RowOf[c] == RowOf[d] || ColOf[c] == ColOf[d] || BoxOf[c] == BoxOf[d]))
                    return;
        ResetGradeState(s, puzzle);
    } else {
        if (size < 162) return;
        for (int c = 0; c < 81; ++c) {
            const unsigned v = data[2 * c] | (static_cast<unsigned>(data[2 * c + 1]) << 8);
            if (v & 0x8000) {
                s.SolveGrid[c] = static_cast<std::uint8_t>(v % 9 + 1);
                if (v & 0x4000) s.Givens[c] = s.SolveGrid[c];
            } else {
                s.CandMask[c] = static_cast<std::uint16_t>(v & kAllDigits);
            }
        }
    }
    // Rungs are written for states the ladder can reach: no digit twice in a
    // unit, no candidate that a placed peer rules out.
    if (!StateIsWhole(s)) return;
    // Progress only with a change.
    const std::uint64_t before = s.changes;
    if (RunRung(s, rung)) Check(s.changes != before);
}

void Stored(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return;
    // A stored file's name (target t, level l) or a plain file's.
    const int choice = data[0] % 73;
    std::string name = "puzzles.txt";
    if (choice < 72) {
        const int target = choice / 9, level = choice % 9 + 1;
        name = kTargets[static_cast<std::size_t>(target)].levelFile ? LevelFileName(target, level)
                                                                   : NumberedFileName(target, level, 1);
    }
    int target = -1, level = 0;
    Check(StoredName(name, target, level) == (choice < 72));
    const int fd = ::memfd_create(name.c_str(), 0);
    if (fd < 0) return;
    std::size_t done = 0;
    while (done < size - 1) {
        const ssize_t k = ::write(fd, data + 1 + done, size - 1 - done);
        if (k <= 0) break;
        done += static_cast<std::size_t>(k);
    }
    std::string error;
    int checked = 0;  // solving is the costly part: the first few puzzles only
    const bool read = ForEachPuzzleIn(
        "/proc/self/fd/" + std::to_string(fd),
        [&](InputPuzzle& p) {
            if (p.error.empty() && ++checked <= 4) {
                Check(p.text.size() == 81);
                Grid solution{};
                if (CheckPuzzle(p.grid, &solution).empty()) {
                    // A valid puzzle's solution keeps its givens and fills every cell.
                    for (int c = 0; c < 81; ++c) Check(solution[c] >= 1 && solution[c] <= 9);
                    for (int c = 0; c < 81; ++c) Check(p.grid[c] == 0 || p.grid[c] == solution[c]);
                }
            }
            return true;
        },
        error);
    Check(read);
    ::close(fd);
}

void Canonical(const std::uint8_t* data, std::size_t size) {
    // 81 cells (a digit or '.', any other byte taken mod 10), then the
    // disguise: a digit relabelling, row and column orders, and whether to
    // transpose. Only grids with no digit twice in a unit are compared.
    if (size < 81) return;
    Grid g{};
    for (int c = 0; c < 81; ++c) {
        const std::uint8_t b = data[c];
        g[c] = static_cast<std::uint8_t>(b == '.' ? 0 : b >= '0' && b <= '9' ? b - '0' : b % 10);
    }
    for (int a = 0; a < 81; ++a)
        for (int b = a + 1; b < 81; ++b) {
            const bool peers = a / 9 == b / 9 || a % 9 == b % 9 || (a / 27 == b / 27 && a % 9 / 3 == b % 9 / 3);
            if (peers && g[a] != 0 && g[a] == g[b]) return;
        }
    // Fewer than 17 givens never make a puzzle with one solution, and the
    // canonical form is only ever asked of such puzzles.
    if (std::count(g.begin(), g.end(), 0) > 81 - 17) return;
    std::size_t at = 81;
    auto next = [&] { return at < size ? data[at++] : 0; };
    std::array<int, 10> relabel{};
    std::iota(relabel.begin(), relabel.end(), 0);
    for (int i = 9; i > 1; --i) std::swap(relabel[static_cast<std::size_t>(i)], relabel[static_cast<std::size_t>(1 + next() % i)]);
    // An order of three groups of three, each kept together.
    auto order = [&] {
        std::array<int, 9> o{};
        std::array<int, 3> outer{0, 1, 2};
        std::swap(outer[2], outer[next() % 3]);
        std::swap(outer[1], outer[next() % 2]);
        for (int b = 0; b < 3; ++b) {
            std::array<int, 3> inner{0, 1, 2};
            std::swap(inner[2], inner[next() % 3]);
            std::swap(inner[1], inner[next() % 2]);
            for (int k = 0; k < 3; ++k) o[static_cast<std::size_t>(3 * b + k)] = 3 * outer[static_cast<std::size_t>(b)] + inner[static_cast<std::size_t>(k)];
        }
        return o;
    };
    const std::array<int, 9> rows = order(), cols = order();
    const bool transpose = next() & 1;
    Grid d{};
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c) {
            const int from = 9 * rows[static_cast<std::size_t>(r)] + cols[static_cast<std::size_t>(c)];
            const int to = transpose ? 9 * c + r : 9 * r + c;
            d[to] = static_cast<std::uint8_t>(relabel[g[from]]);
        }
    const Grid form = CanonicalForm(g);
    Check(CanonicalForm(d) == form);
    Check(CanonicalForm(form) == form);
    Check(std::count(form.begin(), form.end(), 0) == std::count(g.begin(), g.end(), 0));
}

}  // namespace gw::fuzz
