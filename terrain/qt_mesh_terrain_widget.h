// QtMeshTerrainWidget: the "Terrain" page of the mesh tools dialog. It loads a heightmap,
// holds the grid settings and the colour map, and sends them to the view: the map on
// every change, all of them for the terrain on "Apply".
#pragma once

#include "qtshared/tool_panel.h"
#include "terrain/colour_map.h"
#include "terrain/terrain_grid.h"

#include <QColor>
#include <QPixmap>
#include <QString>
#include <vector>

class QDialog;
class QLabel;
class QLineEdit;
class QSlider;
class QTreeWidget;
class QTreeWidgetItem;

class QtMeshTerrainWidget : public ToolPanel {
    Q_OBJECT

  public:
    explicit QtMeshTerrainWidget(QWidget* parent = nullptr, const char* name = nullptr);

    QPixmap heightmap; // a black square until a file is loaded
    bool heightmap_loaded = false;
    QLabel* preview_label;
    int grid_resolution = 64;
    int grid_scale = 256;
    int height_scale = 64;
    QSlider *gridres_slider, *gridsize_slider, *height_slider;
    QLabel *gridres_label, *gridsize_label, *height_label;

    QTreeWidget* colour_tree;
    std::vector<QColor> colours;
    std::vector<float> values;
    int edit_index = -1;
    QColor current_colour;
    QDialog* colour_dialog = nullptr;
    QLabel* dialog_swatch = nullptr;
    QLineEdit* dialog_value = nullptr;

    // What a terrain is built from: the grid settings, the heightmap's pixels.
    TerrainSettings terrain_settings() const;
    RgbImage heightmap_pixels() const;
    // "Apply": the heightmap, the settings and the colour map to the view (terrain_signal);
    // before any heightmap is loaded an empty image, which the document refuses.
    void apply_terrain();
    void apply() override { apply_terrain(); }

    // What the file dialogs' choices lead to; false (after saying so) on failure.
    bool load_heightmap_file(const QString& name);
    bool save_colour_map_file(QString name);
    // Reads a .map file (an unreadable one leaves the map as it was), shows and sends it.
    void load_colour_map_file(const QString& name);

  signals:
    void build_vertexcolours_signal(std::vector<QColor> colours, std::vector<float> values);
    void terrain_signal(QImage heightmap, int resolution, int scale, int height,
                        std::vector<QColor> colours, std::vector<float> values);

  public slots:
    void heightmapload_event();
    void height_event(int sliderval);
    void gridres_event(int sliderval);
    void gridsize_event(int sliderval);
    void addcol_event();
    void delcol_event();
    void pickcol_event();
    void ok_event();
    void cancel_event();
    void load_event();
    void save_event();
    void itemDoubleClickedSlot(QTreeWidgetItem* item, int column);

  private:
    void add_row(const QColor& colour, const QString& value);
    void read_colour_map_file(const QString& name);
    void open_entry_dialog(const char* name, const QString& value, bool editable);
    void send_map();
    void rebuild_tree_from_lists();
    ColourMap colour_map() const;
};
