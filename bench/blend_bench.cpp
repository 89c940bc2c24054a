// Blend step speed: one morph step over a large working model, in ns per grid sample, against a
// memory-bandwidth probe run in the same process, a float triad a[i] = b[i] + s * c[i] over
// three arrays of the same total bytes as the grids a blend step touches (the current
// model's two grids, read and written, and the next model's two, read). A plain scalar
// evaluation of the blend over the same grids shows what the vector loop gains.
//
//   blend_bench [--patches=2000] [--level=6] [--interleaved=40] [google-benchmark flags]
//
// After the runs it prints the blend / triad time ratio (the goal is at most 1.2), first from
// the benchmark means, then from blend steps and triad passes taken in turn (the fastest and
// the median of each), which holds up better on a busy machine.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "model/AGIM.h"
#include "model/Level.h"
#include "morph/Morph.h"

namespace {

int g_patches = 2000;  // patches in each working model
int g_level = 6;       // storage (and current) level of every patch: 33 x 33 samples

// A model of `patches` patches at `level`, samples varying smoothly with `phase`.
AGIM make_model(int patches, int level, float phase) {
  AGIM m;
  m.element_count = patches;
  m.elements.resize(static_cast<std::size_t>(patches));
  const int n = agim::grid_size_for_level(level);
  for (int id = 0; id < patches; ++id) {
    AGIM_element& e = m.elements[static_cast<std::size_t>(id)];
    e.element_id = id;
    e.level = e.base_level = e.max_level = level;
    e.grid_size = n;
    e.position_grid.resize(n);
    e.normal_grid.resize(n);
    for (int r = 0; r < n; ++r)
      for (int c = 0; c < n; ++c) {
        Point& p = e.position_grid[r][c];
        p.x = static_cast<float>(id) + phase * static_cast<float>(r);
        p.y = static_cast<float>(c) * 0.37f - phase;
        p.z = phase * static_cast<float>(r * c) * 0.01f;
        Point& q = e.normal_grid[r][c];
        q.x = 0.5f - phase;
        q.y = 0.25f * phase;
        q.z = 0.8f + phase * 0.1f;
      }
  }
  return m;
}

// Stored samples in one model: patches x N x N per grid, two grids.
std::size_t samples_per_model() {
  const std::size_t n = static_cast<std::size_t>(agim::grid_size_for_level(g_level));
  return static_cast<std::size_t>(g_patches) * n * n * 2;
}

// The engine with its two working models loaded, built once and shared by the runs.
Morph& engine() {
  static std::unique_ptr<Morph> morph = [] {
    auto m = std::make_unique<Morph>();
    m->Load_Current_AGIM(make_model(g_patches, g_level, 0.0f));
    m->Load_Next_AGIM(make_model(g_patches, g_level, 1.0f));
    return m;
  }();
  return *morph;
}

// Reports the time per grid sample of a model (wall-clock, like the times the ratio uses).
void set_time_per_sample(benchmark::State& state) {
  state.counters["time_per_sample"] = benchmark::Counter(
      static_cast<double>(samples_per_model()),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// One blend step of the engine per iteration.
void BM_BlendStep(benchmark::State& state) {
  Morph& morph = engine();
  for (auto _ : state) {
    morph.calculate_pos();
    benchmark::ClobberMemory();
  }
  set_time_per_sample(state);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(samples_per_model() * sizeof(Point) * 3));
}

// The same step written as the plain per-value formula, for comparison: private copies of the
// grids, blended with the weight the engine would use.
void BM_BlendScalarBaseline(benchmark::State& state) {
  static AGIM current = make_model(g_patches, g_level, 0.0f);
  static AGIM next = make_model(g_patches, g_level, 1.0f);
  double t = 0.0;
  for (auto _ : state) {
    for (std::size_t i = 0; i < current.elements.size(); ++i) {
      PointGrid* p[2] = {&current.elements[i].position_grid, &current.elements[i].normal_grid};
      const PointGrid* q[2] = {&next.elements[i].position_grid, &next.elements[i].normal_grid};
      for (int g = 0; g < 2; ++g) {
        Point* a = p[g]->data();
        const Point* b = q[g]->data();
        for (std::size_t k = 0; k < p[g]->sample_count(); ++k) {
          a[k].x = static_cast<float>(static_cast<double>(b[k].x) * t + (1.0 - t) * static_cast<double>(a[k].x));
          a[k].y = static_cast<float>(static_cast<double>(b[k].y) * t + (1.0 - t) * static_cast<double>(a[k].y));
          a[k].z = static_cast<float>(static_cast<double>(b[k].z) * t + (1.0 - t) * static_cast<double>(a[k].z));
        }
      }
    }
    benchmark::ClobberMemory();
    t = t - 0.8 > 0.0 ? 0.0 : t + 0.05;
  }
  set_time_per_sample(state);
}

// The bandwidth probe's three float arrays, whose total size equals the bytes of the four
// grids a blend step touches.
struct TriadArrays {
  TriadArrays()
      : count(samples_per_model() * 2 * sizeof(Point) / 3 / sizeof(float)),
        a(count, 0.0f),
        b(count, 1.0f),
        c(count, 2.0f) {}
  // One pass of a[i] = b[i] + s * c[i].
  void run(float s) {
    float* __restrict pa = a.data();
    const float* __restrict pb = b.data();
    const float* __restrict pc = c.data();
    for (std::size_t i = 0; i < count; ++i) pa[i] = pb[i] + s * pc[i];
    benchmark::DoNotOptimize(a.data());
    benchmark::ClobberMemory();
  }
  std::size_t count;  // floats per array
  std::vector<float> a, b, c;
};

// The bandwidth probe, one triad pass per iteration.
void BM_Triad(benchmark::State& state) {
  TriadArrays arrays;
  float s = 0.5f;
  for (auto _ : state) {
    arrays.run(s);
    s = -s;
  }
  set_time_per_sample(state);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(arrays.count * sizeof(float) * 3));
}

// Blend steps and triad passes taken in turn, so both see the same load from the rest of the
// machine; returns the blend / triad ratio of the fastest and of the median pass.
std::pair<double, double> interleaved_ratio(int rounds) {
  Morph& morph = engine();
  TriadArrays arrays;
  std::vector<double> blend, triad;
  float s = 0.5f;
  for (int k = 0; k < rounds; ++k) {
    auto t0 = std::chrono::steady_clock::now();
    morph.calculate_pos();
    benchmark::ClobberMemory();
    auto t1 = std::chrono::steady_clock::now();
    arrays.run(s);
    s = -s;
    auto t2 = std::chrono::steady_clock::now();
    blend.push_back(std::chrono::duration<double>(t1 - t0).count());
    triad.push_back(std::chrono::duration<double>(t2 - t1).count());
  }
  std::sort(blend.begin(), blend.end());
  std::sort(triad.begin(), triad.end());
  const std::size_t mid = blend.size() / 2;
  return {blend.front() / triad.front(), blend[mid] / triad[mid]};
}

BENCHMARK(BM_BlendStep)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_BlendScalarBaseline)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_Triad)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

// Console output as usual, keeping each benchmark's mean real time per iteration for the
// ratio printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      // Without repetitions there is one plain run; with them, take the mean aggregate.
      if (run.run_type == Run::RT_Iteration && run.repetitions > 1) continue;
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "mean") continue;
      times_[run.run_name.function_name] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
    }
    ConsoleReporter::ReportRuns(runs);
  }
  // Mean real (wall-clock) and CPU time of `name`; zeros when it did not run.
  std::pair<double, double> time(const std::string& name) const {
    auto it = times_.find(name);
    return it == times_.end() ? std::pair<double, double>{0.0, 0.0} : it->second;
  }

 private:
  std::map<std::string, std::pair<double, double>> times_;
};

// Reads --name=value for our own integer options, removing them from argv.
void take_int_option(int& argc, char** argv, const char* name, int& value) {
  const std::size_t len = std::strlen(name);
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], name, len) == 0 && argv[i][len] == '=') {
      value = std::atoi(argv[i] + len + 1);
      for (int j = i; j + 1 < argc; ++j) argv[j] = argv[j + 1];
      --argc;
      return;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  take_int_option(argc, argv, "--patches", g_patches);
  take_int_option(argc, argv, "--level", g_level);
  int rounds = 40;
  take_int_option(argc, argv, "--interleaved", rounds);
  if (g_patches < 1 || g_level < 1 || g_level > agim::kMaxStorageLevel) {
    std::fprintf(stderr, "blend_bench: --patches must be at least 1 and --level 1..%d\n",
                 agim::kMaxStorageLevel);
    return 2;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  std::printf("working models: %d patches at level %d, %zu grid samples each\n", g_patches,
              g_level, samples_per_model());
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto blend = reporter.time("BM_BlendStep");
  const auto triad = reporter.time("BM_Triad");
  const auto scalar = reporter.time("BM_BlendScalarBaseline");
  if (blend.first > 0.0 && triad.first > 0.0)
    std::printf("blend step / triad time: %.3f wall-clock, %.3f CPU (goal: at most 1.2)\n",
                blend.first / triad.first, blend.second / triad.second);
  if (blend.first > 0.0 && scalar.first > 0.0)
    std::printf("plain scalar blend / blend step time: %.3f wall-clock, %.3f CPU\n",
                scalar.first / blend.first, scalar.second / blend.second);
  if (rounds > 0) {
    const auto ratio = interleaved_ratio(rounds);
    std::printf("interleaved, %d rounds: blend step / triad time: %.3f fastest, %.3f median\n",
                rounds, ratio.first, ratio.second);
  }
  benchmark::Shutdown();
  return 0;
}
