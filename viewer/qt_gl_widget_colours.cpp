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
    if (deferred([=, this] { build_vertexcoloursterrain_slot(colours, values); }, "height")) return;
    show_outcome(document.colour_by_height(colour_map(colours, values)));
}

void QtGLWidget::apply_terrain(QImage heightmap, int resolution, int scale, int height,
                               std::vector<QColor> colours, std::vector<float> values) {
    if (deferred(
            [=, this] { apply_terrain(heightmap, resolution, scale, height, colours, values); }))
        return;
    TerrainSettings settings{resolution, scale, height};
    run_task(document.terrain_task(rgb_image(heightmap), settings, colour_map(colours, values)),
             [this](const Outcome& r) {
                 if (r.changed.has(Change::Geometry))
                     emit buildtree_signal(document.morphogens.names);
                 show_outcome(r);
             });
}

void QtGLWidget::buildvertexcolour_slot(int mixmode, std::vector<int> tooglestates,
                                        std::vector<QColor> colours, QColor defaultcolour) {
    if (deferred(
            [=, this] { buildvertexcolour_slot(mixmode, tooglestates, colours, defaultcolour); },
            "morphogens"))
        return;
    MorphogenSetting setting;
    setting.mixmode = mixmode;
    setting.tooglestates = std::move(tooglestates);
    for (const QColor& c : colours) setting.colours.push_back(rgb(c));
    setting.defaultcolour = rgb(defaultcolour);
    run_task(document.morphogen_task(setting));
}
