// Work in a child process: its output comes back whole, however it ends the caller goes
// on, and progress and stops cross between the two.
#include "core/child_process.h"
#include "core/work.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

TEST(ChildProcess, OutputAndProgressComeBack) {
    Work work;
    ChildOutcome o = run_in_child(
        [](std::string& out, Work& w) {
            w.advance(1, 2);
            out.assign(3 << 20, 'x'); // larger than a pipe holds at once
            out.back() = 'y';
        },
        &work);
    ASSERT_EQ(o.end, ChildEnd::Finished) << o.why;
    ASSERT_EQ(o.output.size(), size_t(3) << 20);
    EXPECT_EQ(o.output.back(), 'y');
    EXPECT_GE(work.fraction(), 0.5);
}

TEST(ChildProcess, AChildThatDiesIsAFailure) {
    ChildOutcome killed = run_in_child([](std::string&, Work&) { std::raise(SIGKILL); });
    EXPECT_EQ(killed.end, ChildEnd::Failed);
    EXPECT_EQ(killed.why, "it was killed by signal 9 (Killed)");
    ChildOutcome threw = run_in_child([](std::string&, Work&) { throw 1; });
    EXPECT_EQ(threw.end, ChildEnd::Failed);
    EXPECT_EQ(threw.why, "it gave up with an error it did not explain");
}

// A child that takes its checkpoints stops at once; one that never does is killed.
TEST(ChildProcess, AStopReachesTheChild) {
    for (bool checks : {true, false}) {
        Work work;
        std::thread stopper([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            work.stop();
        });
        auto task = [checks](std::string&, Work& w) {
            for (;;) {
                if (checks) w.checkpoint();
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        };
        EXPECT_THROW(run_in_child(task, &work), WorkStopped) << checks;
        stopper.join();
    }
}

TEST(ChildProcess, AStopAtACheckpointIsHandedToTheChild) {
    Work work;
    work.stop_at_checkpoint(3);
    EXPECT_THROW(run_in_child([](std::string&, Work& w) { for (;;) w.checkpoint(); }, &work),
                 WorkStopped);
    EXPECT_TRUE(work.stopped());
    EXPECT_EQ(work.checkpoints_passed(), 3);
}
