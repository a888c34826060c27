#include "cli/interrupt.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <thread>
#include <unistd.h>

// vostrel-cli is compiled as one unit: these names are the file's own.
namespace cli_interrupt {

Work work;
volatile std::sig_atomic_t stopped_by = 0;

// Async-signal-safe: an atomic store, or _exit.
extern "C" void on_stop_signal(int signal_number) {
    stopped_by = signal_number;
    work.stop();
    if (!work.running.load(std::memory_order_relaxed)) _exit(128 + signal_number);
}

} // namespace cli_interrupt

Work& command_work() {
    return cli_interrupt::work;
}

void stop_on_signals() {
    struct sigaction action {};
    action.sa_handler = cli_interrupt::on_stop_signal;
    sigemptyset(&action.sa_mask);
    for (int s : {SIGINT, SIGTERM}) sigaction(s, &action, nullptr);
}

int stop_signal() {
    return cli_interrupt::stopped_by;
}

struct ProgressBar::Drawing {
    std::thread thread;
    std::mutex lock;
    std::condition_variable wake;
    bool done = false;

    void draw() {
        using namespace std::chrono;
        constexpr auto moment = milliseconds(300);
        bool shown = false;
        steady_clock::time_point began{};
        bool was_running = false;
        std::unique_lock<std::mutex> hold(lock);
        while (!wake.wait_for(hold, milliseconds(100), [this] { return done; })) {
            bool running = cli_interrupt::work.running.load(std::memory_order_relaxed);
            if (running && !was_running) began = steady_clock::now();
            was_running = running;
            if (running && steady_clock::now() - began >= moment) {
                int percent = int(cli_interrupt::work.fraction() * 100);
                char bar[21];
                for (int i = 0; i < 20; ++i) bar[i] = i < percent / 5 ? '#' : ' ';
                bar[20] = '\0';
                std::fprintf(stderr, "\r\033[K[%s] %3d%%", bar, percent);
                std::fflush(stderr);
                shown = true;
            } else if (!running && shown) {
                std::fprintf(stderr, "\r\033[K");
                std::fflush(stderr);
                shown = false;
            }
        }
        if (shown) std::fprintf(stderr, "\r\033[K");
    }
};

ProgressBar::ProgressBar() {
    if (!isatty(STDERR_FILENO)) return;
    drawing = new Drawing;
    drawing->thread = std::thread([this] { drawing->draw(); });
}

ProgressBar::~ProgressBar() {
    if (!drawing) return;
    {
        std::lock_guard<std::mutex> hold(drawing->lock);
        drawing->done = true;
    }
    drawing->wake.notify_one();
    drawing->thread.join();
    delete drawing;
}
