// QtLightEditorDialogue: the "Lighting Editor" dialog, one tab holding the light page.
#pragma once

#include <QDialog>

class QtLightSettingsWidget;
class QTabWidget;

class QtLightEditorDialogue : public QDialog {
    Q_OBJECT

  public:
    explicit QtLightEditorDialogue(QWidget* parent = nullptr, const char* name = nullptr);

    QTabWidget* tabs;
    QtLightSettingsWidget* lightsettings;

  signals:
    void reset_signal();

  public slots:
    void reset_event();
    void apply_event();
};
