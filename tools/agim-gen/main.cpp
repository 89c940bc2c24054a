// agim-gen: writes a sequence of sample model files sharing one cube-sphere layout, and prints
// summaries of model files.
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "geometry/MeshSampler.h"
#include "geometry/SampleModels.h"
#include "model/AGIM.h"
#include "model/AGIM_Writer.h"
#include "model/Level.h"

namespace {

constexpr const char* kUsage =
    "Usage:\n"
    "  agim-gen --out DIR [--patches K] [--storage-level L] [--level-spread S] [--shapes LIST]\n"
    "           [--from-mesh FILE]... [--no-real-meshes]\n"
    "  agim-gen --summary FILE...\n"
    "  agim-gen --help\n"
    "\n"
    "Writes a sequence of model files into DIR (created when missing), one per shape, named\n"
    "NN-shape.agim in sequence order (01-sphere.agim, 02-rounded-cube.agim, ...). Every model\n"
    "has the same closed cube-sphere layout: 6 faces of K x K patches, all stored at level L,\n"
    "current levels spread over L-S .. L (never below 1), so the models morph into one another\n"
    "and neighbouring patches differ by up to S levels. Output is the same on every run.\n"
    "\n"
    "Closed meshes (OFF, OBJ, PLY, STL) convert with the same layout: rays from the mesh's\n"
    "area-weighted centroid along every sample direction take the farthest hit, and the result\n"
    "is scaled to radius 1 on the turntable centre. Without --shapes and --from-mesh, the\n"
    "default sequence is sphere, bunny, blobby, rounded-cube, ellipsoid, bumpy-sphere, twisted;\n"
    "bunny and blobby come from the CGAL sample data in\n"
    "/usr/share/doc/libcgal-dev/data.tar.gz (package libcgal-demo), extracted to a temporary\n"
    "folder, and are left out when that file is absent.\n"
    "\n"
    "Options:\n"
    "  --out DIR            folder to write the model files into\n"
    "  --patches K          patches along each cube face edge, 1..64 (default 2: 24 patches)\n"
    "  --storage-level L    storage level of every patch, 1..10 (default 5: 17 x 17 samples)\n"
    "  --level-spread S     spread of current levels below L, 0 or more (default 3)\n"
    "  --shapes LIST        comma-separated shapes in sequence order (default: all of\n"
    "                       sphere,rounded-cube,ellipsoid,bumpy-sphere,twisted)\n"
    "  --from-mesh FILE     convert a closed mesh, after the --shapes models; repeatable\n"
    "  --no-real-meshes     leave bunny and blobby out of the default sequence\n"
    "  --summary FILE...    read each model file and print its patches, level histogram,\n"
    "                       zipper sides and bounding box\n"
    "  --help               this text\n";

// Largest number of stored samples a generated model may hold (about 512 MB of grids).
constexpr long long kMaxSamples = 8'000'000;

// CGAL's sample data and the meshes the default sequence takes from it, with their names.
constexpr const char* kCgalData = "/usr/share/doc/libcgal-dev/data.tar.gz";
struct RealMesh {
  const char* member;  // path inside the archive
  const char* name;    // name in the sequence
};
constexpr RealMesh kRealMeshes[] = {{"data/meshes/bunny00.off", "bunny"}, {"data/meshes/blobby.off", "blobby"}};

// One model of the sequence: a shape, or a mesh file with the name its model file gets.
struct Item {
  bool is_mesh = false;
  agim::SampleShape shape = agim::SampleShape::Sphere;
  std::string mesh_path;
  std::string name;
  bool optional = false;  // an automatic real mesh: a failure leaves it out with a note
};

// A temporary folder removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir() {
    std::error_code ec;
    std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) base = "/tmp";
    std::string pattern = (base / "agim-gen-XXXXXX").string();
    if (mkdtemp(pattern.data())) path_ = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }  // empty when it could not be made

 private:
  std::string path_;
};

// Extracts the real meshes from CGAL's sample data into `dir`; false (with a note on stderr)
// when tar fails.
bool extract_real_meshes(const std::string& dir) {
  const pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    std::vector<const char*> args = {"tar", "-xzf", kCgalData, "-C", dir.c_str()};
    for (const RealMesh& m : kRealMeshes) args.push_back(m.member);
    args.push_back(nullptr);
    execvp("tar", const_cast<char* const*>(args.data()));
    _exit(127);
  }
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "agim-gen: note: could not extract meshes from %s; leaving them out\n", kCgalData);
    return false;
  }
  return true;
}

int usage_error(const std::string& message) {
  std::fprintf(stderr, "agim-gen: %s\nTry 'agim-gen --help'.\n", message.c_str());
  return 2;
}

// Parses a whole decimal int in [lo, hi]; false otherwise.
bool parse_int(const char* text, int lo, int hi, int* value) {
  const char* end = text + std::strlen(text);
  int v = 0;
  const auto res = std::from_chars(text, end, v);
  if (res.ec != std::errc() || res.ptr != end || v < lo || v > hi) return false;
  *value = v;
  return true;
}

// Splits "a,b,c" into shapes; false with *bad set to the first unknown name.
bool parse_shapes(const std::string& list, std::vector<agim::SampleShape>* shapes, std::string* bad) {
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = list.find(',', start);
    const std::string name = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    agim::SampleShape s{};
    if (!agim::sample_shape_from_name(name.c_str(), &s)) {
      *bad = name;
      return false;
    }
    shapes->push_back(s);
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
}

// Prints a one-screen summary of one model file; false when the reader rejects it.
bool summarise(const char* path) {
  AGIM model;
  if (!model.Read_AGIM_File(path)) {
    std::fprintf(stderr, "agim-gen: %s\n",
                 model.load_error.empty() ? (std::string(path) + ": cannot read model").c_str()
                                          : model.load_error.c_str());
    return false;
  }
  std::map<int, int> levels, storage;
  int zipper_sides = 0, zipper_patches = 0;
  double lo[3] = {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(),
                  std::numeric_limits<double>::infinity()};
  double hi[3] = {-lo[0], -lo[1], -lo[2]};
  for (const AGIM_element& e : model.elements) {
    ++levels[e.level];
    ++storage[e.max_level];
    int finer = 0;
    for (int s = 0; s < 4; ++s) {
      const int n = e.neighbour[s];
      if (n >= 0 && n < model.element_count && model.elements[static_cast<std::size_t>(n)].level > e.level) ++finer;
    }
    zipper_sides += finer;
    zipper_patches += finer > 0;
    const Point* p = e.position_grid.data();
    for (std::size_t i = 0; i < e.position_grid.sample_count(); ++i) {
      const double v[3] = {p[i].x, p[i].y, p[i].z};
      for (int a = 0; a < 3; ++a) {
        lo[a] = std::min(lo[a], v[a]);
        hi[a] = std::max(hi[a], v[a]);
      }
    }
  }
  std::printf("%s\n", path);
  std::printf("  patches:        %d\n", model.element_count);
  std::printf("  storage levels:");
  for (const auto& [level, count] : storage)
    std::printf(" %d (%d x %d samples) x %d", level, agim::grid_size_for_level(level),
                agim::grid_size_for_level(level), count);
  std::printf("\n  current levels:");
  for (const auto& [level, count] : levels) std::printf(" %d: %d", level, count);
  std::printf("\n  zipper sides:   %d, on %d patches\n", zipper_sides, zipper_patches);
  if (model.element_count > 0)
    std::printf("  bounding box:   x %.6g .. %.6g, y %.6g .. %.6g, z %.6g .. %.6g\n", lo[0], hi[0], lo[1], hi[1],
                lo[2], hi[2]);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  agim::SampleLayout layout;
  std::vector<agim::SampleShape> shapes;
  std::string out_dir;
  std::vector<std::string> summary_files;
  bool summary = false;
  bool real_meshes = true;
  std::vector<std::string> mesh_files;

  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](const char* what) -> const char* {
      if (i + 1 >= argc) return nullptr;
      (void)what;
      return argv[++i];
    };
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (summary) {
      summary_files.push_back(arg);
    } else if (arg == "--summary") {
      summary = true;
    } else if (arg == "--out") {
      const char* v = value("DIR");
      if (!v || !*v) return usage_error("--out needs a folder");
      out_dir = v;
    } else if (arg == "--patches") {
      const char* v = value("K");
      if (!v || !parse_int(v, 1, 64, &layout.patches_per_edge))
        return usage_error("--patches needs a whole number 1..64, got '" + std::string(v ? v : "") + "'");
    } else if (arg == "--storage-level") {
      const char* v = value("L");
      if (!v || !parse_int(v, 1, 10, &layout.storage_level))
        return usage_error("--storage-level needs a whole number 1..10, got '" + std::string(v ? v : "") + "'");
    } else if (arg == "--level-spread") {
      const char* v = value("S");
      if (!v || !parse_int(v, 0, 100, &layout.level_spread))
        return usage_error("--level-spread needs a whole number 0..100, got '" + std::string(v ? v : "") + "'");
    } else if (arg == "--from-mesh") {
      const char* v = value("FILE");
      if (!v || !*v) return usage_error("--from-mesh needs a mesh file");
      mesh_files.push_back(v);
    } else if (arg == "--no-real-meshes") {
      real_meshes = false;
    } else if (arg == "--shapes") {
      const char* v = value("LIST");
      if (!v) return usage_error("--shapes needs a comma-separated list");
      std::string bad;
      if (!parse_shapes(v, &shapes, &bad))
        return usage_error("unknown shape '" + bad +
                           "' in --shapes (known: sphere, rounded-cube, ellipsoid, bumpy-sphere, twisted)");
    } else {
      return usage_error("unknown argument '" + arg + "'");
    }
  }

  if (summary) {
    if (summary_files.empty()) return usage_error("--summary needs at least one model file");
    bool ok = true;
    for (const std::string& f : summary_files) ok = summarise(f.c_str()) && ok;
    return ok ? 0 : 1;
  }
  if (out_dir.empty()) return usage_error("nothing to do: give --out DIR or --summary FILE...");

  const long long n = agim::grid_size_for_level(layout.storage_level);
  const long long samples = 6LL * layout.patches_per_edge * layout.patches_per_edge * n * n;
  if (samples > kMaxSamples)
    return usage_error("layout too large: " + std::to_string(samples) + " samples a model, at most " +
                       std::to_string(kMaxSamples));
  std::error_code ec;
  std::filesystem::create_directories(out_dir, ec);
  if (ec || !std::filesystem::is_directory(out_dir)) {
    std::fprintf(stderr, "agim-gen: %s: cannot create output folder: %s\n", out_dir.c_str(),
                 ec ? ec.message().c_str() : "not a folder");
    return 1;
  }

  // The sequence: the chosen shapes, then the chosen meshes; by default every shape with the
  // real meshes after the sphere.
  std::vector<Item> items;
  std::optional<TempDir> temp;  // made only when the real meshes are extracted
  const bool by_default = shapes.empty() && mesh_files.empty();
  for (agim::SampleShape s : shapes) items.push_back({false, s, {}, agim::sample_shape_name(s)});
  for (const std::string& f : mesh_files)
    items.push_back({true, agim::SampleShape::Sphere, f, std::filesystem::path(f).stem().string()});
  if (by_default) {
    for (agim::SampleShape s : agim::kAllSampleShapes) {
      items.push_back({false, s, {}, agim::sample_shape_name(s)});
      if (s != agim::SampleShape::Sphere || !real_meshes || !std::filesystem::exists(kCgalData)) continue;
      temp.emplace();
      if (temp->path().empty() || !extract_real_meshes(temp->path())) continue;
      for (const RealMesh& m : kRealMeshes)
        items.push_back({true, agim::SampleShape::Sphere, (std::filesystem::path(temp->path()) / m.member).string(), m.name,
                         true});
    }
  }

  int index = 0;
  for (const Item& item : items) {
    AGIM model;
    std::string error;
    try {
      if (item.is_mesh) {
        if (!agim::make_mesh_model_from_file(item.mesh_path.c_str(), layout, model, &error)) {
          std::fprintf(stderr, "agim-gen: %s%s\n", item.optional ? "note: leaving out: " : "", error.c_str());
          if (item.optional) continue;
          return 1;
        }
      } else {
        agim::make_sample_model(item.shape, layout, model);
      }
    } catch (const std::exception& ex) {
      std::fprintf(stderr, "agim-gen: %s\n", ex.what());
      return 1;
    }
    char number[16];
    std::snprintf(number, sizeof number, "%02d-", ++index);
    const std::string path = (std::filesystem::path(out_dir) / (number + item.name + ".agim")).string();
    if (!Write_AGIM_File(model, path.c_str(), &error)) {
      std::fprintf(stderr, "agim-gen: %s\n", error.c_str());
      return 1;
    }
    std::printf("%s: %d patches\n", path.c_str(), model.element_count);
  }
  return 0;
}
