// Work done in a child process, for a library that may crash, or run past its arrays,
// on a file made to make it: however the child ends, the program goes on and is told
// how. The child is a fork of the caller that runs the task and leaves at once (no exit
// handlers, no flushing of the caller's buffers); it must touch nothing of the caller
// but memory: no toolkit, no console, no locks another thread may hold.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

class Work;

// The child's side of the pipe: what it writes reaches the caller's ChildInput in order.
class ChildOutput {
  public:
    explicit ChildOutput(int fd) : out(fd) {}
    void write(const void* bytes, size_t n);
    bool failed() const { return broken; }

  private:
    int out;
    bool broken = false;
};

// The caller's side: read() waits for exactly `n` bytes, passing the child's progress on
// and a stop to it meanwhile; false when the child ends before they came.
class ChildInput {
  public:
    virtual bool read(void* bytes, size_t n) = 0;

  protected:
    ~ChildInput() = default;
};

enum class ChildEnd {
    Finished, // the task returned, and what it wrote was taken
    Failed,   // the child crashed, was killed, left too soon, or could not be started
};

struct ChildOutcome {
    ChildEnd end = ChildEnd::Failed;
    std::string why; // when Failed: "it was killed by signal 11 (Segmentation fault)"
};

// Runs task(output, child_work) in a child while receive(input) takes what it writes,
// here; Finished when receive returned true and the child then left as it should. The
// child's progress and a stop asked of `work` pass through `child_work`, which lives in
// memory both processes share: the child's progress is `work`'s current stage, and a
// stop asked of `work` stops the child (one that does not stop within a second is
// killed) and throws WorkStopped here.
ChildOutcome run_in_child(const std::function<void(ChildOutput& output, Work& child_work)>& task,
                          const std::function<bool(ChildInput& input)>& receive,
                          Work* work = nullptr);
