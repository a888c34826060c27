#include "document/history.h"

void History::clear() {
    done.clear();
    undone.clear();
    total = 0;
    base_version = saved_version = ++last_version;
}

namespace {

bool changes_mesh(Changes c) {
    return c.has(Change::Geometry) || c.has(Change::Colours) || c.has(Change::FaceNormals) ||
           c.has(Change::Marks);
}

} // namespace

bool History::joins(const std::string& merge) const {
    return !merge.empty() && undone.empty() && !done.empty() && done.back().merge == merge;
}

void History::push(Step step) {
    for (const Step& s : undone) total -= s.bytes;
    undone.clear();
    bool new_version = changes_mesh(step.changes);
    if (joins(step.merge)) {
        done.back().changes |= step.changes;
        if (new_version) done.back().version = ++last_version;
    } else {
        step.version = new_version ? ++last_version : current_version();
        step.bytes = step.state.bytes();
        total += step.bytes;
        done.push_back(std::move(step));
    }
    trim();
}

namespace {

// Moves the last step of `from` to the end of `to`, counting its state again: it now
// holds the other version.
template <typename From, typename To>
void move_last(From& from, To& to, size_t& total) {
    Step step = std::move(from.back());
    from.pop_back();
    total -= step.bytes;
    step.bytes = step.state.bytes();
    total += step.bytes;
    to.push_back(std::move(step));
}

} // namespace

void History::undone_last() {
    move_last(done, undone, total);
    trim();
}

void History::redone_last() {
    move_last(undone, done, total);
    trim();
}

void History::set_limit_bytes(size_t bytes) {
    limit = bytes;
    trim();
}

void History::make_room(size_t bytes) {
    trim(bytes);
}

// The oldest done steps first; when they are gone, the undone steps from the furthest
// (the last Redo would reach) back.
void History::trim(size_t more) {
    auto over = [&] { return total + more > limit; };
    while (!done.empty() && (int(done.size()) > most_steps || over())) {
        base_version = done.front().version;
        total -= done.front().bytes;
        done.pop_front();
    }
    while (!undone.empty() && over()) {
        total -= undone.front().bytes;
        undone.erase(undone.begin());
    }
}
