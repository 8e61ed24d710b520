// libFuzzer entry of the canonical target (see fuzz/targets.h).
#include "fuzz/targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    gw::fuzz::Canonical(data, size);
    return 0;
}
