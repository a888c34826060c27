#include "core/savable.h"

#include "core/console.h"

#include <cmath>

namespace {

bool finite_xyz(const Vector& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// The first vertex (counted from 1) with a number written that is not finite; 0 for none.
int first_non_finite(const Mesh& mesh, bool colours, bool morphogens) {
    for (int v = 0; v < mesh.nv; ++v) {
        if (!finite_xyz(mesh.vertices[v]) || (colours && !finite_xyz(mesh.colours[v])))
            return v + 1;
        if (morphogens && size_t(v) < mesh.morphogens.size())
            for (float value : mesh.morphogens[v])
                if (!std::isfinite(value)) return v + 1;
    }
    return 0;
}

} // namespace

IoResult check_savable(const Mesh& mesh, const std::string& path, bool colours, bool morphogens) {
    console_printf("%d, %d\n", mesh.nv, mesh.nf);
    if (mesh.nv == 0 || mesh.nf == 0)
        return IoResult::failure("ERROR: " + path +
                                 ": nothing to save (the mesh has no vertices or no faces)");
    if (int v = first_non_finite(mesh, colours, morphogens))
        return IoResult::failure("ERROR: " + path + ": vertex " + std::to_string(v) +
                                 " has a value that is not a finite number; nothing saved");
    return IoResult::success();
}
