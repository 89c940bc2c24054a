// Emitting zipper triangles through the draw sink: one sample (normal, then position), one
// triangle, and the band of triangles between two consecutive pyramid rows.
#pragma once

#include <vector>

#include "model/Point.h"
#include "zipper/AGIM_Zipper_Block.h"
#include "zipper/PyramidRows.h"

namespace agim {

// How a sample's position is sent: glVertex4f(x, y, z, 1) or glVertex3f(x, y, z).
enum class VertexForm { Homogeneous, Plain };

// Sends the sample's normal (nx, ny, nz), then its position in the given form.
void emit_sample(const Point& p, VertexForm form);

// Sends the sample's position alone (glVertex4f(x, y, z, 1)); it takes the normal last sent.
void emit_position(const Point& p);

// Triangle (a, b, c): emits a, b, c in that order.
void emit_triangle(const Point& a, const Point& b, const Point& c, VertexForm form);

// Triangle (a, b, c) with positions only, lit by the normal last sent.
void emit_triangle_positions(const Point& a, const Point& b, const Point& c);

// The triangles between pyramid row `upper` (row t) and the row built from it (`lower`,
// row t+1), in drawing order; returns how many were emitted. `lower` must have the length the
// row rules give for `upper`: one less than an even row, half of one less than an odd row.
int emit_row_band(const std::vector<Point>& upper, const std::vector<Point>& lower,
                  VertexForm form);

// Draws the block's layer pyramid with glVertex4f: row 0 is the side column, each next row is
// picked by `rule`, and the band between consecutive rows is emitted. With `close` set, the
// apex is joined to the cell's two inner corners by one more triangle. A block without a
// drawable pyramid (see has_pyramid) emits nothing. Returns the triangles emitted.
int emit_block_pyramid(const AGIM_Zipper_Block& block, PyramidRule rule, bool close);

}  // namespace agim
