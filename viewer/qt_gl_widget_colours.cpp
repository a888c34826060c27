// The view's colouring slots: vertex colours by height from a colour map, from the
// morphogens, and the terrain that is coloured so.
#include "qtshared/colours.h"
#include "qtshared/image_files.h"
#include "viewer/qt_gl_widget.h"

namespace {

ColourMap colour_map(const std::vector<QColor>& colours, const std::vector<float>& values) {
    ColourMap map;
    for (const QColor& c : colours) map.colours.push_back(rgb(c));
    map.values = values;
    return map;
}

} // namespace

void QtGLWidget::build_vertexcoloursterrain_slot(std::vector<QColor> colours,
                                                 std::vector<float> values) {
    show_outcome(document.colour_by_height(colour_map(colours, values)));
}

void QtGLWidget::apply_terrain(QImage heightmap, int resolution, int scale, int height,
                               std::vector<QColor> colours, std::vector<float> values) {
    TerrainSettings settings{resolution, scale, height};
    Outcome r = document.apply_terrain(rgb_image(heightmap), settings, colour_map(colours, values));
    if (r.changed.has(Change::Geometry)) emit buildtree_signal(document.morphogens.names);
    show_outcome(r);
}

void QtGLWidget::buildvertexcolour_slot(int mixmode, std::vector<int> tooglestates,
                                        std::vector<QColor> colours, QColor defaultcolour) {
    MorphogenSetting setting;
    setting.mixmode = mixmode;
    setting.tooglestates = std::move(tooglestates);
    for (const QColor& c : colours) setting.colours.push_back(rgb(c));
    setting.defaultcolour = rgb(defaultcolour);
    show_outcome(document.colour_by_morphogens(setting));
}
