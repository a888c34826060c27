// History: the steps done and undone, bounded in count and in memory. The oldest steps
// go first when a bound is passed, the newest too when it alone passes the memory bound.
#pragma once

#include "document/step.h"

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

class History {
  public:
    static constexpr size_t default_limit_bytes = size_t(1) << 30; // 1 GiB
    static constexpr int most_steps = 100;

    // Forgets every step.
    void clear();
    // Adds a step just done; the steps undone are forgotten. A step whose merge key is
    // that of the last step done (with nothing undone since) joins it: the last step
    // keeps the state from before both, so undoing it undoes both.
    void push(Step step);
    // Whether the next step pushed with this merge key would join the last one: then an
    // operation need not keep its state.
    bool joins(const std::string& merge) const;

    bool can_undo() const { return !done.empty(); }
    bool can_redo() const { return !undone.empty(); }
    // The names of the steps Undo and Redo would take; empty when there is none.
    std::string undo_name() const { return done.empty() ? std::string() : done.back().name; }
    std::string redo_name() const { return undone.empty() ? std::string() : undone.back().name; }

    // The step Undo (Redo) takes, for the document to swap its state; then undone() (or
    // redone()) moves it to the other list, counting its state again.
    Step& last_done() { return done.back(); }
    Step& last_undone() { return undone.back(); }
    void undone_last();
    void redone_last();

    // Drops the oldest steps until `bytes` more (a copy an operation makes while it runs)
    // fit within the memory bound with the steps that are left.
    void make_room(size_t bytes);
    // The memory bound, in bytes; steps are dropped at once to keep it.
    void set_limit_bytes(size_t limit);
    size_t limit_bytes() const { return limit; }
    // The memory the steps hold, done and undone.
    size_t bytes() const { return total; }
    int done_count() const { return int(done.size()); }
    int undone_count() const { return int(undone.size()); }

    // Whether the mesh differs from the one last opened (clear()) or saved: undoing
    // back to that state counts as unchanged. Steps that change no part of the mesh
    // (the clipping planes alone) leave it as it is.
    bool modified() const { return current_version() != saved_version; }
    // The state now is the one saved.
    void mark_saved() { saved_version = current_version(); }

  private:
    std::deque<Step> done;    // oldest first
    std::vector<Step> undone; // the next to redo last
    size_t limit = default_limit_bytes;
    size_t total = 0;
    // The mesh's versions: each step that changes it gets a new one. `base_version` is
    // the version before the oldest step kept.
    unsigned long last_version = 0, base_version = 0, saved_version = 0;

    unsigned long current_version() const {
        return done.empty() ? base_version : done.back().version;
    }
    // Drops the oldest steps while the steps and `more` bytes pass a bound.
    void trim(size_t more = 0);
};
