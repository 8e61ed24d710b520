// Any text through the command line's own parsers: the rung list of
// --without, the level list of --levels, and the target name of --target.
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string>

#include "cli/options.h"
#include "grader/grader.h"
#include "output/targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string error;
    std::bitset<gw::kRungCount + 1> rungs;
    if (!gw::ParseRungList(text, rungs, error) && error.empty()) __builtin_trap();  // a failure says why
    if (rungs.test(0) && error.empty()) __builtin_trap();  // there is no rung 0
    error.clear();
    unsigned levels = 0;
    if (gw::cli::ParseLevels(text, levels, error)) {
        if ((levels & ~gw::kAllLevels) != 0 || levels == 0) __builtin_trap();  // levels 1..9 only
    } else if (error.empty()) {
        __builtin_trap();
    }
    const int target = gw::FindTarget(text);
    if (target != -1 && !gw::ValidTarget(target)) __builtin_trap();
    return 0;
}
