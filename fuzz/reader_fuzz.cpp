// libFuzzer entry of the reader target (see fuzz/targets.h).
#include "fuzz/targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    gw::fuzz::Reader(data, size);
    return 0;
}
