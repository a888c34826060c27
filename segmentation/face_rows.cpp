#include "segmentation/face_rows.h"

#include <algorithm>

const float* FaceRows::row(const ShortestPathTable& table, int face) {
    if (source != &table || generation != table.generation()) {
        rows.clear();
        source = &table;
        generation = table.generation();
    }
    for (const auto& [f, values] : rows)
        if (f == face) return values.data();
    std::vector<float> values(static_cast<size_t>(table.n));
    const float* own = table.row(face);
    for (int x = 0; x <= face; ++x) values[x] = own[x];
    for (int x = face + 1; x < table.n; ++x) values[x] = table.row(x)[face];
    rows.emplace_back(face, std::move(values));
    return rows.back().second.data();
}

void FaceRows::keep_only(std::span<const int> faces) {
    std::erase_if(rows, [&](const auto& r) {
        return std::find(faces.begin(), faces.end(), r.first) == faces.end();
    });
}
