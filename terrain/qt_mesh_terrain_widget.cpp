#include "terrain/qt_mesh_terrain_widget.h"

#include "core/console.h"
#include "qtshared/colours.h"
#include "qtshared/image_files.h"
#include "qtshared/start_folder.h"
#include "qtshared/swatch.h"
#include "qtshared/warning.h"
#include "terrain/terrain_grid.h"

#include <QColorDialog>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cmath>

namespace {

QLabel* swatch(const QColor& colour) {
    return framed_swatch(colour, 16);
}

// The grid settings' sliders start at 256 until the panel sets its values.
QSlider* setting_slider(const char* name, int maximum) {
    return tool_slider(name, 1, maximum, 1, 25, 256);
}

// Stores a grid setting and shows it on its slider and label.
void show_setting(int& field, int value, QSlider* slider, QLabel* label, const char* text) {
    field = value;
    slider->setValue(value); // its own value again emits nothing
    label->setText(text + QString::number(value));
}

QPushButton* button(const char* text, QWidget* receiver, void (QtMeshTerrainWidget::*slot)()) {
    auto* b = new QPushButton(text);
    QObject::connect(b, &QPushButton::clicked, static_cast<QtMeshTerrainWidget*>(receiver), slot);
    return b;
}

} // namespace

QtMeshTerrainWidget::QtMeshTerrainWidget(QWidget* parent, const char* name)
    : ToolPanel(parent, name), heightmap(swatch_pixmap(Qt::black, 256)) {
    auto* terrain_blayout = new QVBoxLayout(this);
    terrain_blayout->setObjectName("terrain_blayout");
    terrain_blayout->setContentsMargins(10, 10, 10, 10);
    terrain_blayout->setSpacing(10);

    auto* outer = new QFrame;
    auto* outer_column = new QVBoxLayout(outer);
    auto* heightmap_row = new QHBoxLayout;
    preview_label = new QLabel;
    preview_label->setScaledContents(true);
    preview_label->setPixmap(heightmap);
    heightmap_row->addWidget(
        button("Load Heightmap", this, &QtMeshTerrainWidget::heightmapload_event));
    heightmap_row->addWidget(preview_label);
    outer_column->addLayout(heightmap_row);

    auto* map_row = new QHBoxLayout;
    auto* file = new QGroupBox("File:");
    auto* file_column = new QVBoxLayout(file);
    file_column->addWidget(button("Load", this, &QtMeshTerrainWidget::load_event));
    file_column->addWidget(button("Save", this, &QtMeshTerrainWidget::save_event));
    auto* action = new QGroupBox("Action:");
    auto* action_column = new QVBoxLayout(action);
    action_column->addWidget(button("add", this, &QtMeshTerrainWidget::addcol_event));
    action_column->addWidget(button("del", this, &QtMeshTerrainWidget::delcol_event));
    colour_tree = new QTreeWidget;
    colour_tree->setColumnCount(2);
    colour_tree->setColumnWidth(0, 32);
    colour_tree->setColumnWidth(1, 64);
    colour_tree->header()->hide();
    colour_tree->setRootIsDecorated(false);
    connect(colour_tree, &QTreeWidget::itemDoubleClicked, this,
            &QtMeshTerrainWidget::itemDoubleClickedSlot);
    map_row->addWidget(file);
    map_row->addWidget(action);
    map_row->addWidget(colour_tree);
    outer_column->addLayout(map_row);
    terrain_blayout->addWidget(outer, 10);

    auto* settings = new QFrame;
    auto* settings_column = new QVBoxLayout(settings);
    gridres_label = new QLabel("Grid Resolution:\t256");
    gridres_slider = setting_slider("gridres_slider", 512);
    gridsize_label = new QLabel("Grid Scale:\t256");
    gridsize_slider = setting_slider("gridres_slider", 512);
    height_label = new QLabel("Height Scale:\t256");
    height_slider = setting_slider("height_slider", 1024);
    for (QWidget* w : std::initializer_list<QWidget*>{gridres_label, gridres_slider, gridsize_label,
                                                      gridsize_slider, height_label, height_slider})
        settings_column->addWidget(w);
    connect(gridres_slider, &QSlider::valueChanged, this, &QtMeshTerrainWidget::gridres_event);
    connect(gridsize_slider, &QSlider::valueChanged, this, &QtMeshTerrainWidget::gridsize_event);
    connect(height_slider, &QSlider::valueChanged, this, &QtMeshTerrainWidget::height_event);
    terrain_blayout->addWidget(settings, 1);

    height_event(64);
    gridres_event(64);
    gridsize_event(256);

    add_row(Qt::black, "0.0");
    add_row(Qt::white, "1.0");
    colours = {Qt::black, Qt::white};
    values = {0.0f, 1.0f};
}

// Grid settings.

void QtMeshTerrainWidget::height_event(int sliderval) {
    show_setting(height_scale, sliderval, height_slider, height_label, "Height Scale:\t");
    update();
}

void QtMeshTerrainWidget::gridres_event(int sliderval) {
    show_setting(grid_resolution, sliderval, gridres_slider, gridres_label, "Grid Resolution:\t");
    update();
}

void QtMeshTerrainWidget::gridsize_event(int sliderval) {
    show_setting(grid_scale, sliderval, gridsize_slider, gridsize_label, "Grid Scale:\t");
    update();
}

// Heightmap and terrain.

void QtMeshTerrainWidget::heightmapload_event() {
    QString name = QFileDialog::getOpenFileName(
        this, "", data_start_folder("Heightmaps", "heightmaps"), heightmap_file_filter());
    if (!name.isEmpty()) load_heightmap_file(name);
    update();
}

// A file that is not a readable image is reported and the previous heightmap stays.
bool QtMeshTerrainWidget::load_heightmap_file(const QString& name) {
    std::string why;
    QImage image = load_heightmap_image(name, &why);
    if (image.isNull()) {
        QString error =
            "ERROR: could not read the heightmap " + name + ": " + QString::fromStdString(why);
        console_printf("%s\n", error.toLocal8Bit().constData());
        show_warning(this, "Terrain", error);
        return false;
    }
    heightmap = QPixmap::fromImage(image);
    heightmap_loaded = true;
    note_opened(FileKind::Heightmap, name);
    preview_label->setPixmap(heightmap);
    update();
    return true;
}

TerrainSettings QtMeshTerrainWidget::terrain_settings() const {
    return {grid_resolution, grid_scale, height_scale};
}

RgbImage QtMeshTerrainWidget::heightmap_pixels() const {
    return rgb_image(heightmap.toImage());
}

void QtMeshTerrainWidget::apply_terrain() {
    emit terrain_signal(heightmap_loaded ? heightmap.toImage() : QImage(), grid_resolution,
                        grid_scale, height_scale, colours, values);
}

// The colour map.

void QtMeshTerrainWidget::send_map() {
    emit build_vertexcolours_signal(colours, values);
}

void QtMeshTerrainWidget::add_row(const QColor& colour, const QString& value) {
    auto* item = new QTreeWidgetItem(colour_tree);
    item->setText(1, value);
    colour_tree->setItemWidget(item, 0, swatch(colour));
}

void QtMeshTerrainWidget::open_entry_dialog(const char* name, const QString& value, bool editable) {
    delete colour_dialog;
    colour_dialog = new QDialog(this);
    colour_dialog->setObjectName(name);
    colour_dialog->setModal(true);
    auto* rows = new QVBoxLayout(colour_dialog);
    auto* colour_row = new QHBoxLayout;
    colour_row->addWidget(new QLabel("Colour: "));
    dialog_swatch = swatch(current_colour);
    colour_row->addWidget(dialog_swatch);
    colour_row->addWidget(button("Pick a Colour", this, &QtMeshTerrainWidget::pickcol_event));
    auto* value_row = new QHBoxLayout;
    value_row->addWidget(new QLabel("Value: "));
    dialog_value = new QLineEdit(value);
    dialog_value->setEnabled(editable);
    value_row->addWidget(dialog_value);
    auto* button_row = new QHBoxLayout;
    button_row->addWidget(button("OK", this, &QtMeshTerrainWidget::ok_event));
    button_row->addWidget(button("CANCEL", this, &QtMeshTerrainWidget::cancel_event));
    rows->addLayout(colour_row);
    rows->addLayout(value_row);
    rows->addLayout(button_row);
    colour_dialog->exec();
}

void QtMeshTerrainWidget::itemDoubleClickedSlot(QTreeWidgetItem* item, int) {
    edit_index = colour_tree->indexOfTopLevelItem(item);
    if (edit_index < 0 || edit_index >= int(values.size())) return;
    current_colour = colours[edit_index];
    float value = values[edit_index];
    // The two ends of the map keep their values.
    open_entry_dialog("Edit Colour", QString::number(value, 'g', 6),
                      value != 0.0f && value != 1.0f);
}

void QtMeshTerrainWidget::addcol_event() {
    edit_index = -1;
    current_colour = Qt::black;
    open_entry_dialog("New Colour", "0.0", true);
}

// A cancelled colour dialog keeps the colour the entry had.
void QtMeshTerrainWidget::pickcol_event() {
    if (edit_index == -1) current_colour = Qt::black;
    QColor chosen = QColorDialog::getColor(current_colour, this);
    if (chosen.isValid()) current_colour = chosen;
    if (dialog_swatch) dialog_swatch->setPixmap(swatch_pixmap(current_colour, 16));
}

// A value that is not a number is refused, and the dialog stays open to mend it.
void QtMeshTerrainWidget::ok_event() {
    bool number = false;
    float typed = dialog_value->text().trimmed().toFloat(&number);
    if (!number || !std::isfinite(typed)) {
        show_warning(colour_dialog, "Colour Map",
                     "\"" + dialog_value->text() + "\" is not a number: type a value such as 0.5");
        return;
    }
    colour_dialog->accept();
    QTreeWidgetItem* item =
        edit_index == -1 ? new QTreeWidgetItem(colour_tree) : colour_tree->topLevelItem(edit_index);
    colour_tree->setItemWidget(item, 0, swatch(current_colour));
    item->setText(1, dialog_value->text());
    colour_tree->sortItems(1, Qt::AscendingOrder); // by text, not by number

    colours.clear();
    values.clear();
    for (int row = 0; row < colour_tree->topLevelItemCount(); ++row) {
        QTreeWidgetItem* r = colour_tree->topLevelItem(row);
        auto* label = static_cast<QLabel*>(colour_tree->itemWidget(r, 0));
        QColor colour = label->pixmap().toImage().pixelColor(0, 0);
        colour.setAlpha(255);
        colours.push_back(colour);
        values.push_back(r->text(1).toFloat()); // text that is no number gives 0
    }
    send_map();
}

void QtMeshTerrainWidget::cancel_event() {
    colour_dialog->reject();
}

void QtMeshTerrainWidget::delcol_event() {
    QTreeWidgetItem* current = colour_tree->currentItem();
    if (!current) return; // nothing chosen, nothing to delete
    int row = colour_tree->indexOfTopLevelItem(current);
    if (row == 0 || row == colour_tree->topLevelItemCount() - 1) {
        console_printf("not allowed\n");
        show_warning(this, "Colour Map",
                     "The first and the last entry of a colour map cannot be deleted.");
        return;
    }
    auto answer = QMessageBox::warning(
        this, tr("Confirm Delete..."),
        tr("Are you sure you would like to delete the selected colour map entry?\n"),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes) return;
    delete colour_tree->takeTopLevelItem(row);
    colours.erase(colours.begin() + row);
    values.erase(values.begin() + row);
    send_map();
}

ColourMap QtMeshTerrainWidget::colour_map() const {
    ColourMap map;
    map.values = values;
    for (const QColor& c : colours) map.colours.push_back(rgb(c));
    return map;
}

// Saves start in the working folder's ColourMaps (or the working folder), never among
// the bundled samples.
void QtMeshTerrainWidget::save_event() {
    QString name =
        QFileDialog::getSaveFileName(this, "", dialog_start_folder("ColourMaps"), "*.map");
    if (!name.isEmpty()) save_colour_map_file(name);
}

bool QtMeshTerrainWidget::save_colour_map_file(QString name) {
    if (name.size() < 4 || name[name.size() - 4] != '.') name += ".map";
    IoResult r = check_save(FileKind::ColourMap, name);
    if (r) r = save_colour_map(name.toStdString(), colour_map());
    if (!r) {
        console_printf("ERROR: SAVING FILE .MAP File! QtMeshTerrainWidget::save_event(void)\n");
        show_warning(this, "Colour Map", QString::fromStdString(r.error));
    }
    return bool(r);
}

// The rows are rebuilt from the lists and the map sent also when no file was chosen.
void QtMeshTerrainWidget::load_event() {
    QString name = QFileDialog::getOpenFileName(
        this, "", data_start_folder("ColourMaps", "colourmaps"), "*.map");
    if (!name.isEmpty()) read_colour_map_file(name);
    rebuild_tree_from_lists();
    send_map();
}

void QtMeshTerrainWidget::load_colour_map_file(const QString& name) {
    read_colour_map_file(name);
    rebuild_tree_from_lists();
    send_map();
}

// An unreadable file leaves the map as it was; a map of fewer than two entries is
// taken but reported, since colouring needs a pair of entries to interpolate between.
void QtMeshTerrainWidget::read_colour_map_file(const QString& name) {
    ColourMap map;
    if (IoResult r = load_colour_map(name.toStdString(), map); !r) {
        console_printf("ERROR!!!\n");
        show_warning(this, "Colour Map", QString::fromStdString(r.error));
        return;
    }
    if (map.values.size() < 2)
        show_warning(this, "Colour Map",
                     name + (map.values.empty() ? " holds no entries" : " holds one entry only") +
                         ": a colour map needs two to colour by height.");
    colours.clear();
    values = map.values;
    for (const Rgb& c : map.colours) colours.push_back(qcolor(c));
    note_opened(FileKind::ColourMap, name);
}

void QtMeshTerrainWidget::rebuild_tree_from_lists() {
    colour_tree->clear();
    for (size_t i = 0; i < values.size(); ++i)
        add_row(colours[i], QString::number(values[i], 'g', 6));
}
