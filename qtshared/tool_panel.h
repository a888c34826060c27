// ToolPanel: a page of the mesh tools dialog. Its apply() is what the dialog's "Apply"
// runs while the page is current; panels without an action keep the empty one.
//
// The helpers below build the layout the small tool panels share: a box layout on the
// panel holding an untitled frame with the panel's labels, sliders and buttons, top to
// bottom.
#pragma once

#include "document/input_files.h"

#include <QSlider>
#include <QString>
#include <QWidget>
#include <functional>
#include <string>

class QBoxLayout;

class ToolPanel : public QWidget {
    Q_OBJECT

  public:
    explicit ToolPanel(QWidget* parent = nullptr, const char* name = nullptr);

    virtual void apply() {}

    // Set by the window for the pages that open and save files of their own: each file
    // opened is noted as in use, and a save is first asked whether it would replace a
    // file in use of another kind (the refusal is shown and nothing is written).
    std::function<void(FileKind, const std::string&)> file_opened;
    std::function<IoResult(FileKind, const std::string&)> may_save;

  protected:
    void note_opened(FileKind kind, const QString& path) {
        if (file_opened) file_opened(kind, path.toStdString());
    }
    IoResult check_save(FileKind kind, const QString& path) const {
        return may_save ? may_save(kind, path.toStdString()) : IoResult::success();
    }
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
