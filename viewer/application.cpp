#include "viewer/application.h"

#include "viewer/qt_gl_object_window.h"
#include "viewer/qt_main_window.h"

void show_main_window(QtMainWindow& window) {
    window.setWindowTitle("Vostrel V1.0");
    window.editor->resize(800, 600);
    window.show();
}
