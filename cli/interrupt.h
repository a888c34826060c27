// Stopping a command: the Work every document operation of vostrel-cli reports to, the
// SIGINT and SIGTERM that stop it, and the progress bar on a terminal.
#pragma once

#include "core/work.h"

// The Work of the running command.
Work& command_work();

// SIGINT and SIGTERM from now on: during an operation they stop it at its next
// checkpoint (the command then ends with no output changed); between operations they end
// the program at once. Either way the status is 128 + the signal's number.
void stop_on_signals();
// The signal that stopped the command, 0 while none has.
int stop_signal();

// While it lives, and only when standard error is a terminal: a bar there showing how far
// each operation of the command has come, for those that take more than a moment.
class ProgressBar {
  public:
    ProgressBar();
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

  private:
    struct Drawing;
    Drawing* drawing = nullptr;
};
