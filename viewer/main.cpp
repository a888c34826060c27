// vostrel: the desktop application.
#include "viewer/application.h"
#include "viewer/gl_context.h"
#include "viewer/qt_main_window.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IOLBF, 0); // console lines at once, also into a file or pipe
    use_compatibility_gl_format();
    QApplication app(argc, argv);
    if (!system_has_opengl()) {
        qWarning("This system has no OpenGL support. Exiting.");
        return -1;
    }
    QtMainWindow window;
    show_main_window(window);
    if (argc > 1 && !window.open_from_command_line(QString::fromLocal8Bit(argv[1]))) return 1;
    return app.exec();
}
