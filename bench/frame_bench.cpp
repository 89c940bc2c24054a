// Frame time for a large generated model (about 100k quads) drawn offscreen: the immediate-mode
// shaded quads, the buffer-object strips, and the strips rebuilt from the grids and uploaded
// again every frame (what a morph needs), all in the same run, as ratios to the quads.
//
//   frame_bench [--patches-per-edge=4] [--storage-level=6] [--size=640x480] [--cull]
//               [google-benchmark flags]
//
// The viewer draws back faces as points (a strip's back triangles give 6 points a cell, a
// quad's 4); --cull culls them instead, to compare the front-face cost alone.
// 6 * 4 * 4 patches of 32 x 32 quads = 98304 quads by default.
#include <benchmark/benchmark.h>

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "geometry/SampleModels.h"
#include "model/AGIM.h"
#include "render/FrameRenderer.h"
#include "render/GLBufferEntryPoints.h"
#include "render/HeadlessContext.h"
#include "render/SceneCamera.h"

namespace {

int g_patches_per_edge = 4;
int g_storage_level = 6;
int g_width = 640;
int g_height = 480;
bool g_cull = false;  // --cull: cull back faces instead of drawing them as points

// The shared context and model, made once.
struct Scene {
  std::unique_ptr<agim::HeadlessContext> context;
  AGIM model;
  agim::BoundingSphere sphere;
  long long quads = 0;
};

Scene& scene() {
  static Scene s;
  return s;
}

bool set_up_scene() {
  Scene& s = scene();
  s.context = std::make_unique<agim::HeadlessContext>(g_width, g_height);
  if (!s.context->ok()) {
    std::fprintf(stderr, "frame_bench: %s\n", s.context->error().c_str());
    return false;
  }
  agim::SampleLayout layout;
  layout.patches_per_edge = g_patches_per_edge;
  layout.storage_level = g_storage_level;
  layout.level_spread = 0;  // every patch at full resolution: quads and strips cover the same cells
  agim::make_sample_model(agim::SampleShape::BumpySphere, layout, s.model);
  s.model.Build_Strip_Buffers();
  std::fflush(stdout);
  s.model.Upload_Strip_Buffers();
  if (s.model.vertex_buffer_ids.empty()) {
    std::fprintf(stderr, "frame_bench: no buffer objects\n");
    return false;
  }
  for (const AGIM_element& e : s.model.elements) s.quads += static_cast<long long>(e.grid_size - 1) * (e.grid_size - 1);
  s.sphere = agim::bounding_sphere({&s.model});
  return true;
}

// The same lit camera and colour state for every variant; the frame ends with glFinish.
void begin_frame() {
  agim::set_lit_camera(scene().sphere, g_width, g_height);
  glPolygonMode(GL_FRONT, GL_FILL);
  glPolygonMode(GL_BACK, GL_POINT);
  if (g_cull) {
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
  }
}

void report(benchmark::State& state) {
  state.counters["quads"] = static_cast<double>(scene().quads);
  state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// The viewer's frame: lit immediate-mode quads in the patch palette.
void BM_ImmediateQuads(benchmark::State& state) {
  for (auto _ : state) {
    begin_frame();
    scene().model.Render_AGIM();
    glFinish();
  }
  report(state);
}

// The buffer-object strips uploaded once.
void BM_BufferStrips(benchmark::State& state) {
  for (auto _ : state) {
    begin_frame();
    glColor3ub(150, 180, 225);
    scene().model.Render_AGIMwithVBO();
    glFinish();
  }
  report(state);
}

// The strips rebuilt from the grids and every patch's positions and normals uploaded again
// into its buffers before drawing.
void BM_BufferStripsReupload(benchmark::State& state) {
  AGIM& m = scene().model;
  const agim::GLBufferEntryPoints& gl = agim::gl_buffer_entry_points();
  for (auto _ : state) {
    m.Build_Strip_Buffers();
    for (std::size_t k = 0; k < m.elements.size(); ++k) {
      const AGIM_element& e = m.elements[k];
      const auto bytes = static_cast<GLsizeiptrARB>(e.strip_vertices.size() * sizeof(VBO_Vertex));
      gl.glBindBufferARB(GL_ARRAY_BUFFER_ARB, m.vertex_buffer_ids[k]);
      gl.glBufferDataARB(GL_ARRAY_BUFFER_ARB, bytes, e.strip_vertices.data(), GL_STATIC_DRAW_ARB);
      gl.glBindBufferARB(GL_ARRAY_BUFFER_ARB, m.normal_buffer_ids[k]);
      gl.glBufferDataARB(GL_ARRAY_BUFFER_ARB, bytes, e.strip_normals.data(), GL_STATIC_DRAW_ARB);
    }
    begin_frame();
    glColor3ub(150, 180, 225);
    m.Render_AGIMwithVBO();
    glFinish();
  }
  report(state);
}

BENCHMARK(BM_ImmediateQuads)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BufferStrips)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BufferStripsReupload)->Unit(benchmark::kMillisecond)->UseRealTime();

// Console output as usual, keeping each benchmark's real time per frame for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      if (run.run_type == Run::RT_Iteration && run.repetitions > 1) continue;
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "mean") continue;
      times_[run.run_name.function_name] = run.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  double time(const std::string& name) const {
    auto it = times_.find(name);
    return it == times_.end() ? 0.0 : it->second;
  }

 private:
  std::map<std::string, double> times_;
};

// Takes our own --name=value flags out of argv before Google Benchmark sees it.
void parse_own_flags(int* argc, char** argv) {
  int out = 1;
  for (int i = 1; i < *argc; ++i) {
    const char* a = argv[i];
    if (std::strncmp(a, "--patches-per-edge=", 19) == 0) {
      g_patches_per_edge = std::atoi(a + 19);
    } else if (std::strncmp(a, "--storage-level=", 16) == 0) {
      g_storage_level = std::atoi(a + 16);
    } else if (std::strcmp(a, "--cull") == 0) {
      g_cull = true;
    } else if (std::strncmp(a, "--size=", 7) == 0) {
      if (std::sscanf(a + 7, "%dx%d", &g_width, &g_height) != 2) g_width = g_height = 0;
    } else {
      argv[out++] = argv[i];
    }
  }
  *argc = out;
}

}  // namespace

int main(int argc, char** argv) {
  parse_own_flags(&argc, argv);
  if (g_patches_per_edge < 1 || g_patches_per_edge > 64 || g_storage_level < 1 || g_storage_level > 10 ||
      g_width < 1 || g_height < 1 || g_width > 8192 || g_height > 8192) {
    std::fprintf(stderr, "frame_bench: bad --patches-per-edge, --storage-level or --size\n");
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!set_up_scene()) return 1;
  std::printf("GL_RENDERER: %s; %lld quads, %dx%d\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
              scene().quads, g_width, g_height);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double quads = reporter.time("BM_ImmediateQuads");
  const double strips = reporter.time("BM_BufferStrips");
  const double reupload = reporter.time("BM_BufferStripsReupload");
  if (quads > 0 && strips > 0) std::printf("immediate quads / buffer strips: %.2fx\n", quads / strips);
  if (strips > 0 && reupload > 0) std::printf("strips with re-upload / strips: %.2fx\n", reupload / strips);
  if (quads > 0 && reupload > 0) std::printf("immediate quads / strips with re-upload: %.2fx\n", quads / reupload);
  benchmark::Shutdown();
  return 0;
}
