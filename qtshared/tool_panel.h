// ToolPanel: a page of the mesh tools dialog. Its apply() is what the dialog's "Apply"
// runs while the page is current; panels without an action keep the empty one.
//
// The helpers below build the layout the small tool panels share: a box layout on the
// panel holding an untitled frame with the panel's labels, sliders and buttons, top to
// bottom.
#pragma once

#include <QSlider>
#include <QString>
#include <QWidget>

class QBoxLayout;

class ToolPanel : public QWidget {
    Q_OBJECT

  public:
    explicit ToolPanel(QWidget* parent = nullptr, const char* name = nullptr);

    virtual void apply() {}
};

// Lays `panel` out and returns the frame's layout, to which the controls are added.
QBoxLayout* tool_panel_layout(QWidget* panel);

// A horizontal slider with tick marks below, tracking on, set to `value` (before any
// connection, so that building the panel emits nothing).
QSlider* tool_slider(const char* name, int minimum, int maximum, int page_step, int tick_interval,
                     int value);

// A float as the panels show it: up to six significant digits.
inline QString panel_number(double v) {
    return QString::number(v, 'g', 6);
}

// A name chosen in a save dialog with `extension` (".spt", ".slc", ".mor", ...)
// appended unless a full stop stands fourth from its end; a name shorter than four
// characters always gets it.
QString complete_name(const QString& name, const QString& extension);
