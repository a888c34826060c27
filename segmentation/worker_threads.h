// Work spread over the processor's cores (two at most: the machines this runs on share
// theirs). Each task runs whole on one thread, so a sum kept inside a task adds in the
// same order whatever the number of threads.
#pragma once

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

// How many threads the parallel steps use.
inline int worker_count() {
    unsigned cores = std::thread::hardware_concurrency();
    return int(std::clamp(cores, 1u, 2u));
}

// Runs task(i) for every i in [0, count), taking the tasks in turn on worker_count()
// threads (the caller's among them). Tasks must not throw.
template <typename Task>
void run_tasks(int count, const Task& task) {
    int threads = std::min(worker_count(), count);
    if (threads <= 1) {
        for (int i = 0; i < count; ++i) task(i);
        return;
    }
    std::atomic<int> next{0};
    auto work = [&] {
        for (int i = next++; i < count; i = next++) task(i);
    };
    std::vector<std::thread> helpers;
    for (int t = 1; t < threads; ++t) helpers.emplace_back(work);
    work();
    for (std::thread& t : helpers) t.join();
}
