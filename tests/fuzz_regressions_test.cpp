// The fuzz targets' inputs kept in fuzz/regressions/ (findings, and inputs at
// the reader's limits), replayed through the same target bodies in every
// build: a trap ends the test run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz/targets.h"

namespace gw {
namespace {

namespace fs = std::filesystem;

TEST(FuzzRegressions, EveryKeptInputPasses) {
    const struct {
        const char* folder;
        void (*target)(const std::uint8_t*, std::size_t);
    } targets[] = {{"reader", fuzz::Reader}, {"grader", fuzz::Grader}, {"stored", fuzz::Stored},
                   {"canonical", fuzz::Canonical}};
    for (const auto& t : targets) {
        int inputs = 0;
        for (const auto& e : fs::directory_iterator(fs::path(GRIDWICK_FUZZ_REGRESSIONS) / t.folder)) {
            std::ifstream in(e.path(), std::ios::binary);
            const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            SCOPED_TRACE(e.path().string());
            t.target(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
            ++inputs;
        }
        EXPECT_GT(inputs, 0) << "no kept input for " << t.folder;
    }
}

}  // namespace
}  // namespace gw
