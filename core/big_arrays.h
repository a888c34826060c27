// Large arrays: backed by huge pages where the system offers them on request, so that
// filling a mesh of a million faces takes a few hundred page faults instead of tens of
// thousands.
#pragma once

#include <cstddef>
#include <vector>

// Asks for huge pages over the whole 2 MiB pages inside [data, data + bytes).
void advise_huge_pages(void* data, size_t bytes);

// Has the system provide now the pages inside [data, data + bytes), memory reserved and
// not yet written: another thread can then write there without waiting for them. Does
// nothing where the system cannot.
void populate_pages(void* data, size_t bytes);

// Reserves room for n elements, on huge pages when the room is large.
template <typename T>
void reserve_big(std::vector<T>& v, size_t n) {
    v.reserve(n);
    advise_huge_pages(v.data(), v.capacity() * sizeof(T));
}

// v becomes n copies of value, on huge pages when large.
template <typename T>
void assign_big(std::vector<T>& v, size_t n, const T& value) {
    v.clear();
    reserve_big(v, n);
    v.assign(n, value);
}

// v's room cut to its elements, on huge pages when large: a copy, made only when v holds
// room beyond them.
template <typename T>
void fit_big(std::vector<T>& v) {
    if (v.capacity() == v.size()) return;
    std::vector<T> fitted;
    reserve_big(fitted, v.size());
    fitted.assign(v.begin(), v.end());
    v.swap(fitted);
}
