#include "generator/bench_set.h"

#include <string_view>

#include "generator/generator.h"

namespace gw {

namespace {

// Puzzles of levels 8 and 9 that the generator rarely makes, taken from
// bench/data/hard.txt when the engine is built.
constexpr std::string_view kHardPuzzles[] = {
#include "generator/hard_puzzles.inc"
};

}  // namespace

BenchPuzzles BenchmarkSet() {
    BenchPuzzles set;
    for (const auto& [puzzle, solution] : GeneratedPuzzles(kBenchGenerated, kBenchSeed)) set.puzzles.push_back(puzzle);
    set.generated = kBenchGenerated;
    for (std::string_view text : kHardPuzzles) {
        Grid p{};
        for (std::size_t c = 0; c < 81 && c < text.size(); ++c)
            p[c] = static_cast<std::uint8_t>(text[c] >= '1' && text[c] <= '9' ? text[c] - '0' : 0);
        set.puzzles.push_back(p);
        ++set.stored;
    }
    return set;
}

}  // namespace gw
