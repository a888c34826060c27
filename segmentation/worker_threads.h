// Work spread over the processor's cores (two at most: the machines this runs on share
// theirs). Each task runs whole on one thread, so a sum kept inside a task adds in the
// same order whatever the number of threads.
#pragma once

#include "core/work.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>
#include <vector>

// How many threads the parallel steps use.
inline int worker_count() {
    unsigned cores = std::thread::hardware_concurrency();
    return int(std::clamp(cores, 1u, 2u));
}

// Throws WorkStopped once a stop was asked for, without counting as a checkpoint: what
// the helper threads call, since a Work's counts and progress are the calling thread's.
inline void stop_if_asked(const Work* work) {
    if (work && work->stopped()) throw WorkStopped{};
}

// Runs task(i) for every i in [0, count), taking the tasks in turn on worker_count()
// threads (the caller's among them). With a Work the calling thread reports the tasks
// ended, by whichever thread, as progress with a checkpoint each: `count` checkpoints
// in all, however the tasks fell to the threads. Tasks call stop_if_asked. When a task
// throws, the other threads end after their current task (at once for a stop) and the
// exception reaches the caller once they all have.
template <typename Task>
void run_tasks(int count, Work* work, const Task& task) {
    int threads = std::min(worker_count(), count);
    int reported = 0;
    auto report = [&](int ended) {
        while (reported < ended) advance(work, ++reported, count);
    };
    if (threads <= 1) {
        for (int i = 0; i < count; ++i) {
            task(i);
            report(i + 1);
        }
        return;
    }
    std::atomic<int> next{0}, ended{0};
    std::atomic<bool> failed{false};
    std::vector<std::exception_ptr> failures(size_t(threads - 1));
    auto helper = [&](size_t h) {
        try {
            for (int i = next++; i < count && !failed; i = next++) {
                task(i);
                ++ended;
            }
        } catch (...) {
            failures[h] = std::current_exception();
            failed = true;
        }
    };
    std::vector<std::thread> helpers;
    for (size_t h = 0; h + 1 < size_t(threads); ++h) helpers.emplace_back(helper, h);
    auto join = [&] {
        for (std::thread& t : helpers) t.join();
    };
    try {
        for (int i = next++; i < count && !failed; i = next++) {
            task(i);
            report(++ended);
        }
    } catch (...) {
        failed = true;
        join();
        throw;
    }
    join();
    for (const std::exception_ptr& f : failures)
        if (f) std::rethrow_exception(f);
    report(count);
}
