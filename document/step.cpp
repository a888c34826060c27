#include "document/step.h"

namespace {

template <typename T>
size_t bytes_of(const std::vector<T>& v) {
    return v.capacity() * sizeof(T);
}

size_t bytes_of(const ShortestPathTable& t) {
    return size_t(t.entry_count) * sizeof(float) + bytes_of(t.offsets) +
           t.weight_list().size() * sizeof(ShortestPathTable::Weight);
}

size_t bytes_of(const Mesh_Classifier& c, bool with_table) {
    size_t n = sizeof(Mesh_Classifier) + bytes_of(c.centroids) + bytes_of(c.representatives) +
               bytes_of(c.patch_colours) + bytes_of(c.neighbours);
    for (const std::vector<float>& m : c.memberships) n += bytes_of(m);
    return with_table ? n + bytes_of(c.table) : n;
}

size_t bytes_of(const MorphogenSetting& s) {
    size_t n = sizeof(s) + bytes_of(s.colours) + bytes_of(s.tooglestates) + bytes_of(s.names);
    for (const std::string& name : s.names) n += name.capacity();
    return n;
}

size_t bytes_of(const ColourRecipe& r) {
    if (auto* h = std::get_if<HeightColouring>(&r))
        return bytes_of(h->colours) + bytes_of(h->values);
    if (auto* m = std::get_if<MorphogenColouring>(&r)) return bytes_of(m->setting);
    return 0;
}

} // namespace

size_t StepState::bytes() const {
    size_t n = sizeof(StepState) + bytes_of(mesh_recipe);
    if (mesh) n += mesh->memory_bytes();
    if (vertex_colours) n += bytes_of(vertex_colours->colours) + bytes_of(vertex_colours->recipe);
    if (face_normals) n += bytes_of(*face_normals);
    if (vertex_normals) n += bytes_of(*vertex_normals);
    if (face_paint)
        n += bytes_of(face_paint->colours) + bytes_of(face_paint->marked) +
             bytes_of(face_paint->segment);
    if (classifier) n += bytes_of(*classifier, classifier_table);
    if (filter) n += filter->memory_bytes();
    if (planes) {
        n += sizeof(PlaneWidgetInCube) + planes->planes.capacity() * sizeof(CutPlane);
        for (const auto& outline : planes->outlines) n += bytes_of(outline);
    }
    if (morphogens) n += bytes_of(*morphogens);
    return n;
}
