#include "viewer/qt_application.h"

#include "viewer/qt_gl_object_window.h"
#include "viewer/qt_main_window.h"

#include <QCoreApplication>

void name_application() {
    QCoreApplication::setOrganizationName("Vostrel");
    QCoreApplication::setApplicationName("Vostrel");
}

void show_main_window(QtMainWindow& window) {
    window.setWindowTitle("Vostrel V1.0");
    window.editor->resize(800, 600);
    window.show();
}

CommandLine parse_command_line(const QStringList& arguments) {
    CommandLine line;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--all-tools") {
            line.all_tools = true;
        } else if (!line.has_file) {
            line.file = arguments[i];
            line.has_file = true;
        }
    }
    return line;
}
