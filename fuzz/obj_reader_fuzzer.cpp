// The OBJ reader on any text: a mesh that loads is consistent and builds; the parse in
// two parts, split where the first byte says, and the general reading of every line give
// exactly the parse in one.
#include "core/obj_parts.h"
#include "fuzz/fuzz_common.h"
#include "tests/mesh_words.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    silence_console();
    std::string_view text(reinterpret_cast<const char*>(data), size);
    Mesh m;
    IoResult one = load_obj_text_in_parts(m, text, "fuzz.obj", 0);
    Mesh general;
    IoResult slow =
        load_obj_text_in_parts(general, text, "fuzz.obj", 0, nullptr, ObjLines::General);
    if (bool(one) != bool(slow) || one.error != slow.error || mesh_words(m) != mesh_words(general))
        std::abort();
    if (size > 0) {
        Mesh parts;
        IoResult two = load_obj_text_in_parts(parts, text, "fuzz.obj", size * data[0] / 256);
        if (bool(one) != bool(two) || one.error != two.error || mesh_words(m) != mesh_words(parts))
            std::abort();
    }
    if (one) check_and_build(m);
    return 0;
}
