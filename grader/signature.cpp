#include "grader/signature.h"

#include <string_view>

#include "generator/generator.h"

namespace gw {

namespace {

// Puzzles of levels 8 and 9 that the generator rarely makes, taken from
// bench/data/hard.txt when the engine is built.
constexpr std::string_view kHardPuzzles[] = {
#include "grader/hard_puzzles.inc"
};

}  // namespace

void GradingSignature::Byte(unsigned value) {
    hash_ ^= value & 0xFFu;
    hash_ *= 1099511628211ull;
}

void GradingSignature::Add(int level, const std::vector<Step>& steps) {
    Byte(static_cast<unsigned>(level));
    Byte(static_cast<unsigned>(steps.size()));
    Byte(static_cast<unsigned>(steps.size() >> 8));
    for (const Step& st : steps) {
        Byte(static_cast<unsigned>(st.rung));
        for (const Change& ch : st.changes) {
            Byte(static_cast<unsigned char>(ch.kind));
            Byte(ch.cell);
            Byte(ch.digit);
        }
    }
}

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
