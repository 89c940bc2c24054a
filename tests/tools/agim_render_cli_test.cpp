// The headless renderer's command line: frames written for a model and for a morph, and
// clear errors with a failing exit code for bad options and bad files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "geometry/SampleModels.h"
#include "model/AGIM_Writer.h"
#include "render/HeadlessContext.h"
#include "render/RenderTool.h"

namespace {

namespace fs = std::filesystem;

struct ToolRun {
  int code;
  std::string out;
  std::string err;
};

ToolRun run(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  testing::internal::CaptureStdout();  // loading and zipper drawing print their counts
  const int code = agim::run_render_tool(args, out, err);
  testing::internal::GetCapturedStdout();
  return {code, out.str(), err.str()};
}

class RenderToolTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(AGIM_TEST_TMP) / "agim_render_cli";
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  // Writes a small sample model file and returns its path.
  std::string sample_file(agim::SampleShape shape) {
    AGIM model;
    agim::SampleLayout layout;
    layout.storage_level = 4;
    layout.level_spread = 2;
    agim::make_sample_model(shape, layout, model);
    const std::string path = (dir_ / (std::string(agim::sample_shape_name(shape)) + ".agim")).string();
    std::string error;
    EXPECT_TRUE(agim::Write_AGIM_File(model, path.c_str(), &error)) << error;
    return path;
  }
  bool have_gl() {
    agim::HeadlessContext probe(1, 1);
    return probe.ok();
  }
  fs::path dir_;
};

TEST_F(RenderToolTest, BadCommandLinesFailWithAReason) {
  struct Case {
    std::vector<std::string> args;
    const char* reason;
  };
  const std::vector<Case> cases = {
      {{"model.agim"}, "--out DIR is required"},
      {{"--out", "x"}, "no model file given"},
      {{"--out", "x", "--size", "640", "m"}, "--size expects WxH"},
      {{"--out", "x", "--size", "0x10", "m"}, "--size expects WxH"},
      {{"--out", "x", "--size", "10x10x", "m"}, "--size expects WxH"},
      {{"--out", "x", "--frames", "-3", "m"}, "--frames expects"},
      {{"--out", "x", "--frames", "2k", "m"}, "--frames expects"},
      {{"--out", "x", "--angle", "north", "m"}, "--angle expects"},
      {{"--out", "x", "--angle", "nan", "m"}, "--angle expects"},
      {{"--out", "x", "--spin", "m"}, "unknown option '--spin'"},
      {{"--out", "x", "m", "--frames"}, "--frames expects"},
  };
  for (const Case& c : cases) {
    const ToolRun r = run(c.args);
    EXPECT_EQ(r.code, 1) << c.reason;
    EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("usage: agim-render"), std::string::npos);
  }
  const ToolRun help = run({"--help"});
  EXPECT_EQ(help.code, 0);
  EXPECT_NE(help.out.find("--crack-free"), std::string::npos);
}

TEST_F(RenderToolTest, BadFilesNameTheFileAndFail) {
  if (!have_gl()) GTEST_SKIP() << "no headless OpenGL";
  const std::string missing = (dir_ / "missing.agim").string();
  ToolRun r = run({"--out", (dir_ / "out").string(), missing});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("missing.agim"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir_ / "out" / "frame_0000.png"));

  const std::string broken = (dir_ / "broken.agim").string();
  std::ofstream(broken) << "3\n0 1 2\n";
  r = run({"--out", (dir_ / "out").string(), sample_file(agim::SampleShape::Sphere), broken});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("broken.agim"), std::string::npos) << r.err;

  // An output folder that cannot be made (a file is in the way).
  std::ofstream(dir_ / "blocker") << "x";
  r = run({"--out", (dir_ / "blocker").string(), sample_file(agim::SampleShape::Sphere)});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("blocker"), std::string::npos) << r.err;
}

TEST_F(RenderToolTest, WritesOneFramePerStepForAModelAndAMorph) {
  if (!have_gl()) GTEST_SKIP() << "no headless OpenGL";
  const std::string sphere = sample_file(agim::SampleShape::Sphere);
  const std::string cube = sample_file(agim::SampleShape::RoundedCube);
  const fs::path single = dir_ / "single";
  ToolRun r = run({"--out", single.string(), "--size", "64x48", "--wireframe", "--angle", "30", sphere});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(fs::exists(single / "frame_0000.png"));
  EXPECT_FALSE(fs::exists(single / "frame_0001.png"));

  const fs::path morph = dir_ / "morph";
  r = run({"--out", morph.string(), "--size", "64x48", "--frames", "3", "--turntable", "--crack-free", sphere, cube});
  EXPECT_EQ(r.code, 0) << r.err;
  for (const char* name : {"frame_0000.png", "frame_0001.png", "frame_0002.png"}) {
    ASSERT_TRUE(fs::exists(morph / name)) << name;
    std::ifstream png(morph / name, std::ios::binary);
    char magic[8] = {};
    png.read(magic, 8);
    EXPECT_EQ(std::string(magic + 1, 3), "PNG");
  }
  // The morph moves: the first and the third frame differ.
  std::ifstream a(morph / "frame_0000.png", std::ios::binary), b(morph / "frame_0002.png", std::ios::binary);
  const std::string fa((std::istreambuf_iterator<char>(a)), {}), fb((std::istreambuf_iterator<char>(b)), {});
  EXPECT_NE(fa, fb);
}

}  // namespace
