// Converting closed triangle meshes into models: rays from the mesh's centroid along the
// sample directions of the cube-sphere layout find a radial surface to sample.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "geometry/SampleModels.h"
#include "model/AGIM.h"

namespace agim {

// A triangle mesh as plain arrays: vertex positions and triangles of three vertex indices.
struct TriangleSoup {
  std::vector<std::array<double, 3>> vertices;  // positions
  std::vector<std::array<int, 3>> triangles;    // vertex indices, any winding that is consistent
};

// Reads a mesh file (OFF, OBJ, PLY, STL; polygons are triangulated) with OpenMesh's reader.
// False with *error naming the file when it cannot be read or holds no triangles.
bool read_triangle_mesh(const char* filename, TriangleSoup* soup, std::string* error);

// Casts rays from the area-weighted centroid of a triangle mesh and reports the farthest hit.
// Degenerate triangles are skipped; a bounding-volume hierarchy keeps each ray to the
// triangles whose boxes it crosses.
class RadialMeshSampler {
 public:
  // The farthest crossing of a ray with the surface.
  struct Hit {
    double distance = 0.0;  // from the centroid, along the unit direction
    double normal[3] = {0.0, 0.0, 0.0};  // unit surface normal there, facing along the ray
  };

  // Prepares the mesh: centroid, consistent outward winding, vertex normals, hierarchy. False
  // with *error when no usable (non-degenerate, finite) triangle remains.
  bool build(const TriangleSoup& soup, std::string* error);

  // Farthest hit along unit direction d from the centroid; false when the ray misses. Rays
  // that slip between triangles are retried along a few fixed nearby directions. The result
  // depends on d alone, bit for bit.
  bool cast(const double d[3], Hit* hit) const;
  // The same search testing every triangle: the reference the hierarchy must agree with.
  bool cast_brute_force(const double d[3], Hit* hit) const;

  const std::array<double, 3>& centroid() const { return centroid_; }  // area-weighted, mesh frame
  int triangle_count() const { return static_cast<int>(tris_.size()); }  // usable triangles
  int skipped_triangles() const { return skipped_; }                    // degenerate ones dropped

 private:
  struct Tri {
    int v[3];     // indices into verts_ (centred)
    int source;   // index in the input, the tie-break between equally far hits
  };
  struct Node {
    float lo[3], hi[3];  // box of the node's triangles
    int first;           // leaf: first triangle in tris_; inner: index of the left child
    int count;           // leaf: triangle count; inner: 0 (the right child follows the left subtree)
    int right;           // inner: index of the right child
  };

  bool cast_once(const double d[3], bool brute, Hit* hit) const;
  bool test_triangle(int t, const double d[3], double* best, int* best_tri) const;
  void finish_hit(const double d[3], double distance, int tri, Hit* hit) const;
  int build_node(int first, int count, std::vector<std::array<double, 3>>& centres);

  std::array<double, 3> centroid_{};
  std::vector<std::array<double, 3>> verts_;    // centred on the centroid
  std::vector<std::array<double, 3>> vnormals_;  // area-weighted vertex normals, outward
  std::vector<Tri> tris_;
  std::vector<Node> nodes_;
  int skipped_ = 0;
};

// Outcome of a conversion for reports.
struct MeshConversionStats {
  int triangles = 0;         // usable triangles
  int skipped_triangles = 0;  // degenerate triangles skipped
  int rays = 0;               // rays cast (one per distinct lattice sample)
  double scale = 0.0;         // mesh units to model units
};

// Radius every converted mesh is scaled to (the farthest sample from the centre).
inline constexpr double kMeshBoundingRadius = 1.0;

// Fills `model` from the mesh as make_sample_model does from a shape: same layout, levels,
// neighbours and direction codes; samples are the farthest ray hits from the mesh's centroid,
// scaled to kMeshBoundingRadius and placed on the turntable centre, with unit outward normals.
// False with *error (starting with `source_name`) when the mesh has no usable triangles or
// some rays miss it (not closed, centroid outside, or a hole in view of the centroid).
bool make_mesh_model(const TriangleSoup& soup, const SampleLayout& layout, const char* source_name,
                     AGIM& model, std::string* error, MeshConversionStats* stats = nullptr);
// Reads `filename` and converts it; errors name the file.
bool make_mesh_model_from_file(const char* filename, const SampleLayout& layout, AGIM& model,
                               std::string* error, MeshConversionStats* stats = nullptr);

}  // namespace agim
