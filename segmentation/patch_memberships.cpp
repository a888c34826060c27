// Fuzzy memberships of the faces in the patches, the patches' nearest neighbours, the
// patch colours and the painting of the faces from the memberships.
#include "core/colour.h"
#include "core/console.h"
#include "segmentation/mesh_classifier.h"

Vector patch_colour(int i, int k) {
    float hue = float(double(float(i) / float(k)) * 359.0);
    float r = 0, g = 0, b = 0;
    hsv_to_rgb(hue, 1, 1, r, g, b);
    return Vector(r, g, b, 1);
}

// A face's membership in patch i is (1 / d_i) / S with S the sum of 1 / d_l over all
// patches (a distance of exactly 1e7 counting as 0 there); IEEE division, so a face at
// distance 0 from another representative gets 0.
// Checkpoints only: called within other steps' stages, it reports no progress.
void Mesh_Classifier::compute_memberships(int k, Work* work) {
    const int n = face_count();
    patch_count = k;
    std::vector<const float*> d(static_cast<size_t>(k));
    for (int l = 0; l < k; ++l) {
        checkpoint(work); // a row not yet gathered reads a column of the table
        d[l] = face_row(representatives[l]);
    }
    std::vector<float> total(static_cast<size_t>(n));
    for (int f = 0; f < n; ++f) {
        float s = 0;
        for (int l = 0; l < k; ++l) {
            float dl = d[l][f];
            if (dl == 1e7f) dl = 0;
            s += 1 / dl;
        }
        total[f] = s;
    }
    memberships.assign(size_t(k), std::vector<float>(size_t(n)));
    patch_colours.clear();
    for (int i = 0; i < k; ++i) {
        checkpoint(work);
        float* m = memberships[i].data();
        for (int f = 0; f < n; ++f)
            m[f] = f == representatives[i] ? 1.0f : (1 / d[i][f]) / total[f];
        patch_colours.push_back(patch_colour(i, k));
    }
}

void Mesh_Classifier::find_neighbours(int k) {
    neighbours.clear();
    for (int p = 0; p < k; ++p) {
        auto nearest_but = [&](int skip) {
            float least = 1000000;
            int nearest = 0;
            for (int i = 0; i < k; ++i) {
                if (i == p || i == skip) continue;
                float d = table.distance(representatives[p], representatives[i]);
                if (d <= least) {
                    least = d;
                    nearest = i;
                }
            }
            return nearest;
        };
        int nearest = nearest_but(p);
        neighbours.push_back({nearest, nearest_but(nearest)});
    }
    for (int p = 0; p < k; ++p) console_printf("neigbour: %d\n", neighbours[p][1]);
}

// A table of one row per face and one entry per patch decides the colours: patch p
// writes into the column of its nearest patch b whether the face is far from b (p),
// deep inside b (b) or neither (0). A face takes the colour of the first entry of its
// row that is not 0, grey where all are 0; the representatives are yellow.
// The mesh is written after the last checkpoint.
void Mesh_Classifier::colour_patches(Work* work) {
    const int n = face_count(), k = patch_count;
    std::vector<int> decision(size_t(n) * size_t(k), 0);
    for (int p = 0; p < k; ++p) {
        advance(work, p, k);
        const int b = neighbours[p][0];
        const float* q = memberships[b].data();
        for (int f = 0; f < n; ++f) {
            int& entry = decision[size_t(f) * size_t(k) + size_t(b)];
            if (double(q[f]) < double(0.1f))
                entry = p;
            else if (double(q[f]) > double(0.9f))
                entry = b;
            else
                entry = 0;
        }
    }
    for (int f = 0; f < n; ++f) mesh->faceptrs[f]->colour = Vector(0, 0, 0, 0);
    for (int f = 0; f < n; ++f) {
        const int* row = decision.data() + size_t(f) * size_t(k);
        Vector colour(0.5f, 0.5f, 0.5f, 1);
        for (int i = 0; i < k; ++i)
            if (row[i] != 0) {
                colour = patch_colours[row[i]];
                break;
            }
        mesh->faceptrs[f]->colour = colour;
    }
    for (int i = 0; i < k; ++i) mesh->faceptrs[representatives[i]]->colour = Vector(1, 1, 0, 1);
}
