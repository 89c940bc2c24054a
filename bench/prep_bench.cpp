// Crack-fixing preparation (detection, filling, corner links, head/tail lists) of a large
// generated model, timed against reading the same model from its file. Prints the ratio.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "geometry/SampleModels.h"
#include "model/AGIM.h"
#include "model/AGIM_Writer.h"

namespace {

// Thousands of patches (6 * 20 * 20), storage level 5, levels spread over 4 values.
const agim::SampleLayout kLayout{20, 5, 3};

// The model file of the benchmark, written once.
const std::string& model_file() {
  static const std::string path = [] {
    const std::filesystem::path p = std::filesystem::temp_directory_path() / "agim_prep_bench.agim";
    AGIM m;
    agim::make_sample_model(agim::SampleShape::BumpySphere, kLayout, m);
    std::string error;
    if (!Write_AGIM_File(m, p.string().c_str(), &error)) {
      std::fprintf(stderr, "cannot write the benchmark model: %s\n", error.c_str());
      std::exit(1);
    }
    return p.string();
  }();
  return path;
}

void BM_ReadModel(benchmark::State& state) {
  const std::string& path = model_file();
  for (auto _ : state) {
    AGIM m;
    if (!m.Read_AGIM_File(path.c_str())) state.SkipWithError(m.load_error.c_str());
    benchmark::DoNotOptimize(m.elements.data());
  }
}
BENCHMARK(BM_ReadModel)->Unit(benchmark::kMillisecond);

void BM_Prepare(benchmark::State& state) {
  AGIM m;
  if (!m.Read_AGIM_File(model_file().c_str())) {
    state.SkipWithError(m.load_error.c_str());
    return;
  }
  int zipper_sides = 0;
  for (auto _ : state) {
    m.Prepare_Zipper_Data();
    benchmark::ClobberMemory();
  }
  for (const AGIM_element& e : m.elements)
    if (e.has_zipper)
      for (bool z : e.side_zipper) zipper_sides += z ? 1 : 0;
  state.counters["patches"] = m.element_count;
  state.counters["zipper_sides"] = zipper_sides;
}
BENCHMARK(BM_Prepare)->Unit(benchmark::kMillisecond);

// Console output plus the preparation-to-read ratio of this run.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) {
      if (r.run_type != Run::RT_Iteration) continue;
      if (r.benchmark_name() == "BM_ReadModel") {
        read_ = r.GetAdjustedRealTime();
        read_cpu_ = r.GetAdjustedCPUTime();
      }
      if (r.benchmark_name() == "BM_Prepare") {
        prepare_ = r.GetAdjustedRealTime();
        prepare_cpu_ = r.GetAdjustedCPUTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    if (read_ > 0 && prepare_ > 0 && read_cpu_ > 0)
      std::printf("preparation / read = %.4f wall, %.4f CPU (goal: below 0.25)\n", prepare_ / read_,
                  prepare_cpu_ / read_cpu_);
  }

 private:
  double read_ = 0;
  double prepare_ = 0;
  double read_cpu_ = 0;
  double prepare_cpu_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  std::filesystem::remove(model_file());
  return 0;
}
