// FaceList: a set of face indices kept in increasing order as a doubly linked list over
// arrays, so that a face is removed in constant time while a walk goes on.
#pragma once

#include <cstddef>
#include <vector>

class FaceList {
  public:
    // Holds every face 0 ... n - 1 (none for n <= 0).
    void fill(int n);
    void clear() { fill(0); }

    bool empty() const { return count == 0; }
    int size() const { return count; }
    // The smallest face held, or -1 when empty.
    int front() const { return first; }
    // The next face held after f (which must be held), or -1 after the last.
    int next(int f) const { return after[f]; }
    bool contains(int f) const { return f >= 0 && f < int(held.size()) && held[f]; }
    // Removes f; a face not held is ignored.
    void remove(int f);
    // The faces held, in order.
    std::vector<int> faces() const;
    // The memory its arrays hold, in bytes.
    size_t memory_bytes() const {
        return (after.capacity() + before.capacity()) * sizeof(int) + held.capacity();
    }

  private:
    std::vector<int> after, before;
    std::vector<char> held;
    int first = -1;
    int count = 0;
};
