// Task: a long operation of the document in three parts. It begins on the document's
// thread, where it takes what it needs; it runs, on any thread, while the document
// stays as it is (it reads the document's arrays in place and writes only arrays of its
// own); and it is finished on the document's thread, where it changes the document in
// one step. A run that is stopped (WorkStopped) or fails is never finished: the document
// never sees it, and abandon() gives back anything the task took for its run.
//
// The document's synchronous operations (Document::simplify, ...) are their tasks run at
// once on the calling thread; the window runs them on a worker thread.
#pragma once

#include "core/work.h"
#include "document/changes.h"

#include <string>

class Document;

class Task {
  public:
    explicit Task(std::string title) : what(std::move(title)) {}
    virtual ~Task() = default;
    Task(const Task&) = delete;
    Task& operator=(const Task&) = delete;

    // What runs, for the window to say: "Simplifying", "Opening spot.obj".
    const std::string& title() const { return what; }
    // The long part: reads the document (which nothing changes meanwhile), writes only
    // the task's own data. May throw WorkStopped, or std::bad_alloc.
    virtual void run(Work& work) = 0;
    // Puts the result into the document, as one step where it is one.
    virtual Outcome finish(Document& document) = 0;
    // After a run that was stopped or failed: gives back what the task took.
    virtual void abandon(Document&) {}
    // Whether the run is nothing at all, so that there is no point in a worker thread.
    virtual bool empty() const { return false; }

  private:
    std::string what;
};

// A task with nothing to do: what an operation begins when it would change nothing.
class NoTask : public Task {
  public:
    NoTask() : Task("") {}
    bool empty() const override { return true; }
    void run(Work&) override {}
    Outcome finish(Document&) override { return Outcome::done({}); }
};
