// Any bytes through the puzzle reader, as `grade` gets them from a file or
// standard input: every format it recognises, and every validity check.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "output/reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto puzzles = gw::ReadPuzzles(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const auto& p : puzzles)
        if (p.error.empty() && p.text.size() != 81) __builtin_trap();  // a valid puzzle is 81 cells
    return 0;
}
