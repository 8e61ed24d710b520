// Answer keys for gridwick grade: the solution and the canonical form.
#include "cli/commands.h"
#include "generator/generator.h"
#include "model/canonical.h"

namespace gw::cli {

std::string AnswerFields(const GradeOptions& o, const Grid& puzzle, bool json) {
    std::string out;
    auto add = [&](const char* key, const std::string& value) {
        out += json ? std::string(", \"") + key + "\": \"" + value + "\"" : " " + value;
    };
    if (o.solution) {
        Grid solution{};
        CountSolutions(puzzle, 1, &solution);
        std::string digits(81, '0');
        for (int c = 0; c < 81; ++c) digits[static_cast<std::size_t>(c)] = static_cast<char>('0' + solution[c]);
        add("solution", digits);
    }
    if (o.canonical) add("canonical", CanonicalText(puzzle));
    return out;
}

}  // namespace gw::cli
