// Runs every registered test class of the desktop application in one process.
#include "gui_test_util.h"

int main(int argc, char** argv) {
    use_test_gl_format();
    QApplication app(argc, argv);
    int status = 0;
    for (const auto& make : gui_tests()) {
        std::unique_ptr<QObject> test = make();
        status |= QTest::qExec(test.get(), argc, argv);
    }
    return status;
}
