#include "core/work.h"

#include <algorithm>
#include <exception>

void Work::advance(int64_t done, int64_t total) {
    double part = total > 0 ? std::clamp(double(done) / double(total), 0.0, 1.0) : 1.0;
    double whole = stage_begin + (stage_end - stage_begin) * part;
    // Only the computing thread writes, so a plain compare keeps it from going back.
    if (whole > done_fraction.load(std::memory_order_relaxed))
        done_fraction.store(whole, std::memory_order_relaxed);
}

Stage::Stage(Work* w, double begin, double end) : work(w), exceptions(std::uncaught_exceptions()) {
    if (!work) return;
    outer_begin = work->stage_begin;
    outer_end = work->stage_end;
    double span = outer_end - outer_begin;
    work->stage_begin = outer_begin + span * begin;
    work->stage_end = outer_begin + span * end;
}

// A stage left by a stop (or a failure) is not done: the progress stays where it was.
Stage::~Stage() {
    if (!work) return;
    if (std::uncaught_exceptions() == exceptions) work->advance(1, 1);
    work->stage_begin = outer_begin;
    work->stage_end = outer_end;
}
