// vostrel: the desktop application. `vostrel [--all-tools] [--script SCRIPT] [FILE]`.
#include "viewer/qt_application.h"
#include "viewer/qt_gl_context.h"
#include "viewer/qt_main_window.h"
#include "viewer/qt_script_runner.h"

#include <QApplication>
#include <QStatusBar>
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
    ScriptRunner script(window);
    if (!line.script.isEmpty()) {
        QString error;
        if (!script.load(line.script, error)) {
            std::fprintf(stderr, "vostrel: %s\n", error.toLocal8Bit().constData());
            return 2;
        }
        // The window stays open after the script, whatever came of it.
        QObject::connect(&script, &ScriptRunner::finished, &window, [&](bool ok, QString message) {
            if (!ok) std::fprintf(stderr, "vostrel: %s\n", message.toLocal8Bit().constData());
            window.status_bar->showMessage(ok ? "Script done" : message, 10000);
        });
        script.start();
    }
    return app.exec();
}
