#include "viewer/qt_application.h"

#include "viewer/qt_gl_object_window.h"
#include "viewer/qt_main_window.h"

#include "qtshared/warning.h"

#include <QCoreApplication>
#include <QIcon>
#include <new>

bool VostrelApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc&) {
        show_warning(activeWindow(), VOSTREL_TITLE,
                     "Out of memory: the last action could not be completed.");
        return false;
    }
}

void name_application() {
    QCoreApplication::setOrganizationName("Vostrel");
    QCoreApplication::setApplicationName("Vostrel");
    // The desktop entry and the themed icon an installation brings; the desktop matches
    // the window to its menu entry by the entry's name.
    QGuiApplication::setDesktopFileName("vostrel");
    QApplication::setWindowIcon(QIcon::fromTheme("vostrel"));
}

void show_main_window(QtMainWindow& window) {
    window.setWindowTitle(VOSTREL_TITLE);
    window.editor->resize(800, 600);
    window.show();
}

CommandLine parse_command_line(const QStringList& arguments) {
    CommandLine line;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--all-tools") {
            line.all_tools = true;
        } else if (arguments[i] == "--script" && i + 1 < arguments.size()) {
            line.script = arguments[++i];
        } else if (!line.has_file) {
            line.file = arguments[i];
            line.has_file = true;
        }
    }
    return line;
}
