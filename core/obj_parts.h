// The OBJ reader's parse in two parts, on two threads, which Mesh::load_obj and
// load_obj_text take for a large text, and its reading of the plainest lines straight
// from the text; here for the tests and the fuzzer, which compare them with the parse in
// one part and the general reading of every line.
#pragma once

#include "core/mesh.h"

#include <string_view>

// As Mesh::load_obj_text, but with the lines from the first that starts at or after byte
// `split` of `text` parsed on a second thread (0 or the text's size: in one part). The
// mesh, the warnings and the errors with their lines are those of the parse in one part.
// With ObjLines::General every line is read the general way, which the plainest lines
// ("v x y z", "f a b c") otherwise are not; the outcome is the same.
enum class ObjLines { Plain, General };
IoResult load_obj_text_in_parts(Mesh& mesh, std::string_view text, const std::string& name,
                                size_t split, Work* work = nullptr,
                                ObjLines lines = ObjLines::Plain);
