// Work done in a child process, for a library that may crash, or run past its arrays,
// on a file made to make it: however the child ends, the program goes on and is told
// how. The child is a fork of the caller that runs the task and leaves at once (no exit
// handlers, no flushing of the caller's buffers); it must touch nothing of the caller
// but memory: no toolkit, no console, no locks another thread may hold.
#pragma once

#include <functional>
#include <string>

class Work;

enum class ChildEnd {
    Finished, // the task returned and its output arrived whole
    Failed,   // the child crashed, was killed, or could not be started
};

struct ChildOutcome {
    ChildEnd end = ChildEnd::Failed;
    std::string output; // the task's, when Finished
    std::string why;    // when Failed: "it was killed by signal 11 (Segmentation fault)"
};

// Runs task(output, child_work) in a child and returns the output it built. The child's
// progress and a stop asked of `work` pass through `child_work`, which lives in memory
// both processes share: the child's progress is `work`'s current stage, and a stop
// asked of `work` stops the child (a child that does not stop within a second is
// killed) and throws WorkStopped here.
ChildOutcome run_in_child(const std::function<void(std::string& output, Work& child_work)>& task,
                          Work* work = nullptr);
