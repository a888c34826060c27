// TaskRunner: runs the document's long operations (document/task.h) on a worker thread,
// one at a time, and finishes each back on the window's thread, so that the window
// keeps drawing and answering while one runs. Cancel stops the run at its next
// checkpoint; the task is then abandoned and the document stays as it was.
#pragma once

#include "document/document.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <thread>

class TaskRunner : public QObject {
    Q_OBJECT

  public:
    using Done = std::function<void(const Outcome&)>;

    explicit TaskRunner(Document& document, QObject* parent = nullptr);
    // Stops a run and waits for its thread.
    ~TaskRunner() override;

    // Runs `task` and then calls `done` with its outcome, on this thread. With `at_once`
    // or `inline_runs` the whole task runs here before start returns. False, doing
    // nothing, while another task runs.
    bool start(std::unique_ptr<Task> task, Done done, bool at_once = false);
    bool busy() const { return bool(task); }
    // Asks the run to stop: `done` is then not called, `cancelled` is emitted.
    void cancel();
    // Cancels, and waits until the task is abandoned (for a window that closes).
    void cancel_and_wait();

    QString title() const;
    double fraction() const { return work ? work->fraction() : 0; }
    double seconds() const { return clock.isValid() ? double(clock.elapsed()) / 1000 : 0; }

    // Every task at once, on the window's thread (for tests that check a tool's result
    // right after they start it).
    static bool inline_runs;

  signals:
    void started(QString title);
    void progressed(double fraction, double seconds);
    void cancelled(QString title);
    // After every run, finished or not.
    void ended();

  private:
    Document& document;
    std::unique_ptr<Task> task;
    std::unique_ptr<Work> work;
    std::thread thread;
    std::atomic<bool> run_over{false};
    bool was_stopped = false;
    std::exception_ptr failure;
    Done on_done;
    QTimer ticks;
    QElapsedTimer clock;

    void run_task(); // on the worker, or here for inline runs
    void end_run();  // on this thread, once the run is over
    Outcome outcome_of_run();
};
