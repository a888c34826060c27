#include "viewer/qt_light_editor_dialogue.h"

#include "qtshared/icons.h"
#include "viewer/qt_light_settings_widget.h"

#include <QDialogButtonBox>
#include <QTabWidget>
#include <QVBoxLayout>

QtLightEditorDialogue::QtLightEditorDialogue(QWidget* parent, const char* name) : QDialog(parent) {
    if (name) setObjectName(name);
    setWindowTitle("Lighting Editor");
    setWindowIcon(load_icon("icons/lights.png"));
    tabs = new QTabWidget;
    lightsettings = new QtLightSettingsWidget(tabs, "lightettings_tab");
    tabs->addTab(lightsettings, "Lighting");
    // No OK button: the page acts at once; "Close" hides the dialog.
    auto* buttons = new QDialogButtonBox;
    buttons->addButton("Close", QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
}

void QtLightEditorDialogue::reset_event() {}
void QtLightEditorDialogue::apply_event() {}
