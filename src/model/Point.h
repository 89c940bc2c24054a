// The two sample records of a model: a grid sample (Point) and a strip-buffer entry (VBO_Vertex).
#pragma once

#include <cstdint>

// One grid sample. In a patch's position_grid and normal_grid only x, y, z are used;
// zipper-block samples carry the position in x, y, z and the normal in nx, ny, nz, and the
// pyramid code tags picked samples with their block indices in row and column.
struct Point {
  float x, y, z;     // position (or, in normal_grid, the normal)
  float nx, ny, nz;  // normal, where one record carries both
  int32_t row;       // row (first index) of the sample in the grid it was taken from
  int32_t column;    // column (second index) of the sample in that grid
};
static_assert(sizeof(Point) == 32, "Point must be 32 tightly packed bytes");

// One strip-buffer entry: three tightly packed floats, uploaded as a vertex or normal array.
struct VBO_Vertex {
  float x, y, z;
};
static_assert(sizeof(VBO_Vertex) == 12, "VBO_Vertex must be 12 tightly packed bytes");
