// Triangle geometry helpers. Every sum runs x, y, z left to right and every expression is
// evaluated as written; the library is built without floating-point contraction.
#include "geometry/Geometry.h"

#include <cmath>

namespace {

using Vec3 = OpenMesh::VectorT<double, 3>;

// a - b, component by component.
Vec3 sub(const Vec3& a, const Vec3& b) { return Vec3(a[0] - b[0], a[1] - b[1], a[2] - b[2]); }

// (a.x * b.x + a.y * b.y) + a.z * b.z.
double dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// sqrt((x * x + y * y) + z * z).
double length(const Vec3& a) { return std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]); }

// u x v.
Vec3 cross(const Vec3& u, const Vec3& v) {
  return Vec3(u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]);
}

}  // namespace

double cal_area(Vec3 v0, Vec3 v1, Vec3 v2) {
  const double a = length(sub(v0, v1));
  const double b = length(sub(v0, v2));
  const double c = length(sub(v1, v2));
  const double s = (b + a + c) * 0.5;
  return std::sqrt((s - a) * s * (s - b) * (s - c));
}

double cal_signedarea(Vec3 v0, Vec3 v1, Vec3 v2) {
  return (v2[0] * v0[1] - v1[0] * v0[1] + v1[1] * v0[0] - v2[0] * v1[1] - v2[1] * v0[0] +
          v2[1] * v1[0]) *
         0.5;
}

double cal_distance(Vec3 v0, Vec3 v1) { return length(sub(v0, v1)); }

double cal_angle(Vec3 v0, Vec3 v1) { return std::acos(dot(v0, v1) / length(v0) / length(v1)); }

int Intersect_RayTriangle(Vec3& I, Vec3 P, Vec3 P1, Vec3 v0, Vec3 v1, Vec3 v2) {
  const Vec3 u = sub(v1, v0);
  const Vec3 v = sub(v2, v0);
  const Vec3 n = cross(u, v);
  if (n[0] == 0.0 && n[1] == 0.0 && n[2] == 0.0) return 0;  // degenerate triangle

  const Vec3 d = sub(P, P1);  // the ray starts at the origin; P and P1 give its direction
  const Vec3 w0(v0[0] * -1.0, v0[1] * -1.0, v0[2] * -1.0);
  const double a = -dot(w0, n);
  const double b = dot(d, n);
  if (std::fabs(b) < 0.000001) return a == 0.0 ? 2 : 0;  // parallel: in the plane, or off it

  const double r = a / b;
  if (r < 0.0) return 0;  // the plane lies behind the origin
  I = Vec3(r * d[0], r * d[1], r * d[2]);

  const double uu = dot(u, u);
  const double uv = dot(v, u);
  const double vv = dot(v, v);
  const Vec3 w = sub(I, v0);
  const double wu = dot(w, u);
  const double wv = dot(w, v);
  const double D = uv * uv - vv * uu;
  // Ordered comparisons: a NaN coordinate fails them all and counts as inside.
  const double s = (wv * uv - wu * vv) / D;
  if (s < 0.0 || s > 1.0) return 0;
  const double t = (wu * uv - wv * uu) / D;
  if (t < 0.0 || t + s > 1.0) return 0;
  return 1;
}

bool Intersect_PointTriangle(Vec3 P, Vec3 A, Vec3 B, Vec3 C) {
  const Vec3 e0 = sub(C, A);
  const Vec3 e1 = sub(B, A);
  const Vec3 e2 = sub(P, A);
  const double d00 = dot(e0, e0);
  const double d01 = dot(e1, e0);
  const double d02 = dot(e2, e0);
  const double d11 = dot(e1, e1);
  const double d12 = dot(e2, e1);
  const double inv = 1.0 / (d11 * d00 - d01 * d01);
  const double p = (d11 * d02 - d12 * d01) * inv;  // weight of C
  const double q = (d12 * d00 - d02 * d01) * inv;  // weight of B
  // Written as the negated inside conditions, so that a NaN weight counts as outside.
  if (!(p >= 0.0) || !(q >= 0.0) || !(p + q <= 1.0)) return false;
  return true;
}

Vec3 cal_BaryCentric_Coordinate(Vec3 P, Vec3 v0, Vec3 v1, Vec3 v2) {
  const double S = cal_signedarea(v0, v1, v2);
  const double first = (P[1] * v2[0] - P[1] * v1[0] + P[0] * v1[1] - v2[0] * v1[1] -
                        P[0] * v2[1] + v2[1] * v1[0]) *
                       0.5 / S;
  const double second = (P[1] * v0[0] - P[1] * v2[0] + P[0] * v2[1] - v2[1] * v0[0] -
                         P[0] * v0[1] + v2[0] * v0[1]) *
                        0.5 / S;
  const double third = (P[1] * v1[0] - P[1] * v0[0] + P[0] * v0[1] - v1[0] * v0[1] -
                        P[0] * v1[1] + v1[1] * v0[0]) *
                       0.5 / S;
  return Vec3(first, second, third);
}
