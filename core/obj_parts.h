// The OBJ reader's parse in two parts, on two threads, which Mesh::load_obj and
// load_obj_text take for a large text; here for the tests and the fuzzer, which compare
// it with the parse in one part.
#pragma once

#include "core/mesh.h"

#include <string_view>

// As Mesh::load_obj_text, but with the lines from the first that starts at or after byte
// `split` of `text` parsed on a second thread (0 or the text's size: in one part). The
// mesh, the warnings and the errors with their lines are those of the parse in one part.
IoResult load_obj_text_in_parts(Mesh& mesh, std::string_view text, const std::string& name,
                                size_t split, Work* work = nullptr);
