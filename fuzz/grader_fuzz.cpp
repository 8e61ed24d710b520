// libFuzzer entry of the grader target (see fuzz/targets.h).
#include "fuzz/targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    gw::fuzz::Grader(data, size);
    return 0;
}
