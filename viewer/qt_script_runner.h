// ScriptRunner: `vostrel --script FILE` — the lines of a script in the vostrel-cli run
// format, each done in the window as its menu action or page would do it, with the same
// progress and Cancel. The whole script is read and checked first; then the lines run in
// order, each once the work the one before began has ended. A line that fails, or a run
// that is cancelled, stops the script; the window stays open either way.
#pragma once

#include "document/file_clashes.h"

#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

class QtMainWindow;

class ScriptRunner : public QObject {
    Q_OBJECT

  public:
    explicit ScriptRunner(QtMainWindow& window);

    // Reads and checks the script; false, with `error` naming the line, when it cannot
    // be run (nothing has been done then).
    bool load(const QString& path, QString& error);
    // Runs the lines; `finished` says how it ended.
    void start();
    bool running() const { return active; }

  signals:
    // ok false: the message says which line failed and why, or that it was cancelled.
    void finished(bool ok, QString message);

  private:
    // One thing to do; an empty result is success, else the reason it failed.
    struct Action {
        int line;
        std::function<QString()> run;
    };
    QtMainWindow& window;
    QString script;
    std::optional<ScriptFiles> files; // of the lines read so far
    std::vector<Action> actions;
    size_t next_action = 0;
    int line = 0; // the line of the action last begun
    bool active = false;
    QString failure; // said by the view while an action's work ran

    bool parse_line(int number, const std::vector<std::string>& words, QString& error);
    void step();
    void stop(const QString& message);
};
