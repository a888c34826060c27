// Work: the link between a long computation and whoever waits for it, on another thread
// or the same one. The computation says how far it has come and, at points of its
// choosing (often enough that a stop takes effect within a few milliseconds), whether
// it is to stop; the waiter reads how far it has come and asks it to stop. Atomics only,
// no locks: reading the progress or asking for a stop never waits.
//
// A computation that is asked to stop throws WorkStopped from its next checkpoint and
// unwinds, leaving what it was given as it was: it writes only its own arrays until it
// is done. Code that may run without a Work takes a Work* and calls the free functions
// below, which do nothing for nullptr.
#pragma once

#include <atomic>
#include <cstdint>

// Thrown by a checkpoint after a stop was asked for. Not a std::exception, so that no
// handler of errors takes it for one.
struct WorkStopped {};

class Work {
  public:
    // The computation's side.
    // The part of the whole done, 0..1: `done` of `total` of the current stage, mapped
    // into the stage's share of the whole (Stage below). Never goes back.
    void advance(int64_t done, int64_t total);
    // Throws WorkStopped when a stop was asked for.
    void checkpoint() {
        if (++passed == stop_at) stop();
        if (stop_asked.load(std::memory_order_relaxed)) throw WorkStopped{};
    }

    // Starts counting progress afresh for the next computation (a stop asked for stays).
    void restart() {
        stage_begin = 0;
        stage_end = 1;
        done_fraction.store(0, std::memory_order_relaxed);
    }
    // Whether a computation reports to it now: set around the run by whoever starts it.
    std::atomic<bool> running{false};

    // The waiter's side (any thread, or a signal handler: stop() is a lock-free store).
    void stop() { stop_asked.store(true, std::memory_order_relaxed); }
    bool stopped() const { return stop_asked.load(std::memory_order_relaxed); }
    double fraction() const { return done_fraction.load(std::memory_order_relaxed); }

    // For tests: how many checkpoints the computation has passed, and a stop asked for
    // at checkpoint number n (counted from 1), as if asked for just before it.
    int64_t checkpoints_passed() const { return passed; }
    void stop_at_checkpoint(int64_t n) { stop_at = n; }
    // For a computation carried on by another Work (in a child process): a stop asked
    // for at a checkpoint still to come is handed on, and the other's checkpoints are
    // counted as this one's once it is done.
    void lend_test_stop(Work& other) const {
        if (stop_at > passed) other.stop_at = stop_at - passed;
    }
    void count_checkpoints_of(const Work& other) { passed += other.passed; }

    // The share [begin, end) of the whole that the current stage covers, in the terms of
    // the stage around it; set by Stage.
    double stage_begin = 0, stage_end = 1;

  private:
    int64_t passed = 0;   // the computing thread's own
    int64_t stop_at = -1; // set before the computation starts
    std::atomic<bool> stop_asked{false};
    std::atomic<double> done_fraction{0};
};

// A stage of a computation: while it lives, the steps reported cover `begin` to `end` of
// the stage around it (so nested stages compose), and when it ends the whole stage
// counts as done (unless it ends by an exception).
class Stage {
  public:
    Stage(Work* work, double begin, double end);
    ~Stage();
    Stage(const Stage&) = delete;
    Stage& operator=(const Stage&) = delete;

  private:
    Work* work;
    int exceptions; // in flight when the stage began
    double outer_begin = 0, outer_end = 1;
};

inline void checkpoint(Work* work) {
    if (work) work->checkpoint();
}

// Progress and a checkpoint: `done` of `total` steps of the current stage.
inline void advance(Work* work, int64_t done, int64_t total) {
    if (!work) return;
    work->advance(done, total);
    work->checkpoint();
}

// For loops of many cheap steps: progress and a checkpoint every 2^bits steps.
inline void advance_every(Work* work, int64_t done, int64_t total, int bits = 10) {
    if (work && (done & ((int64_t(1) << bits) - 1)) == 0) advance(work, done, total);
}
