#include "fuzz/fuzz_common.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    silence_console();
    Mesh m;
    if (m.load_net_text(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.net")) {
        m.morphogens.resize(m.nv); // the NET format carries no per-vertex values
        check_and_build(m);
    }
    return 0;
}
