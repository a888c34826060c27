// The classification of a simplified copy of a mesh, carried to the mesh's own faces:
// for meshes whose shortest path table would not fit in memory. Each face of the mesh
// takes the patch of the copy's face whose centroid is nearest to its own, so the
// result is an approximation of the mesh's own classification.
#pragma once

#include "core/mesh.h"
#include "segmentation/mesh_classifier.h"

#include <memory>
#include <vector>

struct ProxyCopy {
    Mesh mesh;                  // the simplified copy
    Mesh_Classifier classifier; // its classification, without its table
    // The copy's table, kept apart so that the classifiers carrying this copy share it
    // and a re-clustering can borrow it.
    std::shared_ptr<ShortestPathTable> table;
    std::vector<int> face_of; // per face of the mesh, the copy's face it follows, or -1
};

// Finds face_of for `copy`: the copy's face nearest to each centroid of `original`
// (which must have its centroids built). A stop asked of `work` throws WorkStopped.
void follow_copy(ProxyCopy& copy, const Mesh& original, Work* work = nullptr);

// Makes `into` (attached to `original`) hold the copy's classification carried over:
// per face of `original`, the memberships, colour and mark of the copy's face it
// follows (no membership, and the colour it had, for a face that follows none); the
// representatives are the faces of `original` nearest to the copy's. The settings of
// `into` (weight, mode, threshold) stay; it keeps no table, and refers to `copy` for
// re-clustering.
void carry_classification(const std::shared_ptr<const ProxyCopy>& copy, Mesh& original,
                          Mesh_Classifier& into);
