#include "tools/qt_morphogen_widget.h"

#include "core/console.h"
#include "qtshared/colours.h"
#include "qtshared/start_folder.h"
#include "qtshared/swatch.h"
#include "qtshared/warning.h"
#include "tools/morphogen_file.h"

#include <QBoxLayout>
#include <QColorDialog>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>

namespace {

QLabel* swatch_label(const QColor& colour) {
    return framed_swatch(colour, 16);
}

// The dialogs start in "data" under the working folder, else in the working folder:
// never among the bundled samples, which a save would overwrite.
QString mor_folder() {
    return dialog_start_folder("data");
}

} // namespace

QtMorphogenWidget::QtMorphogenWidget(QWidget* parent, const char* name) : ToolPanel(parent, name) {
    auto* vboxlayout = new QBoxLayout(QBoxLayout::LeftToRight, this);
    vboxlayout->setObjectName("vboxlayout");
    vboxlayout->setContentsMargins(0, 0, 0, 0);
    vboxlayout->setSpacing(5);
    vboxlayout->setAlignment(Qt::AlignTop);

    auto* file = new QGroupBox("File:");
    auto* file_column = new QVBoxLayout(file);
    auto* load = new QPushButton("Load");
    auto* save = new QPushButton("Save");
    file_column->addWidget(load);
    file_column->addWidget(save);
    vboxlayout->addWidget(file, 0, Qt::AlignTop);

    auto* setting = new QGroupBox;
    auto* column = new QVBoxLayout(setting);
    auto* base_row = new QHBoxLayout;
    base_row->addWidget(new QLabel("Base Colour: "));
    base_swatch = swatch_label(defaultcolour);
    base_row->addWidget(base_swatch);
    auto* choose = new QPushButton("Choose a Colour");
    base_row->addWidget(choose);
    auto* mixing_row = new QHBoxLayout;
    mixing_row->addWidget(new QLabel("Colour Mixing: "));
    additive_button = new QRadioButton("additive");
    subtractive_button = new QRadioButton("subtractive");
    additive_button->setChecked(true);
    mixing_row->addWidget(additive_button);
    mixing_row->addWidget(subtractive_button);
    morpho_tree = new QTreeWidget;
    morpho_tree->setColumnCount(3);
    morpho_tree->setMinimumHeight(400);
    morpho_tree->setRootIsDecorated(false);
    // Check box, name, swatch: the name takes the room the other two leave.
    morpho_tree->header()->hide();
    morpho_tree->header()->setStretchLastSection(false);
    morpho_tree->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    morpho_tree->setColumnWidth(0, 32);
    morpho_tree->setColumnWidth(2, 32);
    column->addLayout(base_row);
    column->addLayout(mixing_row);
    column->addWidget(morpho_tree);
    vboxlayout->addWidget(setting, 0, Qt::AlignTop);

    connect(load, &QPushButton::pressed, this, &QtMorphogenWidget::loadSlot);
    connect(save, &QPushButton::pressed, this, &QtMorphogenWidget::saveSlot);
    connect(choose, &QPushButton::pressed, this, &QtMorphogenWidget::pickcolpressed_slot);
    connect(additive_button, &QRadioButton::pressed, this, &QtMorphogenWidget::additiveclick_slot);
    connect(subtractive_button, &QRadioButton::pressed, this,
            &QtMorphogenWidget::substractiveclick_slot);
    connect(morpho_tree, &QTreeWidget::itemClicked, this, &QtMorphogenWidget::itemClickedSlot);
    connect(morpho_tree, &QTreeWidget::itemChanged, this, &QtMorphogenWidget::item_changed);
}

void QtMorphogenWidget::send_setting() {
    emit buildvertexcolour_signal(mixmode, tooglestates, colours, defaultcolour);
}

MorphogenSetting QtMorphogenWidget::setting() const {
    MorphogenSetting s;
    s.mixmode = mixmode;
    s.defaultcolour = rgb(defaultcolour);
    s.names = names;
    for (const QColor& c : colours) s.colours.push_back(rgb(c));
    s.tooglestates = tooglestates;
    return s;
}

void QtMorphogenWidget::take_setting(const MorphogenSetting& s) {
    mixmode = s.mixmode;
    defaultcolour = qcolor(s.defaultcolour);
    colours.clear();
    for (const Rgb& c : s.colours) colours.push_back(qcolor(c));
    tooglestates = s.tooglestates;
}

void QtMorphogenWidget::add_row(const std::string& name, const QColor& colour, int state) {
    auto* item = new QTreeWidgetItem(morpho_tree);
    item->setCheckState(0, state == 1 ? Qt::Checked : Qt::Unchecked);
    item->setText(1, QString::fromStdString(name));
    morpho_tree->setItemWidget(item, 2, swatch_label(colour));
}

void QtMorphogenWidget::refresh() {
    base_swatch->setPixmap(swatch_pixmap(defaultcolour, 16));
    additive_button->setChecked(mixmode == 0);
    subtractive_button->setChecked(mixmode != 0);
    morpho_tree->clear();
    for (size_t i = 0; i < names.size() && i < colours.size() && i < tooglestates.size(); ++i)
        add_row(names[i], colours[i], tooglestates[i]);
}

// The names are copied first: the caller's list may be this panel's own.
void QtMorphogenWidget::buildtree_slot(std::vector<std::string>& new_names) {
    MorphogenSetting s = setting();
    set_morphogen_names(s, new_names);
    names = s.names;
    take_setting(s);
    refresh();
}

void QtMorphogenWidget::show_setting(const MorphogenSetting& s) {
    names = s.names;
    take_setting(s);
    refresh();
}

void QtMorphogenWidget::saveSlot() {
    QString name = QFileDialog::getSaveFileName(this, "", mor_folder(), "*.mor");
    if (!name.isEmpty()) save_setting_file(name);
}

bool QtMorphogenWidget::save_setting_file(QString name) {
    name = complete_name(name, ".mor");
    IoResult r = check_save(FileKind::Morphogens, name);
    if (r) r = save_morphogen_setting(name.toStdString(), setting());
    if (!r) {
        console_printf("ERROR: SAVING FILE .MOR File! QtMorphogenWidget::saveSlot(void)\n");
        std::fprintf(stderr, "%s\n", r.error.c_str());
        show_warning(this, "Morphogens", QString::fromStdString(r.error));
    }
    return bool(r);
}

// Without a file chosen the panel is still refreshed and the setting sent.
void QtMorphogenWidget::loadSlot() {
    QString name = QFileDialog::getOpenFileName(this, "", mor_folder(), "*.mor");
    if (!name.isEmpty()) {
        load_setting_file(name);
        return;
    }
    refresh();
    send_setting();
}

bool QtMorphogenWidget::load_setting_file(const QString& name) {
    MorphogenSetting s = setting();
    IoResult r = load_morphogen_setting(name.toStdString(), s);
    if (!r) {
        std::fprintf(stderr, "%s\n", r.error.c_str());
        show_warning(this, "Morphogens", QString::fromStdString(r.error));
        return false;
    }
    take_setting(s);
    note_opened(FileKind::Morphogens, name);
    refresh();
    send_setting();
    return true;
}

// Column 0 follows the check box, column 2 picks the morphogen's colour; column 1 does
// nothing. A cancelled colour dialog keeps the colour and sends nothing.
void QtMorphogenWidget::itemClickedSlot(QTreeWidgetItem* item, int col) {
    int i = morpho_tree->indexOfTopLevelItem(item);
    if (i < 0 || size_t(i) >= colours.size() || size_t(i) >= tooglestates.size()) return;
    if (col == 0) {
        tooglestates[i] = item->checkState(0) == Qt::Checked ? 1 : 0;
        send_setting();
    } else if (col == 2) {
        QColor chosen = QColorDialog::getColor(colours[i], this);
        if (!chosen.isValid()) return;
        colours[i] = chosen;
        morpho_tree->setItemWidget(item, 2, swatch_label(chosen));
        send_setting();
    }
}

// A box toggled otherwise than by a click (Space, or a program) is followed once the
// event that toggled it is done; by then a click has recorded and sent it already.
void QtMorphogenWidget::item_changed(QTreeWidgetItem*, int col) {
    if (col != 0 || boxes_pending) return;
    boxes_pending = true;
    QTimer::singleShot(0, this, &QtMorphogenWidget::follow_check_boxes);
}

void QtMorphogenWidget::follow_check_boxes() {
    boxes_pending = false;
    bool changed = false;
    for (int i = 0; i < morpho_tree->topLevelItemCount() && size_t(i) < tooglestates.size(); ++i) {
        int state = morpho_tree->topLevelItem(i)->checkState(0) == Qt::Checked ? 1 : 0;
        changed = changed || state != tooglestates[size_t(i)];
        tooglestates[size_t(i)] = state;
    }
    if (changed) send_setting();
}

void QtMorphogenWidget::itemDoubleClickedSlot(QTreeWidgetItem* item, int) {
    itemClickedSlot(item, 2);
}

// A cancelled dialog keeps the base colour and sends nothing.
void QtMorphogenWidget::pickcolpressed_slot() {
    QColor chosen = QColorDialog::getColor(defaultcolour, this);
    if (!chosen.isValid()) return;
    defaultcolour = chosen;
    base_swatch->setPixmap(swatch_pixmap(defaultcolour, 16));
    send_setting();
}

void QtMorphogenWidget::additiveclick_slot() {
    mixmode = 0;
    send_setting();
}

void QtMorphogenWidget::substractiveclick_slot() {
    mixmode = 1;
    send_setting();
}
