// Geometry helpers: exact results (to the bit where the arithmetic fixes them), result codes,
// and the degenerate and NaN cases of each helper.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "geometry/Geometry.h"

namespace {

using Vec3 = OpenMesh::VectorT<double, 3>;

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// Same value, where NaN equals NaN.
::testing::AssertionResult same(double actual, double expected) {
  if ((std::isnan(actual) && std::isnan(expected)) || actual == expected)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "got " << actual << ", expected " << expected;
}

TEST(Geometry, AreaByHeron) {
  struct Case {
    const char* name;
    Vec3 v0, v1, v2;
    double expected;
  };
  const Case cases[] = {
      {"3-4-5 right triangle", {0, 0, 0}, {3, 0, 0}, {0, 4, 0}, 6.0},
      {"unit right triangle, rounded", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 0.49999999999999983},
      {"general triangle", {0.1, 0.2, 0.3}, {1.3, 0.4, -0.2}, {0.7, 1.9, 0.5}, 1.0920279300457476},
      {"collinear, exact", {0, 0, 0}, {1, 0, 0}, {2, 0, 0}, 0.0},
      {"collinear, product rounded below zero", {0, 0, 0}, {0.1, 0.2, 0.3},
       {0.1 * 32, 0.2 * 32, 0.3 * 32}, kNaN},
  };
  for (const Case& c : cases) EXPECT_TRUE(same(cal_area(c.v0, c.v1, c.v2), c.expected)) << c.name;
}

TEST(Geometry, SignedAreaOfTheXyProjection) {
  struct Case {
    const char* name;
    Vec3 v0, v1, v2;
    double expected;
  };
  const Case cases[] = {
      {"counter-clockwise", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 0.5},
      {"clockwise", {0, 0, 0}, {0, 1, 0}, {1, 0, 0}, -0.5},
      {"counter-clockwise, z ignored", {0, 0, 9}, {1, 0, -4}, {0, 1, 1e300}, 0.5},
      {"clockwise, z ignored", {0, 0, -2}, {0, 1, 3}, {1, 0, 7}, -0.5},
      {"general, rounded", {0.1, 0.2, 0}, {1.3, 0.4, 0}, {0.7, 1.9, 0}, 0.9599999999999999},
      {"collinear", {0, 0, 0}, {1, 1, 0}, {2, 2, 5}, 0.0},
  };
  for (const Case& c : cases)
    EXPECT_TRUE(same(cal_signedarea(c.v0, c.v1, c.v2), c.expected)) << c.name;
}

TEST(Geometry, DistanceAndAngle) {
  EXPECT_EQ(cal_distance({1, 2, 3}, {4, 6, 3}), 5.0);
  EXPECT_EQ(cal_distance({-1, -1, -1}, {-1, -1, -1}), 0.0);

  struct Case {
    const char* name;
    Vec3 v0, v1;
    double expected;
  };
  const Case cases[] = {
      {"perpendicular", {1, 0, 0}, {0, 1, 0}, M_PI / 2},
      {"opposite", {1, 0, 0}, {-2, 0, 0}, M_PI},
      {"general", {0.1, 0.2, 0.3}, {1.3, 0.4, -0.2}, 1.274891028973923},
      {"itself, cosine exactly 1", {1, 2, 3}, {1, 2, 3}, 0.0},
      {"itself, cosine rounded above 1", {1, 1, 1}, {1, 1, 1}, kNaN},
      {"zero vector", {0, 0, 0}, {1, 0, 0}, kNaN},
  };
  for (const Case& c : cases) EXPECT_TRUE(same(cal_angle(c.v0, c.v1), c.expected)) << c.name;
}

TEST(Geometry, RayTriangleResultCodes) {
  const Vec3 at5[3] = {{-1, -1, 5}, {1, -1, 5}, {0, 1, 5}};
  const Vec3 at_minus5[3] = {{-1, -1, -5}, {1, -1, -5}, {0, 1, -5}};
  const Vec3 at0[3] = {{-1, -1, 0}, {1, -1, 0}, {0, 1, 0}};
  const Vec3 collinear[3] = {{0, 0, 5}, {1, 1, 5}, {3, 3, 5}};
  // Not degenerate (its normal is not zero), but its edge products round to D = 0.
  const Vec3 sliver[3] = {{0, 0, 5}, {1, 0, 5}, {1, 1e-200, 5}};
  const Vec3 untouched(-7, -7, -7);
  struct Case {
    const char* name;
    Vec3 P, P1;
    const Vec3* triangle;
    int expected;
    Vec3 I;  // the out argument afterwards
  };
  const Case cases[] = {
      {"hit straight ahead", {0, 0, 1}, {0, 0, 0}, at5, 1, {0, 0, 5}},
      {"P and P1 give only the direction", {0, 0, 2}, {0, 0, 1}, at5, 1, {0, 0, 5}},
      {"hit on a vertex", {0, 1, 5}, {0, 0, 0}, at5, 1, {0, 1, 5}},
      {"plane behind the origin", {0, 0, 1}, {0, 0, 0}, at_minus5, 0, untouched},
      {"parallel, in the plane", {1, 0, 0}, {0, 0, 0}, at0, 2, untouched},
      {"parallel, off the plane", {1, 0, 0}, {0, 0, 0}, at5, 0, untouched},
      {"plane point outside: I holds it", {3, 3, 1}, {0, 0, 0}, at5, 0, {15, 15, 5}},
      {"collinear triangle", {0, 0, 1}, {0, 0, 0}, collinear, 0, untouched},
      {"NaN s and t count as a hit (sliver)", {0, 0, 1e200}, {0, 0, 0}, sliver, 1, {0, 0, 5}},
  };
  for (const Case& c : cases) {
    Vec3 I = untouched;
    EXPECT_EQ(Intersect_RayTriangle(I, c.P, c.P1, c.triangle[0], c.triangle[1], c.triangle[2]),
              c.expected)
        << c.name;
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(I[k], c.I[k], 1e-12) << c.name << " I[" << k << "]";
  }

  // A plane point that overflows: inf * 0 makes the inside test NaN, and that is a hit.
  Vec3 I = untouched;
  EXPECT_EQ(Intersect_RayTriangle(I, {1e308, 1e308, 1}, {0, 0, 0}, at5[0], at5[1], at5[2]), 1);
  EXPECT_TRUE(std::isinf(I[0]) && std::isinf(I[1]));
  EXPECT_EQ(I[2], 5.0);
}

TEST(Geometry, PointInTriangle) {
  const Vec3 A(0, 0, 0), B(1, 0, 0), C(0, 1, 0);
  struct Case {
    const char* name;
    Vec3 P;
    bool inside;
  };
  const Case cases[] = {
      {"vertex A", A, true},
      {"vertex B", B, true},
      {"vertex C", C, true},
      {"on edge BC", {0.5, 0.5, 0}, true},
      {"inside, judged by its projection", {0.25, 0.25, 3}, true},
      {"outside beyond BC", {1, 1, 0}, false},
      {"outside beyond AB", {0.5, -0.01, 0}, false},
      {"NaN point", {kNaN, 0.1, 0}, false},
  };
  for (const Case& c : cases) EXPECT_EQ(Intersect_PointTriangle(c.P, A, B, C), c.inside) << c.name;

  // Degenerate triangles hold no point, not even their own vertices.
  const Vec3 line[3] = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}};
  const Vec3 skew[3] = {{0.1, 0.2, 0.3}, {0.4, 0.5, 0.6}, {1.0, 1.1, 1.2}};
  const Vec3 dot[3] = {{1, 1, 1}, {1, 1, 1}, {1, 1, 1}};
  for (const Vec3* t : {line, skew, dot})
    for (const Vec3& P : {Vec3(0, 0, 0), Vec3(0.5, 0, 0), Vec3(1, 1, 1), Vec3(0.5, 1, 0), t[1]})
      EXPECT_FALSE(Intersect_PointTriangle(P, t[0], t[1], t[2]))
          << "triangle " << t[0] << " " << t[1] << " " << t[2] << ", P " << P;
}

TEST(Geometry, BarycentricCoordinatesInXy) {
  const Vec3 v0(0, 0, 0), v1(1, 0, 0), v2(0, 1, 0);
  struct Case {
    const char* name;
    Vec3 P;
    Vec3 expected;
  };
  const Case cases[] = {
      {"v0", v0, {1, 0, 0}},
      {"v1", v1, {0, 1, 0}},
      {"v2", v2, {0, 0, 1}},
      {"centroid, rounded", {1.0 / 3.0, 1.0 / 3.0, 0}, {0.33333333333333337, 1.0 / 3.0, 1.0 / 3.0}},
      {"(0.25, 0.25)", {0.25, 0.25, 0}, {0.5, 0.25, 0.25}},
      {"(0.25, 0.25), z ignored", {0.25, 0.25, -40}, {0.5, 0.25, 0.25}},
      {"outside", {1, 1, 0}, {-1, 1, 1}},
  };
  for (const Case& c : cases) {
    const Vec3 b = cal_BaryCentric_Coordinate(c.P, v0, v1, v2);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(b[k], c.expected[k]) << c.name << " [" << k << "]";
  }

  const Vec3 g = cal_BaryCentric_Coordinate({0.3, 0.6, 0}, {0.1, 0.2, 0}, {1.3, 0.4, 0},
                                            {0.7, 1.9, 0});
  EXPECT_EQ(g[0], 0.71875);
  EXPECT_EQ(g[1], 0.052083333333333315);
  EXPECT_EQ(g[2], 0.22916666666666674);

  // A degenerate xy-projection divides by a zero area.
  const Vec3 d = cal_BaryCentric_Coordinate({0.5, 0.2, 0}, {0, 0, 0}, {1, 1, 0}, {2, 2, 1});
  for (int k = 0; k < 3; ++k) EXPECT_FALSE(std::isfinite(d[k])) << k;
}

}  // namespace
