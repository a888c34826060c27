// Short lists of ints for the working vertices of the simplification: a vertex's
// neighbours and faces, usually fewer than ten each, in the order they were added.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <type_traits>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Blocks for lists that outgrow their place, all freed together with the pool. Not
// shared between threads: each thread that adds to lists brings its own. A block a
// list no longer needs is given back and taken again by the next list that needs one
// of its size: a vertex that gathers many faces, collapse after collapse, would
// otherwise leave a trail of blocks behind it, and the memory grows with every step.
// Sizes are 32 times a power of two.
class BlockPool {
  public:
    int* take(int size) {
        std::vector<int*>& spare = spares[size_class(size)];
        if (!spare.empty()) {
            int* block = spare.back();
            spare.pop_back();
            return block;
        }
        blocks.emplace_back(new int[size_t(size)]);
        return blocks.back().get();
    }
    // The block may be another pool's, if that one lives as long as this one.
    void give_back(int* block, int size) { spares[size_class(size)].push_back(block); }

  private:
    std::vector<std::unique_ptr<int[]>> blocks;
    std::vector<int*> spares[32]; // by size class

    static int size_class(int size) { return std::countr_zero(unsigned(size) >> 5) & 31; }
};

// A list of ints in 64 bytes: up to fifteen entries in place, more in a block from a
// pool (the block a list leaves when it grows stays with the pool). Trivial to create
// and to destroy, so that a large array of lists costs nothing until each list is
// cleared before its first use.
class SmallList {
  public:
    void clear() {
        n = 0;
        spilled = 0;
    }
    // clear(), the block (if any) given back to `pool`.
    void release(BlockPool& pool) {
        if (spilled) pool.give_back(far(), capacity());
        clear();
    }

    int size() const { return int(n); }
    const int* begin() const { return data(); }
    const int* end() const { return data() + n; }
    int operator[](int i) const { return data()[i]; }

    // The position of the first x, or size() when there is none.
    int find(int x) const {
#if defined(__SSE2__)
        if (!spilled) return find_in_place(x);
#endif
        return find_first(data(), int(n), x);
    }
    bool contains(int x) const {
        return find(x) < int(n);
    }

    void push_back(int x, BlockPool& pool) {
        if (int(n) == capacity()) grow(pool);
        data()[n++] = x;
    }
    // The list becomes d[0, count); d must have room for fifteen ints whatever count.
    void assign(const int* d, int count, BlockPool& pool) {
        clear();
        if (count <= local_capacity) {
            std::memcpy(slots, d, sizeof slots);
            n = uint32_t(count);
            return;
        }
        for (int i = 0; i < count; ++i) push_back(d[i], pool);
    }
    void add_unique(int x, BlockPool& pool) {
        if (!contains(x)) push_back(x, pool);
    }
    // Removes the first x, keeping the order of the rest; nothing when there is none.
    void remove_first(int x) {
        int i = find(x);
        if (i == int(n)) return;
#if defined(__SSE2__)
        if (!spilled) {
            // Every slot from i on takes the next one's entry, four at a time with no
            // branches; the count, in the sixteenth int, keeps its place.
            __m128i from = _mm_set1_epi32(i - 1);
            for (int b = 0; b < 4; ++b) {
                __m128i* at = reinterpret_cast<__m128i*>(slots + 4 * b);
                __m128i here = _mm_loadu_si128(at);
                __m128i next =
                    b < 3 ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(slots + 4 * b + 1))
                          : _mm_srli_si128(here, 4);
                __m128i lane = _mm_setr_epi32(4 * b, 4 * b + 1, 4 * b + 2, 4 * b + 3);
                __m128i moves = _mm_cmpgt_epi32(lane, from);
                if (b == 3) moves = _mm_and_si128(moves, _mm_setr_epi32(-1, -1, -1, 0));
                _mm_storeu_si128(
                    at, _mm_or_si128(_mm_and_si128(moves, next), _mm_andnot_si128(moves, here)));
            }
            --n;
            return;
        }
#endif
        int* d = data();
        std::memmove(d + i, d + i + 1, sizeof(int) * size_t(int(n) - i - 1));
        --n;
    }

  private:
    // In place, the entries are in `slots`, followed by the count, so that entries may
    // be read four at a time up to the sixteenth int. Spilled, slots[0..1] hold the
    // address of a block whose capacity, a multiple of eight, is in slots[2].
    static constexpr int local_capacity = 15;
    int slots[local_capacity];
    uint32_t n : 31;
    uint32_t spilled : 1;

#if defined(__SSE2__)
    // find() on the entries in place: all sixteen ints compared at once, no branches;
    // saturating packs narrow the four compare masks to one, -1 staying -1.
    int find_in_place(int x) const {
        __m128i key = _mm_set1_epi32(x);
        const __m128i* at = reinterpret_cast<const __m128i*>(slots);
        __m128i low = _mm_packs_epi32(_mm_cmpeq_epi32(_mm_loadu_si128(at), key),
                                      _mm_cmpeq_epi32(_mm_loadu_si128(at + 1), key));
        __m128i high = _mm_packs_epi32(_mm_cmpeq_epi32(_mm_loadu_si128(at + 2), key),
                                       _mm_cmpeq_epi32(_mm_loadu_si128(at + 3), key));
        unsigned mask = unsigned(_mm_movemask_epi8(_mm_packs_epi16(low, high)));
        unsigned past = 1u << n;
        return std::countr_zero((mask & (past - 1)) | past);
    }
#endif

    // The first i in [0, n) with d[i] == x, or n. Reads d in blocks of four, so d must
    // have room for n rounded up to a multiple of four.
    static int find_first(const int* d, int n, int x) {
#if defined(__SSE2__)
        __m128i key = _mm_set1_epi32(x);
        for (int i = 0; i < n; i += 4) {
            __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
            int mask = _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(block, key)));
            if (mask) {
                int at = i + std::countr_zero(unsigned(mask));
                return at < n ? at : n;
            }
        }
        return n;
#else
        int i = 0;
        while (i < n && d[i] != x) ++i;
        return i;
#endif
    }

    int* far() const {
        int* block;
        std::memcpy(&block, &slots[0], sizeof block);
        return block;
    }
    int capacity() const {
        return spilled ? slots[2] : local_capacity;
    }
    const int* data() const {
        return spilled ? far() : slots;
    }
    int* data() {
        return spilled ? far() : slots;
    }
    // Out of line, so that push_back() is short enough to be inlined wherever it is.
    [[gnu::noinline]] void grow(BlockPool& pool) {
        int room = spilled ? capacity() * 2 : 32;
        int* bigger = pool.take(room);
        std::copy(data(), data() + n, bigger);
        if (spilled) pool.give_back(far(), capacity());
        std::memcpy(&slots[0], &bigger, sizeof bigger);
        slots[2] = room;
        spilled = 1;
    }
};
static_assert(sizeof(SmallList) == 64 && std::is_trivial_v<SmallList>);
