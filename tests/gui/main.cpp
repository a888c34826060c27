// Runs the registered test classes of the desktop application: `viewer_tests CLASS
// [QTest options]` runs one class, `viewer_tests` all of them.
#include "gui_test_util.h"
#include "viewer/qt_application.h"

#include <QStandardPaths>
#include <cstring>

int main(int argc, char** argv) {
    use_test_gl_format();
    // Remembered settings go to a folder of the test's own, never the user's.
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    QApplication app(argc, argv);
    name_application();
    start_with_classic_light();
    // Tools run at once unless a test asks for them to run on a worker thread, so that a
    // test can look at a tool's result right after starting it.
    TaskRunner::inline_runs = true;
    const char* only = argc > 1 && argv[1][0] != '-' ? argv[1] : nullptr;
    if (only) {
        argv[1] = argv[0];
        ++argv;
        --argc;
    }
    int status = 0, run = 0;
    for (const GuiTest& t : gui_tests()) {
        if (only && std::strcmp(only, t.name) != 0) continue;
        std::unique_ptr<QObject> test = t.make();
        status |= QTest::qExec(test.get(), argc, argv);
        ++run;
    }
    if (only && run == 0) {
        std::fprintf(stderr, "no test class %s\n", only);
        return 1;
    }
    return status;
}
