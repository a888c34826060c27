// vostrel: the desktop application. `vostrel [--all-tools] [--script SCRIPT] [FILE]`,
// `vostrel --help`, `vostrel --version`.
#include "viewer/qt_application.h"
#include "viewer/qt_gl_context.h"
#include "viewer/qt_main_window.h"
#include "viewer/qt_script_runner.h"

#include <QApplication>
#include <QStatusBar>
#include <cstdio>
#include <cstring>

namespace {

const char help_text[] =
    "Usage: vostrel [--all-tools] [--script SCRIPT] [FILE]\n"
    "Show triangle meshes and build coloured terrain from greyscale heightmaps.\n"
    "\n"
    "FILE is opened in the window as File > Open... opens it: OBJ, NET, PLY, STL, OFF,\n"
    "glTF and the other formats Assimp reads.\n"
    "\n"
    "Options:\n"
    "  --all-tools      show every page of the Mesh Tools dialog, not only Terrain\n"
    "  --script SCRIPT  do the lines of SCRIPT (the format of 'vostrel-cli run') in the\n"
    "                   window once it is open; the window stays open afterwards\n"
    "  -h, --help       print this help and exit\n"
    "  --version        print the version and exit\n"
    "\n"
    "Exit status: 0 when the window is closed, 1 when FILE cannot be opened, 2 for a\n"
    "wrong script line.\n"
    "\n"
    "Without a display, 'vostrel-cli render' draws the same frame into a PNG image.\n";

// Help and version answer before the application object exists, so they need no
// display.
bool answered_at_once(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(help_text, stdout);
            return true;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::puts("vostrel " VOSTREL_VERSION);
            return true;
        }
        if (std::strcmp(argv[i], "--script") == 0) ++i; // a script may be named --help
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IOLBF, 0); // console lines at once, also into a file or pipe
    if (answered_at_once(argc, argv)) return 0;
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
