#include "terrain/terrain_grid.h"

#include "core/console.h"
#include "core/work.h"

#include <array>
#include <optional>

// Grid points become vertices in the order the faces first use them, cell by cell,
// first face then second, corners in order. A grid point's w holds its vertex index
// once it has one (-1 before); no two grid points share a position, so the index per
// point is what a set of emitted positions would give.
//
// The terrain is made aside and replaces the mesh at the end, so that a stop leaves the
// mesh as it was; what clearing the mesh keeps (the selection, the extent, the centre
// and the morphogen names) the terrain takes over.
void generate_terrain(Mesh& mesh, const RgbImage& heightmap, const TerrainSettings& settings,
                      Work* work) {
    const int n = settings.grid_resolution;
    const float s = float(settings.grid_scale), h = float(settings.height_scale);
    Mesh terrain;
    terrain.centre = mesh.centre; // the centre build keeps its w

    std::optional<Stage> stage(std::in_place, work, 0, 0.2);
    std::vector<Vector> grid(size_t(n) * size_t(n));
    const float d = 1.0f / float(n);
    float v = 0;
    for (int i = 0; i < n; ++i) {
        advance(work, i, n); // a row at a time
        float u = 0;
        for (int j = 0; j < n; ++j) {
            int grey = 0;
            if (heightmap.width > 0 && heightmap.height > 0) {
                int column = int(float(heightmap.width) * (float(j) / float(n)));
                int row = int(float(heightmap.height) * (float(i) / float(n)));
                grey = grey_level(heightmap.pixel(column, row));
            }
            float fraction = float(grey) * 0.00390625f;
            grid[size_t(i) * n + j] = Vector(s * u, h * fraction, s * v, -1);
            u += d;
        }
        v += d;
    }

    const int cells = n > 1 ? (n - 1) * (n - 1) : 0;
    stage.emplace(work, 0.2, 0.6);
    terrain.alloc_vertices(n * n);
    terrain.alloc_faces(2 * cells);
    int next_vertex = 0, face = 0;
    auto vertex_of = [&](int i, int j) {
        Vector& p = grid[size_t(i) * n + j];
        if (p.w < 0) {
            p.w = float(next_vertex);
            terrain.vertices[next_vertex] = p;
            terrain.colours[next_vertex] = Vector(1, 1, 1, 1);
            ++next_vertex;
        }
        return int(p.w);
    };
    auto add_face = [&](std::array<int, 3> corners) {
        Face& f = terrain.faces[face];
        for (int k = 0; k < 3; ++k) {
            f.vindex[k] = corners[k];
            f.corners[k] = &terrain.vertices[corners[k]];
        }
        terrain.faceptrs[face] = &f;
        ++face;
    };
    for (int i = 0; i + 1 < n; ++i) {
        advance(work, i, n - 1);
        for (int j = 0; j + 1 < n; ++j) {
            int a = vertex_of(i, j), b = vertex_of(i + 1, j), c = vertex_of(i + 1, j + 1);
            add_face({a, b, c});
            int e = vertex_of(i, j + 1);
            add_face({a, c, e});
        }
    }

    stage.emplace(work, 0.6, 1);
    terrain.build({MESH_CENTRE, MESH_FACE_NORMALS, MESH_VERTEX_NORMALS, MESH_TEXCOORDS}, work);
    checkpoint(work);
    terrain.build_centroids(); // for the face normals, which start at them
    stage.reset();

    terrain.selectedface = mesh.selectedface;
    terrain.extent = mesh.extent;
    terrain.morphogen_names = std::move(mesh.morphogen_names);
    mesh = std::move(terrain);
    console_printf("%d, %d \n", mesh.nv, mesh.nf);
}
