#include "segmentation/face_list.h"

void FaceList::fill(int n) {
    if (n < 0) n = 0;
    after.resize(n);
    before.resize(n);
    held.assign(n, 1);
    for (int f = 0; f < n; ++f) {
        after[f] = f + 1 < n ? f + 1 : -1;
        before[f] = f - 1;
    }
    first = n > 0 ? 0 : -1;
    count = n;
}

void FaceList::remove(int f) {
    if (!contains(f)) return;
    held[f] = 0;
    int a = after[f], b = before[f];
    if (b >= 0)
        after[b] = a;
    else
        first = a;
    if (a >= 0) before[a] = b;
    --count;
}

std::vector<int> FaceList::faces() const {
    std::vector<int> list;
    list.reserve(count);
    for (int f = first; f >= 0; f = after[f]) list.push_back(f);
    return list;
}
