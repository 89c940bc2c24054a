// Triangle geometry helpers in double precision: area, signed area, distance, angle, ray and
// point tests against a triangle, barycentric coordinates. Each evaluates its formula in the
// order written, so results are reproducible to the bit.
#pragma once

#include <OpenMesh/Core/Geometry/VectorT.hh>

// Area of triangle (v0, v1, v2) by Heron's formula; NaN when rounding makes the product under
// the root negative (near-degenerate triangles).
double cal_area(OpenMesh::VectorT<double, 3> v0, OpenMesh::VectorT<double, 3> v1,
                OpenMesh::VectorT<double, 3> v2);

// Signed area of the triangle's projection on the xy-plane: positive counter-clockwise
// (x right, y up), negative clockwise; z is ignored.
double cal_signedarea(OpenMesh::VectorT<double, 3> v0, OpenMesh::VectorT<double, 3> v1,
                      OpenMesh::VectorT<double, 3> v2);

// Euclidean distance between v0 and v1.
double cal_distance(OpenMesh::VectorT<double, 3> v0, OpenMesh::VectorT<double, 3> v1);

// Angle between v0 and v1 in radians; the cosine is not clamped, so a zero vector, or a
// cosine rounded just past +-1, gives NaN.
double cal_angle(OpenMesh::VectorT<double, 3> v0, OpenMesh::VectorT<double, 3> v1);

// The ray from the origin in direction P - P1 against triangle (v0, v1, v2). Returns 1 on a
// hit (edges and vertices included; I = the hit point), 2 when the ray is parallel to the
// plane and lies in it (I untouched), 0 otherwise: degenerate triangle, parallel off the
// plane, plane behind the origin (I untouched), or plane point outside the triangle (I = the
// plane point). A NaN inside test counts as a hit.
int Intersect_RayTriangle(OpenMesh::VectorT<double, 3>& I, OpenMesh::VectorT<double, 3> P,
                          OpenMesh::VectorT<double, 3> P1, OpenMesh::VectorT<double, 3> v0,
                          OpenMesh::VectorT<double, 3> v1, OpenMesh::VectorT<double, 3> v2);

// Whether P, projected orthogonally onto the plane of triangle (A, B, C), lies inside it
// (edges and vertices included). False for every P when the triangle is degenerate.
bool Intersect_PointTriangle(OpenMesh::VectorT<double, 3> P, OpenMesh::VectorT<double, 3> A,
                             OpenMesh::VectorT<double, 3> B, OpenMesh::VectorT<double, 3> C);

// Barycentric coordinates of P in triangle (v0, v1, v2), from xy only: the signed areas of the
// three sub-triangles over the whole. Infinite or NaN when the xy-projection is degenerate.
OpenMesh::VectorT<double, 3> cal_BaryCentric_Coordinate(OpenMesh::VectorT<double, 3> P,
                                                        OpenMesh::VectorT<double, 3> v0,
                                                        OpenMesh::VectorT<double, 3> v1,
                                                        OpenMesh::VectorT<double, 3> v2);
