// The adjacency weights of the shortest path table: for every edge between two faces a
// blend of the distance between their centroids and the angle between their normals,
// each term divided by its mean over the edge list.
#include "core/console.h"
#include "segmentation/mesh_classifier.h"

#include <cmath>

void Mesh_Classifier::build_centroids() {
    console_printf("Building Centroids\n");
    centroids.clear();
    centroids.reserve(size_t(face_count()));
    for (int f = 0; f < face_count(); ++f) {
        const Face& face = *mesh->faceptrs[f];
        const Vector &p0 = *face.corners[0], &p1 = *face.corners[1], &p2 = *face.corners[2];
        centroids.push_back(
            Vector((p0.x + p1.x + p2.x) / 3, (p0.y + p1.y + p2.y) / 3, (p0.z + p1.z + p2.z) / 3));
    }
}

// Precision as the weights have always been computed: the cosine in float, clamped to
// [-1, 1] (unit normals of real meshes give cosines just above 1), the arc cosine in
// double rounded to float, the angular term 0.05 (double) times float(1 - angle), float
// running sums and means, and the weight in double from the two float quotients.
void Mesh_Classifier::build_distances() {
    console_printf("Building Distances\n");
    const Mesh& m = *mesh;
    const int nf = m.nf;
    std::vector<float> geodesic(static_cast<size_t>(m.nedges)),
        angular(static_cast<size_t>(m.nedges));
    auto between_faces = [&](int e) {
        const auto& ef = m.edgefaces[e];
        return ef[1] != -1 && ef[0] >= 0 && ef[0] < nf && ef[1] >= 0 && ef[1] < nf &&
               size_t(ef[0]) < centroids.size() && size_t(ef[1]) < centroids.size();
    };
    float sum_geodesic = 0, sum_angular = 0;
    for (int e = 0; e < m.nedges; ++e) {
        if (!between_faces(e)) continue;
        int a = m.edgefaces[e][0], b = m.edgefaces[e][1];
        Vector apart = centroids[a] - centroids[b];
        float g = apart.length();
        float cosine = m.faceptrs[a]->normal.dot(m.faceptrs[b]->normal);
        // A face of zero area has no normal (NaN): its edges count as flat, so that one
        // such face does not make every mean and weight NaN.
        if (std::isnan(cosine)) cosine = 1;
        if (cosine > 1) cosine = 1;
        if (cosine < -1) cosine = -1;
        float angle = float(std::acos(double(cosine)));
        double t = 0.05 * double(1.0f - angle);
        if (t < 0) t = 0;
        geodesic[e] = g;
        angular[e] = float(t);
        sum_geodesic += g;
        sum_angular += angular[e];
    }
    average_geodesic_distance = sum_geodesic / float(m.nedges);
    average_angular_distance = sum_angular / float(m.nedges);
    if (average_geodesic_distance <= 0) average_geodesic_distance = 1;
    if (average_angular_distance <= 0) average_angular_distance = 1;

    for (int e = 0; e < m.nedges; ++e) {
        if (!between_faces(e)) continue;
        float w = float(double(angular[e] / average_angular_distance) * (1 - weight) +
                        double(geodesic[e] / average_geodesic_distance) * weight);
        table.set_weight(m.edgefaces[e][0], m.edgefaces[e][1], w);
    }
    table_face_count = nf;
    centroids.clear();
}
