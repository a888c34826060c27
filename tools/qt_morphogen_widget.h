// QtMorphogenWidget: the morphogen page. It lists the morphogens of the current mesh,
// switches each on or off and gives it a colour, chooses the base colour and the mixing
// mode, sends the whole setting to the view on every change, and keeps it in .mor files.
#pragma once

#include "qtshared/tool_panel.h"
#include "tools/morphogen_setting.h"

#include <QColor>
#include <string>
#include <vector>

class QLabel;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;

class QtMorphogenWidget : public ToolPanel {
    Q_OBJECT

  public:
    explicit QtMorphogenWidget(QWidget* parent = nullptr, const char* name = nullptr);

    int mixmode = 0; // 0 additive, any other value subtractive
    QColor defaultcolour{Qt::black};
    std::vector<QColor> colours;
    std::vector<std::string> names;
    std::vector<int> tooglestates;
    QTreeWidget* morpho_tree;
    QLabel* base_swatch;
    QRadioButton *additive_button, *subtractive_button;

    // Emits the whole setting.
    void send_setting();

    // The fields as the Qt-free code takes them, and back (the names stay).
    MorphogenSetting setting() const;
    void take_setting(const MorphogenSetting& s);

    // What "Save" does once a name is chosen: ".mor" appended unless a full stop stands
    // fourth from the end; a failure is printed and shown. True when written.
    bool save_setting_file(QString name);
    // What "Load" does once a name is chosen: the file read, the panel refreshed and the
    // setting sent. A file that cannot be read or does not fit the current morphogens
    // is shown and changes nothing; false then.
    bool load_setting_file(const QString& name);
    // Shows the fields: base swatch, mixing mode buttons and the tree.
    void refresh();

    // Shows a setting of the view's (an undone change), names included, sending nothing.
    void show_setting(const MorphogenSetting& setting);

  signals:
    void gettreeitem_signal();
    void buildvertexcolour_signal(int, std::vector<int>, std::vector<QColor>, QColor);

  public slots:
    void buildtree_slot(std::vector<std::string>& names);
    void saveSlot();
    void loadSlot();
    void itemDoubleClickedSlot(QTreeWidgetItem* item, int col);
    void itemClickedSlot(QTreeWidgetItem*, int);
    void pickcolpressed_slot();
    void additiveclick_slot();
    void substractiveclick_slot();

  private:
    void add_row(const std::string& name, const QColor& colour, int state);
    // The boxes as the tree shows them, however they were toggled: a change is recorded
    // and sent.
    void item_changed(QTreeWidgetItem* item, int col);
    void follow_check_boxes();
    bool boxes_pending = false;
};
