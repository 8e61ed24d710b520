// libFuzzer entry of the stored target (see fuzz/targets.h).
#include "fuzz/targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    gw::fuzz::Stored(data, size);
    return 0;
}
