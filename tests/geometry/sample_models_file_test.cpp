// Writing models to model files: the exact text, shortest round-trip floats, refusals of
// models the reader could not take back, and errors for unwritable files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

#include "common/TestModels.h"
#include "geometry/SampleModels.h"
#include "model/AGIM_Writer.h"
#include "sample_models_checks.h"

namespace agim {
namespace {

std::string read_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// One level-1 patch with hand-picked sample values.
void one_patch(AGIM& m) {
  test::PatchSpec spec;
  spec.level = 1;
  spec.max_level = 1;
  spec.side_orientation[0] = 1;
  spec.side_orientation[3] = 1;
  test::build_model(m, {spec}, [](int, int r, int c, Point& p, Point& n) {
    p = Point{};
    n = Point{};
    const float values[4] = {0.1f, -0.0f, 1e-7f, 3.0f};
    p.x = values[r * 2 + c];
    p.y = static_cast<float>(r);
    p.z = 16777216.0f;  // 2^24
    n.z = c ? -1.0f : 1.0f;
  });
}

TEST(ModelWriter, WritesTheFileFormatByHand) {
  AGIM m;
  one_patch(m);
  const std::string path = std::string(AGIM_TEST_TMP) + "/writer_one_patch.agim";
  std::string error;
  ASSERT_TRUE(Write_AGIM_File(m, path.c_str(), &error)) << error;
  EXPECT_EQ(read_text(path),
            "1\n"
            "0 1 1 0 0 0 0 1 0 0 1\n"
            "0.1 0 16777216 0 0 1\n"
            "-0 0 16777216 0 0 -1\n"
            "1e-07 1 16777216 0 0 1\n"
            "3 1 16777216 0 0 -1\n"
            ";\n");
}

TEST(ModelWriter, ShortestFormReadsBackToTheSameBits) {
  // Stream extraction as the reader uses it must give back every float the writer printed.
  AGIM m;
  make_sample_model(SampleShape::BumpySphere, SampleLayout{1, 4, 2}, m);
  std::string text, error;
  ASSERT_TRUE(Format_AGIM_Text(m, &text, &error)) << error;
  std::istringstream in(text);
  in.imbue(std::locale::classic());
  int count = 0;
  ASSERT_TRUE(in >> count);
  ASSERT_EQ(count, m.element_count);
  for (int k = 0; k < count; ++k) {
    int head[11];
    for (int& h : head) ASSERT_TRUE(in >> h);
    const AGIM_element& e = m.elements[static_cast<std::size_t>(head[0])];
    EXPECT_EQ(head[1], e.level);
    EXPECT_EQ(head[2], e.max_level);
    for (int s = 0; s < 4; ++s) EXPECT_EQ(head[3 + s], e.neighbour[s]);
    const int n = e.position_grid.size();
    for (int r = 0; r < n; ++r)
      for (int c = 0; c < n; ++c) {
        float v[6];
        for (float& f : v) ASSERT_TRUE(in >> f);
        const Point& p = e.position_grid[r][c];
        const Point& q = e.normal_grid[r][c];
        EXPECT_EQ(v[0], p.x);
        EXPECT_EQ(v[1], p.y);
        EXPECT_EQ(v[2], p.z);
        EXPECT_EQ(v[3], q.x);
        EXPECT_EQ(v[4], q.y);
        EXPECT_EQ(v[5], q.z);
      }
    char separator = 0;
    ASSERT_TRUE(in >> separator);
    EXPECT_EQ(separator, ';');
  }
}

TEST(ModelWriter, EveryShapeRoundTripsThroughTheReader) {
  for (SampleShape shape : kAllSampleShapes) {
    SCOPED_TRACE(sample_shape_name(shape));
    AGIM written;
    make_sample_model(shape, SampleLayout{2, 4, 3}, written);
    const std::string path = std::string(AGIM_TEST_TMP) + "/round_trip_" + sample_shape_name(shape) + ".agim";
    std::string error;
    ASSERT_TRUE(Write_AGIM_File(written, path.c_str(), &error)) << error;
    AGIM read;
    ASSERT_TRUE(read.Read_AGIM_File(path.c_str())) << read.load_error;
    test::expect_same_model(written, read);
    EXPECT_EQ(read.lod_reference, -2.0f);
    EXPECT_EQ(read.focus_min_x, written.focus_min_x);
  }
}

TEST(ModelWriter, LargeModelsWriteTheSameTextInChunks) {
  // About 6 MB of text: the file goes out in several pieces and must equal the text in memory.
  AGIM m;
  make_sample_model(SampleShape::Twisted, SampleLayout{4, 6, 3}, m);
  std::string text, error;
  ASSERT_TRUE(Format_AGIM_Text(m, &text, &error)) << error;
  ASSERT_GT(text.size(), std::size_t{4} << 20);
  const std::string path = std::string(AGIM_TEST_TMP) + "/writer_large.agim";
  ASSERT_TRUE(Write_AGIM_File(m, path.c_str(), &error)) << error;
  EXPECT_TRUE(read_text(path) == text);
}

TEST(ModelWriter, RefusesModelsTheReaderCouldNotTakeBack) {
  struct Case {
    const char* name;
    void (*spoil)(AGIM&);
    const char* expect;  // part of the error text
  };
  const Case cases[] = {
      {"count mismatch", [](AGIM& m) { m.element_count = 2; }, "patch count 2"},
      {"level above storage", [](AGIM& m) { m.elements[0].level = 2; }, "level 2 outside 1..1"},
      {"neighbour out of range", [](AGIM& m) { m.elements[0].neighbour[2] = 5; }, "neighbour id 5 across side 2"},
      {"grid too small", [](AGIM& m) { m.elements[0].normal_grid.resize(1); }, "storage level needs 2"},
      {"NaN sample", [](AGIM& m) { m.elements[0].position_grid[1][0].y = std::nanf(""); },
       "position at row 1, column 0 is not a finite number"},
      {"infinite normal",
       [](AGIM& m) { m.elements[0].normal_grid[0][1].x = std::numeric_limits<float>::infinity(); },
       "normal at row 0, column 1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AGIM m;
    one_patch(m);
    c.spoil(m);
    const std::string path = std::string(AGIM_TEST_TMP) + "/writer_refused.agim";
    std::remove(path.c_str());
    std::string error;
    EXPECT_FALSE(Write_AGIM_File(m, path.c_str(), &error));
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_NE(error.find(c.expect), std::string::npos) << error;
    EXPECT_FALSE(std::ifstream(path).good()) << "nothing is written for a refused model";
  }
}

TEST(ModelWriter, ReportsUnwritableFile) {
  AGIM m;
  one_patch(m);
  const std::string path = std::string(AGIM_TEST_TMP) + "/no-such-folder/x.agim";
  std::string error;
  EXPECT_FALSE(Write_AGIM_File(m, path.c_str(), &error));
  EXPECT_NE(error.find(path), std::string::npos);
  EXPECT_NE(error.find("cannot open"), std::string::npos);
  // The error pointer may be null.
  EXPECT_FALSE(Write_AGIM_File(m, path.c_str(), nullptr));
}

}  // namespace
}  // namespace agim
