// Work in a child process: what it writes comes across whole, however it ends the caller
// goes on, and progress and stops cross between the two.
#include "core/child_process.h"
#include "core/work.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>
#include <vector>

namespace {

bool take_nothing(ChildInput&) {
    return true;
}

} // namespace

TEST(ChildProcess, OutputAndProgressComeAcross) {
    Work work;
    std::vector<char> got(size_t(3) << 20); // more than a pipe holds at once
    ChildOutcome o = run_in_child(
        [](ChildOutput& out, Work& w) {
            w.advance(1, 2);
            std::vector<char> sent(size_t(3) << 20, 'x');
            sent.back() = 'y';
            out.write(sent.data(), sent.size());
        },
        [&](ChildInput& in) { return in.read(got.data(), got.size()); }, &work);
    ASSERT_EQ(o.end, ChildEnd::Finished) << o.why;
    EXPECT_EQ(got.front(), 'x');
    EXPECT_EQ(got.back(), 'y');
    EXPECT_GE(work.fraction(), 0.5);
}

TEST(ChildProcess, AChildThatEndsBadlyIsAFailure) {
    char byte;
    const std::pair<std::function<void(ChildOutput&, Work&)>, const char*> cases[] = {
        {[](ChildOutput&, Work&) { std::raise(SIGKILL); }, "it was killed by signal 9 (Killed)"},
        {[](ChildOutput&, Work&) { throw 1; }, "it gave up with an error it did not explain"},
        {[](ChildOutput&, Work&) {}, "it left before it had written all"},
    };
    for (const auto& [task, why] : cases) {
        ChildOutcome o = run_in_child(task, [&](ChildInput& in) { return in.read(&byte, 1); });
        EXPECT_EQ(o.end, ChildEnd::Failed);
        EXPECT_EQ(o.why, why);
    }
}

// A child that takes its checkpoints stops at once; one that never does is killed.
TEST(ChildProcess, AStopReachesTheChild) {
    for (bool checks : {true, false}) {
        Work work;
        std::thread stopper([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            work.stop();
        });
        auto task = [checks](ChildOutput&, Work& w) {
            for (;;) {
                if (checks) w.checkpoint();
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        };
        EXPECT_THROW(run_in_child(task, take_nothing, &work), WorkStopped) << checks;
        stopper.join();
    }
}

TEST(ChildProcess, AStopAtACheckpointIsHandedToTheChild) {
    Work work;
    work.stop_at_checkpoint(3);
    auto task = [](ChildOutput&, Work& w) {
        for (;;) w.checkpoint();
    };
    EXPECT_THROW(run_in_child(task, take_nothing, &work), WorkStopped);
    EXPECT_TRUE(work.stopped());
    EXPECT_EQ(work.checkpoints_passed(), 3);
}
