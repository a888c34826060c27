// QtCLippingWidget: the clipping planes page. It selects one plane for mouse editing,
// resets planes, shows every outline, and loads and saves the plane set; it holds no
// geometry and keeps at most one plane button checked.
#pragma once

#include "qtshared/tool_panel.h"

#include <QString>
#include <array>

class QLabel;
class QPushButton;

class QtCLippingWidget : public ToolPanel {
    Q_OBJECT

  public:
    explicit QtCLippingWidget(QWidget* parent = nullptr, const char* name = nullptr);

    QPushButton* showall_button;
    std::array<QPushButton*, 6> plane_buttons; // "PLANE_1" ... "PLANE_6"
    QLabel* selected_label; // the selected plane by name: "Selected: front", "Selected: none"

    // What the load and save dialogs' answers lead to.
    void load_file(const QString& name);
    void save_file(const QString& name);

  signals:
    void cutplane_select_signal(int selected);
    void cutplane_invert_signal(int selected);
    void cutplane_load_signal(QString fn);
    void cutplane_save_signal(QString fn);
    void cutplane_showall_signal(int selected);
    void cutplane_resetall_signal();
    void cutplane_resetcurrent_signal();

  public slots:
    void showall_button_event();
    void resetall_button_event();
    void resetcurr_button_event();
    void plane1_button_event();
    void plane2_button_event();
    void plane3_button_event();
    void plane4_button_event();
    void plane5_button_event();
    void plane6_button_event();
    void cutplane_load_event();
    void cutplane_save_event();
    // The view's planes changed otherwise than by these buttons (a mesh load, an undo):
    // only the button of plane `selected` stays checked, none for -1.
    void planes_shown_event(int selected);

  private:
    void plane_button_event(int k);
    void show_selected_name();
};
