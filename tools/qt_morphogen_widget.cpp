#include "tools/qt_morphogen_widget.h"

#include "qtshared/colours.h"

#include <QBoxLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

namespace {

QLabel* swatch_label(const QColor& colour) {
    auto* label = new QLabel;
    label->setPixmap(swatch_pixmap(colour, 16));
    return label;
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
}

void QtMorphogenWidget::send_setting() {
    emit buildvertexcolour_signal(mixmode, tooglestates, colours, defaultcolour);
}

void QtMorphogenWidget::add_row(const std::string& name, const QColor& colour, int state) {
    auto* item = new QTreeWidgetItem(morpho_tree);
    item->setCheckState(0, state == 1 ? Qt::Checked : Qt::Unchecked);
    item->setText(1, QString::fromStdString(name));
    morpho_tree->setItemWidget(item, 2, swatch_label(colour));
}

void QtMorphogenWidget::buildtree_slot(std::vector<std::string>& new_names) {
    names.clear();
    colours.clear();
    tooglestates.clear();
    morpho_tree->clear();
    for (const std::string& n : new_names) {
        add_row(n, Qt::red, 0);
        names.push_back(n);
        colours.emplace_back(Qt::red);
        tooglestates.push_back(0);
    }
}

void QtMorphogenWidget::saveSlot() {}
void QtMorphogenWidget::loadSlot() {}
void QtMorphogenWidget::itemDoubleClickedSlot(QTreeWidgetItem*, int) {}
void QtMorphogenWidget::itemClickedSlot(QTreeWidgetItem*, int) {}
void QtMorphogenWidget::pickcolpressed_slot() {}

void QtMorphogenWidget::additiveclick_slot() {
    mixmode = 0;
    send_setting();
}

void QtMorphogenWidget::substractiveclick_slot() {
    mixmode = 1;
    send_setting();
}
