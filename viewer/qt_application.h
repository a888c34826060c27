// The start of the desktop application, shared by main() and the tests.
#pragma once

#include <QApplication>
#include <QString>
#include <QStringList>

class QtMainWindow;

// The application object: an allocation failure in any event's handling (a file read,
// a tool run) ends that action with a message box instead of the program.
class VostrelApplication : public QApplication {
  public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override;
};

// The names the application's remembered settings are kept under, its desktop entry and
// its icon; call once the application object exists.
void name_application();

// Titles, sizes and shows the main window as the program starts it.
void show_main_window(QtMainWindow& window);

// The program's command line: `vostrel [--all-tools] [--script SCRIPT] [FILE]`.
struct CommandLine {
    bool all_tools = false; // every tool panel as a page of the tools dialog
    bool has_file = false;
    QString file;   // the first argument that is not an option
    QString script; // run in the window once it is open (and FILE opened)
};
CommandLine parse_command_line(const QStringList& arguments);
