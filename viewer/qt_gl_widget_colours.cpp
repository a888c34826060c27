// The view's colouring slots: vertex colours by height from a colour map, and from the
// morphogens.
#include "qtshared/colours.h"
#include "terrain/colour_map.h"
#include "tools/morphogen_colours.h"
#include "viewer/qt_gl_widget.h"

void QtGLWidget::build_vertexcoloursterrain_slot(std::vector<QColor> colours,
                                                 std::vector<float> values) {
    // The terrain page rebuilds the mesh in place and then sends its map: a new mesh,
    // framed as an opened one is.
    if (mesh.faces_version != selection_faces_version) {
        faces_replaced();
        if (fit_on_open) fit_to_view();
    }
    std::vector<Rgb> map;
    for (const QColor& c : colours) map.push_back(rgb(c));
    colour_by_height(mesh, colour_vectors(map), values);
    fit_clipping_cube();
    changed();
}

void QtGLWidget::buildvertexcolour_slot(int mixmode, std::vector<int> tooglestates,
                                        std::vector<QColor> colours, QColor defaultcolour) {
    std::vector<Rgb> entries;
    entries.reserve(colours.size());
    for (const QColor& c : colours) entries.push_back(rgb(c));
    colour_by_morphogens(mesh, mix_mode(mixmode), tooglestates, entries, rgb(defaultcolour));
    changed();
}
