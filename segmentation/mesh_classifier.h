// Mesh_Classifier: divides the faces of a mesh into patches over face-to-face
// shortest paths, and keeps the shortest path table.
#pragma once

class Mesh_Classifier {
  public:
};
