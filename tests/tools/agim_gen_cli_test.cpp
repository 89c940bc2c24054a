// agim-gen on the command line: the sample sequence it writes, its options, and its errors.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "geometry/SampleModels.h"
#include "geometry/MeshSampler.h"
#include "model/AGIM_Writer.h"

namespace agim {
namespace {

namespace fs = std::filesystem;

const std::string kTool = std::string(AGIM_TEST_TMP) + "/../tools/agim-gen/agim-gen";

struct ToolRun {
  int code = -1;
  std::string out;  // standard output and standard error together
};

ToolRun run_tool(const std::string& args) {
  ToolRun r;
  const std::string cmd = kTool + " " + args + " 2>&1";
  FILE* pipe = popen(cmd.c_str(), "r");
  if (!pipe) return r;
  char buf[4096];
  std::size_t got;
  while ((got = std::fread(buf, 1, sizeof buf, pipe)) > 0) r.out.append(buf, got);
  const int status = pclose(pipe);
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

std::string read_text(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

fs::path fresh_dir(const std::string& name) {
  const fs::path dir = fs::path(AGIM_TEST_TMP) / name;
  fs::remove_all(dir);
  return dir;
}

class AgimGenCli : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(kTool)) GTEST_FAIL() << "build the agim-gen target first: " << kTool;
  }
};

TEST_F(AgimGenCli, HelpNamesEveryOption) {
  const ToolRun r = run_tool("--help");
  EXPECT_EQ(r.code, 0);
  for (const char* word : {"--out", "--patches", "--storage-level", "--level-spread", "--shapes", "--summary",
                           "01-sphere.agim"})
    EXPECT_NE(r.out.find(word), std::string::npos) << word;
}

TEST_F(AgimGenCli, WritesTheDefaultSequenceDeterministically) {
  const fs::path a = fresh_dir("gen_default_a"), b = fresh_dir("gen_default_b");
  ASSERT_EQ(run_tool("--no-real-meshes --out " + a.string()).code, 0);
  ASSERT_EQ(run_tool("--no-real-meshes --out " + b.string()).code, 0);
  const char* names[] = {"01-sphere.agim", "02-rounded-cube.agim", "03-ellipsoid.agim", "04-bumpy-sphere.agim",
                         "05-twisted.agim"};
  for (std::size_t i = 0; i < 5; ++i) {
    SCOPED_TRACE(names[i]);
    const std::string text = read_text(a / names[i]);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text, read_text(b / names[i]));
    // The file is exactly the writer's text of the library's model.
    AGIM model;
    make_sample_model(kAllSampleShapes[i], SampleLayout{}, model);
    std::string expected, error;
    ASSERT_TRUE(Format_AGIM_Text(model, &expected, &error)) << error;
    EXPECT_EQ(text, expected);
  }
}

TEST_F(AgimGenCli, LayoutAndShapeOptions) {
  const fs::path dir = fresh_dir("gen_options");
  const ToolRun r = run_tool("--patches 1 --storage-level 3 --level-spread 1 --shapes twisted,sphere --out " + dir.string());
  ASSERT_EQ(r.code, 0) << r.out;
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(dir)) files.push_back(entry.path().filename().string());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"01-twisted.agim", "02-sphere.agim"}));
  AGIM model;
  make_sample_model(SampleShape::Twisted, SampleLayout{1, 3, 1}, model);
  std::string expected, error;
  ASSERT_TRUE(Format_AGIM_Text(model, &expected, &error)) << error;
  EXPECT_EQ(read_text(dir / "01-twisted.agim"), expected);
}

TEST_F(AgimGenCli, BadOptionsFailWithAClearMessage) {
  const fs::path file = fs::path(AGIM_TEST_TMP) / "gen_not_a_folder";
  { std::ofstream(file) << "x"; }
  struct Case {
    const char* args;
    int code;
    const char* message;
  };
  const std::string under_file = "--out " + (file / "sub").string();
  const Case cases[] = {
      {"", 2, "nothing to do"},
      {"--frobnicate", 2, "unknown argument '--frobnicate'"},
      {"--out", 2, "--out needs a folder"},
      {"--patches 0 --out x", 2, "--patches needs a whole number 1..64, got '0'"},
      {"--patches 2x --out x", 2, "got '2x'"},
      {"--storage-level 11 --out x", 2, "--storage-level needs a whole number 1..10"},
      {"--level-spread -1 --out x", 2, "--level-spread needs"},
      {"--shapes sphere,cube --out x", 2, "unknown shape 'cube'"},
      {"--patches 64 --storage-level 10 --out x", 2, "layout too large"},
      {"--summary", 2, "--summary needs at least one model file"},
      {under_file.c_str(), 1, "cannot create output folder"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    const ToolRun r = run_tool(c.args);
    EXPECT_EQ(r.code, c.code);
    EXPECT_NE(r.out.find(c.message), std::string::npos) << r.out;
  }
}

TEST_F(AgimGenCli, SummaryDescribesEachModel) {
  const fs::path dir = fresh_dir("gen_summary");
  ASSERT_EQ(run_tool("--no-real-meshes --shapes sphere,ellipsoid --out " + dir.string()).code, 0);
  const ToolRun r = run_tool("--summary " + (dir / "01-sphere.agim").string() + " " + (dir / "02-ellipsoid.agim").string());
  EXPECT_EQ(r.code, 0) << r.out;
  // The default layout's levels, zipper sides and box, counted here from the library's model.
  AGIM model;
  make_sample_model(SampleShape::Sphere, SampleLayout{}, model);
  std::map<int, int> levels;
  int zipper_sides = 0;
  for (const AGIM_element& e : model.elements) {
    ++levels[e.level];
    for (int s = 0; s < 4; ++s) zipper_sides += model.elements[static_cast<std::size_t>(e.neighbour[s])].level > e.level;
  }
  std::string histogram = "current levels:";
  for (const auto& [level, count] : levels) {
    histogram += ' ';
    histogram += std::to_string(level);
    histogram += ": ";
    histogram += std::to_string(count);
  }
  for (const std::string& expect :
       {std::string("01-sphere.agim"), std::string("02-ellipsoid.agim"), std::string("patches:        24"),
        std::string("5 (17 x 17 samples) x 24"), histogram, "zipper sides:   " + std::to_string(zipper_sides),
        std::string("bounding box:   x -0.852744 .. 1.14726")})
    EXPECT_NE(r.out.find(expect), std::string::npos) << expect << "\n" << r.out;
  // A file the reader rejects: its reason, and failure, while the good file is still summarised.
  const fs::path bad = dir / "bad.agim";
  std::ofstream(bad) << "1\n0 1 1 0 0 0 0\n";
  const ToolRun b = run_tool("--summary " + bad.string() + " " + (dir / "01-sphere.agim").string());
  EXPECT_EQ(b.code, 1);
  EXPECT_NE(b.out.find(bad.string()), std::string::npos) << b.out;
  EXPECT_NE(b.out.find("patches:        24"), std::string::npos) << b.out;
}

TEST_F(AgimGenCli, ConvertsMeshesAndRejectsBadOnes) {
  // A closed octahedron and an open one (a face missing), written as OFF files.
  const fs::path dir = fresh_dir("gen_meshes");
  fs::create_directories(dir);
  const std::string verts = "6 8 0\n1 0 0\n-1 0 0\n0 1 0\n0 -1 0\n0 0 1\n0 0 -1\n";
  const std::string faces = "3 0 2 4\n3 2 1 4\n3 1 3 4\n3 3 0 4\n3 2 0 5\n3 1 2 5\n3 3 1 5\n3 0 3 5\n";
  std::ofstream(dir / "octa.off") << "OFF\n" << verts << faces;
  std::ofstream(dir / "open.off") << "OFF\n6 7 0\n" << verts.substr(6) << faces.substr(0, faces.size() - 8);
  const fs::path out = dir / "out";
  const ToolRun r = run_tool("--patches 1 --storage-level 3 --from-mesh " + (dir / "octa.off").string() + " --out " + out.string());
  ASSERT_EQ(r.code, 0) << r.out;
  AGIM expected;
  std::string error;
  ASSERT_TRUE(make_mesh_model_from_file((dir / "octa.off").string().c_str(), SampleLayout{1, 3, 3}, expected, &error)) << error;
  std::string text;
  ASSERT_TRUE(Format_AGIM_Text(expected, &text, &error)) << error;
  EXPECT_EQ(read_text(out / "01-octa.agim"), text);

  const ToolRun open = run_tool("--from-mesh " + (dir / "open.off").string() + " --out " + out.string());
  EXPECT_EQ(open.code, 1);
  EXPECT_NE(open.out.find((dir / "open.off").string() + ": "), std::string::npos) << open.out;
  EXPECT_NE(open.out.find("rays from the mesh's centroid missed"), std::string::npos) << open.out;
  const ToolRun missing = run_tool("--from-mesh " + (dir / "none.off").string() + " --out " + out.string());
  EXPECT_EQ(missing.code, 1);
  EXPECT_NE(missing.out.find("none.off: cannot read mesh"), std::string::npos) << missing.out;
}

TEST_F(AgimGenCli, DefaultSequenceTakesRealMeshesWhenInstalled) {
  if (!fs::exists("/usr/share/doc/libcgal-dev/data.tar.gz")) GTEST_SKIP() << "CGAL sample data absent";
  const fs::path dir = fresh_dir("gen_real");
  const ToolRun r = run_tool("--patches 1 --storage-level 3 --out " + dir.string());
  ASSERT_EQ(r.code, 0) << r.out;
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(dir)) files.push_back(entry.path().filename().string());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"01-sphere.agim", "02-bunny.agim", "03-blobby.agim", "04-rounded-cube.agim",
                                             "05-ellipsoid.agim", "06-bumpy-sphere.agim", "07-twisted.agim"}));
  AGIM bunny;
  ASSERT_TRUE(bunny.Read_AGIM_File((dir / "02-bunny.agim").string().c_str())) << bunny.load_error;
  EXPECT_EQ(bunny.element_count, 6);
}

}  // namespace
}  // namespace agim
