#include "viewer/qt_task_runner.h"

#include <QMetaObject>
#include <new>

bool TaskRunner::inline_runs = false;

TaskRunner::TaskRunner(Document& d, QObject* parent) : QObject(parent), document(d) {
    ticks.setInterval(50);
    connect(&ticks, &QTimer::timeout, this, [this] {
        if (busy()) emit progressed(fraction(), seconds());
    });
}

// Nothing is told of a run ended here: the window is going.
TaskRunner::~TaskRunner() {
    if (!busy()) return;
    cancel();
    if (thread.joinable()) thread.join();
    task->abandon(document);
}

QString TaskRunner::title() const {
    return task ? QString::fromStdString(task->title()) : QString();
}

bool TaskRunner::start(std::unique_ptr<Task> t, Done done, bool at_once) {
    if (busy()) return false;
    task = std::move(t);
    work = std::make_unique<Work>();
    on_done = std::move(done);
    run_over = false;
    was_stopped = false;
    failure = nullptr;
    clock.start();
    if (at_once || inline_runs || task->empty()) {
        run_task();
        end_run();
        return true;
    }
    emit started(title());
    ticks.start();
    thread = std::thread([this] {
        run_task();
        QMetaObject::invokeMethod(
            this, [this] { end_run(); }, Qt::QueuedConnection);
    });
    return true;
}

void TaskRunner::run_task() {
    try {
        task->run(*work);
    } catch (const WorkStopped&) {
        was_stopped = true;
    } catch (...) {
        failure = std::current_exception();
    }
    run_over = true;
}

// Finished, or abandoned with the reason.
Outcome TaskRunner::outcome_of_run() {
    if (!was_stopped && !failure) return task->finish(document);
    task->abandon(document);
    if (was_stopped) return Outcome::done({});
    try {
        std::rethrow_exception(failure);
    } catch (const std::bad_alloc&) {
        return Outcome::failure("ERROR: out of memory: " + task->title());
    } catch (const std::exception& e) {
        return Outcome::failure("ERROR: " + task->title() + ": " + e.what());
    }
}

void TaskRunner::end_run() {
    if (!task || !run_over) return; // ended already (cancel_and_wait)
    if (thread.joinable()) thread.join();
    ticks.stop();
    bool stopped = was_stopped;
    QString what = title();
    Outcome r = outcome_of_run();
    Done finished = std::move(on_done);
    task.reset();
    work.reset();
    // A cancelled run changed nothing, and has nothing to say but that.
    if (stopped)
        emit cancelled(what);
    else if (finished)
        finished(r);
    emit ended(); // what waited for the run may go on now
}

void TaskRunner::cancel() {
    if (work) work->stop();
}

void TaskRunner::cancel_and_wait() {
    if (!busy()) return;
    cancel();
    if (thread.joinable()) thread.join();
    end_run();
}
