// vostrel: the desktop application. `vostrel [--all-tools] [FILE]`.
#include "viewer/qt_application.h"
#include "viewer/qt_gl_context.h"
#include "viewer/qt_main_window.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IOLBF, 0); // console lines at once, also into a file or pipe
    use_compatibility_gl_format();
    VostrelApplication app(argc, argv);
    name_application();
    if (!system_has_opengl()) {
        qWarning("This system has no OpenGL support. Exiting.");
        return -1;
    }
    CommandLine line = parse_command_line(QCoreApplication::arguments());
    QtMainWindow window;
    if (line.all_tools) window.show_all_tool_pages(true, false);
    show_main_window(window);
    if (line.has_file && !window.open_from_command_line(line.file)) return 1;
    return app.exec();
}
